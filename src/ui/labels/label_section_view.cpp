#include "ui/labels/label_section_view.h"

#include "printing/label_appearance_store.h"
#include "ui/labels/add_custom_media_sheet.h"
#include "ui/labels/label_card_widgets.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/settings_card.h"
#include "ui/widgets/spinner.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

namespace quill {

LabelSectionView::LabelSectionView(const QString &title, const QString &subtitle, LabelSettingsModel &model,
                                   LabelKind kind, QList<LabelMedia> availableMedia,
                                   LabelSectionActions actions, CustomMediaStore &customMedia,
                                   LabelAppearanceStore &appearance, QWidget *parent)
    : QWidget(parent),
      m_controller(model, kind, std::move(availableMedia), std::move(actions), customMedia, appearance),
      m_appearance(&appearance)
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *card = new SettingsCard(title, subtitle, SettingsCard::Kind::regular, this);
    outer->addWidget(card);
    QVBoxLayout *layout = card->body();

    auto *row = new QHBoxLayout;
    row->setSpacing(metrics::xLarge);
    auto *controls = new CardSettingsColumn(true, card);
    m_strip = controls->strip();
    m_orientation = controls->orientation();
    m_printer = controls->printer();
    m_testPrint = controls->addButton(tr("Test Print"));
    m_spinner = controls->addSpinner();
    row->addWidget(controls, 1);
    m_thumbnail = new LabelThumbnail(QString(), true, card);
    row->addWidget(m_thumbnail, 0, Qt::AlignVCenter);
    layout->addLayout(row);

    connect(m_strip->customTile(), &QAbstractButton::clicked, this, &LabelSectionView::openSheet);
    connect(m_orientation, &QPushButton::clicked, &m_controller, &LabelSectionController::toggleOrientation);
    connect(m_testPrint, &QPushButton::clicked, &m_controller, &LabelSectionController::testPrint);
    connect(m_thumbnail, &LabelThumbnail::clicked, &m_controller, &LabelSectionController::openPreview);
    m_printer->setOnChoose([this](std::optional<QString> printer) { m_controller.setPrinter(printer); });
    connect(&m_controller, &LabelSectionController::changed, this, &LabelSectionView::refresh);
    refresh();
}

LabelSectionView::~LabelSectionView() = default;

void LabelSectionView::setPrinters(const QList<PrinterInfo> &printers)
{
    m_printers = printers;
    refresh();
}

void LabelSectionView::refresh()
{
    const LabelSectionState &state = m_controller.state();
    m_strip->setMedia(m_controller.availableMedia(), state.selectedOrientation, state.selectedMedia,
                      [this](MediaTile *tile) {
                          connect(tile, &QAbstractButton::clicked, this,
                                  [this, tile] { m_controller.selectMedium(tile->media()); });
                          tile->setMenuFiller([this, media = tile->media()](QMenu &menu) {
                              fillMediaTileMenu(
                                  menu, media, m_controller.offersCalibration(), m_controller.canPrint(),
                                  [this, media] { m_controller.calibrate(media); },
                                  [this, media] { m_controller.deleteCustomMedium(media); });
                          });
                      });
    m_orientation->setVisible(!state.selectedMedia.isCircular);
    m_orientation->setOrientation(state.selectedOrientation);
    m_printer->setPrinters(m_printers, state.selectedPrinter);
    m_testPrint->setVisible(!state.isPrinting);
    m_testPrint->setEnabled(m_controller.canPrint());
    m_spinner->setVisible(state.isPrinting);
    m_thumbnail->setPages(m_controller.thumbnailPages(), state.selectedMedia.isCircular,
                          LabelThumbnail::identity(state.selectedMedia, state.selectedOrientation));
}

void LabelSectionView::openSheet()
{
    if (!m_appearance)
        return;
    openCustomMediaSheet(
        this, m_controller.state().selectedPrinter, m_controller.sheetPrints(),
        [controller = QPointer<LabelSectionController>(&m_controller)](const LabelMedia &media) {
            return controller ? controller->addCustomMedium(media) : std::nullopt;
        },
        *m_appearance);
}

} // namespace quill
