#pragma once

#include "common/motion_switch.h"

namespace quill::testing {

// Lets animations run for one scope: every test program otherwise ends them as they start.
class MotionOn final
{
public:
    MotionOn() { setInstantMotion(false); }
    ~MotionOn() { setInstantMotion(true); }
    MotionOn(const MotionOn &) = delete;
    MotionOn &operator=(const MotionOn &) = delete;
};

} // namespace quill::testing
