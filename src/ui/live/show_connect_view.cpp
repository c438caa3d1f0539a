#include "ui/live/show_connect_view.h"

#include "ui/live/show_connect_controller.h"
#include "ui/widgets/buttons.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/motion.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QEasingCurve>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QStackedLayout>
#include <QVBoxLayout>

#include <cmath>

namespace quill {

namespace {

constexpr int kColumnWidth = 400;
constexpr int kCardSpringMs = 500;
constexpr int kBackToFormMs = 300;

QColor withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(float(alpha));
    return color;
}

// A wrapped label centred in its row at most `maxWidth` wide.
QHBoxLayout *centredRow(QWidget *widget, int stretch = 100)
{
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch(1);
    row->addWidget(widget, stretch);
    row->addStretch(1);
    return row;
}

} // namespace

// The card's badge: a ring that swells and fades once the card glows, a disc, and the
// clipboard symbol that turns into a checkmark.
class ShowConnectBadge final : public QWidget
{
public:
    // The ring swells twice, 1.2 s each; the symbol changes in the default 0.35 s.
    static constexpr int kRingMs = 2 * 1200;
    static constexpr int kSymbolMs = 350;

    explicit ShowConnectBadge(QWidget *parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("clipboardBadge"));
        setFixedSize(96, 96);
    }

    void setGlow(bool glow)
    {
        if (glow == m_glow)
            return;
        m_glow = glow;
        if (!glow) {
            Motion::stop(this, "ring");
            m_ringProgress = 0;
            update();
            return;
        }
        Motion::tween(this, "ring", kRingMs, QEasingCurve::Linear, [this](qreal t) {
            // Each swell eases out on its own; the last ends swollen and clear.
            const qreal swell = t >= 1.0 ? 1.0 : std::fmod(2 * t, 1.0);
            m_ringProgress = QEasingCurve(QEasingCurve::OutCubic).valueForProgress(swell);
            update();
        });
    }

    void setCheckmark(bool checkmark)
    {
        if (checkmark == m_checkmark)
            return;
        m_checkmark = checkmark;
        Motion::tween(this, "symbol", kSymbolMs, QEasingCurve::InOutQuad, [this](qreal t) {
            m_symbolProgress = t;
            update();
        });
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        const QPointF centre = QRectF(rect()).center();
        const qreal ring = 40 * (1 + 0.15 * m_ringProgress);
        painter.setOpacity(0.6 * (1 - m_ringProgress));
        painter.setBrush(withAlpha(appAccentColor(), 0.1));
        painter.drawEllipse(centre, ring, ring);
        painter.setOpacity(1);
        painter.setBrush(cardBackgroundColor());
        painter.drawEllipse(centre, 32, 32);
        // The symbol being replaced shrinks and fades as the new one grows in.
        paintSymbol(painter, centre, m_checkmark, m_symbolProgress);
        if (m_symbolProgress < 1.0)
            paintSymbol(painter, centre, !m_checkmark, 1.0 - m_symbolProgress);
    }

private:
    void paintSymbol(QPainter &painter, QPointF centre, bool checkmark, qreal presence)
    {
        if (presence <= 0.0)
            return;
        const QString symbol =
            checkmark ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("doc.on.clipboard");
        const QColor colour = checkmark ? brandGreenColor() : appAccentColor();
        const QPixmap pixmap = symbolPixmap(symbol, 28, colour, devicePixelRatioF());
        const qreal half = 14 * (0.5 + 0.5 * presence);
        painter.setOpacity(presence);
        painter.drawPixmap(QRectF(centre - QPointF(half, half), QSizeF(2 * half, 2 * half)), pixmap,
                           pixmap.rect());
        painter.setOpacity(1);
    }

    qreal m_ringProgress = 0;
    qreal m_symbolProgress = 1;
    bool m_glow = false;
    bool m_checkmark = false;
};

// The detected address: the live-show address fragment and the id in bold, on a
// highlighted rounded rectangle outlined in the accent colour.
class ShowConnectAddressLine final : public QWidget
{
public:
    static constexpr int kPulseMs = 3 * 800;

