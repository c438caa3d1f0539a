#pragma once

#include "ui/designer/element_toolbar_controller.h"

#include <QWidget>

class QAction;
class QToolButton;

namespace quill {

// The bar above the canvas that adds elements and, while one is selected, shows
// Duplicate (Ctrl+D) and Delete for it.
class ElementToolbar final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ElementToolbar)

public:
    explicit ElementToolbar(LabelDesignerState &state, QWidget *parent = nullptr);

    ElementToolbarController &controller() { return m_controller; }
    QToolButton *textButton() const { return m_text; }
    QToolButton *imageButton() const { return m_image; }
    QToolButton *qrCodeButton() const { return m_qrCode; }
    QToolButton *duplicateButton() const { return m_duplicate; }
    QToolButton *deleteButton() const { return m_delete; }
    QAction *duplicateAction() const { return m_duplicateAction; }

private:
    void showSelection(bool hasSelection);

    ElementToolbarController m_controller;
    QToolButton *m_text;
    QToolButton *m_image;
    QToolButton *m_qrCode;
    QToolButton *m_duplicate;
    QToolButton *m_delete;
    QAction *m_duplicateAction;
};

} // namespace quill
