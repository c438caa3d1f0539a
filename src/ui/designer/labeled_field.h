#pragma once

#include <QWidget>

class QLabel;

namespace quill {

// A small caption over a control, as the property editors lay out their fields. The
// caption is shown as written: callers hand it over untranslated.
class LabeledField final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LabeledField)

public:
    LabeledField(const QString &label, QWidget *content, QWidget *parent = nullptr);

    QLabel *caption() const { return m_caption; }
    QWidget *content() const { return m_content; }

private:
    QLabel *m_caption;
    QWidget *m_content;
};

// The secondary caption-2 text the editors put over their groups ("Content", "Custom Size").
QLabel *makeCaption(const QString &text, QWidget *parent);

} // namespace quill
