#pragma once

#include <QLoggingCategory>

// One category per class, all under the application's bundle identifier.
Q_DECLARE_LOGGING_CATEGORY(lcAuth)
Q_DECLARE_LOGGING_CATEGORY(lcApi)
Q_DECLARE_LOGGING_CATEGORY(lcShowSync)
Q_DECLARE_LOGGING_CATEGORY(lcShowHistory)
Q_DECLARE_LOGGING_CATEGORY(lcAuctionPoller)
Q_DECLARE_LOGGING_CATEGORY(lcBidderTracker)
Q_DECLARE_LOGGING_CATEGORY(lcSoldScraper)
Q_DECLARE_LOGGING_CATEGORY(lcWhatnotSession)
Q_DECLARE_LOGGING_CATEGORY(lcNavDecider)
Q_DECLARE_LOGGING_CATEGORY(lcTemplateStore)
Q_DECLARE_LOGGING_CATEGORY(lcAutoPrint)
Q_DECLARE_LOGGING_CATEGORY(lcPrintKit)
Q_DECLARE_LOGGING_CATEGORY(lcPrintService)
Q_DECLARE_LOGGING_CATEGORY(lcLabelAppearance)
Q_DECLARE_LOGGING_CATEGORY(lcProcess)
Q_DECLARE_LOGGING_CATEGORY(lcStandardOutput)

namespace quill {
inline constexpr const char *kBundleIdentifier = "app.quillmark.Quillmark";
}
