#pragma once

#include "ui/designer/element_binding.h"

#include <QGroupBox>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QPushButton;

namespace quill {

// Asks the user for one PNG, JPEG, HEIC or TIFF file; none when cancelled.
using ImageFilePicker = std::function<std::optional<QString>(QWidget *parent)>;

// "Image": a preview, "Choose Image..." and "Clear", and the fit. A chosen file is stored
// byte for byte; one that is not a PNG, JPEG, TIFF or HEIC picture, cannot be read, is
// too large or would take the template past its limits is refused with a message and the
// element stays as it was.
class ImagePropertiesView final : public QGroupBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ImagePropertiesView)

public:
    // The template file is rewritten every few seconds, so larger files are refused.
    static constexpr qint64 kMaxImageBytes = 1024 * 1024;
    static constexpr int kMaxPreviewHeight = 100;

    // An empty picker uses the platform's open panel.
    ImagePropertiesView(LabelDesignerState &state, const QUuid &elementId, ImageFilePicker pickFile = {},
                        QWidget *parent = nullptr);

    QLabel *preview() const { return m_preview; }
    QPushButton *chooseButton() const { return m_choose; }
    QPushButton *clearButton() const { return m_clear; }
    QComboBox *fitPicker() const { return m_fit; }
    // Why the last chosen file was refused; empty after a file was taken.
    QLabel *messageLabel() const { return m_message; }

    void chooseImage();

private:
    void refresh();

    ElementBinding m_binding;
    ImageFilePicker m_pickFile;
    QLabel *m_preview;
    QPushButton *m_choose;
    QPushButton *m_clear;
    QComboBox *m_fit;
    QLabel *m_message;
};

} // namespace quill
