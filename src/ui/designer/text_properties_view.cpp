#include "ui/designer/text_properties_view.h"

#include "designer/color_from_hex.h"
#include "designer/template_fonts.h"
#include "ui/designer/labeled_field.h"
#include "ui/designer/locale_number_field.h"
#include "ui/designer/variable_list_view.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/segmented_control.h"
#include "ui/widgets/style.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace quill {

namespace {

QString weightLabel(FontWeightValue weight)
{
    const QString raw = rawValue(weight);
    return raw.left(1).toUpper() + raw.mid(1).toLower();
}

QString alignmentSymbol(TextAlignmentValue alignment)
{
    switch (alignment) {
    case TextAlignmentValue::leading:
        return QStringLiteral("text.alignleft");
    case TextAlignmentValue::center:
        return QStringLiteral("text.aligncenter");
    case TextAlignmentValue::trailing:
        return QStringLiteral("text.alignright");
    }
    return {};
}

QIcon swatch(const QColor &color)
{
    QPixmap pixmap(28, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(128, 128, 128));
    painter.setBrush(color);
    painter.drawRoundedRect(QRectF(0.5, 0.5, 27, 15), 3, 3);
    return QIcon(pixmap);
}

} // namespace

std::optional<QString> TextPropertiesView::hexFromPickedColor(const QColor &color)
{
    const QColor rgb = color.toRgb();
    if (!rgb.isValid())
        return std::nullopt;
    // Truncated, not rounded: 0.5 gives 7F.
    const auto component = [](float value) { return static_cast<int>(value * 255.0f); };
    return QString::asprintf("#%02X%02X%02X", component(rgb.redF()), component(rgb.greenF()),
                             component(rgb.blueF()));
}

QColor TextPropertiesView::shownColor(const QString &stored)
{
    return colorFromHex(stored).value_or(QColor(Qt::black));
}

TextPropertiesView::TextPropertiesView(LabelDesignerState &state, const QUuid &elementId, QWidget *parent)
    : QGroupBox(tr("Text"), parent), m_binding(state, elementId), m_content(new QPlainTextEdit(this)),
      m_isVariable(new QCheckBox(tr("Dynamic Variable"), this)),
      m_variables(new VariableListView(
          [this](const QString &placeholder) {
              m_binding.writeProperties<TextProperties>(
                  [&placeholder](TextProperties &text) { text.content += placeholder; });
          },
          this)),
      m_font(new QComboBox(this)),
      m_size(new LocaleNumberField(
          tr("Size"), LocaleNumberField::Kind::decimal,
          [this] {
              const TextProperties *text = m_binding.properties<TextProperties>();
              return text ? text->fontSize : 0.0;
          },
          [this](double value) {
              return m_binding.writeProperties<TextProperties>(
                  [value](TextProperties &text) { text.fontSize = value; });
          },
          this)),
      m_weight(new QComboBox(this)), m_color(new QPushButton(tr("Color"), this)),
      m_alignment(new SegmentedControl(this))
{
    layOutEditors();
    connectEditors();
    connect(&state, &LabelDesignerState::templateChanged, this, &TextPropertiesView::refresh);
    refresh();
}

void TextPropertiesView::layOutEditors()
{
    auto *column = new QVBoxLayout(this);
    auto *content = new QVBoxLayout;
    content->setSpacing(metrics::xxSmall);
    content->addWidget(makeCaption(tr("Content"), this));
    m_content->setFont(textFont(TextStyle::body));
    m_content->setMinimumHeight(40);
    m_content->setMaximumHeight(80);
    content->addWidget(m_content);
    column->addLayout(content);
    m_isVariable->setToolTip(tr("Use {{variableName}} syntax"));
    column->addWidget(m_isVariable);
    column->addWidget(m_variables);
    for (const QString &family : templateFontFamilies())
        m_font->addItem(family, family);
    column->addWidget(new LabeledField(tr("Font"), m_font, this));
    auto *sizeRow = new QHBoxLayout;
    sizeRow->addWidget(new LabeledField(QStringLiteral("Size"), m_size, this));
    for (const FontWeightValue weight : allFontWeights())
        m_weight->addItem(weightLabel(weight), static_cast<int>(weight));
    sizeRow->addWidget(new LabeledField(tr("Weight"), m_weight, this));
    column->addLayout(sizeRow);
    column->addWidget(m_color);
    for (const TextAlignmentValue alignment : allTextAlignments())
        m_alignment->addSegment(QString(), alignmentSymbol(alignment));
    column->addWidget(new LabeledField(tr("Alignment"), m_alignment, this));
}

