#include "ui/labels/consolidated_label_section.h"

#include "printing/label_appearance_store.h"
#include "ui/labels/add_custom_media_sheet.h"
#include "ui/labels/label_card_widgets.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/motion.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/settings_card.h"
#include "ui/widgets/spinner.h"
#include "ui/widgets/style.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QShowEvent>
#include <QVBoxLayout>

namespace quill {

namespace {
constexpr int kToggleSpringMs = 350;
} // namespace

using Thumbnail = ConsolidatedLabelController::Thumbnail;

ConsolidatedLabelSection::ConsolidatedLabelSection(LabelSettingsModel &model, InShowLabelActions actions,
                                                   CustomMediaStore &customMedia,
                                                   LabelAppearanceStore &appearance, Settings &settings,
                                                   QWidget *parent)
    : QWidget(parent), m_controller(model, std::move(actions), customMedia, appearance, settings),
      m_appearance(&appearance)
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *card = new SettingsCard(QString(), QString(), SettingsCard::Kind::regular, this);
    outer->addWidget(card);
    m_title = card->titleLabel();
    m_subtitle = card->subtitleLabel();
    QVBoxLayout *layout = card->body();

    layout->addLayout(buildWinnerBlock(card));

    layout->addWidget(dividerLine(card));
    m_toggle = new QCheckBox(tr("Use different settings for box labels"), card);
    m_toggle->setFont(textFont(TextStyle::caption));
    layout->addWidget(m_toggle);

    layout->addWidget(buildBoxBlock(card));

    connect(m_winnerStrip->customTile(), &QAbstractButton::clicked, this,
            &ConsolidatedLabelSection::openSheet);
    connect(m_winnerOrientation, &QPushButton::clicked, &m_controller,
            &ConsolidatedLabelController::toggleWinnerOrientation);
    connect(m_boxOrientation, &QPushButton::clicked, &m_controller,
            &ConsolidatedLabelController::toggleBoxOrientation);
    connect(m_testWinner, &QPushButton::clicked, &m_controller, &ConsolidatedLabelController::testWinner);
    connect(m_testBox, &QPushButton::clicked, &m_controller, &ConsolidatedLabelController::testBox);
    connect(m_testSeparateBox, &QPushButton::clicked, &m_controller,
            &ConsolidatedLabelController::testSeparateBox);
    connect(m_toggle, &QCheckBox::toggled, &m_controller,
            &ConsolidatedLabelController::setUseSeparateBoxPrinter);
    connect(m_winnerThumbnail, &LabelThumbnail::clicked, this,
            [this] { m_controller.openPreview(Thumbnail::winner); });
    connect(m_sharedBoxThumbnail, &LabelThumbnail::clicked, this,
            [this] { m_controller.openPreview(Thumbnail::sharedBox); });
    connect(m_separateBoxThumbnail, &LabelThumbnail::clicked, this,
            [this] { m_controller.openPreview(Thumbnail::separateBox); });
    m_winnerPrinter->setOnChoose(
        [this](std::optional<QString> printer) { m_controller.setWinnerPrinter(printer); });
    m_boxPrinter->setOnChoose(
        [this](std::optional<QString> printer) { m_controller.setBoxPrinter(printer); });
    connect(&m_controller, &ConsolidatedLabelController::changed, this, &ConsolidatedLabelSection::refresh);
    connect(&m_controller, &ConsolidatedLabelController::isPrintingChanged, this,
            &ConsolidatedLabelSection::refresh);
    refresh();
}

QLayout *ConsolidatedLabelSection::buildWinnerBlock(QWidget *card)
{
    auto *winnerRow = new QHBoxLayout;
    winnerRow->setSpacing(metrics::xLarge);
    auto *winnerColumn = new CardSettingsColumn(true, card);
    m_winnerStrip = winnerColumn->strip();
    m_winnerOrientation = winnerColumn->orientation();
    m_winnerPrinter = winnerColumn->printer();
    m_testWinner = winnerColumn->addButton(tr("Test Winner"));
    m_testBox = winnerColumn->addButton(tr("Test Box"));
    m_spinner = winnerColumn->addSpinner();
    winnerRow->addWidget(winnerColumn, 1);
    auto *thumbnails = new QHBoxLayout;
    thumbnails->setSpacing(metrics::regular);
    m_winnerThumbnail = new LabelThumbnail(tr("Winner"), false, card);
    m_sharedBoxThumbnail = new LabelThumbnail(tr("Box"), false, card);
    thumbnails->addWidget(m_winnerThumbnail, 0, Qt::AlignTop);
    thumbnails->addWidget(m_sharedBoxThumbnail, 0, Qt::AlignTop);
    winnerRow->addLayout(thumbnails);
    return winnerRow;
}

QWidget *ConsolidatedLabelSection::buildBoxBlock(QWidget *card)
{
    m_boxBlock = new QWidget(card);
    auto *boxLayout = new QVBoxLayout(m_boxBlock);
    boxLayout->setContentsMargins(0, 0, 0, 0);
    boxLayout->setSpacing(metrics::regular);
    boxLayout->addWidget(styledLabel(tr("Box Labels"), textFont(TextStyle::subheadline, QFont::DemiBold),
                                     secondaryTextColor(), m_boxBlock));
    auto *boxRow = new QHBoxLayout;
    boxRow->setSpacing(metrics::xLarge);
    auto *boxColumn = new CardSettingsColumn(false, m_boxBlock);
    m_boxStrip = boxColumn->strip();
    m_boxOrientation = boxColumn->orientation();
    m_boxPrinter = boxColumn->printer();
    m_testSeparateBox = boxColumn->addButton(tr("Test Box"));
    boxRow->addWidget(boxColumn, 1);
    m_separateBoxThumbnail = new LabelThumbnail(tr("Box"), false, m_boxBlock);
    boxRow->addWidget(m_separateBoxThumbnail, 0, Qt::AlignTop);
    boxLayout->addLayout(boxRow);
    return m_boxBlock;
}

