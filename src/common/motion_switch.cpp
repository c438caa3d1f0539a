#include "common/motion_switch.h"

namespace quill {

namespace {
bool g_instantMotion = false;
} // namespace

void setInstantMotion(bool instant)
{
    g_instantMotion = instant;
}

bool instantMotion()
{
    return g_instantMotion;
}

} // namespace quill
