#pragma once

// The live show screen's controller over the application's live show, both against
// the stand-in backend as LiveShowFixture builds them.
#include "../app/live_show_fixture.h"
#include "ui/live/live_show_controller.h"

#include <memory>

namespace quill::testing {

class LiveFixture : public LiveShowFixture
{
protected:
    void appStarted() override
    {
        m_controller = std::make_unique<LiveShowController>(LiveServices::of(*m_app));
    }
    void appEnding() override { m_controller.reset(); }

    LiveShowController &controller() { return *m_controller; }

    std::unique_ptr<LiveShowController> m_controller;
};

} // namespace quill::testing
