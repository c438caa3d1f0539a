#include "capture/webengine_page_script_host.h"

#include "common/detached_task.h"
#include "common/logging.h"
#include "common/next_signal.h"

#include <QCoroSignal>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <optional>

namespace quill {

namespace {

// Wakes the task that awaits one call.
class CallNotifier final : public QObject
{
    Q_OBJECT

Q_SIGNALS:
    void settled();
};

} // namespace

struct WebEnginePageScriptHost::Call
{
    CallNotifier notifier;
    bool done = false;
    std::optional<QJsonValue> value;
    std::optional<PageScriptError> error;
    quint64 generation = 0;
};

WebEnginePageScriptHost::WebEnginePageScriptHost(QWebEnginePage *page, Sleeper &sleeper,
                                                 std::chrono::milliseconds timeout, QObject *parent)
    : QObject(parent), m_page(page), m_sleeper(sleeper), m_timeout(timeout)
{
    if (!page)
        return;
    connect(page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
                onRenderProcessTerminated(int(status), exitCode);
            });
    // A new load brings a new render process after a crash, and a new document
    // whose scripts answer nothing for calls made in the old one.
    connect(page, &QWebEnginePage::loadStarted, this, [this] {
        ++m_documentGeneration;
        m_rendererAlive = true;
    });
    connect(page, &QWebEnginePage::renderProcessPidChanged, this, [this](qint64 pid) {
        if (pid != 0)
            m_rendererAlive = true;
    });
    connect(page, &QObject::destroyed, this, [this] {
        failPending(PageScriptError::Kind::pageGone,
                    tr("The marketplace page was closed while a script ran."));
    });
}

WebEnginePageScriptHost::~WebEnginePageScriptHost()
{
    m_closing = true;
    failPending(PageScriptError::Kind::pageGone, tr("The marketplace page was closed while a script ran."));
}

QString WebEnginePageScriptHost::envelope(const QString &body)
{
    // The value is stringified inside the try, so values JSON cannot hold
    // (cycles, BigInt) come back as the script's own error. `undefined` has no
    // JSON form: it is flagged instead of silently becoming a missing key.
    return QStringLiteral("(function(){try{var __v=(function(){\n") + body +
           QStringLiteral("\n})();return JSON.stringify(__v===undefined?{ok:true,undefined:true}:"
                          "{ok:true,value:__v})}catch(e){var __m;try{__m=String(e&&e.stack||e)}catch(_){"
                          "__m='unprintable error'}return JSON.stringify({ok:false,error:__m})}})()");
}

