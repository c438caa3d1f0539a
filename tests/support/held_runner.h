#pragma once

#include "fake_process_runner.h"
#include "gate.h"

#include <memory>

namespace quill::testing {

// CUPS tools that succeed at once with no output, or, while `hold` is set, wait for the
// gate and then fail as a printer out of labels does. Replace the gate to hold again.
class HeldRunner final : public ProcessRunner
{
public:
    QCoro::Task<ProcessResult> run(ProcessRequest) override
    {
        if (!hold)
            co_return FakeProcessRunner::finished(QString());
        ++held;
        co_await gate->wait();
        co_return FakeProcessRunner::finished(QStringLiteral("lp: The printer is out of labels."), 1);
    }
    bool hold = false;
    int held = 0;
    std::unique_ptr<Gate> gate = std::make_unique<Gate>();
};

} // namespace quill::testing
