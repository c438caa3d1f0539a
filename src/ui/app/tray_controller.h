#pragma once

#include <QObject>
#include <QRect>
#include <QString>

namespace quill {

class ShowSyncService;

// The tray icon's logic, without the tray: the symbol follows whether a backend
// show is active, whether or not the main window is open, and the operations the
// tray's popover offers.
class TrayController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TrayController)

public:
    static QString symbolFor(const QString &activeShowId);

    explicit TrayController(ShowSyncService &showSync, QObject *parent = nullptr);

    // "tag.fill" while a show is active, else "tag".
    const QString &symbol() const { return m_symbol; }

    // The tray icon was activated; `anchor` is the icon's place on screen (empty when unknown).
    void activate(const QRect &anchor);
    void openMainWindow();
    void quit();

Q_SIGNALS:
    void symbolChanged(const QString &symbol);
    // Open the popover at the icon.
    void popoverRequested(const QRect &anchor);
    void mainWindowRequested();
    void quitRequested();

private:
    ShowSyncService &m_showSync;
    QString m_symbol;
};

} // namespace quill
