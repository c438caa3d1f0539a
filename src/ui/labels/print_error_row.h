#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace quill {

class LabelTestActions;

// The Labels screen's line under its cards while a print failed: a warning sign,
// the failure in plain text and "Dismiss". Hidden while there is no failure.
class PrintErrorRow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrintErrorRow)

public:
    explicit PrintErrorRow(LabelTestActions &actions, QWidget *parent = nullptr);

    QString text() const;
    QPushButton *dismissButton() const { return m_dismiss; }

private:
    void showError(const std::optional<QString> &error);

    QLabel *m_text;
    QPushButton *m_dismiss;
};

} // namespace quill
