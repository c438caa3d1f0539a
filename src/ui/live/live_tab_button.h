#pragma once

#include <QAbstractButton>
#include <optional>

namespace quill {

// One tab of the side panel's tab bar: "Sold (12)" (semibold while selected), an optional
// caption beside it such as the revenue, and a 2 pt bar underneath, green while selected.
// It takes an equal share of the bar's width.
class LiveTabButton final : public QAbstractButton
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LiveTabButton)

public:
    static constexpr int kSpacing = 4;
    static constexpr int kBarHeight = 2;

    explicit LiveTabButton(QWidget *parent = nullptr);

    // Repaints only when something shown changed.
    void setTitle(const QString &title);
    void setSubtitle(const std::optional<QString> &subtitle);
    void setSelected(bool selected);

    QString title() const { return text(); }
    const std::optional<QString> &subtitle() const { return m_subtitle; }
    bool isSelected() const { return m_selected; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QFont titleFont() const;

    std::optional<QString> m_subtitle;
    bool m_selected = false;
};

} // namespace quill
