#include "ui/designer/qr_code_properties_view.h"

#include "ui/designer/labeled_field.h"
#include "ui/designer/variable_list_view.h"
#include "ui/widgets/metrics.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace quill {

namespace {

QString correctionLabel(QRCorrectionLevel level)
{
    switch (level) {
    case QRCorrectionLevel::low:
        return QObject::tr("Low");
    case QRCorrectionLevel::medium:
        return QObject::tr("Medium");
    case QRCorrectionLevel::quartile:
        return QObject::tr("Quartile");
    case QRCorrectionLevel::high:
        return QObject::tr("High");
    }
    return {};
}

} // namespace

void showText(QLineEdit *field, const QString &text)
{
    // Typing writes at once, so a field only differs from the model after a change made
    // elsewhere (a variable inserted, an undo).
    if (field->text() == text)
        return;
    const int cursor = field->cursorPosition();
    const QSignalBlocker blocker(field);
    field->setText(text);
    if (field->hasFocus())
        field->setCursorPosition(std::min(cursor, static_cast<int>(text.size())));
}

QRCodePropertiesView::QRCodePropertiesView(LabelDesignerState &state, const QUuid &elementId, QWidget *parent)
    : QGroupBox(tr("QR Code"), parent), m_binding(state, elementId), m_content(new QLineEdit(this)),
      m_isVariable(new QCheckBox(tr("Dynamic Variable"), this)),
      m_variables(new VariableListView(
          [this](const QString &placeholder) {
              m_binding.writeProperties<QRCodeProperties>(
                  [&placeholder](QRCodeProperties &qr) { qr.content += placeholder; });
          },
          this)),
      m_correction(new QComboBox(this))
{
    auto *column = new QVBoxLayout(this);
    auto *content = new QVBoxLayout;
    content->setSpacing(metrics::xxSmall);
    content->addWidget(makeCaption(tr("Content"), this));
    m_content->setPlaceholderText(tr("URL or text"));
    content->addWidget(m_content);
    column->addLayout(content);
    m_isVariable->setToolTip(tr("Use {{variableName}} syntax"));
    column->addWidget(m_isVariable);
    column->addWidget(m_variables);
    for (const QRCorrectionLevel level : allCorrectionLevels())
        m_correction->addItem(correctionLabel(level), static_cast<int>(level));
    column->addWidget(new LabeledField(tr("Error Correction"), m_correction, this));

    connect(m_content, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_binding.writeProperties<QRCodeProperties>([&text](QRCodeProperties &qr) { qr.content = text; });
    });
    connect(m_isVariable, &QCheckBox::toggled, this, [this](bool on) {
        m_binding.writeProperties<QRCodeProperties>([on](QRCodeProperties &qr) { qr.isVariable = on; });
    });
    connect(m_correction, &QComboBox::activated, this, [this](int index) {
        const auto level = static_cast<QRCorrectionLevel>(m_correction->itemData(index).toInt());
        m_binding.writeProperties<QRCodeProperties>(
            [level](QRCodeProperties &qr) { qr.correctionLevel = level; });
    });
    connect(&state, &LabelDesignerState::templateChanged, this, &QRCodePropertiesView::refresh);
    refresh();
}

void QRCodePropertiesView::refresh()
{
    const QRCodeProperties *qr = m_binding.properties<QRCodeProperties>();
    if (!qr)
        return;
    showText(m_content, qr->content);
    {
        const QSignalBlocker blocker(m_isVariable);
        m_isVariable->setChecked(qr->isVariable);
    }
    m_variables->setVisible(qr->isVariable);
    m_correction->setCurrentIndex(m_correction->findData(static_cast<int>(qr->correctionLevel)));
}

} // namespace quill
