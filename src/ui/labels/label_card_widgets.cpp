#include "ui/labels/label_card_widgets.h"

#include "ui/labels/label_media_shape.h"
#include "ui/widgets/card.h"
#include "ui/widgets/label_page_view.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/motion.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/spinner.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTransform>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cstdlib>
#include <optional>

namespace quill {

namespace {

constexpr int kTileShape = 48;
constexpr int kTileTextWidth = 64;
constexpr int kTilePadding = 6;
constexpr int kTileSpacing = 4;

// The strip hides its scroll bar, so the wheel, which turns vertically on most mice,
// moves it sideways. A turn of the wheel that moves the strip stays with it to the turn's
// end, also once the strip has reached its end, so the page does not move off under the
// pointer; a turn that begins with the strip at its end passes on to the page around it.
class SidewaysScrollArea final : public QScrollArea
{
public:
    // Wheel events further apart than this begin a new turn.
    static constexpr quint64 kTurnGapMs = 500;

    using QScrollArea::QScrollArea;

protected:
    void wheelEvent(QWheelEvent *event) override
    {
        QScrollBar *bar = horizontalScrollBar();
        const QPoint pixels = event->pixelDelta();
        const QPoint angle = event->angleDelta();
        int step = 0;
        if (!pixels.isNull())
            step = std::abs(pixels.x()) > std::abs(pixels.y()) ? pixels.x() : pixels.y();
        else {
            const int eighths = std::abs(angle.x()) > std::abs(angle.y()) ? angle.x() : angle.y();
            step = eighths * bar->singleStep() * QApplication::wheelScrollLines() / 120;
        }
        const int before = bar->value();
        bar->setValue(before - step);
        const quint64 now = event->timestamp();
        const bool sameTurn = m_lastTaken && now >= *m_lastTaken && now - *m_lastTaken <= kTurnGapMs;
        const bool take = bar->value() != before || sameTurn;
        if (take)
            m_lastTaken = now;
        event->setAccepted(take);
    }

private:
    std::optional<quint64> m_lastTaken; // when the strip last took the wheel
};

QColor withOpacity(QColor color, qreal opacity)
{
    color.setAlphaF(float(color.alphaF() * opacity));
    return color;
}

int tileTextHeight()
{
    return QFontMetrics(systemFont(9)).lineSpacing() * 2;
}

QSize tileSize()
{
    return {kTileTextWidth + 2 * kTilePadding,
            kTileShape + kTileSpacing + tileTextHeight() + 2 * kTilePadding};
}

// `selected` from 0 (not) to 1 (selected); between while the selection moves.
void paintTileFrame(QPainter &painter, const QRectF &rect, qreal selected, bool dashed)
{
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal width = 1 + selected;
    const QRectF frame = rect.adjusted(width / 2, width / 2, -width / 2, -width / 2);
    if (selected > 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(withOpacity(appAccentColor(), 0.1 * selected));
        painter.drawRoundedRect(frame, 8, 8);
    }
    const QColor off = withOpacity(secondaryTextColor(), 0.2);
    const QColor on = appAccentColor();
    const auto blend = [selected](qreal a, qreal b) { return a + (b - a) * selected; };
    const QColor colour = QColor::fromRgbF(blend(off.redF(), on.redF()), blend(off.greenF(), on.greenF()),
                                           blend(off.blueF(), on.blueF()), blend(off.alphaF(), on.alphaF()));
    QPen pen(colour, width);
    if (dashed)
        pen.setDashPattern({4, 3});
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(frame, 8, 8);
}

void paintTileCaption(QPainter &painter, const QRect &rect, const QString &text, const QColor &color)
{
    const QFont font = systemFont(9);
    painter.setFont(font);
    painter.setPen(color);
    const QRect textRect(rect.left() + kTilePadding, rect.top() + kTilePadding + kTileShape + kTileSpacing,
                         kTileTextWidth, tileTextHeight());
    painter.drawText(textRect, Qt::AlignHCenter | Qt::AlignTop,
                     elideToLines(text, QFontMetrics(font), kTileTextWidth, 2));
}

} // namespace

QString elideToLines(const QString &text, const QFontMetrics &metrics, int width, int lines)
{
    QStringList out;
    QString rest = text.simplified();
    while (!rest.isEmpty() && out.size() < lines) {
        if (out.size() == lines - 1 || metrics.horizontalAdvance(rest) <= width) {
            out.append(metrics.elidedText(rest, Qt::ElideRight, width));
            break;
        }
        // The longest run of words that fits; a single word too long is cut.
        qsizetype cut = rest.size();
        while (cut > 1 && metrics.horizontalAdvance(rest.left(cut)) > width)
            --cut;
        const qsizetype space = rest.left(cut + 1).lastIndexOf(QLatin1Char(' '));
        if (space > 0)
            cut = space;
        out.append(rest.left(cut).trimmed());
        rest = rest.mid(cut).trimmed();
    }
    return out.join(QLatin1Char('\n'));
}

void makeSmallBordered(QPushButton *button)
{
    button->setFont(textFont(TextStyle::caption));
    button->setIconSize(QSize(12, 12));
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QFrame *dividerLine(QWidget *parent, bool vertical)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(vertical ? QFrame::VLine : QFrame::HLine);
    if (vertical)
        line->setFixedWidth(1);
    else
        line->setFixedHeight(1);
    line->setStyleSheet(QStringLiteral("background-color: %1; border: none;")
                            .arg(withOpacity(secondaryTextColor(), 0.3).name(QColor::HexArgb)));
    return line;
}

void fillMediaTileMenu(QMenu &menu, const LabelMedia &media, bool offersCalibration, bool canCalibrate,
                       std::function<void()> calibrate, std::function<void()> remove)
{
    if (offersCalibration) {
        QAction *action =
            menu.addAction(symbolIcon(QStringLiteral("ruler")), QObject::tr("Print Calibration"));
        action->setEnabled(canCalibrate);
        QObject::connect(action, &QAction::triggered, &menu, std::move(calibrate));
    }
    if (media.isCustom()) {
        if (offersCalibration)
            menu.addSeparator();
        QAction *action = menu.addAction(symbolIcon(QStringLiteral("trash")), QObject::tr("Delete"));
        QObject::connect(action, &QAction::triggered, &menu, std::move(remove));
    }
}

MediaTile::MediaTile(const LabelMedia &media, Orientation orientation, QWidget *parent)
    : QAbstractButton(parent), m_media(media), m_shape(new LabelMediaShape(media, orientation, 40, this))
{
    setCursor(Qt::PointingHandCursor);
    setFixedSize(sizeHint());
    m_shape->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_shape->setGeometry(kTilePadding, kTilePadding, kTileShape, kTileShape);
    setToolTip(plainToolTip(media.displayName()));
    setAccessibleName(media.displayName());
}

void MediaTile::setOrientation(Orientation orientation)
{
    m_shape->setOrientation(orientation);
}

void MediaTile::setSelected(bool selected, bool animated)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    const qreal from = m_selection;
    const qreal to = selected ? 1.0 : 0.0;
    if (!animated) {
        Motion::stop(this, "selection");
        m_selection = to;
        update();
        return;
    }
    Motion::tween(this, "selection", kSelectionMs, QEasingCurve::InOutQuad, [this, from, to](qreal t) {
        m_selection = from + (to - from) * t;
        update();
    });
}

