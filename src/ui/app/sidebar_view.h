#pragma once

#include "ui/app/sidebar_section.h"

#include <QWidget>
#include <memory>

QT_BEGIN_NAMESPACE
class QLabel;
class QListWidget;
class QToolButton;
class QVBoxLayout;
QT_END_NAMESPACE

namespace quill {

class AppState;
class SidebarController;
class SidewaysScrollArea;

// The area right of the sidebar: the selected section's screen, or "Select a
// section", with the overlay floating over its bottom-trailing corner.
class SectionDetailArea final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SectionDetailArea)

public:
    static constexpr int kSectionChangeMs = 250;

    SectionDetailArea(AppState &appState, SidebarSelection &selection, QWidget *parent = nullptr);
    ~SectionDetailArea() override;

    // The screen on show; nullptr while nothing is selected.
    QWidget *screen() const;
    QWidget *overlay() const { return m_overlay.get(); }

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;

private:
    void showSection(std::optional<SidebarSection> section);
    void placeOverlay();

    AppState &m_appState;
    SidebarSelection &m_selection;
    QVBoxLayout *m_layout;
    QLabel *m_empty;
    // A screen narrower than its own minimums scrolls sideways as a whole.
    SidewaysScrollArea *m_screenArea;
    std::unique_ptr<QWidget> m_overlay;
};

// What a signed-in seller sees: the sections on the left with the Settings button
// under them, the selected screen on the right.
class SidebarView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SidebarView)

public:
    explicit SidebarView(AppState &appState, QWidget *parent = nullptr);
    ~SidebarView() override;

    SidebarSelection &selection() const { return *m_selection; }
    SidebarController &controller() const { return *m_controller; }
    QListWidget *sectionList() const { return m_list; }
    QToolButton *settingsButton() const { return m_settingsButton; }
    SectionDetailArea *detailArea() const { return m_detail; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    // The section list and the settings button, styled for the sidebar's column.
    void setUpList(QWidget *column);
    void setUpSettingsButton(QWidget *column);
    void rebuildList();
    void selectionChanged();

    SidebarSelection *m_selection;
    SidebarController *m_controller;
    QListWidget *m_list;
    QToolButton *m_settingsButton;
    SectionDetailArea *m_detail;
    bool m_syncingList = false;
};

} // namespace quill
