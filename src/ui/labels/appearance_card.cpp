#include "ui/labels/appearance_card.h"

#include "common/paths.h"
#include "printing/label_appearance_store.h"
#include "ui/labels/font_picker.h"
#include "ui/widgets/capsule_badge.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/segmented_control.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace quill {

namespace {

constexpr int kThumbnailHeight = 32;
constexpr qreal kButtonFontSize = 13;

QVBoxLayout *column(QHBoxLayout *row, const QString &heading, QWidget *parent)
{
    auto *box = new QVBoxLayout;
    box->setSpacing(metrics::xxSmall);
    if (!heading.isEmpty())
        box->addWidget(styledLabel(heading, textFont(TextStyle::caption), secondaryTextColor(), parent));
    row->addLayout(box);
    return box;
}

QPushButton *smallButton(const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setFont(textFont(TextStyle::caption));
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

// The logo fitted to the thumbnail height, never distorted, corners rounded.
QPixmap thumbnailPixmap(const QImage &logo, qreal dpr)
{
    if (logo.isNull() || logo.height() <= 0)
        return {};
    const QSizeF size = QSizeF(logo.size()).scaled(QSizeF(4 * kThumbnailHeight, kThumbnailHeight),
                                                   Qt::KeepAspectRatio);
    QPixmap out((size * dpr).toSize());
    out.setDevicePixelRatio(dpr);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF frame(QPointF(0, 0), size);
    QPainterPath clip;
    clip.addRoundedRect(frame, 4, 4);
    painter.setClipPath(clip);
    painter.drawImage(frame, logo);
    painter.setClipping(false);
    QColor stroke = secondaryTextColor();
    stroke.setAlphaF(0.3f);
    painter.setPen(QPen(stroke, 1));
    painter.drawRoundedRect(frame.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    return out;
}

} // namespace

std::optional<QString> chooseLogoFile(QWidget *parent)
{
    const QString path =
        QFileDialog::getOpenFileName(parent, QStringLiteral("Choose a logo image"), paths::picturesFolder(),
                                     QStringLiteral("Images (*.png *.jpg *.jpeg *.heic *.heif *.tif *.tiff)"));
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

FontButton::FontButton(LabelFontChoice choice, QWidget *parent) : QAbstractButton(parent), m_choice(choice)
{
    setObjectName(QStringLiteral("fontButton"));
    setCursor(Qt::PointingHandCursor);
    setChoice(choice);
}

void FontButton::setChoice(LabelFontChoice choice)
{
    m_choice = choice;
    setText(shortName(choice));
    setFont(fontChoiceFace(choice, kButtonFontSize, QFont::Medium));
    updateGeometry();
    update();
}

QSize FontButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    return QSize(10 + metrics.horizontalAdvance(text()) + 6 + 9 + 10, std::max(metrics.height(), 9) + 12);
}

void FontButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor stroke = secondaryTextColor();
    stroke.setAlphaF(0.3f);
    painter.setPen(QPen(stroke, 1));
    painter.setBrush(cardBackgroundColor());
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    painter.setFont(font());
    painter.setPen(primaryTextColor());
    const QRect textRect = rect().adjusted(10, 0, -(10 + 9 + 6), 0);
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, text());
    painter.drawPixmap(width() - 10 - 9, (height() - 9) / 2,
                       symbolPixmap(QStringLiteral("chevron.up.chevron.down"), 9, secondaryTextColor(),
                                    devicePixelRatioF()));
}

LabelAppearanceSection::LabelAppearanceSection(bool isAdmin, LabelAppearanceStore &store, LogoChooser chooser,
                                               QWidget *parent)
    : SettingsCard(QStringLiteral("Style"), QStringLiteral("Applied to all labels"), Kind::regular, parent),
      m_controller(nullptr), m_fontButton(new FontButton(store.fontChoice(), this)),
      m_stylePicker(new SegmentedControl(this))
{
    setObjectName(QStringLiteral("labelAppearanceSection"));
    if (!chooser)
        chooser = [this] { return chooseLogoFile(this); };
    m_controller = new AppearanceController(store, std::move(chooser), this);

    auto *row = new QHBoxLayout;
    row->setSpacing(metrics::large);
    column(row, QStringLiteral("Font"), this)->addWidget(m_fontButton, 0, Qt::AlignLeft);
    for (const LabelVariant variant : kAllLabelVariants)
        m_stylePicker->addSegment(rawValue(variant));
    m_stylePicker->setMaximumWidth(220);
    column(row, QStringLiteral("Layout"), this)->addWidget(m_stylePicker);
    if (isAdmin)
        column(row, QString(), this)->addWidget(buildLogoColumn());
    row->addStretch();
    body()->addLayout(row);

    showStyle(store.style());
    connect(m_stylePicker, &SegmentedControl::currentChanged, this, [this](int index) {
        if (index >= 0 && index < int(kAllLabelVariants.size()))
            m_controller->chooseStyle(kAllLabelVariants[size_t(index)]);
    });
    connect(&store, &LabelAppearanceStore::styleChanged, this, &LabelAppearanceSection::showStyle);
    connect(&store, &LabelAppearanceStore::fontChoiceChanged, m_fontButton, &FontButton::setChoice);
    connect(m_fontButton, &FontButton::clicked, this, &LabelAppearanceSection::toggleFontPicker);
}

