#pragma once

#include <QWidget>

class QLabel;

namespace quill {

// A centred placeholder for a screen or list with nothing to show: a large symbol,
// a title and a short description.
class EmptyStateView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EmptyStateView)

public:
    EmptyStateView(const QString &symbol, const QString &title, const QString &description,
                   QWidget *parent = nullptr);

    void setTitle(const QString &title);
    void setDescription(const QString &description);
    QString title() const;
    QString description() const;

private:
    QLabel *m_icon;
    QLabel *m_title;
    QLabel *m_description;
};

} // namespace quill