    explicit ShowConnectAddressLine(QWidget *parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("detectedAddress"));
        setAttribute(Qt::WA_NoSystemBackground);
        auto *row = new QHBoxLayout(this);
        row->setContentsMargins(metrics::insets(metrics::xLarge, metrics::roomy));
        row->setSpacing(metrics::small);
        auto *icon = new QLabel(this);
        icon->setPixmap(symbolPixmap(QStringLiteral("link"), 12, appAccentColor(), devicePixelRatioF()));
        row->addWidget(icon);
        QFont mono = textFont(TextStyle::subheadline);
        mono.setFamily(QStringLiteral("monospace"));
        mono.setStyleHint(QFont::Monospace);
        m_text = styledLabel(QString(), mono, primaryTextColor(), this);
        m_text->setObjectName(QStringLiteral("detectedAddressText"));
        m_text->setTextFormat(Qt::RichText);
        row->addWidget(m_text, 1);
    }

    void setAddress(const QString &fragment, const QString &streamId)
    {
        m_text->setText(fragment.toHtmlEscaped() + QStringLiteral("<b>") + streamId.toHtmlEscaped() +
                        QStringLiteral("</b>"));
    }
    QString text() const { return m_text->text(); }

    void setGlow(bool glow)
    {
        if (glow == m_glow)
            return;
        m_glow = glow;
        if (!glow) {
            Motion::stop(this, "pulse");
            m_glowLevel = 0;
            update();
            return;
        }
        Motion::tween(this, "pulse", kPulseMs, QEasingCurve::Linear, [this](qreal t) {
            // Three swells of the outline, ending bright: up, down, up.
            const qreal phase = 3 * t;
            const int swell = qMin(int(phase), 2);
            const qreal within = phase - swell;
            const qreal level = QEasingCurve(QEasingCurve::InOutSine).valueForProgress(within);
            m_glowLevel = swell == 1 ? 1.0 - level : level;
            update();
        });
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(withAlpha(appAccentColor(), 0.2 + 0.4 * m_glowLevel), 1));
        painter.setBrush(cardHighlightColor());
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
    }

private:
    QLabel *m_text;
    qreal m_glowLevel = 0;
    bool m_glow = false;
};

ShowConnectView::ShowConnectView(ShowSyncService &showSync, WhatnotSession &session, QWidget *parent)
    : ShowConnectView(*new ShowConnectController(showSync, session), parent)
{
    m_controller->setParent(this);
}

ShowConnectView::ShowConnectView(ShowConnectController &controller, QWidget *parent)
    : QWidget(parent), m_controller(&controller)
{
    setObjectName(QStringLiteral("showConnectView"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildStatusBar());
    layout->addStretch(1);

    auto *middle = new QWidget(this);
    middle->setMaximumWidth(kColumnWidth);
    m_middle = new QStackedLayout(middle);
    m_form = buildForm();
    m_card = buildCard();
    m_middle->addWidget(m_form);
    m_middle->addWidget(m_card);
    layout->addWidget(middle, 0, Qt::AlignHCenter);
    layout->addStretch(1);

    bind();
}

ShowConnectView::~ShowConnectView() = default;

QWidget *ShowConnectView::buildStatusBar()
{
    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("connectStatusBar"));
    fillBackground(bar, cardBackgroundColor());
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(metrics::insets(metrics::large, metrics::compact));
    row->setSpacing(metrics::small);
    auto *dot = new QLabel(bar);
    QPixmap circle(QSize(8, 8) * devicePixelRatioF());
    circle.setDevicePixelRatio(devicePixelRatioF());
    circle.fill(Qt::transparent);
    {
        QPainter painter(&circle);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(brandGreenColor());
        painter.drawEllipse(QRectF(0, 0, 8, 8));
    }
    dot->setPixmap(circle);
    row->addWidget(dot);
    row->addWidget(styledLabel(QStringLiteral("Whatnot"), textFont(TextStyle::subheadline, QFont::Medium),
                               primaryTextColor(), bar));
    row->addWidget(
        styledLabel(QStringLiteral("Connected"), textFont(TextStyle::caption), brandGreenColor(), bar));
    row->addStretch(1);
    return bar;
}

