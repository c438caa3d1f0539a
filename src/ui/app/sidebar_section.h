#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <optional>

namespace quill {

// The sidebar's sections in their order. The title is what the sidebar shows.
enum class SidebarSection { dashboard, liveShow, shows, labelDesigner, printers, settings };

inline constexpr std::array<SidebarSection, 6> allSidebarSections{
    SidebarSection::dashboard, SidebarSection::liveShow, SidebarSection::shows,
    SidebarSection::labelDesigner, SidebarSection::printers, SidebarSection::settings};

QString sidebarSectionTitle(SidebarSection section);
// The symbol name of the section's icon, as symbolIcon() takes it.
QString sidebarSectionSymbol(SidebarSection section);
// Exactly the six titles; anything else is no section.
std::optional<SidebarSection> sidebarSectionFromTitle(const QString &title);

// The sidebar's selection, shared with the screens that move it (dashboard,
// shows, settings, the floating win feed). Storing the same value emits nothing.
class SidebarSelection final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SidebarSelection)

public:
    explicit SidebarSelection(QObject *parent = nullptr) : QObject(parent) {}

    std::optional<SidebarSection> value() const { return m_value; }
    void setValue(std::optional<SidebarSection> value)
    {
        if (value == m_value)
            return;
        m_value = value;
        Q_EMIT changed(m_value);
    }

Q_SIGNALS:
    void changed(std::optional<SidebarSection> value);

private:
    std::optional<SidebarSection> m_value;
};

} // namespace quill
