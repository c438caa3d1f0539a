#pragma once

#include "ui/labels/appearance_controller.h"
#include "ui/widgets/settings_card.h"

#include <QAbstractButton>
#include <QPointer>

class QLabel;
class QPushButton;

namespace quill {

class FontPickerPopover;
class SegmentedControl;

// The font button: the chosen font's short name in its own face and an up-down chevron.
class FontButton final : public QAbstractButton
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FontButton)

public:
    explicit FontButton(LabelFontChoice choice, QWidget *parent = nullptr);

    void setChoice(LabelFontChoice choice);
    LabelFontChoice choice() const { return m_choice; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    LabelFontChoice m_choice;
};

// The card "Style": the label font (through the font picker), the layout style and,
// for staff, the logo. Everything is kept by the shared appearance store.
class LabelAppearanceSection final : public SettingsCard
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LabelAppearanceSection)

public:
    // `chooser` empty: an open-file dialog over this card.
    LabelAppearanceSection(bool isAdmin, LabelAppearanceStore &store, LogoChooser chooser = {},
                           QWidget *parent = nullptr);

    AppearanceController &controller() const { return *m_controller; }
    FontButton *fontButton() const { return m_fontButton; }
    SegmentedControl *stylePicker() const { return m_stylePicker; }
    // Null for a seller who is not staff.
    QWidget *logoColumn() const { return m_logoColumn; }
    QPushButton *addLogoButton() const { return m_addLogo; }
    QPushButton *changeLogoButton() const { return m_changeLogo; }
    QPushButton *removeLogoButton() const { return m_removeLogo; }
    QLabel *logoThumbnail() const { return m_thumbnail; }
    QLabel *logoErrorLabel() const { return m_logoError; }
    // The open font picker, if any.
    FontPickerPopover *fontPicker() const { return m_fontPicker; }
    bool isFontPickerShown() const;
    void toggleFontPicker();

private:
    QWidget *buildLogoColumn();
    void showLogo();
    void showStyle(LabelVariant style);

    AppearanceController *m_controller;
    FontButton *m_fontButton;
    SegmentedControl *m_stylePicker;
    QWidget *m_logoColumn = nullptr;
    QPushButton *m_addLogo = nullptr;
    QPushButton *m_changeLogo = nullptr;
    QPushButton *m_removeLogo = nullptr;
    QLabel *m_thumbnail = nullptr;
    QLabel *m_logoError = nullptr;
    QPointer<FontPickerPopover> m_fontPicker;
};

// Asks for one PNG, JPEG, HEIC or TIFF file with an open-file dialog over `parent`.
std::optional<QString> chooseLogoFile(QWidget *parent);

} // namespace quill
