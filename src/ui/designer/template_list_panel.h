#pragma once

#include "ui/designer/template_list_controller.h"

#include <QWidget>

class QListView;
class QPushButton;
class QStackedWidget;
class QToolButton;

namespace quill {

class TemplateListModel;

// The designer's left column: the saved templates, newest first, with a button for a new
// one, a context menu to duplicate or delete, a sideways swipe on a row to delete it, and
// Delete or Backspace for the selected one.
class TemplateListPanel final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TemplateListPanel)

public:
    static constexpr int kWidth = 200;

    TemplateListPanel(TemplateStore &store, TemplateListController::SelectCallback onSelect,
                      const Clock &clock = SystemClock::instance(), QWidget *parent = nullptr);

    TemplateListController &controller() const { return *m_controller; }
    QListView *listView() const { return m_list; }
    bool showsEmptyState() const;

private:
    void showSelection();
    void updatePage();
    void showContextMenu(const QPoint &position);
    void deleteRow(int row);
    void deleteSelectedRows();

    TemplateListController *m_controller;
    TemplateListModel *m_model;
    QStackedWidget *m_pages;
    QListView *m_list;
    bool m_showingSelection = false;
};

} // namespace quill
