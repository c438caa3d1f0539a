#pragma once

#include "printing/label_appearance.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace quill {

class LabelAppearanceStore;

// The file a seller picks as the shop logo; none when the chooser was cancelled.
using LogoChooser = std::function<std::optional<QString>()>;

// The label appearance card's logic: font, style and the staff-only logo, all kept
// by the shared appearance store. A logo that cannot be read, written or removed
// leaves the old one in place and says why in `logoError` until the next logo action.
class AppearanceController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AppearanceController)
    Q_PROPERTY(QString logoError READ logoError NOTIFY logoErrorChanged)

public:
    AppearanceController(LabelAppearanceStore &store, LogoChooser chooser, QObject *parent = nullptr);

    LabelAppearanceStore &store() const { return m_store; }
    const QString &logoError() const { return m_logoError; }

    void chooseFont(LabelFontChoice choice);
    void chooseStyle(LabelVariant style);
    // Asks the chooser for a file and makes it the logo; a cancelled chooser changes nothing.
    void chooseLogo();
    void removeLogo();

Q_SIGNALS:
    void logoErrorChanged(const QString &logoError);

private:
    void setLogoError(const QString &message);

    LabelAppearanceStore &m_store;
    LogoChooser m_chooser;
    QString m_logoError;
};

} // namespace quill
