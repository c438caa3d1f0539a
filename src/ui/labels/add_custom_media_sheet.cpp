#include "ui/labels/add_custom_media_sheet.h"

#include "printing/label_appearance_store.h"
#include "ui/labels/label_card_widgets.h"
#include "ui/widgets/label_page_view.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/motion.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/segmented_control.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

namespace quill {

namespace {

// The dashed "Enter dimensions" box shown while the size is not valid.
class DimensionsPlaceholder final : public QWidget
{
public:
    explicit DimensionsPlaceholder(QWidget *parent) : QWidget(parent) { setFixedSize(120, 80); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor stroke = secondaryTextColor();
        stroke.setAlphaF(0.15f);
        QPen pen(stroke, 1);
        pen.setDashPattern({6, 4});
        painter.setPen(pen);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
        painter.setFont(textFont(TextStyle::caption2));
        painter.setPen(tertiaryTextColor());
        painter.drawText(rect(), Qt::AlignCenter, QObject::tr("Enter dimensions"));
    }
};

QLabel *sectionTitle(const QString &text, QWidget *parent)
{
    return styledLabel(text, textFont(TextStyle::subheadline, QFont::Medium), primaryTextColor(), parent);
}

QVBoxLayout *section(QWidget *&widget, QWidget *parent)
{
    widget = new QWidget(parent);
    auto *layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(metrics::xSmall);
    return layout;
}

// The user's locale, as a number field shows and reads it; text that is no number
// reads as not a number, which makes the size invalid. So does a group separator,
// which in a size is a misread decimal point (German "0.004" is not 4).
double parseNumber(const QString &text)
{
    bool ok = false;
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    const double value = locale.toDouble(text.trimmed(), &ok);
    return ok ? value : std::numeric_limits<double>::quiet_NaN();
}

QString showNumber(double value, bool metric)
{
    if (!std::isfinite(value))
        return QString();
    QString text = QLocale().toString(value, 'f', metric ? 0 : 2);
    if (!metric) {
        const QString point = QLocale().decimalPoint();
        if (text.contains(point)) {
            while (text.endsWith(QLatin1Char('0')))
                text.chop(1);
            if (text.endsWith(point))
                text.chop(point.size());
        }
    }
    return text;
}

} // namespace

AddCustomMediaSheet::AddCustomMediaSheet(std::optional<QString> selectedPrinter,
                                         CustomMediaSheetPrints prints,
                                         std::function<void(const LabelMedia &)> onSave,
                                         LabelAppearanceStore &appearance, QWidget *parent)
    : QDialog(parent), m_printer(std::move(selectedPrinter)), m_prints(std::move(prints)),
      m_onSave(std::move(onSave)), m_appearance(&appearance)
{
    setWindowTitle(tr("New Custom Size"));
    setMinimumSize(640, 420);
    fillBackground(this, appBackgroundColor());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    layout->addLayout(buildHeader());
    layout->addWidget(dividerLine(this));
    auto *body = new QHBoxLayout;
    body->setSpacing(0);
    body->addWidget(buildForm(), 0, Qt::AlignTop);
    body->addWidget(dividerLine(this, true));
    body->addWidget(buildPreview(), 1);
    layout->addLayout(body, 1);
    layout->addWidget(dividerLine(this));
    layout->addLayout(buildFooter());

    bind(appearance);
    showValues();
    refresh();
}

QLayout *AddCustomMediaSheet::buildHeader()
{
    auto *header = new QHBoxLayout;
    header->setContentsMargins(metrics::xxLarge, metrics::xLarge, metrics::xxLarge, metrics::regular);
    header->addWidget(styledLabel(tr("New Custom Size"), textFont(TextStyle::title3, QFont::DemiBold),
                                  primaryTextColor(), this));
    header->addStretch(1);
    auto *cancel = new QPushButton(tr("Cancel"), this);
    makeSmallBordered(cancel);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    header->addWidget(cancel);
    return header;
}

QWidget *AddCustomMediaSheet::buildForm()
{
    auto *form = new QWidget(this);
    form->setFixedWidth(260);
    auto *formLayout = new QVBoxLayout(form);
    formLayout->setContentsMargins(metrics::insets(metrics::xxLarge));
    formLayout->setSpacing(metrics::xLarge);

    QWidget *shapeSection = nullptr;
    QVBoxLayout *shapeLayout = section(shapeSection, form);
    shapeLayout->addWidget(sectionTitle(tr("Shape"), shapeSection));
    m_shape = new SegmentedControl(shapeSection);
    m_shape->addSegment(tr("Rectangle"));
    m_shape->addSegment(tr("Circle"));
    shapeLayout->addWidget(m_shape);
    formLayout->addWidget(shapeSection);

    QWidget *dimensionsSection = nullptr;
    QVBoxLayout *dimensionsLayout = section(dimensionsSection, form);
    auto *dimensionsRow = new QHBoxLayout;
    dimensionsRow->addWidget(sectionTitle(tr("Dimensions"), dimensionsSection));
    dimensionsRow->addStretch(1);
    m_unit = new SegmentedControl(dimensionsSection);
    m_unit->addSegment(QStringLiteral("in"));
    m_unit->addSegment(QStringLiteral("mm"));
    m_unit->setMinimumWidth(80);
    dimensionsRow->addWidget(m_unit);
    dimensionsLayout->addLayout(dimensionsRow);
    QLabel *unitLabel = nullptr;
    m_circleFields = numberField(tr("Diameter"), m_diameterField, unitLabel, dimensionsSection);
    m_unitLabels.append(unitLabel);
    m_rectangleFields = new QWidget(dimensionsSection);
    auto *rectangleRow = new QHBoxLayout(m_rectangleFields);
    rectangleRow->setContentsMargins(0, 0, 0, 0);
    rectangleRow->setSpacing(metrics::large);
    rectangleRow->addWidget(numberField(tr("Width"), m_widthField, unitLabel, m_rectangleFields));
    m_unitLabels.append(unitLabel);
    rectangleRow->addWidget(numberField(tr("Height"), m_heightField, unitLabel, m_rectangleFields));
    m_unitLabels.append(unitLabel);
    rectangleRow->addStretch(1);
    dimensionsLayout->addWidget(m_circleFields);
    dimensionsLayout->addWidget(m_rectangleFields);
    formLayout->addWidget(dimensionsSection);

    QVBoxLayout *orientationLayout = section(m_orientationSection, form);
    orientationLayout->addWidget(sectionTitle(tr("Orientation"), m_orientationSection));
    m_orientation = new OrientationButton(m_orientationSection);
    orientationLayout->addWidget(m_orientation);
    formLayout->addWidget(m_orientationSection);

    QWidget *nameSection = nullptr;
    QVBoxLayout *nameLayout = section(nameSection, form);
    nameLayout->addWidget(sectionTitle(tr("Name"), nameSection));
    m_nameField = new QLineEdit(nameSection);
    nameLayout->addWidget(m_nameField);
    formLayout->addWidget(nameSection);
    formLayout->addStretch(1);
    return form;
}

QWidget *AddCustomMediaSheet::buildPreview()
{
    auto *previewColumn = new QWidget(this);
    auto *previewLayout = new QVBoxLayout(previewColumn);
    previewLayout->setContentsMargins(metrics::insets(metrics::xxLarge));
    previewLayout->setSpacing(metrics::regular);
    m_previewType = new SegmentedControl(previewColumn);
    for (const auto type :
         {AddCustomMediaController::PreviewType::winner, AddCustomMediaController::PreviewType::box,
          AddCustomMediaController::PreviewType::packingSlip})
        m_previewType->addSegment(AddCustomMediaController::rawValue(type));
    previewLayout->addWidget(m_previewType, 0, Qt::AlignHCenter);
    m_preview = new LabelPageView(previewColumn);
    previewLayout->addWidget(m_preview, 0, Qt::AlignHCenter);
    m_placeholder = new DimensionsPlaceholder(previewColumn);
    previewLayout->addWidget(m_placeholder, 0, Qt::AlignHCenter);
    m_displayName = styledLabel(QString(), textFont(TextStyle::caption2), tertiaryTextColor(), previewColumn);
    previewLayout->addWidget(m_displayName, 0, Qt::AlignHCenter);
    previewLayout->addStretch(1);
    return previewColumn;
}

QLayout *AddCustomMediaSheet::buildFooter()
{
    auto *footer = new QHBoxLayout;
    footer->setContentsMargins(metrics::insets(metrics::xxLarge, metrics::large));
    if (m_printer && m_prints.printer && m_prints.calibrates) {
        m_calibrate = new QPushButton(symbolIcon(QStringLiteral("ruler")), tr("Calibrate"), this);
        makeSmallBordered(m_calibrate);
        connect(m_calibrate, &QPushButton::clicked, this, [this] { startPrint(true); });
        footer->addWidget(m_calibrate);
    }
    if (m_printer && m_prints.printer) {
        m_testPrint = new QPushButton(symbolIcon(QStringLiteral("printer")), tr("Test Print"), this);
        makeSmallBordered(m_testPrint);
        connect(m_testPrint, &QPushButton::clicked, this, [this] { startPrint(false); });
        footer->addWidget(m_testPrint);
    }
    footer->addStretch(1);
    m_add = new QPushButton(tr("Add Label Size"), this);
    m_add->setDefault(true);
    connect(m_add, &QPushButton::clicked, this, [this] {
        if (!m_controller.isValid())
            return;
        const LabelMedia media = m_controller.save();
        if (m_onSave)
            m_onSave(media);
        accept();
    });
    footer->addWidget(m_add);
    return footer;
}

void AddCustomMediaSheet::bind(LabelAppearanceStore &appearance)
{
    connect(m_shape, &SegmentedControl::currentChanged, this,
            [this](int index) { m_controller.setCircular(index == 1); });
    connect(m_unit, &SegmentedControl::currentChanged, this, [this](int index) {
        m_controller.setUseMetric(index == 1);
        showValues();
    });
    connect(m_previewType, &SegmentedControl::currentChanged, this,
            [this](int index) { m_controller.setPreviewType(AddCustomMediaController::PreviewType(index)); });
    connect(m_widthField, &QLineEdit::textEdited, this,
            [this](const QString &text) { m_controller.setWidth(parseNumber(text)); });
    connect(m_heightField, &QLineEdit::textEdited, this,
            [this](const QString &text) { m_controller.setHeight(parseNumber(text)); });
    connect(m_diameterField, &QLineEdit::textEdited, this,
            [this](const QString &text) { m_controller.setDiameter(parseNumber(text)); });
    for (QLineEdit *field : {m_widthField, m_heightField, m_diameterField})
        connect(field, &QLineEdit::editingFinished, this, &AddCustomMediaSheet::showValues);
    connect(m_nameField, &QLineEdit::textEdited, this,
            [this](const QString &text) { m_controller.setName(text); });
    connect(m_orientation, &QPushButton::clicked, this, [this] { m_controller.toggleOrientation(); });
    connect(&m_controller, &AddCustomMediaController::changed, this, &AddCustomMediaSheet::refresh);
    connect(&appearance, &LabelAppearanceStore::fontChoiceChanged, this, &AddCustomMediaSheet::refresh);
    connect(&appearance, &LabelAppearanceStore::colorModeChanged, this, &AddCustomMediaSheet::refresh);
    connect(&appearance, &LabelAppearanceStore::logoImageChanged, this, &AddCustomMediaSheet::refresh);
}

AddCustomMediaSheet::~AddCustomMediaSheet() = default;

QWidget *AddCustomMediaSheet::numberField(const QString &label, QLineEdit *&field, QLabel *&unit,
                                          QWidget *parent)
{
    auto *widget = new QWidget(parent);
    auto *layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(metrics::xxxSmall);
    layout->addWidget(styledLabel(label, textFont(TextStyle::caption), secondaryTextColor(), widget));
    auto *row = new QHBoxLayout;
    row->setSpacing(metrics::xxSmall);
    field = new QLineEdit(widget);
    field->setMinimumWidth(60);
    field->setMaximumWidth(100);
    field->setAccessibleName(label);
    row->addWidget(field);
    unit = styledLabel(QString(), textFont(TextStyle::caption), tertiaryTextColor(), widget);
    row->addWidget(unit);
    layout->addLayout(row);
    return widget;
}

void AddCustomMediaSheet::showValues()
{
    const bool metric = m_controller.useMetric();
    m_widthField->setText(showNumber(m_controller.width(), metric));
    m_heightField->setText(showNumber(m_controller.height(), metric));
    m_diameterField->setText(showNumber(m_controller.diameter(), metric));
}

void AddCustomMediaSheet::refresh()
{
    const bool circular = m_controller.isCircular();
    m_shape->setCurrentIndex(circular ? 1 : 0);
    m_unit->setCurrentIndex(m_controller.useMetric() ? 1 : 0);
    m_circleFields->setVisible(circular);
    m_rectangleFields->setVisible(!circular);
    for (QLabel *unit : std::as_const(m_unitLabels))
        unit->setText(m_controller.useMetric() ? QStringLiteral("mm") : QStringLiteral("in"));
    m_orientationSection->setVisible(!circular);
    m_orientation->setOrientation(m_controller.orientation());
    m_nameField->setPlaceholderText(m_controller.autoName());
    m_previewType->setCurrentIndex(int(m_controller.previewType()));

    const bool valid = m_controller.isValid();
    const std::optional<AnyLabelView> page =
        m_controller.previewPage(m_appearance ? m_appearance->appearance() : LabelAppearance{});
    // Another kind of sample fades in over the last, ease-in-out over 0.3 s.
    const int previewType = int(m_controller.previewType());
    if (m_shownPreviewType && *m_shownPreviewType != previewType)
        Motion::crossFade(m_preview, kPreviewChangeMs, QEasingCurve::InOutQuad);
    m_shownPreviewType = previewType;
    m_preview->setFrame(LabelPageFrame::forMedium(circular));
    m_preview->setPage(page);
    m_preview->setVisible(valid && page);
    m_placeholder->setVisible(!valid);
    const std::optional<QString> problem = m_controller.sizeProblem();
    m_displayName->setText(problem ? *problem : m_controller.previewMedia().displayName());
    m_displayName->setVisible(valid || problem);
    for (QPushButton *button : {m_calibrate, m_testPrint, m_add}) {
        if (button)
            button->setEnabled(valid);
    }
}

void AddCustomMediaSheet::startPrint(bool calibration)
{
    if (!m_printer || !m_prints.printer || !m_controller.isValid())
        return;
    const LabelMedia media = m_controller.previewMedia();
    const Orientation orientation = m_controller.effectiveOrientation();
    LabelTestPrintReader read = m_prints.testPrint(*m_printer, media, orientation);
    if (calibration) {
        read = [label = LabelTestPrint::calibration(*m_printer, media, orientation)] {
            return std::optional<LabelTestPrint>(label);
        };
    }
    // The print runs on by itself; the sheet stays open and shows no outcome.
    runCardPrint(this, m_prints.printer, std::move(read), {});
}

void openCustomMediaSheet(QWidget *parent, std::optional<QString> selectedPrinter,
                          CustomMediaSheetPrints prints,
                          std::function<std::optional<QString>(const LabelMedia &)> add,
                          LabelAppearanceStore &appearance)
{
    // A size the disk refused is reported by the screen's error row, not here.
    auto *sheet = new AddCustomMediaSheet(
        std::move(selectedPrinter), std::move(prints),
        [add = std::move(add)](const LabelMedia &media) {
            if (add)
                add(media);
        },
        appearance, parent);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->open();
}

} // namespace quill
