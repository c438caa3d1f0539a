#pragma once

#include <QMainWindow>

namespace quill {

// The application's one main window.
class MainWindow final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    explicit MainWindow(QWidget *parent = nullptr);
};

} // namespace quill
