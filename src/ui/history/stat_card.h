#pragma once

#include <QWidget>

class QLabel;

namespace quill {

// One statistic of a show: the value in bold over its title.
class StatCard final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatCard)

public:
    StatCard(const QString &title, const QString &value, QWidget *parent = nullptr);

    QString title() const;
    QString value() const;

private:
    QLabel *m_value;
    QLabel *m_title;
};

} // namespace quill
