#pragma once

#include "capture/page_script_host.h"
#include "common/clock.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QVariant>
#include <QWebEnginePage>
#include <chrono>
#include <memory>

namespace quill {

// Runs page scripts in a Qt WebEngine page's main world.
//
// Each body is wrapped in an envelope that catches the script's exception and
// turns the function's value into JSON text, so the answer tells a value, a
// thrown script error and "no answer" apart. A call fails with
//   - rendererCrashed when the page's render process dies while it is pending
//     (or is dead when the call starts, until the page loads again),
//   - pageGone when there is no page, the page is destroyed (or this host is)
//     while the call is pending, or the document went away before answering,
//   - scriptException when the script threw (the page's error text and stack),
//   - timedOut when no answer came within the time-out,
//   - invalidAnswer when the answer is not the envelope's (for example a body
//     that does not compile).
// A function that returns `undefined` answers QJsonValue::Undefined.
//
// The page is never owned and never touched once destroyed. The time-out runs on
// the injected sleeper, so tests can decide when it fires.
class WebEnginePageScriptHost final : public QObject, public PageScriptHost
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WebEnginePageScriptHost)

public:
    static constexpr std::chrono::milliseconds kDefaultTimeout{5000};

    explicit WebEnginePageScriptHost(QWebEnginePage *page, Sleeper &sleeper = TimerSleeper::instance(),
                                     std::chrono::milliseconds timeout = kDefaultTimeout,
                                     QObject *parent = nullptr);
    // Pending calls fail with pageGone.
    ~WebEnginePageScriptHost() override;

    QCoro::Task<QJsonValue> run(QString body) override;

    QWebEnginePage *page() const { return m_page.data(); }
    std::chrono::milliseconds timeout() const { return m_timeout; }
    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }

    // Calls started and not yet settled.
    qsizetype pendingCount() const { return m_pending.size(); }

    // Fails every pending call with `kind` and `message` (the owner uses it when it
    // knows the answers will never come).
    void failPending(PageScriptError::Kind kind, const QString &message);

    // The script text that runs `body` inside the envelope.
    static QString envelope(const QString &body);
    // Reads one answer of an envelope: the value, or throws PageScriptError
    // (scriptException / invalidAnswer).
    static QJsonValue decodeAnswer(const QVariant &answer);

private:
    struct Call;

    void onRenderProcessTerminated(int status, int exitCode);
    void settle(quint64 id, QVariant answer);
    QCoro::Task<> timeOutLater(quint64 id, std::weak_ptr<Call> call);

    QPointer<QWebEnginePage> m_page;
    Sleeper &m_sleeper;
    std::chrono::milliseconds m_timeout;
    QHash<quint64, std::shared_ptr<Call>> m_pending;
    quint64 m_nextId = 1;
    quint64 m_documentGeneration = 0; // counts loads, so a lost answer can be told from a bad one
    bool m_rendererAlive = true;
    bool m_closing = false;
};

} // namespace quill