QWidget *LabelAppearanceSection::buildLogoColumn()
{
    m_logoColumn = new QWidget(this);
    m_logoColumn->setObjectName(QStringLiteral("logoColumn"));
    auto *box = new QVBoxLayout(m_logoColumn);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(metrics::xxSmall);

    auto *heading = new QHBoxLayout;
    heading->setSpacing(metrics::xxSmall);
    heading->addWidget(styledLabel(QStringLiteral("Logo"), textFont(TextStyle::caption), secondaryTextColor(),
                                   m_logoColumn));
    const QColor orange = systemColor(SystemColor::orange);
    QColor betaFill = orange;
    betaFill.setAlphaF(0.15f);
    auto *beta = new CapsuleBadge(QStringLiteral("Beta"), betaFill, m_logoColumn);
    beta->setObjectName(QStringLiteral("betaTag"));
    beta->setColors(betaFill, orange);
    beta->setFont(systemFont(9, QFont::DemiBold));
    beta->setPadding(5, 1);
    heading->addWidget(beta);
    heading->addStretch();
    box->addLayout(heading);

    auto *controls = new QHBoxLayout;
    controls->setSpacing(metrics::small);
    m_thumbnail = new QLabel(m_logoColumn);
    m_thumbnail->setObjectName(QStringLiteral("logoThumbnail"));
    m_addLogo = smallButton(QStringLiteral("Add Logo"), m_logoColumn);
    m_addLogo->setIcon(symbolIcon(QStringLiteral("photo.badge.plus"), primaryTextColor()));
    m_changeLogo = smallButton(QStringLiteral("Change"), m_logoColumn);
    m_removeLogo = smallButton(QStringLiteral("Remove"), m_logoColumn);
    m_removeLogo->setStyleSheet(QStringLiteral("QPushButton { color: #ff453a; }"));
    for (QWidget *widget : {static_cast<QWidget *>(m_thumbnail), static_cast<QWidget *>(m_changeLogo),
                            static_cast<QWidget *>(m_removeLogo), static_cast<QWidget *>(m_addLogo)})
        controls->addWidget(widget);
    controls->addStretch();
    box->addLayout(controls);

    m_logoError = styledLabel(QString(), textFont(TextStyle::caption2), systemColor(SystemColor::red), m_logoColumn);
    m_logoError->setObjectName(QStringLiteral("logoError"));
    m_logoError->setTextFormat(Qt::PlainText);
    m_logoError->setWordWrap(true);
    m_logoError->setMaximumWidth(260);
    m_logoError->hide();
    box->addWidget(m_logoError);

    connect(m_addLogo, &QPushButton::clicked, m_controller, &AppearanceController::chooseLogo);
    connect(m_changeLogo, &QPushButton::clicked, m_controller, &AppearanceController::chooseLogo);
    connect(m_removeLogo, &QPushButton::clicked, m_controller, &AppearanceController::removeLogo);
    connect(&m_controller->store(), &LabelAppearanceStore::logoImageChanged, this, &LabelAppearanceSection::showLogo);
    connect(m_controller, &AppearanceController::logoErrorChanged, this, [this](const QString &message) {
        m_logoError->setText(message);
        m_logoError->setVisible(!message.isEmpty());
    });
    showLogo();
    return m_logoColumn;
}

void LabelAppearanceSection::showLogo()
{
    const std::optional<QImage> &logo = m_controller->store().logoImage();
    const bool hasLogo = logo.has_value() && !logo->isNull();
    m_thumbnail->setPixmap(hasLogo ? thumbnailPixmap(*logo, devicePixelRatioF()) : QPixmap());
    m_thumbnail->setVisible(hasLogo);
    m_changeLogo->setVisible(hasLogo);
    m_removeLogo->setVisible(hasLogo);
    m_addLogo->setVisible(!hasLogo);
}

void LabelAppearanceSection::showStyle(LabelVariant style)
{
    const auto at = std::find(kAllLabelVariants.begin(), kAllLabelVariants.end(), style);
    m_stylePicker->setCurrentIndex(int(at - kAllLabelVariants.begin()));
}

bool LabelAppearanceSection::isFontPickerShown() const
{
    return m_fontPicker && m_fontPicker->isVisible();
}

void LabelAppearanceSection::toggleFontPicker()
{
    if (isFontPickerShown()) {
        m_fontPicker->close();
        return;
    }
    m_fontPicker = new FontPickerPopover(m_controller->store().fontChoice(), this);
    m_fontPicker->setAttribute(Qt::WA_DeleteOnClose);
    // A click on the button that closes the picker must not open it again.
    m_fontPicker->setAttribute(Qt::WA_NoMouseReplay);
    connect(m_fontPicker, &FontPickerPopover::chosen, m_controller, &AppearanceController::chooseFont);
    m_fontPicker->popUpAt(QRect(m_fontButton->mapToGlobal(QPoint(0, 0)), m_fontButton->size()));
}

} // namespace quill