QJsonValue WebEnginePageScriptHost::decodeAnswer(const QVariant &answer)
{
    using Kind = PageScriptError::Kind;
    if (answer.typeId() != QMetaType::QString) {
        throw PageScriptError(
            Kind::invalidAnswer,
            tr("The marketplace page gave no readable answer (the script may not compile)."));
    }
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(answer.toString().toUtf8(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        throw PageScriptError(Kind::invalidAnswer, tr("The marketplace page answered something unexpected."));
    const QJsonObject object = document.object();
    const QJsonValue ok = object.value(QLatin1String("ok"));
    if (ok == QJsonValue(true)) {
        if (object.value(QLatin1String("undefined")) == QJsonValue(true))
            return QJsonValue(QJsonValue::Undefined);
        if (!object.contains(QLatin1String("value")))
            throw PageScriptError(Kind::invalidAnswer, tr("The marketplace page answered without a value."));
        return object.value(QLatin1String("value"));
    }
    if (ok == QJsonValue(false)) {
        const QJsonValue error = object.value(QLatin1String("error"));
        if (!error.isString())
            throw PageScriptError(Kind::invalidAnswer,
                                  tr("The marketplace page reported an unreadable error."));
        throw PageScriptError(Kind::scriptException, error.toString());
    }
    throw PageScriptError(Kind::invalidAnswer, tr("The marketplace page answered something unexpected."));
}

QCoro::Task<QJsonValue> WebEnginePageScriptHost::run(QString body)
{
    if (m_closing || !m_page)
        throw PageScriptError(PageScriptError::Kind::pageGone, tr("The marketplace page is not open."));
    if (!m_rendererAlive) {
        throw PageScriptError(PageScriptError::Kind::rendererCrashed,
                              tr("The marketplace page's renderer stopped and has not been reloaded yet."));
    }

    const quint64 id = m_nextId++;
    auto call = std::make_shared<Call>();
    call->generation = m_documentGeneration;
    m_pending.insert(id, call);

    QPointer<WebEnginePageScriptHost> self(this);
    m_page->runJavaScript(envelope(body), QWebEngineScript::MainWorld, [self, id](const QVariant &answer) {
        if (!self)
            return;
        if (answer.isValid()) {
            self->settle(id, answer);
            return;
        }
        // No answer at all also comes from a page in the middle of being
        // destroyed; decide once that is over.
        QMetaObject::invokeMethod(
            self.data(),
            [self, id] {
                if (self)
                    self->settle(id, QVariant());
            },
            Qt::QueuedConnection);
    });
    if (!call->done)
        // Runs on by itself; it only looks at the call through the weak pointer.
        startDetached(timeOutLater(id, call), lcWhatnotSession(), "Page script time-out");

    if (!call->done)
        co_await nextSignal(&call->notifier, &CallNotifier::settled);
    if (call->error)
        throw PageScriptError(*call->error);
    co_return QJsonValue(*call->value);
}

void WebEnginePageScriptHost::settle(quint64 id, QVariant answer)
{
    const std::shared_ptr<Call> call = m_pending.take(id);
    if (!call || call->done)
        return; // timed out or failed already; a late answer is dropped
    call->done = true;
    // The document this call ran in went away before answering: Qt hands back an
    // empty answer then.
    if (!answer.isValid() && (!m_page || call->generation != m_documentGeneration)) {
        call->error = PageScriptError(PageScriptError::Kind::pageGone,
                                      tr("The marketplace page navigated away while a script ran."));
    } else {
        try {
            call->value = decodeAnswer(answer);
        } catch (const PageScriptError &error) {
            call->error = error;
        }
    }
    Q_EMIT call->notifier.settled();
}

QCoro::Task<> WebEnginePageScriptHost::timeOutLater(quint64 id, std::weak_ptr<Call> weakCall)
{
    const std::chrono::milliseconds timeout = m_timeout;
    QPointer<WebEnginePageScriptHost> self(this);
    co_await m_sleeper.sleep(timeout);
    const std::shared_ptr<Call> call = weakCall.lock();
    if (!call || call->done)
        co_return;
    if (self)
        self->m_pending.remove(id);
    call->done = true;
    call->error =
        PageScriptError(PageScriptError::Kind::timedOut,
                        tr("The marketplace page did not answer within %1 ms.").arg(timeout.count()));
    Q_EMIT call->notifier.settled();
}

void WebEnginePageScriptHost::onRenderProcessTerminated(int status, int exitCode)
{
    m_rendererAlive = false;
    const QString how = status == QWebEnginePage::NormalTerminationStatus   ? tr("stopped")
                        : status == QWebEnginePage::KilledTerminationStatus ? tr("was killed")
                                                                            : tr("crashed");
    failPending(PageScriptError::Kind::rendererCrashed,
                tr("The marketplace page's renderer %1 (exit code %2).").arg(how).arg(exitCode));
}

void WebEnginePageScriptHost::failPending(PageScriptError::Kind kind, const QString &message)
{
    // Settle from a copy: a woken task may start a new call at once.
    QList<std::shared_ptr<Call>> failed;
    for (const std::shared_ptr<Call> &call : std::as_const(m_pending)) {
        if (call->done)
            continue;
        call->done = true;
        call->error = PageScriptError(kind, message);
        failed.append(call);
    }
    m_pending.clear();
    for (const std::shared_ptr<Call> &call : std::as_const(failed))
        Q_EMIT call->notifier.settled();
}

} // namespace quill

#include "webengine_page_script_host.moc"