QString MediaTile::caption() const
{
    return elideToLines(m_media.displayName(), QFontMetrics(systemFont(9)), kTileTextWidth, 2);
}

void MediaTile::setMenuFiller(std::function<void(QMenu &)> filler)
{
    m_menuFiller = std::move(filler);
}

std::unique_ptr<QMenu> MediaTile::makeMenu()
{
    if (!m_menuFiller)
        return nullptr;
    auto menu = std::make_unique<QMenu>(this);
    m_menuFiller(*menu);
    if (menu->actions().isEmpty())
        return nullptr;
    return menu;
}

QSize MediaTile::sizeHint() const
{
    return tileSize();
}

void MediaTile::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintTileFrame(painter, QRectF(rect()), m_selection, false);
    paintTileCaption(painter, rect(), m_media.displayName(), primaryTextColor());
}

void MediaTile::contextMenuEvent(QContextMenuEvent *event)
{
    if (std::unique_ptr<QMenu> menu = makeMenu())
        menu->exec(event->globalPos());
    event->accept();
}

CustomMediaTile::CustomMediaTile(QWidget *parent) : QAbstractButton(parent)
{
    setCursor(Qt::PointingHandCursor);
    setText(tr("Custom"));
    setFixedSize(sizeHint());
}

QSize CustomMediaTile::sizeHint() const
{
    return tileSize();
}

