#pragma once

#include <QIcon>
#include <QList>
#include <QWidget>

class QButtonGroup;
class QHBoxLayout;
class QToolButton;

namespace quill {

// A row of joined, mutually exclusive segments; exactly one is selected once any exists.
class SegmentedControl final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SegmentedControl)

public:
    explicit SegmentedControl(QWidget *parent = nullptr);

    // Adds a segment with a text, a symbol, or both; returns its index.
    int addSegment(const QString &text, const QString &symbol = QString());
    int count() const;
    int currentIndex() const;
    void setCurrentIndex(int index);
    QToolButton *segment(int index) const;

Q_SIGNALS:
    void currentChanged(int index);

private:
    void restyle();

    QHBoxLayout *m_layout;
    QButtonGroup *m_group;
};

} // namespace quill
