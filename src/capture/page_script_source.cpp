#include "capture/page_script_source.h"

namespace quill {

PageScriptSource fixedPageScriptSource(PageScriptHost &host)
{
    return [&host]() { return &host; };
}

PageScriptHost &requirePageScriptHost(const PageScriptSource &source)
{
    PageScriptHost *host = source ? source() : nullptr;
    if (!host)
        throw PageScriptError(PageScriptError::Kind::pageGone, QStringLiteral("The marketplace page is not open"));
    return *host;
}

} // namespace quill
