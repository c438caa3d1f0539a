#pragma once

#include <QString>
#include <QUrl>

namespace quill {

// The marketplace page's navigation policy: every navigation is allowed and
// logged, and authentication challenges get the engine's default handling.
class WhatnotNavigationDecider final
{
public:
    bool decidePolicy(const QUrl &requestURL) const;
    void decideAuthenticationChallenge(const QUrl &requestURL, const QString &method) const;
};

} // namespace quill
