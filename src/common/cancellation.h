#pragma once

#include <memory>

namespace quill {

// Lets whoever started a task take it back: the task looks after each wait and, once
// cancelled, ends without any further effect. Copies share one flag.
class Cancellation
{
public:
    void cancel() const { *m_cancelled = true; }
    bool isCancelled() const { return *m_cancelled; }

private:
    std::shared_ptr<bool> m_cancelled = std::make_shared<bool>(false);
};

} // namespace quill
