#pragma once

#include <QWidget>

#include <functional>

class QVBoxLayout;

namespace quill {

class AppState;
class SettingsController;

// The "Settings" screen: one column of up to four groups ("Printer Health",
// "Quillmark", "Whatnot" and, for staff, "Environment"), redrawn whenever a service
// it shows changes.
class SettingsView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingsView)

public:
    static constexpr int kMaxWidth = 500;

    // `showLiveShow` moves the sidebar to its "Live Show" section.
    SettingsView(AppState &appState, std::function<void()> showLiveShow, QWidget *parent = nullptr);
    ~SettingsView() override;

    SettingsController &controller() const { return *m_controller; }
    // The group headers shown, in order.
    QStringList sectionHeaders() const;

private:
    void scheduleRebuild();
    void rebuild();

    SettingsController *m_controller;
    QWidget *m_column;
    QVBoxLayout *m_form;
    bool m_rebuildPending = false;
};

} // namespace quill
