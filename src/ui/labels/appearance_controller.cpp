#include "ui/labels/appearance_controller.h"

#include "common/error.h"
#include "printing/label_appearance_store.h"

namespace quill {

AppearanceController::AppearanceController(LabelAppearanceStore &store, LogoChooser chooser, QObject *parent)
    : QObject(parent), m_store(store), m_chooser(std::move(chooser))
{
}

void AppearanceController::chooseFont(LabelFontChoice choice)
{
    if (choice != m_store.fontChoice())
        m_store.setFontChoice(choice);
}

void AppearanceController::chooseStyle(LabelVariant style)
{
    if (style != m_store.style())
        m_store.setStyle(style);
}

void AppearanceController::chooseLogo()
{
    const std::optional<QString> path = m_chooser ? m_chooser() : std::nullopt;
    if (!path || path->isEmpty())
        return;
    try {
        m_store.setLogo(*path);
        setLogoError(QString());
    } catch (const std::exception &error) {
        setLogoError(errorMessage(error));
    }
}

void AppearanceController::removeLogo()
{
    try {
        m_store.removeLogo();
        setLogoError(QString());
    } catch (const std::exception &error) {
        setLogoError(errorMessage(error));
    }
}

void AppearanceController::setLogoError(const QString &message)
{
    if (message == m_logoError)
        return;
    m_logoError = message;
    Q_EMIT logoErrorChanged(m_logoError);
}

} // namespace quill
