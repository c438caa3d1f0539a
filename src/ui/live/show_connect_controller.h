#pragma once

#include "common/clock.h"

#include <QCoroTask>
#include <QObject>
#include <QString>
#include <chrono>
#include <functional>
#include <optional>

namespace quill {

class ShowSyncService;
class WhatnotSession;

struct ShowConnectSetup
{
    Sleeper *sleeper = nullptr; // null: TimerSleeper
    // The clipboard's text; nullopt when it holds none. Unset: the system clipboard.
    std::function<std::optional<QString>()> clipboardText;
};

// The show connect screen without its widgets: the field's text, the message under
// it, the clipboard card and the Connect action, which stores the stream id on the
// show synchroniser and then sends the marketplace page to that stream.
class ShowConnectController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShowConnectController)
    Q_PROPERTY(QString input READ input WRITE setInput NOTIFY inputChanged)
    Q_PROPERTY(QString validationError READ validationError NOTIFY validationErrorChanged)
    Q_PROPERTY(bool canConnect READ canConnect NOTIFY inputChanged)
    Q_PROPERTY(bool showDetectedCard READ showDetectedCard NOTIFY showDetectedCardChanged)
    Q_PROPERTY(bool cardGlow READ cardGlow NOTIFY cardGlowChanged)
    Q_PROPERTY(bool checkmarkVisible READ checkmarkVisible NOTIFY checkmarkVisibleChanged)

public:
    static constexpr std::chrono::milliseconds kGlowDelay{300};
    static constexpr std::chrono::milliseconds kCheckmarkDelay{700}; // after the card is shown
    static inline const QString kNoStreamIdMessage =
        QStringLiteral("Couldn't find a stream ID. Paste a Whatnot live URL or a raw stream ID.");
    static inline const QString kSampleStreamId = QStringLiteral("abc123");

    ShowConnectController(ShowSyncService &showSync, WhatnotSession &session, ShowConnectSetup setup = {},
                          QObject *parent = nullptr);
    ~ShowConnectController() override;

    // The stream id in a pasted live-show address or a bare id; nullopt when there is
    // none or it is not one the marketplace session would load. `text` is not trimmed
    // for the address; the bare-id fallback trims it.
    static std::optional<QString> parseStreamId(const QString &text);
    // The live-show address without its scheme, as a seller copies it: the host
    // (with its port) and path of the session's live prefix ("www.whatnot.com/live/").
    static QString liveAddressFragment(const QString &livePrefix);
    // Whether a clipboard text (already trimmed) is offered: it holds the live-show
    // address fragment and a stream id the parser accepts.
    static bool isOfferedClipboardText(const QString &text, const QString &fragment);

    QString addressFragment() const { return m_fragment; }
    QString placeholder() const { return m_fragment + kSampleStreamId; }
    // The id the card shows: the parser's result for the field, empty when none.
    QString detectedStreamId() const;

    const QString &input() const { return m_input; }
    const QString &validationError() const { return m_validationError; }
    bool canConnect() const { return !m_input.trimmed().isEmpty(); }
    bool showDetectedCard() const { return m_showDetectedCard; }
    bool cardGlow() const { return m_cardGlow; }
    bool checkmarkVisible() const { return m_checkmarkVisible; }

public Q_SLOTS:
    // The screen came on: a screen left by a successful connect starts afresh, as a
    // new one would; then the clipboard is checked.
    void screenShown();
    void setInput(const QString &input);
    // Offers a live-show address found on the clipboard, unless the field holds text.
    void checkClipboard();
    // "Connect", Return in the field and "Connect to Show".
    void connect();
    // "Enter a different URL": back to the empty form.
    void enterDifferentURL();

Q_SIGNALS:
    void inputChanged(const QString &input);
    void validationErrorChanged(const QString &message);
    void showDetectedCardChanged(bool value);
    void cardGlowChanged(bool value);
    void checkmarkVisibleChanged(bool value);
    // The id was stored and its live page requested.
    void connected(const QString &streamId);

private:
    void setValidationError(const QString &message);
    void setShowDetectedCard(bool value);
    void setCardGlow(bool value);
    void setCheckmarkVisible(bool value);
    QCoro::Task<> revealCard();

    ShowSyncService &m_showSync;
    WhatnotSession &m_session;
    Sleeper &m_sleeper;
    std::function<std::optional<QString>()> m_clipboardText;
    QString m_fragment;

    QString m_input;
    QString m_validationError;
    bool m_showDetectedCard = false;
    bool m_cardGlow = false;
    bool m_checkmarkVisible = false;
    bool m_connected = false;
};

} // namespace quill