void TextPropertiesView::connectEditors()
{
    connect(m_content, &QPlainTextEdit::textChanged, this, [this] {
        if (m_refreshing)
            return;
        const QString content = m_content->toPlainText();
        m_binding.writeProperties<TextProperties>(
            [&content](TextProperties &text) { text.content = content; });
    });
    connect(m_isVariable, &QCheckBox::toggled, this, [this](bool on) {
        m_binding.writeProperties<TextProperties>([on](TextProperties &text) { text.isVariable = on; });
    });
    connect(m_font, &QComboBox::activated, this, [this](int index) {
        const QString family = m_font->itemData(index).toString();
        m_binding.writeProperties<TextProperties>(
            [&family](TextProperties &text) { text.fontFamily = family; });
    });
    connect(m_weight, &QComboBox::activated, this, [this](int index) {
        const auto weight = static_cast<FontWeightValue>(m_weight->itemData(index).toInt());
        m_binding.writeProperties<TextProperties>(
            [weight](TextProperties &text) { text.fontWeight = weight; });
    });
    connect(m_alignment, &SegmentedControl::currentChanged, this, [this](int index) {
        if (m_refreshing || index < 0 || index >= allTextAlignments().size())
            return;
        const TextAlignmentValue alignment = allTextAlignments().at(index);
        m_binding.writeProperties<TextProperties>(
            [alignment](TextProperties &text) { text.alignment = alignment; });
    });
    connect(m_color, &QPushButton::clicked, this, &TextPropertiesView::pickColor);
}

void TextPropertiesView::applyPickedColor(const QColor &color)
{
    const std::optional<QString> hex = hexFromPickedColor(color);
    if (!hex)
        return;
    m_binding.writeProperties<TextProperties>([&hex](TextProperties &text) { text.color = *hex; });
}

void TextPropertiesView::pickColor()
{
    const TextProperties *text = m_binding.properties<TextProperties>();
    if (!text)
        return;
    auto *dialog = new QColorDialog(shownColor(text->color), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setOption(QColorDialog::ShowAlphaChannel, false);
    connect(dialog, &QColorDialog::currentColorChanged, this, &TextPropertiesView::applyPickedColor);
    connect(dialog, &QColorDialog::colorSelected, this, &TextPropertiesView::applyPickedColor);
    dialog->open();
}

void TextPropertiesView::refresh()
{
    const TextProperties *text = m_binding.properties<TextProperties>();
    if (!text)
        return;
    m_refreshing = true;
    if (m_content->toPlainText() != text->content) {
        QTextCursor cursor = m_content->textCursor();
        const int position = cursor.position();
        m_content->setPlainText(text->content);
        cursor = m_content->textCursor();
        cursor.setPosition(std::min(position, static_cast<int>(text->content.size())));
        m_content->setTextCursor(cursor);
    }
    {
        const QSignalBlocker blocker(m_isVariable);
        m_isVariable->setChecked(text->isVariable);
    }
    m_variables->setVisible(text->isVariable);
    // A family not offered (a file edited by hand) selects nothing.
    m_font->setCurrentIndex(m_font->findData(text->fontFamily));
    m_size->refresh();
    m_weight->setCurrentIndex(m_weight->findData(static_cast<int>(text->fontWeight)));
    m_color->setIcon(swatch(shownColor(text->color)));
    m_alignment->setCurrentIndex(static_cast<int>(allTextAlignments().indexOf(text->alignment)));
    m_refreshing = false;
}

} // namespace quill