ConsolidatedLabelSection::~ConsolidatedLabelSection() = default;

void ConsolidatedLabelSection::setPrinters(const QList<PrinterInfo> &printers)
{
    m_printers = printers;
    refresh();
}

void ConsolidatedLabelSection::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        m_controller.cardShown();
}

void ConsolidatedLabelSection::refresh()
{
    const LabelSettingsModel &model = m_controller.model();
    const LabelSectionState &winner = model.winner();
    const LabelSectionState &box = model.box();
    const bool separate = m_controller.isSeparate();
    const QList<LabelMedia> media = m_controller.media();

    m_title->setText(separate ? tr("Winner Labels") : tr("In-Show Labels"));
    m_subtitle->setText(separate ? tr("Winner label settings") : tr("Winner labels and box identifiers"));

    m_winnerStrip->setMedia(media, winner.selectedOrientation, winner.selectedMedia, [this](MediaTile *tile) {
        connect(tile, &QAbstractButton::clicked, this,
                [this, tile] { m_controller.selectWinnerMedium(tile->media()); });
        tile->setMenuFiller([this, media = tile->media()](QMenu &menu) {
            fillMediaTileMenu(
                menu, media, m_controller.offersCalibration(),
                m_controller.model().winner().selectedPrinter.has_value(),
                [this, media] { m_controller.calibrate(media); },
                [this, media] { m_controller.deleteCustomMedium(media); });
        });
    });
    m_winnerOrientation->setVisible(!winner.selectedMedia.isCircular);
    m_winnerOrientation->setOrientation(winner.selectedOrientation);
    m_winnerPrinter->setPrinters(m_printers, winner.selectedPrinter);
    const bool printing = m_controller.isPrinting();
    const bool winnerPrinter = winner.selectedPrinter.has_value();
    m_testWinner->setVisible(!printing);
    m_testWinner->setEnabled(winnerPrinter);
    m_testBox->setVisible(!printing && !separate);
    m_testBox->setEnabled(winnerPrinter);
    m_spinner->setVisible(printing);
    const QString winnerIdentity = LabelThumbnail::identity(winner.selectedMedia, winner.selectedOrientation);
    m_winnerThumbnail->setPages(m_controller.thumbnailPages(Thumbnail::winner),
                                winner.selectedMedia.isCircular, winnerIdentity);
    // The shared box thumbnail comes down from the top and fades in as box labels lose
    // their own settings, and goes back up as they gain them.
    const MotionPose away = MotionPose::moved(QPointF(0, -m_sharedBoxThumbnail->sizeHint().height()));
    if (separate) {
        Motion::setShown(m_sharedBoxThumbnail, false, away, kToggleSpringMs, Motion::smoothSpring());
    } else {
        const QList<AnyLabelView> pages = m_controller.thumbnailPages(Thumbnail::sharedBox);
        m_sharedBoxThumbnail->setPages(pages, winner.selectedMedia.isCircular, winnerIdentity);
        Motion::setShown(m_sharedBoxThumbnail, !pages.isEmpty(), away, kToggleSpringMs,
                         Motion::smoothSpring());
    }

    {
        const QSignalBlocker blocker(m_toggle);
        m_toggle->setChecked(separate);
    }
    // The box block comes in on the toggle's spring (0.35 s response, no overshoot).
    Motion::setShown(m_boxBlock, separate, MotionPose::moved(QPointF(0, -24)), kToggleSpringMs,
                     Motion::smoothSpring());
    // Its thumbnail comes up from the bottom edge meanwhile, and goes back down.
    Motion::setShown(m_separateBoxThumbnail, separate,
                     MotionPose::moved(QPointF(0, m_separateBoxThumbnail->sizeHint().height())),
                     kToggleSpringMs, Motion::smoothSpring());
    if (separate) {
        // Box tiles only choose the box medium: no calibration, no deletion.
        m_boxStrip->setMedia(media, box.selectedOrientation, box.selectedMedia, [this](MediaTile *tile) {
            connect(tile, &QAbstractButton::clicked, this,
                    [this, tile] { m_controller.selectBoxMedium(tile->media()); });
        });
        m_boxOrientation->setVisible(!box.selectedMedia.isCircular);
        m_boxOrientation->setOrientation(box.selectedOrientation);
        m_boxPrinter->setPrinters(m_printers, box.selectedPrinter);
        m_testSeparateBox->setEnabled(box.selectedPrinter.has_value());
        m_separateBoxThumbnail->setPages(
            m_controller.thumbnailPages(Thumbnail::separateBox), box.selectedMedia.isCircular,
            LabelThumbnail::identity(box.selectedMedia, box.selectedOrientation));
    }
}

void ConsolidatedLabelSection::openSheet()
{
    if (!m_appearance)
        return;
    openCustomMediaSheet(
        this, m_controller.model().winner().selectedPrinter, m_controller.sheetPrints(),
        [controller = QPointer<ConsolidatedLabelController>(&m_controller)](const LabelMedia &media) {
            return controller ? controller->addCustomMedium(media) : std::nullopt;
        },
        *m_appearance);
}

} // namespace quill
