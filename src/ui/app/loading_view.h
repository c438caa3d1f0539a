#pragma once

#include <QWidget>

namespace quill {

// "Loading..." with a busy indicator, over the whole window, while the session is restored.
class LoadingView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LoadingView)

public:
    explicit LoadingView(QWidget *parent = nullptr);
};

} // namespace quill