void CustomMediaTile::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintTileFrame(painter, QRectF(rect()), 0, true);
    const int symbol = int(textFont(TextStyle::title2).pointSizeF() * 1.2);
    const QPixmap plus =
        symbolPixmap(QStringLiteral("plus"), symbol, secondaryTextColor(), devicePixelRatioF());
    const QRect shapeRect((width() - kTileShape) / 2, kTilePadding, kTileShape, kTileShape);
    const QRect plusRect(QPoint(0, 0), QSize(symbol, symbol));
    painter.drawPixmap(plusRect.translated(shapeRect.center() - plusRect.center()), plus);
    paintTileCaption(painter, rect(), text(), secondaryTextColor());
}

MediaStrip::MediaStrip(bool withCustomTile, QWidget *parent) : QWidget(parent)
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *scroll = new SidewaysScrollArea(this);
    scroll->setObjectName(QStringLiteral("mediaStripScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    scroll->viewport()->setAutoFillBackground(false);
    auto *host = new QWidget(scroll);
    m_row = new QHBoxLayout(host);
    m_row->setContentsMargins(0, 0, 0, 0);
    m_row->setSpacing(metrics::compact);
    if (withCustomTile) {
        m_customTile = new CustomMediaTile(host);
        m_row->addWidget(m_customTile);
    }
    m_row->addStretch(1);
    scroll->setWidget(host);
    // The strip lies on the card's fill (setWidget turns the fill on).
    host->setAutoFillBackground(false);
    scroll->setFixedHeight(tileSize().height() + 2);
    outer->addWidget(scroll);
}

void MediaStrip::setMedia(const QList<LabelMedia> &media, Orientation orientation, const LabelMedia &selected,
                          const std::function<void(MediaTile *)> &prepare)
{
    const bool same =
        m_tiles.size() == media.size() &&
        std::equal(m_tiles.begin(), m_tiles.end(), media.begin(),
                   [](const MediaTile *tile, const LabelMedia &m) { return tile->media() == m; });
    if (!same) {
        // A tile may be the one whose menu asked for this: it goes once its event is over.
        for (MediaTile *tile : std::as_const(m_tiles)) {
            m_row->removeWidget(tile);
            tile->hide();
            tile->deleteLater();
        }
        m_tiles.clear();
        for (qsizetype i = 0; i < media.size(); ++i) {
            auto *tile = new MediaTile(media.at(i), orientation, m_row->parentWidget());
            m_row->insertWidget(int(i), tile);
            if (prepare)
                prepare(tile);
            m_tiles.append(tile);
        }
    }
    // The full strip (the one with "+ Custom") moves its selection over 0.3 s; the box
    // strip, and tiles just made, change at once.
    for (MediaTile *tile : std::as_const(m_tiles)) {
        tile->setOrientation(orientation);
        tile->setSelected(tile->media() == selected, same && m_customTile);
    }
}

OrientationButton::OrientationButton(QWidget *parent) : QPushButton(parent)
{
    makeSmallBordered(this);
    setOrientation(Orientation::landscape);
}

void OrientationButton::setOrientation(Orientation orientation)
{
    const QString caption = rawValue(orientation);
    if (!text().isEmpty() && caption != text()) {
        // The caption rolls: the old one goes up and out as the new one comes up from below.
        m_outgoing = text();
        Motion::tween(
            this, kCaptionRoll, kTurnMs, QEasingCurve::InOutQuad,
            [this](qreal t) {
                m_roll = t;
                update();
            },
            [this] {
                m_roll = 1;
                m_outgoing.clear();
                update();
            });
    }
    setText(caption);
    const qreal to = orientation == Orientation::portrait ? 90 : 0;
    if (!icon().isNull() && qFuzzyCompare(to + 1, m_angle + 1))
        return;
    // The symbol turns a quarter over 0.3 s.
    Motion::rotate(this, m_angle, to, kTurnMs, QEasingCurve::InOutQuad, [this](qreal angle) {
        m_angle = angle;
        const QPixmap symbol =
            symbolPixmap(QStringLiteral("rectangle"), 12, primaryTextColor(), devicePixelRatioF());
        QPixmap turned(symbol.size());
        turned.setDevicePixelRatio(symbol.devicePixelRatio());
        turned.fill(Qt::transparent);
        QPainter painter(&turned);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.translate(6, 6);
        painter.rotate(angle);
        painter.drawPixmap(QPointF(-6, -6), symbol);
        painter.end();
        setIcon(QIcon(turned));
    });
}

void OrientationButton::paintEvent(QPaintEvent *event)
{
    if (m_outgoing.isEmpty()) {
        QPushButton::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    painter.drawControl(QStyle::CE_PushButtonBevel, option);
    // The symbol where the button lays it out, without its caption.
    QStyleOptionButton symbol = option;
    symbol.palette.setColor(QPalette::ButtonText, Qt::transparent);
    painter.drawControl(QStyle::CE_PushButtonLabel, symbol);
    // Each caption laid out beside a blank symbol of the same size, so it stands where
    // the button puts it.
    QPixmap blank(option.iconSize * devicePixelRatioF());
    blank.setDevicePixelRatio(devicePixelRatioF());
    blank.fill(Qt::transparent);
    const qreal rise = fontMetrics().height();
    const auto caption = [&](const QString &text, qreal offset, qreal opacity) {
        QStyleOptionButton label = option;
        label.text = text;
        label.icon = QIcon(blank);
        painter.save();
        painter.setClipRect(rect());
        painter.setOpacity(opacity);
        painter.translate(0, offset);
        painter.drawControl(QStyle::CE_PushButtonLabel, label);
        painter.restore();
    };
    caption(m_outgoing, -rise * m_roll, 1 - m_roll);
    caption(text(), rise * (1 - m_roll), m_roll);
}

CardSettingsColumn::CardSettingsColumn(bool withCustomTile, QWidget *parent)
    : QWidget(parent), m_strip(new MediaStrip(withCustomTile, this)),
      m_orientation(new OrientationButton(this)), m_printer(new PrinterControl(this)),
      m_printerRow(new QHBoxLayout)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(metrics::regular);
    layout->addWidget(m_strip);
    layout->addWidget(m_orientation, 0, Qt::AlignLeft);
    m_printerRow->setSpacing(metrics::small);
    m_printerRow->addWidget(m_printer);
    m_printerRow->addStretch(1);
    layout->addLayout(m_printerRow);
    layout->addStretch(1);
}

QPushButton *CardSettingsColumn::addButton(const QString &text)
{
    auto *button = new QPushButton(text, this);
    makeSmallBordered(button);
    m_printerRow->insertWidget(m_printerRow->count() - 1, button);
    return button;
}

Spinner *CardSettingsColumn::addSpinner()
{
    auto *spinner = new Spinner(Spinner::kSmall, this);
    spinner->hide();
    m_printerRow->insertWidget(m_printerRow->count() - 1, spinner);
    return spinner;
}

PrinterControl::PrinterControl(QWidget *parent)
    : QWidget(parent), m_picker(new QComboBox(this)),
      m_single(styledLabel(QString(), textFont(TextStyle::caption), secondaryTextColor(), this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_picker);
    layout->addWidget(m_single);
    m_picker->setMaximumWidth(160);
    m_picker->setAccessibleName(tr("Printer"));
    m_picker->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_picker->setMinimumContentsLength(12);
    m_picker->hide();
    m_single->hide();
    connect(m_picker, &QComboBox::activated, this, [this](int index) {
        if (m_filling || !m_onChoose)
            return;
        const QVariant value = m_picker->itemData(index);
        m_onChoose(value.isValid() ? std::optional<QString>(value.toString()) : std::nullopt);
    });
}

void PrinterControl::setPrinters(const QList<PrinterInfo> &printers, const std::optional<QString> &selected)
{
    m_filling = true;
    m_picker->clear();
    m_picker->setVisible(printers.size() >= 2);
    m_single->setVisible(printers.size() == 1);
    setVisible(!printers.isEmpty());
    if (printers.size() == 1) {
        m_single->setText(printerDisplayName(printers.first().name));
    } else if (printers.size() >= 2) {
        m_picker->addItem(tr("None"));
        for (const PrinterInfo &printer : printers)
            m_picker->addItem(printerDisplayName(printer.name), printer.name);
        // A printer that is no longer listed stays chosen: no row matches it.
        m_picker->setCurrentIndex(selected ? m_picker->findData(*selected) : 0);
    }
    m_filling = false;
}

void PrinterControl::setOnChoose(std::function<void(std::optional<QString>)> onChoose)
{
    m_onChoose = std::move(onChoose);
}

LabelThumbnail::LabelThumbnail(const QString &caption, bool showPageCount, QWidget *parent)
    : QWidget(parent), m_page(new LabelPageView(this)), m_showPageCount(showPageCount)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(caption.isEmpty() ? metrics::xxSmall : metrics::xSmall);
    if (!caption.isEmpty())
        layout->addWidget(styledLabel(caption, systemFont(13, QFont::DemiBold), primaryTextColor(), this), 0,
                          Qt::AlignHCenter);
    layout->addWidget(m_page, 0, Qt::AlignHCenter);
    m_count = styledLabel(QString(), textFont(TextStyle::caption2), secondaryTextColor(), this);
    m_count->hide();
    layout->addWidget(m_count, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    m_page->setCursor(Qt::PointingHandCursor);
    connect(m_page, &LabelPageView::clicked, this, &LabelThumbnail::clicked);
}

QString LabelThumbnail::identity(const LabelMedia &media, Orientation orientation)
{
    return media.id + QLatin1Char('-') + rawValue(orientation);
}

void LabelThumbnail::setPages(const QList<AnyLabelView> &pages, bool circular, const QString &identity)
{
    // Another medium or orientation: over 0.3 s the frame takes its new size while the
    // old page fades into the new.
    const bool same = identity.isEmpty() || identity == m_identity;
    const bool change =
        !same && !m_identity.isEmpty() && Motion::canAnimate(m_page) && !m_page->size().isEmpty();
    const QSize from = m_page->size();
    if (change)
        Motion::crossFade(m_page, kCrossFadeMs, QEasingCurve::InOutQuad);
    m_identity = identity;
    m_page->setFrame(LabelPageFrame::forMedium(circular));
    m_page->setPage(pages.isEmpty() ? std::nullopt : std::optional<AnyLabelView>(pages.first()));
    const QSize to = m_page->sizeHint();
    if (change && !to.isEmpty() && to != from) {
        QPointer<LabelPageView> page = m_page;
        m_page->setFrameSize(from);
        Motion::tween(
            m_page, kResize, kCrossFadeMs, QEasingCurve::InOutQuad,
            [page, from, to](qreal t) {
                if (page)
                    page->setFrameSize(QSize(from.width() + qRound((to.width() - from.width()) * t),
                                             from.height() + qRound((to.height() - from.height()) * t)));
            },
            [page] {
                if (page)
                    page->setFrameSize({});
            });
    } else if (!same || !Motion::isRunning(m_page, kResize)) {
        // New pages of the same thumbnail keep a change of size under way.
        Motion::stop(m_page, kResize);
        m_page->setFrameSize({});
    }
    m_count->setVisible(m_showPageCount && pages.size() >= 2);
    m_count->setText(tr("%1 pages").arg(pages.size()));
    setVisible(!pages.isEmpty());
}

} // namespace quill
