#pragma once

#include <QWidget>

class QToolButton;
class QVBoxLayout;

namespace quill {

// A titled group whose content shows only while it is expanded; a click on the
// title row (a chevron and the title) toggles it. Collapsed at first.
class DisclosureGroup final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DisclosureGroup)

public:
    explicit DisclosureGroup(const QString &title, QWidget *parent = nullptr);

    // Replaces the content; the group owns it.
    void setContent(QWidget *content);
    QWidget *content() const { return m_content; }
    QString title() const;

    bool isExpanded() const { return m_expanded; }
    void setExpanded(bool expanded);
    QToolButton *header() const { return m_header; }

Q_SIGNALS:
    void expandedChanged(bool expanded);

private:
    void updateChevron();

    QToolButton *m_header;
    QVBoxLayout *m_layout;
    QWidget *m_content = nullptr;
    bool m_expanded = false;
};

} // namespace quill
