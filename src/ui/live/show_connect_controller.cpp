#include "ui/live/show_connect_controller.h"

#include "backend/show_sync_service.h"
#include "capture/whatnot_session.h"
#include "common/detached_task.h"
#include "common/error.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMimeData>
#include <QPointer>
#include <QUrl>

namespace quill {

Q_LOGGING_CATEGORY(lcShowConnectView, "app.quillmark.Quillmark.ShowConnectView")

namespace {

std::optional<QString> systemClipboardText()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return std::nullopt;
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText())
        return std::nullopt;
    return data->text();
}

} // namespace

ShowConnectController::ShowConnectController(ShowSyncService &showSync, WhatnotSession &session,
                                             ShowConnectSetup setup, QObject *parent)
    : QObject(parent), m_showSync(showSync), m_session(session),
      m_sleeper(setup.sleeper ? *setup.sleeper : TimerSleeper::instance()),
      m_clipboardText(setup.clipboardText ? std::move(setup.clipboardText) : systemClipboardText),
      m_fragment(liveAddressFragment(session.livePrefix()))
{
}

ShowConnectController::~ShowConnectController() = default;

std::optional<QString> ShowConnectController::parseStreamId(const QString &input)
{
    // Typed or pasted, an address may carry blanks or a line break around it.
    const QString text = input.trimmed();
    // Read as an address: the path component after the first "live".
    const QString candidate =
        text.startsWith(QLatin1String("http")) ? text : QStringLiteral("https://") + text;
    const QUrl url(candidate, QUrl::StrictMode);
    if (url.isValid()) {
        const QStringList encoded = url.path(QUrl::FullyEncoded).split(QLatin1Char('/'), Qt::SkipEmptyParts);
        QStringList components;
        for (const QString &component : encoded)
            components.append(QUrl::fromPercentEncoding(component.toUtf8()));
        const qsizetype live = components.indexOf(QLatin1String("live"));
        if (live >= 0 && live + 1 < components.size()) {
            // An id the session would refuse to load is no id, whichever way it was found.
            const QString &streamId = components.at(live + 1);
            if (WhatnotSession::isValidStreamId(streamId))
                return streamId;
            return std::nullopt;
        }
    }
    // A bare id.
    const QString &bare = text;
    if (bare.isEmpty() || bare.contains(QLatin1Char('/')) || bare.contains(QLatin1Char(' ')) ||
        !WhatnotSession::isValidStreamId(bare))
        return std::nullopt;
    return bare;
}

QString ShowConnectController::liveAddressFragment(const QString &livePrefix)
{
    const QUrl url(livePrefix);
    if (!url.isValid() || url.host().isEmpty())
        return {};
    QString fragment = url.host();
    if (url.port() != -1)
        fragment += QLatin1Char(':') + QString::number(url.port());
    fragment += url.path();
    if (!fragment.endsWith(QLatin1Char('/')))
        fragment += QLatin1Char('/');
    return fragment;
}

bool ShowConnectController::isOfferedClipboardText(const QString &text, const QString &fragment)
{
    return !fragment.isEmpty() && text.contains(fragment) && parseStreamId(text).has_value();
}

QString ShowConnectController::detectedStreamId() const
{
    return parseStreamId(m_input).value_or(QString());
}

void ShowConnectController::screenShown()
{
    if (m_connected) {
        m_connected = false;
        setInput(QString());
        setValidationError(QString());
        setShowDetectedCard(false);
        setCardGlow(false);
        setCheckmarkVisible(false);
    }
    checkClipboard();
}

void ShowConnectController::setInput(const QString &input)
{
    if (m_input == input)
        return;
    m_input = input;
    Q_EMIT inputChanged(m_input);
}

void ShowConnectController::checkClipboard()
{
    // A typed or earlier offered address is never overwritten.
    if (!m_input.isEmpty())
        return;
    const std::optional<QString> clipboard = m_clipboardText();
    if (!clipboard)
        return;
    const QString text = clipboard->trimmed();
    if (!isOfferedClipboardText(text, m_fragment))
        return;
    setInput(text);
    setValidationError(QString());
    setShowDetectedCard(true);
    startDetached(revealCard(), lcShowConnectView(), "The clipboard card's reveal");
}

QCoro::Task<> ShowConnectController::revealCard()
{
    QPointer<ShowConnectController> self(this);
    Sleeper &sleeper = m_sleeper;
    co_await sleeper.sleep(kGlowDelay);
    if (!self)
        co_return;
    setCardGlow(true);
    co_await sleeper.sleep(kCheckmarkDelay - kGlowDelay);
    if (!self)
        co_return;
    setCheckmarkVisible(true);
}

void ShowConnectController::connect()
{
    const QString text = m_input.trimmed();
    if (text.isEmpty())
        return;
    const std::optional<QString> streamId = parseStreamId(text);
    if (!streamId) {
        setValidationError(kNoStreamIdMessage);
        return;
    }
    setValidationError(QString());
    qCInfo(lcShowConnectView, "Connecting to stream: %s", qUtf8Printable(*streamId));
    m_showSync.setActiveStreamId(*streamId);
    try {
        m_session.navigateToStream(*streamId);
    } catch (const Error &error) {
        // The parser only passes ids the session loads; should the two ever differ,
        // nothing stays stored and the seller reads why.
        qCCritical(lcShowConnectView, "Could not open the stream: %s", error.what());
        m_showSync.setActiveStreamId(QString());
        setValidationError(error.message());
        return;
    }
    m_connected = true;
    Q_EMIT connected(*streamId);
}

void ShowConnectController::enterDifferentURL()
{
    setInput(QString());
    setShowDetectedCard(false);
}

void ShowConnectController::setValidationError(const QString &message)
{
    if (m_validationError == message)
        return;
    m_validationError = message;
    Q_EMIT validationErrorChanged(m_validationError);
}

void ShowConnectController::setShowDetectedCard(bool value)
{
    if (m_showDetectedCard == value)
        return;
    m_showDetectedCard = value;
    Q_EMIT showDetectedCardChanged(value);
}

void ShowConnectController::setCardGlow(bool value)
{
    if (m_cardGlow == value)
        return;
    m_cardGlow = value;
    Q_EMIT cardGlowChanged(value);
}

void ShowConnectController::setCheckmarkVisible(bool value)
{
    if (m_checkmarkVisible == value)
        return;
    m_checkmarkVisible = value;
    Q_EMIT checkmarkVisibleChanged(value);
}

} // namespace quill
