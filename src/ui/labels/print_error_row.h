#pragma once

#include <QWidget>
#include <optional>

class QLabel;
class QPushButton;

namespace quill {

class LabelTestActions;

// The Labels screen's line under its cards while a print failed or a change was not
// saved: a warning sign, the failures in plain text and "Dismiss" for the print's.
// Hidden while there is neither. A save failure stays until a save succeeds.
class PrintErrorRow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrintErrorRow)

public:
    explicit PrintErrorRow(QWidget *parent = nullptr);
    // Shows the print failures of `actions`; "Dismiss" clears them there.
    explicit PrintErrorRow(LabelTestActions &actions, QWidget *parent = nullptr);

    QString text() const;
    QPushButton *dismissButton() const { return m_dismiss; }

    void showPrintError(const std::optional<QString> &error);
    void showSaveFailure(const std::optional<QString> &failure);

Q_SIGNALS:
    void dismissed();
    // What the row says changed; empty while it is hidden.
    void textChanged(const QString &text);

private:
    void refresh();

    QLabel *m_text;
    QPushButton *m_dismiss;
    std::optional<QString> m_printError;
    std::optional<QString> m_saveFailure;
};

} // namespace quill
