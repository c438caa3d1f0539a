#pragma once

#include "printing/label_appearance.h"
#include "ui/widgets/popover.h"

#include <QAbstractButton>

namespace quill {

// A font choice drawn in its own face at `pointSize` and `weight`. The four system
// faces are built at that weight; a named face is loaded in its regular file and
// then set to the weight.
QFont fontChoiceFace(LabelFontChoice choice, qreal pointSize, QFont::Weight weight);

// One row of the font picker: a check mark column, then the font's short name in
// the font itself.
class FontPickerRow final : public QAbstractButton
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FontPickerRow)

public:
    FontPickerRow(LabelFontChoice choice, bool selected, QWidget *parent = nullptr);

    LabelFontChoice choice() const { return m_choice; }
    bool isSelected() const { return m_selected; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    LabelFontChoice m_choice;
    bool m_selected;
};

// The fonts in their groups ("System", "Sans-Serif", "Serif", "Monospace", "Slab"),
// scrolling, 200 wide and at most 400 high. A click on a row chooses that font and
// closes the popover, also when it was already chosen.
class FontPickerPopover final : public Popover
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FontPickerPopover)

public:
    explicit FontPickerPopover(LabelFontChoice selection, QWidget *parent = nullptr);

    QList<FontPickerRow *> rows() const { return m_rows; }
    // The group headings in order.
    QStringList headers() const;

Q_SIGNALS:
    void chosen(quill::LabelFontChoice choice);

private:
    QList<FontPickerRow *> m_rows;
    QWidget *m_list;
};

} // namespace quill
