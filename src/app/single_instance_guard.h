#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

QT_BEGIN_NAMESPACE
class QLocalServer;
class QLocalSocket;
QT_END_NAMESPACE

namespace quill {

// Keeps one running application per user. A later start hands the URLs it was
// opened with (the sign-in callback from the browser) to the running one and exits.
class SingleInstanceGuard final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SingleInstanceGuard)

public:
    // One name per user, so two people on one machine never reach each other.
    static QString defaultServerName();
    // The arguments that are URLs of the application's own scheme.
    static QStringList schemeUrls(const QStringList &arguments);

    explicit SingleInstanceGuard(QString serverName = defaultServerName(), QObject *parent = nullptr);
    ~SingleInstanceGuard() override;

    // An address handed over may be up to 64 kB long (UTF-8), a start may hand over
    // up to kMaxAddresses of them.
    static constexpr qsizetype kMaxAddressBytes = 64 * 1024;
    static constexpr qsizetype kMaxAddresses = 16;

    // What became of a hand-over.
    struct HandOver
    {
        enum class Outcome
        {
            handedOver,     // the running instance took every address: exit
            nobodyAnswered, // this is the first start
            failed,         // an instance runs but did not take the addresses: `error` says why
        };
        Outcome outcome = Outcome::nobodyAnswered;
        QString error;
    };

    // Hands `urls` (possibly none) to a running instance, which confirms that it
    // took them whole.
    HandOver forwardToRunningInstance(const QStringList &urls, int timeoutMs = 2000) const;
    // Starts answering later starts. False when the name cannot be taken.
    bool listen();

    const QString &serverName() const { return m_serverName; }

Q_SIGNALS:
    // A later start was opened with this URL.
    void urlReceived(const QUrl &url);
    // A later start asked for the running application (with or without URLs).
    void activationRequested();

private:
    void accept();
    void readFrom(QLocalSocket *socket);

    QString m_serverName;
    QLocalServer *m_server = nullptr;
};

} // namespace quill
