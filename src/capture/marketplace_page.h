#pragma once

#include "capture/page_script_host.h"

#include <QCoroTask>
#include <QList>
#include <QMetaType>
#include <QNetworkCookie>
#include <QObject>
#include <QString>
#include <QUrl>

QT_BEGIN_NAMESPACE
class QWebEnginePage;
QT_END_NAMESPACE

namespace quill {

// One thing that happened to the page as a whole, in the order the page reports it.
struct NavigationEvent
{
    enum class Kind
    {
        startedProvisionalNavigation,
        receivedServerRedirect,
        committed,
        finished,
        failed,                      // the navigation failed; the loop ends with an error
        webContentProcessTerminated, // the render process died; the session reloads
        pageClosed,                  // the page is going away; the loop ends quietly
        other,
    };

    Kind kind = Kind::other;
    // For failed / webContentProcessTerminated / pageClosed: a text naming the case
    // and its details, for the log.
    QString description;
    // For failed: the platform's own wording, for the user.
    QString localizedDescription;
};

// What the marketplace session needs of its web page and the page's browser
// profile. The product uses WebEngineMarketplacePage; unit tests use a fake.
class MarketplacePage : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MarketplacePage)

public:
    using QObject::QObject;
    ~MarketplacePage() override = default;

    // The page's current address; empty when it has none.
    virtual QUrl url() const = 0;
    virtual void load(const QUrl &url) = 0;
    // Whether a load is under way (the address may already name the page being loaded).
    virtual bool isLoading() const { return false; }
    virtual PageScriptHost &scriptHost() = 0;
    // The Qt WebEngine page to show on screen; nullptr when not backed by one.
    virtual QWebEnginePage *webPage() const = 0;

    // Cookies of the profile as last reported by its cookie store.
    virtual QList<QNetworkCookie> cookies() const = 0;
    // Removes every cookie, the HTTP cache and the visited links of the profile;
    // returns when the cookie store reports them gone (or after a short bound).
    virtual QCoro::Task<> clearWebsiteData() = 0;
    // The profile's storage folder is removed before the profile is next opened
    // (kinds of site data that cannot be removed while it is in use); `false`
    // withdraws a pending wipe.
    virtual void setStorageWipePending(bool pending) = 0;
    virtual bool isStorageWipePending() const = 0;

Q_SIGNALS:
    void navigationEvent(const quill::NavigationEvent &event);
};

} // namespace quill

Q_DECLARE_METATYPE(quill::NavigationEvent)
