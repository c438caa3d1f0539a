#pragma once

#include <QCoroNetworkReply>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QUrl>

#include <functional>
#include <memory>

namespace quill::testing {

// The seller's browser on the stand-in's Google page: picks the link whose address
// contains `choice`, follows it, and hands the address it is sent back to
// (quillmark://auth/callback?...) to `deliver`, as the desktop would.
class StandinBrowser final
{
public:
    using Deliver = std::function<void(const QUrl &)>;

    StandinBrowser(Deliver deliver, QString choice) : m_deliver(std::move(deliver)), m_choice(std::move(choice)) {}

    bool open(const QUrl &url)
    {
        m_opened.append(url);
        follow(url);
        return true;
    }
    const QList<QUrl> &opened() const { return m_opened; }

private:
    QCoro::Task<> follow(QUrl url)
    {
        QNetworkRequest pageRequest(url);
        std::unique_ptr<QNetworkReply> page(co_await m_network.get(pageRequest));
        const QString html = QString::fromUtf8(page->readAll());
        static const QRegularExpression linkPattern(QStringLiteral("href=\"([^\"]+)\""));
        auto matches = linkPattern.globalMatch(html);
        QString link;
        while (matches.hasNext()) {
            const QString candidate =
                matches.next().captured(1).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
            if (candidate.contains(m_choice)) {
                link = candidate;
                break;
            }
        }
        if (link.isEmpty())
            co_return;
        QNetworkRequest choiceRequest(url.resolved(QUrl(link)));
        choiceRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                                   QNetworkRequest::ManualRedirectPolicy);
        std::unique_ptr<QNetworkReply> answer(co_await m_network.get(choiceRequest));
        m_deliver(QUrl(QString::fromUtf8(answer->rawHeader("Location"))));
    }

    Deliver m_deliver;
    QString m_choice;
    QNetworkAccessManager m_network;
    QList<QUrl> m_opened;
};

} // namespace quill::testing
