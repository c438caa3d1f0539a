#pragma once

#include <QWidget>
#include <functional>

class QAbstractButton;

namespace quill {

// "Available Variables": one flat button per template variable, "{{name}}" beside its
// description. A press hands the placeholder to `onInsert`, which appends it to the content.
class VariableListView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(VariableListView)

public:
    explicit VariableListView(std::function<void(const QString &placeholder)> onInsert,
                              QWidget *parent = nullptr);

    // The row of a variable by its name, for tests; null for an unknown name.
    QAbstractButton *row(const QString &name) const;

private:
    QList<QAbstractButton *> m_rows;
};

} // namespace quill