QWidget *ShowConnectView::buildForm()
{
    auto *form = new QWidget;
    form->setObjectName(QStringLiteral("connectForm"));
    auto *column = new QVBoxLayout(form);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(metrics::large);

    auto *icon = new QLabel(form);
    icon->setPixmap(
        symbolPixmap(QStringLiteral("video.badge.waveform"), 48, secondaryTextColor(), devicePixelRatioF()));
    column->addWidget(icon, 0, Qt::AlignHCenter);
    column->addWidget(styledLabel(QStringLiteral("Connect to Live Show"),
                                  textFont(TextStyle::title2, QFont::Bold), primaryTextColor(), form),
                      0, Qt::AlignHCenter);
    auto *description =
        styledLabel(QStringLiteral("Paste your Whatnot show URL or stream ID to start capturing sales."),
                    textFont(TextStyle::subheadline), secondaryTextColor(), form);
    description->setWordWrap(true);
    description->setAlignment(Qt::AlignCenter);
    description->setMaximumWidth(300);
    // Centred by stretches: an aligned wrapped label would lose its last line.
    column->addLayout(centredRow(description));

    m_field = new QLineEdit(form);
    m_field->setObjectName(QStringLiteral("streamField"));
    m_field->setPlaceholderText(m_controller->placeholder());
    m_field->setFont(textFont(TextStyle::body));
    m_field->setStyleSheet(
        QStringLiteral("QLineEdit { background: %1; border: 1px solid %2; border-radius: 6px;"
                       " padding: 5px 8px; color: %3; }"
                       "QLineEdit:focus { border-color: %4; }")
            .arg(cardBackgroundColor().name(), withAlpha(Qt::white, 0.16).name(QColor::HexArgb),
                 primaryTextColor().name(QColor::HexArgb), appAccentColor().name()));
    m_field->setMaximumWidth(360);
    m_field->setMinimumWidth(280);
    column->addLayout(centredRow(m_field));

    m_error = styledLabel(QString(), textFont(TextStyle::caption), systemColor(SystemColor::red), form);
    m_error->setObjectName(QStringLiteral("validationError"));
    m_error->setWordWrap(true);
    m_error->setAlignment(Qt::AlignCenter);
    m_error->setMaximumWidth(360);
    column->addLayout(centredRow(m_error));

    m_connect = prominentButton(QStringLiteral("Connect"), QStringLiteral("arrow.right.circle.fill"),
                                ProminentSize::large, form);
    m_connect->setObjectName(QStringLiteral("connectButton"));
    column->addWidget(m_connect, 0, Qt::AlignHCenter);

    column->addWidget(
        styledLabel(QStringLiteral("Find your show URL from the Whatnot app or browser address bar"),
                    textFont(TextStyle::caption), tertiaryTextColor(), form),
        0, Qt::AlignHCenter);
    return form;
}

