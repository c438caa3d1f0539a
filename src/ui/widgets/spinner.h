#pragma once

#include <QBasicTimer>
#include <QWidget>

namespace quill {

// The small indeterminate progress indicator: twelve spokes turning while shown.
class Spinner final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Spinner)

public:
    static constexpr int kMini = 10;
    static constexpr int kSmall = 16;
    static constexpr int kRegular = 32;

    explicit Spinner(int diameter = kSmall, QWidget *parent = nullptr);

    bool isSpinning() const { return m_timer.isActive(); }
    QSize sizeHint() const override { return QSize(m_diameter, m_diameter); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    int m_diameter;
    int m_step = 0;
    QBasicTimer m_timer;
};

} // namespace quill
