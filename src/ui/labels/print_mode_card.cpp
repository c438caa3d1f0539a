#include "ui/labels/print_mode_card.h"

#include "printing/label_appearance_store.h"
#include "printing/printer_calibration_store.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/segmented_control.h"
#include "ui/widgets/style.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace quill {

QString colorModeDescription(LabelColorMode mode)
{
    switch (mode) {
    case LabelColorMode::color:
        return QStringLiteral("Full color output. Best for color printers.");
    case LabelColorMode::grayscale:
        return QStringLiteral("Converts to shades of gray. Good for laser printers.");
    case LabelColorMode::blackAndWhite:
        break;
    }
    return QStringLiteral("Pure black and white, no grays. Best for thermal printers.");
}

QString offsetLabel(const QString &name, int millimetres)
{
    return QStringLiteral("%1: %2mm").arg(name).arg(millimetres);
}

int steppedOffset(int value, int delta, int limit)
{
    if ((delta < 0 && value <= -limit) || (delta > 0 && value >= limit))
        return value;
    return std::clamp(value + delta, -limit, limit);
}

PrintModeSection::PrintModeSection(LabelAppearanceStore &store, QWidget *parent)
    : SettingsCard(QStringLiteral("Print Mode"), QStringLiteral("How colors are rendered on the label"),
                   Kind::staff, parent),
      m_store(store), m_picker(new SegmentedControl(this)),
      m_description(styledLabel(QString(), textFont(TextStyle::caption2), tertiaryTextColor(), this))
{
    setObjectName(QStringLiteral("printModeSection"));
    // "&" would mark a shortcut letter: "Black & White" is shown as written.
    for (const LabelColorMode mode : kAllLabelColorModes)
        m_picker->addSegment(rawValue(mode).replace(QLatin1Char('&'), QStringLiteral("&&")));
    m_picker->setMaximumWidth(320);
    body()->addWidget(m_picker);
    body()->addWidget(m_description);
    showMode(m_store.colorMode());
    connect(m_picker, &SegmentedControl::currentChanged, this, [this](int index) {
        if (index >= 0 && index < int(kAllLabelColorModes.size()))
            m_store.setColorMode(kAllLabelColorModes[size_t(index)]);
    });
    connect(&m_store, &LabelAppearanceStore::colorModeChanged, this, &PrintModeSection::showMode);
}

QString PrintModeSection::description() const
{
    return m_description->text();
}

void PrintModeSection::showMode(LabelColorMode mode)
{
    const auto at = std::find(kAllLabelColorModes.begin(), kAllLabelColorModes.end(), mode);
    m_picker->setCurrentIndex(int(at - kAllLabelColorModes.begin()));
    m_description->setText(colorModeDescription(mode));
}

OffsetStepper::OffsetStepper(QString name, int limit, QWidget *parent)
    : QWidget(parent), m_name(std::move(name)), m_limit(limit),
      m_label(styledLabel(QString(), textFont(TextStyle::body), primaryTextColor(), this)),
      m_decrement(new QToolButton(this)), m_increment(new QToolButton(this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(metrics::xSmall);
    m_decrement->setObjectName(QStringLiteral("decrement"));
    m_decrement->setText(QStringLiteral("−"));
    m_decrement->setAccessibleName(m_name + QStringLiteral(" down"));
    m_increment->setObjectName(QStringLiteral("increment"));
    m_increment->setText(QStringLiteral("+"));
    m_increment->setAccessibleName(m_name + QStringLiteral(" up"));
    row->addWidget(m_label);
    row->addWidget(m_decrement);
    row->addWidget(m_increment);
    row->addStretch();
    setMaximumWidth(260);
    connect(m_decrement, &QToolButton::clicked, this, [this] { step(-1); });
    connect(m_increment, &QToolButton::clicked, this, [this] { step(1); });
    setValue(0);
}

void OffsetStepper::setValue(int value)
{
    m_value = value;
    m_label->setText(offsetLabel(m_name, value));
    m_decrement->setEnabled(value > -m_limit);
    m_increment->setEnabled(value < m_limit);
}

QString OffsetStepper::text() const
{
    return m_label->text();
}

void OffsetStepper::step(int delta)
{
    const int next = steppedOffset(m_value, delta, m_limit);
    if (next == m_value)
        return;
    setValue(next);
    Q_EMIT stepped(next);
}

PrinterCalibrationSection::PrinterCalibrationSection(PrinterCalibrationStore &store, QWidget *parent)
    : SettingsCard(QStringLiteral("Calibration"), QStringLiteral("Adjust print position to fix alignment issues"),
                   Kind::staff, parent),
      m_vertical(new OffsetStepper(QStringLiteral("Vertical Offset"), PrinterCalibrationStore::kVerticalLimit, this)),
      m_feed(new OffsetStepper(QStringLiteral("Feed Offset"), PrinterCalibrationStore::kFeedLimit, this))
{
    setObjectName(QStringLiteral("calibrationSection"));
    auto *row = new QHBoxLayout;
    row->setSpacing(metrics::xxLarge);
    row->addWidget(m_vertical);
    row->addWidget(m_feed);
    row->addStretch();
    body()->addLayout(row);
    body()->addWidget(styledLabel(
        QStringLiteral("Negative vertical = shift print up. Negative feed = less paper advance after printing."),
        textFont(TextStyle::caption2), tertiaryTextColor(), this));
    m_vertical->setValue(store.verticalOffset());
    m_feed->setValue(store.feedOffset());
    connect(m_vertical, &OffsetStepper::stepped, &store, &PrinterCalibrationStore::setVerticalOffset);
    connect(m_feed, &OffsetStepper::stepped, &store, &PrinterCalibrationStore::setFeedOffset);
    connect(&store, &PrinterCalibrationStore::verticalOffsetChanged, m_vertical, &OffsetStepper::setValue);
    connect(&store, &PrinterCalibrationStore::feedOffsetChanged, m_feed, &OffsetStepper::setValue);
}

} // namespace quill
