#pragma once

#include <QObject>

namespace quill {

class LabelDesignerState;

// What the element toolbar does: adds text, image and QR-code elements, and duplicates
// or deletes the selected one. Each is one undo step of the designer state.
class ElementToolbarController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ElementToolbarController)

public:
    explicit ElementToolbarController(LabelDesignerState &state, QObject *parent = nullptr);

    LabelDesignerState &state() const { return m_state; }
    // An element of the template has the selected id.
    bool hasSelection() const;

    void addText();
    void addImage();
    void addQRCode();
    // Nothing when nothing is selected.
    void duplicateSelected();
    void deleteSelected();

Q_SIGNALS:
    void hasSelectionChanged(bool hasSelection);

private:
    void update();

    LabelDesignerState &m_state;
    bool m_hasSelection = false;
};

} // namespace quill
