#include "printing/pdf_navigation_delegate.h"

#include <QPageRanges>
#include <QPageSize>
#include <QPointer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>

namespace quill {

namespace {

// A label is the document it was given: no network, no files, no other pages.
class DocumentOnlyInterceptor final : public QWebEngineUrlRequestInterceptor
{
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        const QString scheme = info.requestUrl().scheme();
        if (scheme != QLatin1String("data") && scheme != QLatin1String("about") && scheme != QLatin1String("blob"))
            info.block(true);
    }
};

} // namespace

class PDFNavigationDelegate::Profile final
{
public:
    Profile()
    {
        m_profile.setUrlRequestInterceptor(&m_filter);
        m_profile.setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        m_profile.setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    }
    Q_DISABLE_COPY_MOVE(Profile)

    QWebEngineProfile *profile() { return &m_profile; }

private:
    // Declared first: the filter outlives the profile that calls it.
    DocumentOnlyInterceptor m_filter;
    QWebEngineProfile m_profile; // no storage name: off the record
};

std::shared_ptr<PDFNavigationDelegate::Profile> PDFNavigationDelegate::sharedProfile()
{
    static std::weak_ptr<Profile> current;
    std::shared_ptr<Profile> profile = current.lock();
    if (!profile) {
        profile = std::make_shared<Profile>();
        current = profile;
    }
    return profile;
}

PDFNavigationDelegate::PDFNavigationDelegate(QSizeF labelSize, QObject *parent)
    : QObject(parent), m_labelSize(labelSize)
{
}

PDFNavigationDelegate::~PDFNavigationDelegate()
{
    // The page goes before the profile it was made in.
    delete m_page;
}

QPageLayout PDFNavigationDelegate::pageLayout(QSizeF labelSize)
{
    // The sheet is the label as it stands: a wide label gives a wide page, matching
    // the page size that goes to CUPS with it.
    const QSizeF inches(labelSize.width() / 72.0, labelSize.height() / 72.0);
    return QPageLayout(QPageSize(inches, QPageSize::Inch, QString(), QPageSize::ExactMatch), QPageLayout::Portrait,
                       QMarginsF());
}

void PDFNavigationDelegate::start(const QString &html)
{
    if (m_page || m_hasCompleted)
        return;
    m_profile = sharedProfile();
    m_page = new QWebEnginePage(m_profile->profile());

    QWebEngineSettings *settings = m_page->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    settings->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
    settings->setAttribute(QWebEngineSettings::PrintElementBackgrounds, true);

    connect(m_page, &QWebEnginePage::loadFinished, this, &PDFNavigationDelegate::onLoadFinished);
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus, int exitCode) {
                fail(QStringLiteral("The label page stopped while it was being drawn (exit code %1).").arg(exitCode));
            });
    m_page->setHtml(html, QUrl());
}

void PDFNavigationDelegate::onLoadFinished(bool ok)
{
    // A page can report its load more than once; only the first report counts.
    if (m_hasCompleted || m_printRequested)
        return;
    if (!ok) {
        fail(QStringLiteral("The label page could not be loaded."));
        return;
    }
    m_printRequested = true;
    QPageRanges firstPage;
    firstPage.addPage(1);
    QPointer<PDFNavigationDelegate> self(this);
    m_page->printToPdf(
        [self](const QByteArray &pdf) {
            if (!self)
                return;
            if (pdf.isEmpty())
                self->fail(QStringLiteral("The label page could not be turned into a PDF."));
            else
                self->complete(pdf, std::nullopt);
        },
        pageLayout(m_labelSize), firstPage);
}

void PDFNavigationDelegate::fail(const QString &message)
{
    complete(QByteArray(), message);
}

void PDFNavigationDelegate::complete(QByteArray pdf, std::optional<QString> error)
{
    if (m_hasCompleted)
        return;
    m_hasCompleted = true;
    m_pdf = std::move(pdf);
    m_error = std::move(error);
    if (m_page && m_error)
        m_page->triggerAction(QWebEnginePage::Stop);
    Q_EMIT completed();
}

} // namespace quill
