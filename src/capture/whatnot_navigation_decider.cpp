#include "capture/whatnot_navigation_decider.h"

#include "common/logging.h"

namespace quill {

bool WhatnotNavigationDecider::decidePolicy(const QUrl &requestURL) const
{
    const QString address =
        requestURL.isEmpty() ? QStringLiteral("nil") : requestURL.toString(QUrl::FullyEncoded);
    qCInfo(lcNavDecider, "🔥 decidePolicy(action) → .allow — %s", qUtf8Printable(address));
    return true;
}

void WhatnotNavigationDecider::decideAuthenticationChallenge(const QUrl &requestURL,
                                                             const QString &method) const
{
    Q_UNUSED(requestURL)
    qCInfo(lcNavDecider, "🔥 decideAuthenticationChallengeDisposition — method: %s", qUtf8Printable(method));
}

} // namespace quill
