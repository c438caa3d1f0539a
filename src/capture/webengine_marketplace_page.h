#pragma once

#include "capture/marketplace_page.h"
#include "capture/webengine_page_script_host.h"
#include "capture/whatnot_navigation_decider.h"
#include "common/clock.h"

#include <QList>
#include <QNetworkCookie>
#include <QString>
#include <chrono>
#include <memory>
#include <optional>

QT_BEGIN_NAMESPACE
class QWebEngineProfile;
class QWebEnginePage;
QT_END_NAMESPACE

namespace quill {

// The marketplace page on a named, persistent browser profile, so the seller
// stays logged in to the marketplace across restarts.
//
// The profile keeps everything in `storageFolder`. Kinds of site data that Qt
// cannot remove while the profile is open are removed by deleting that folder
// before the profile is opened again: setStorageWipePending(true) leaves a marker
// file next to the folder, and the next construction honours it.
class WebEngineMarketplacePage final : public MarketplacePage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WebEngineMarketplacePage)

public:
    WebEngineMarketplacePage(const QString &profileName, const QString &storageFolder, Sleeper &sleeper,
                             std::chrono::milliseconds scriptTimeout, QObject *parent = nullptr);
    ~WebEngineMarketplacePage() override;

    // "MarketplaceProfile" in the application's data folder.
    static QString defaultStorageFolder();

    QUrl url() const override;
    void load(const QUrl &url) override;
    bool isLoading() const override;
    PageScriptHost &scriptHost() override { return *m_host; }
    QWebEnginePage *webPage() const override;

    QList<QNetworkCookie> cookies() const override { return m_cookies; }
    QCoro::Task<> clearWebsiteData() override;
    void setStorageWipePending(bool pending) override;
    bool isStorageWipePending() const override;

    QWebEngineProfile *profile() const { return m_profile; }
    const QString &storageFolder() const { return m_storageFolder; }
    WebEnginePageScriptHost &webEngineScriptHost() { return *m_host; }

private:
    class DecidingPage;

    QString wipeMarkerPath() const;
    void wipeStorageIfPending();
    void endBlankLoad();

    Sleeper &m_sleeper;
    QString m_storageFolder;
    WhatnotNavigationDecider m_decider;
    QWebEngineProfile *m_profile = nullptr; // deleted after the page
    DecidingPage *m_page = nullptr;
    std::unique_ptr<WebEnginePageScriptHost> m_host;
    QList<QNetworkCookie> m_cookies;
    // A load of the blank page is still under way; a load asked for meanwhile
    // waits in m_deferredLoad until it ends.
    bool m_blankLoadPending = false;
    std::optional<QUrl> m_deferredLoad;
};

} // namespace quill