QWidget *ShowConnectView::buildCard()
{
    auto *card = new QWidget;
    card->setObjectName(QStringLiteral("clipboardCard"));
    auto *column = new QVBoxLayout(card);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(metrics::xLarge);

    m_badge = new ShowConnectBadge(card);
    column->addWidget(m_badge, 0, Qt::AlignHCenter);

    auto *heading = new QVBoxLayout;
    heading->setSpacing(metrics::xxSmall);
    heading->addWidget(styledLabel(QStringLiteral("Show URL Detected"),
                                   textFont(TextStyle::title3, QFont::Bold), primaryTextColor(), card),
                       0, Qt::AlignHCenter);
    auto *source = new QHBoxLayout;
    source->setSpacing(metrics::xxSmall);
    auto *clipboard = new QLabel(card);
    clipboard->setPixmap(
        symbolPixmap(QStringLiteral("clipboard"), 11, secondaryTextColor(), devicePixelRatioF()));
    source->addStretch(1);
    source->addWidget(clipboard);
    source->addWidget(styledLabel(QStringLiteral("From your clipboard"), textFont(TextStyle::caption),
                                  secondaryTextColor(), card));
    source->addStretch(1);
    heading->addLayout(source);
    column->addLayout(heading);

    m_address = new ShowConnectAddressLine(card);
    column->addWidget(m_address, 0, Qt::AlignHCenter);

    m_connectToShow = prominentButton(QStringLiteral("Connect to Show"), QStringLiteral("bolt.fill"),
                                      ProminentSize::large, card);
    m_connectToShow->setObjectName(QStringLiteral("connectToShowButton"));
    m_connectToShow->setMinimumWidth(240);
    column->addWidget(m_connectToShow, 0, Qt::AlignHCenter);

    m_differentURL = plainButton(QStringLiteral("Enter a different URL"), QString(), secondaryTextColor(),
                                 textFont(TextStyle::caption), card);
    m_differentURL->setObjectName(QStringLiteral("differentURLButton"));
    column->addWidget(m_differentURL, 0, Qt::AlignHCenter);
    return card;
}

void ShowConnectView::bind()
{
    ShowConnectController *c = m_controller;
    connect(m_field, &QLineEdit::textEdited, c, &ShowConnectController::setInput);
    connect(m_field, &QLineEdit::returnPressed, c, &ShowConnectController::connect);
    connect(m_connect, &QPushButton::clicked, c, &ShowConnectController::connect);
    connect(m_connectToShow, &QPushButton::clicked, c, &ShowConnectController::connect);
    connect(m_differentURL, &QPushButton::clicked, c, &ShowConnectController::enterDifferentURL);
    connect(c, &ShowConnectController::inputChanged, this, &ShowConnectView::followInput);
    connect(c, &ShowConnectController::validationErrorChanged, this, &ShowConnectView::followValidationError);
    connect(c, &ShowConnectController::showDetectedCardChanged, this, &ShowConnectView::followCard);
    connect(c, &ShowConnectController::cardGlowChanged, this, &ShowConnectView::followBadge);
    connect(c, &ShowConnectController::checkmarkVisibleChanged, this, &ShowConnectView::followBadge);
    // Copying an address elsewhere and coming back offers it.
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive && isVisible())
                m_controller->checkClipboard();
        });
    }
    followInput();
    followValidationError();
    followCard();
    followBadge();
}

void ShowConnectView::followInput()
{
    const QString &input = m_controller->input();
    if (m_field->text() != input)
        m_field->setText(input);
    m_connect->setEnabled(m_controller->canConnect());
    m_address->setAddress(m_controller->addressFragment(), m_controller->detectedStreamId());
}

void ShowConnectView::followValidationError()
{
    m_error->setText(m_controller->validationError());
    m_error->setVisible(!m_controller->validationError().isEmpty());
}

void ShowConnectView::followCard()
{
    const bool toCard = m_controller->showDetectedCard();
    QWidget *shown = toCard ? m_card : m_form;
    if (m_middle->currentWidget() == shown)
        return;
    // The card springs in (0.5 s response, a little overshoot) growing from 0.9 as it
    // fades; going back to the form is a 0.3 s ease-in-out fade. What leaves fades out.
    const int duration = toCard ? kCardSpringMs : kBackToFormMs;
    const QEasingCurve curve = toCard ? Motion::bouncySpring() : QEasingCurve(QEasingCurve::InOutQuad);
    Motion::crossFade(shown->parentWidget(), duration, curve);
    m_middle->setCurrentWidget(shown);
    Motion::enter(shown, toCard ? MotionPose::scaled(0.9) : MotionPose::faded(), duration, curve);
}

void ShowConnectView::followBadge()
{
    m_badge->setGlow(m_controller->cardGlow());
    m_badge->setCheckmark(m_controller->checkmarkVisible());
    m_address->setGlow(m_controller->cardGlow());
}

void ShowConnectView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        m_controller->screenShown();
}

} // namespace quill
