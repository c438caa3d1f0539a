#pragma once

#include "capture/page_script_host.h"

#include <QString>

#include <exception>
#include <functional>

namespace quill {

// Where a capture loop finds the page to run its scripts in, looked up at every
// call: the session's page may be replaced or gone while a loop sleeps.
using PageScriptSource = std::function<PageScriptHost *()>;

// What a capture loop learns of its page besides the scripts' answers. Either may be unset.
struct PageHealth
{
    // The page is being reloaded after its render process died: failed calls are expected.
    std::function<bool()> isRecovering;
    // A scan was answered: the page lives.
    std::function<void()> answered;
};

// A source for a host the caller keeps alive for as long as the readers use it.
PageScriptSource fixedPageScriptSource(PageScriptHost &host);

// The host the source gives now; PageScriptError (pageGone) when there is none.
PageScriptHost &requirePageScriptHost(const PageScriptSource &source);

} // namespace quill
