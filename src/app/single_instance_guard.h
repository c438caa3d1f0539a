#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <chrono>

QT_BEGIN_NAMESPACE
class QDeadlineTimer;
class QLocalSocket;
class QSocketNotifier;
class QTimer;
QT_END_NAMESPACE

namespace quill {

// Keeps one running application per user and machine, whatever the start's
// environment. The instance is claimed with a lock on a folder of the user's own in
// /tmp (not $TMPDIR or $XDG_RUNTIME_DIR, which differ between a desktop start, cron
// and a terminal after `su -`); the system lets go of the lock when the process ends
// however it ends. The holder listens on a socket in that folder. An ending holder
// leaves the folder and the socket's name in place, as a killed one does, so that the
// next start needs no new room on the disk. A later start hands the URLs it was opened
// with (the sign-in callback from the browser) to the running one, through the folder
// it found to be the user's own, and exits. From the moment the holder begins to quit
// it answers no start: a start then waits for it to end and claims the instance.
class SingleInstanceGuard final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SingleInstanceGuard)

public:
    // One name per user, so two people on one machine never reach each other.
    static QString defaultServerName();
    // Where a name that is not an absolute path makes its folder: fixed, so that
    // every start of the user meets there.
    static QString sharedParentFolder();
    // The arguments that are URLs of the application's own scheme.
    static QStringList schemeUrls(const QStringList &arguments);

    // `serverName` names the instance folder in sharedParentFolder(), or, as an
    // absolute path, is the folder itself (tests keep theirs apart this way).
    explicit SingleInstanceGuard(QString serverName = defaultServerName(), QObject *parent = nullptr);
    ~SingleInstanceGuard() override;

    // An address handed over may be up to 64 kB long (UTF-8), a start may hand over
    // up to kMaxAddresses of them.
    static constexpr qsizetype kMaxAddressBytes = 64 * 1024;
    static constexpr qsizetype kMaxAddresses = 16;
    // How long a start waits for the running instance: to listen, and to answer.
    static constexpr std::chrono::milliseconds kPatience = std::chrono::seconds(10);

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
    // took them whole within `patience`.
    HandOver forwardToRunningInstance(const QStringList &urls,
                                      std::chrono::milliseconds patience = kPatience) const;
    // Claims the instance and starts answering later starts. False when another
    // process holds the claim or the name cannot be taken: errorString() says why.
    bool listen();
    // Answers no later start from now on, as the application begins to quit (it also
    // follows QCoreApplication::aboutToQuit): such a start waits for this process to end
    // and then claims the instance, keeping its addresses. The claim is held until the
    // guard goes.
    void stopAnswering();

    // What became of a start.
    struct Start
    {
        enum class Outcome
        {
            claimed,        // this is the one instance and listens: run
            handedOver,     // the running instance took every address: exit
            alreadyRunning, // an instance holds the claim but did not answer: exit
            failed,         // `error` says why: exit
        };
        Outcome outcome = Outcome::failed;
        QString error;
    };
    // Starts as a program start does: claims the instance and listens, or, when another
    // process holds the claim, hands `urls` to it, waiting up to `patience` for it to
    // listen (two starts at the same moment: the other one is just coming up).
    Start claimOrHandOver(const QStringList &urls, std::chrono::milliseconds patience = kPatience);
    // The URLs this start was opened with when it claimed the instance, for the
    // running application to take in as it takes those of later starts; once.
    QList<QUrl> takeStartUrls();

    const QString &serverName() const { return m_serverName; }
    // The folder whose lock is this instance's claim; empty until it is claimed.
    const QString &folder() const { return m_folder; }
    const QString &errorString() const { return m_error; }

Q_SIGNALS:
    // A later start was opened with this URL.
    void urlReceived(const QUrl &url);
    // A later start asked for the running application (with or without URLs).
    void activationRequested();

private:
    enum class Claim
    {
        taken,
        heldElsewhere,
        failed,
    };
    Claim claim();
    bool startListening();
    static HandOver handOverOn(QLocalSocket &socket, const QStringList &urls, const QDeadlineTimer &deadline);
    void stopListening();
    void accept();
    void pauseAccepting(int error);
    void readFrom(QLocalSocket *socket);

    QString m_serverName;
    QString m_folder;
    int m_listenFd = -1;
    QSocketNotifier *m_listening = nullptr;
    QTimer *m_acceptPause = nullptr; // runs while accepting waits for descriptors to be freed
    int m_lockFd = -1;               // the folder, open while this process holds the claim
    QStringList m_startUrls;
    QString m_error;
};

} // namespace quill
