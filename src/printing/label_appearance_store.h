#pragma once

#include "common/error.h"
#include "printing/label_appearance.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <optional>

namespace quill {

class Settings;

class LabelAppearanceError final : public Error
{
public:
    using Error::Error;
};

// The seller's label appearance choices: style, typeface and colour mode in the user
// defaults, the shop logo in a PNG file in the data folder.
//
// Every store over the same settings and logo file shows the same choices: a change
// made through one (a settings screen's own store, say) reaches all the others at
// once, with their change signals, so the next label printed through the shared
// store already has it.
class LabelAppearanceStore final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LabelAppearanceStore)
    Q_PROPERTY(quill::LabelFontChoice fontChoice READ fontChoice WRITE setFontChoice NOTIFY fontChoiceChanged)
    Q_PROPERTY(quill::LabelColorMode colorMode READ colorMode WRITE setColorMode NOTIFY colorModeChanged)
    Q_PROPERTY(quill::LabelVariant style READ style WRITE setStyle NOTIFY styleChanged)
    Q_PROPERTY(QString saveError READ saveError NOTIFY saveErrorChanged)

public:
    static inline const QString fontKey = QStringLiteral("label_font_choice");
    static inline const QString colorModeKey = QStringLiteral("label_color_mode");
    static inline const QString styleKey = QStringLiteral("label_style");
    static inline const QString logoFileName = QStringLiteral("logo.png");
    // The logo is shrunk so that neither side exceeds this, and never enlarged.
    static constexpr int kMaxLogoSide = 256;

    // The process-wide store over Settings::shared() and the data folder's logo,
    // created on first use.
    static LabelAppearanceStore &shared();

    // A store over Settings::shared() and the data folder's logo file.
    explicit LabelAppearanceStore(QObject *parent = nullptr);
    // A store over the given settings and logo file. An empty logo path means there
    // is nowhere to keep a logo: none is loaded and setting one fails.
    LabelAppearanceStore(Settings &settings, QString logoPath, QObject *parent = nullptr);
    ~LabelAppearanceStore() override;

    // The data folder's logo file; throws quill::Error when there is no data folder.
    static QString defaultLogoPath();

    LabelFontChoice fontChoice() const { return m_fontChoice; }
    LabelColorMode colorMode() const { return m_colorMode; }
    LabelVariant style() const { return m_style; }
    const std::optional<QImage> &logoImage() const { return m_logoImage; }
    QString logoPath() const { return m_logoPath; }

    // Why the last choice written did not reach the settings file (the choice still
    // holds until the program ends); empty after a write that did.
    const QString &saveError() const { return m_saveError; }

    // Each setter writes the user default on every call, also when the value repeats.
    void setFontChoice(LabelFontChoice choice);
    void setColorMode(LabelColorMode mode);
    void setStyle(LabelVariant style);

    // The current font choice, logo and colour mode (the style is not part of it:
    // each label type keeps its own).
    LabelAppearance appearance() const;

    // Loads the image, shrinks it to at most 256 on each side and writes it as the
    // logo file in one step. On any failure the previous logo stays, on disk and
    // here, and LabelAppearanceError says what went wrong.
    void setLogo(const QString &imagePath);
    // Deletes the logo file (a missing file is fine) and clears the logo. A file that
    // cannot be deleted would come back at the next start, so that is an error and
    // the logo stays.
    void removeLogo();

Q_SIGNALS:
    void fontChoiceChanged(quill::LabelFontChoice choice);
    void colorModeChanged(quill::LabelColorMode mode);
    void styleChanged(quill::LabelVariant style);
    void logoImageChanged();
    void saveErrorChanged();
    // After every write of a choice: why it failed, or nothing when it was written.
    void saveFinished(const std::optional<QString> &failure);

private:
    LabelAppearanceStore(Settings *settings, QString logoPath, QObject *parent);

    void loadLogo();
    void commitSettings();
    template <typename Apply> void forEachPeer(Apply apply);
    void applyFontChoice(LabelFontChoice choice);
    void applyColorMode(LabelColorMode mode);
    void applyStyle(LabelVariant style);
    void applyLogo(const std::optional<QImage> &logo);

    // The settings it reads and writes; none: the shared settings of the moment, so the
    // process-wide store never keeps a settings store that has since gone.
    Settings &settings() const;
    const Settings *settingsInUse() const;

    Settings *m_settings = nullptr;
    QString m_logoPath;
    LabelFontChoice m_fontChoice = LabelFontChoice::system;
    LabelColorMode m_colorMode = LabelColorMode::blackAndWhite;
    LabelVariant m_style = LabelVariant::bold;
    std::optional<QImage> m_logoImage;
    QString m_saveError;
};

} // namespace quill
