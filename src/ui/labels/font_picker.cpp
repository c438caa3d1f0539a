#include "ui/labels/font_picker.h"

#include "ui/widgets/metrics.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

namespace quill {

namespace {

constexpr int kWidth = 200;
constexpr int kMaxHeight = 400;
constexpr int kCheckColumn = 14;
constexpr qreal kRowFontSize = 14;

} // namespace

QFont fontChoiceFace(LabelFontChoice choice, qreal pointSize, QFont::Weight weight)
{
    QFont face = font(choice, pointSize, weight);
    if (!isSystemDesign(choice))
        face.setWeight(weight);
    return face;
}

FontPickerRow::FontPickerRow(LabelFontChoice choice, bool selected, QWidget *parent)
    : QAbstractButton(parent), m_choice(choice), m_selected(selected)
{
    setObjectName(QStringLiteral("fontRow"));
    setText(shortName(choice));
    setFont(fontChoiceFace(choice, kRowFontSize, QFont::Normal));
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize FontPickerRow::sizeHint() const
{
    const QFontMetrics metrics(font());
    return QSize(12 + kCheckColumn + 8 + metrics.horizontalAdvance(text()) + 12, metrics.height() + 10);
}

void FontPickerRow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_selected) {
        QColor tint = appAccentColor();
        tint.setAlphaF(0.1f);
        painter.fillRect(rect(), tint);
    }
    const int checkX = 12;
    if (m_selected) {
        const int size = 10;
        painter.drawPixmap(checkX + (kCheckColumn - size) / 2, (height() - size) / 2,
                           symbolPixmap(QStringLiteral("checkmark"), size, primaryTextColor(), devicePixelRatioF()));
    }
    painter.setFont(font());
    painter.setPen(primaryTextColor());
    const QRect textRect = rect().adjusted(checkX + kCheckColumn + 8, 0, -12, 0);
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, text());
}

FontPickerPopover::FontPickerPopover(LabelFontChoice selection, QWidget *parent)
    : Popover(parent), m_list(new QWidget)
{
    setObjectName(QStringLiteral("fontPicker"));
    auto *list = new QVBoxLayout(m_list);
    list->setContentsMargins(metrics::insets(0, metrics::xSmall));
    list->setSpacing(metrics::xxxSmall);
    const auto groups = groupedFontChoices();
    for (qsizetype g = 0; g < groups.size(); ++g) {
        const auto &[category, fonts] = groups.at(g);
        auto *header = styledLabel(rawValue(category), systemFont(11, QFont::Medium), secondaryTextColor(), m_list);
        header->setObjectName(QStringLiteral("fontGroupHeader"));
        const int above = category == FontCategory::system ? metrics::xxSmall : metrics::small;
        header->setContentsMargins(metrics::regular, above, metrics::regular, metrics::xxxSmall);
        list->addWidget(header);
        for (const LabelFontChoice choice : fonts) {
            auto *row = new FontPickerRow(choice, rawValue(choice) == rawValue(selection), m_list);
            m_rows.append(row);
            list->addWidget(row);
            connect(row, &FontPickerRow::clicked, this, [this, choice] {
                Q_EMIT chosen(choice);
                close();
            });
        }
        if (g + 1 < groups.size()) {
            auto *divider = new QFrame(m_list);
            divider->setObjectName(QStringLiteral("fontGroupDivider"));
            divider->setFrameShape(QFrame::HLine);
            divider->setFixedHeight(1);
            divider->setStyleSheet(QStringLiteral("background: rgba(255,255,255,0.12); border: none;"));
            auto *inset = new QWidget(m_list);
            auto *insetLayout = new QVBoxLayout(inset);
            insetLayout->setContentsMargins(metrics::insets(metrics::regular, metrics::xxxSmall));
            insetLayout->addWidget(divider);
            list->addWidget(inset);
        }
    }
    auto *scroll = new QScrollArea;
    scroll->setWidget(m_list);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFixedWidth(kWidth);
    scroll->setFixedHeight(std::min(kMaxHeight, m_list->sizeHint().height()));
    scroll->viewport()->setAutoFillBackground(false);
    m_list->setAutoFillBackground(false);
    setContent(scroll);
}

QStringList FontPickerPopover::headers() const
{
    QStringList out;
    for (const QLabel *label : m_list->findChildren<QLabel *>(QStringLiteral("fontGroupHeader")))
        out.append(label->text());
    return out;
}

} // namespace quill
