#pragma once

#include "printing/label_media.h"
#include "printing/layouts/any_label_view.h"
#include "printing/orientation.h"
#include "printing/printer_info.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QFrame;
class QHBoxLayout;
class QLabel;
class QMenu;

namespace quill {

class LabelMediaShape;
class LabelPageView;
class Spinner;

// Small pieces both label cards are built from.

// The text cut to at most `lines` lines of `width`, the last one elided.
QString elideToLines(const QString &text, const QFontMetrics &metrics, int width, int lines);
// A bordered button of the small control size.
void makeSmallBordered(QPushButton *button);
// A thin rule across, or down when `vertical`.
QFrame *dividerLine(QWidget *parent, bool vertical = false);

// A tile's menu: "Print Calibration" when offered (enabled while a printer is
// chosen), and "Delete" for the seller's own sizes.
void fillMediaTileMenu(QMenu &menu, const LabelMedia &media, bool offersCalibration, bool canCalibrate,
                       std::function<void()> calibrate, std::function<void()> remove);

// One medium in a strip: its outline and name, highlighted when selected.
class MediaTile final : public QAbstractButton
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MediaTile)

public:
    MediaTile(const LabelMedia &media, Orientation orientation, QWidget *parent = nullptr);

    const LabelMedia &media() const { return m_media; }
    void setOrientation(Orientation orientation);
    static constexpr int kSelectionMs = 300;

    // `animated`: the frame moves to its new look over 0.3 s.
    void setSelected(bool selected, bool animated = false);
    bool isSelected() const { return m_selected; }
    QString caption() const;

    // Fills the tile's context menu; without it the tile has none.
    void setMenuFiller(std::function<void(QMenu &)> filler);
    // The context menu as a right click shows it; null when there is nothing in it.
    std::unique_ptr<QMenu> makeMenu();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    LabelMedia m_media;
    bool m_selected = false;
    qreal m_selection = 0; // as drawn, 0 to 1
    LabelMediaShape *m_shape;
    std::function<void(QMenu &)> m_menuFiller;
};

// The dashed "Custom" tile that opens the custom size sheet.
class CustomMediaTile final : public QAbstractButton
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CustomMediaTile)

public:
    explicit CustomMediaTile(QWidget *parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A horizontal strip of medium tiles, optionally ending with the "Custom" tile.
class MediaStrip final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MediaStrip)

public:
    MediaStrip(bool withCustomTile, QWidget *parent = nullptr);

    // Builds the tiles again; `prepare` sets up each new tile (clicks, menu).
    void setMedia(const QList<LabelMedia> &media, Orientation orientation, const LabelMedia &selected,
                  const std::function<void(MediaTile *)> &prepare);
    const QList<MediaTile *> &tiles() const { return m_tiles; }
    CustomMediaTile *customTile() const { return m_customTile; }

private:
    QHBoxLayout *m_row;
    QList<MediaTile *> m_tiles;
    CustomMediaTile *m_customTile = nullptr;
};

// The orientation button: the "rectangle" symbol, upright for portrait, and the
// orientation's name.
class OrientationButton final : public QPushButton
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OrientationButton)

public:
    static constexpr int kTurnMs = 300;

    // The tween of the caption's roll.
    static constexpr const char *kCaptionRoll = "quill.orientation.caption";

    explicit OrientationButton(QWidget *parent = nullptr);
    // The symbol turns to the new orientation over 0.3 s while the old caption rolls up
    // and out and the new one rolls in from below.
    void setOrientation(Orientation orientation);
    qreal symbolAngle() const { return m_angle; }
    // The caption on its way out while it rolls; empty otherwise.
    const QString &outgoingCaption() const { return m_outgoing; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal m_angle = 0;
    QString m_outgoing;
    qreal m_roll = 1; // 0 old caption in place, 1 new caption in place
};

class PrinterControl;

// The settings column of a card block: its media strip, the orientation button and
// a row of the printer and the block's test controls.
class CardSettingsColumn final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CardSettingsColumn)

public:
    CardSettingsColumn(bool withCustomTile, QWidget *parent = nullptr);

    MediaStrip *strip() const { return m_strip; }
    OrientationButton *orientation() const { return m_orientation; }
    PrinterControl *printer() const { return m_printer; }
    // A small bordered button at the end of the printer row.
    QPushButton *addButton(const QString &text);
    // The busy indicator at the end of the printer row, hidden at first.
    Spinner *addSpinner();

private:
    MediaStrip *m_strip;
    OrientationButton *m_orientation;
    PrinterControl *m_printer;
    QHBoxLayout *m_printerRow;
};

// The printer of a card: nothing without printers, the one printer's name, or a
// picker with "None" first. The value is always the queue name.
class PrinterControl final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrinterControl)

public:
    explicit PrinterControl(QWidget *parent = nullptr);

    void setPrinters(const QList<PrinterInfo> &printers, const std::optional<QString> &selected);
    // Called with the seller's choice (none for "None").
    void setOnChoose(std::function<void(std::optional<QString>)> onChoose);

    QComboBox *picker() const { return m_picker; }
    QLabel *singleName() const { return m_single; }

private:
    QComboBox *m_picker;
    QLabel *m_single;
    std::function<void(std::optional<QString>)> m_onChoose;
    bool m_filling = false;
};

// A label thumbnail: an optional caption, the first page framed by the medium's
// shape, and "%n pages" under it when there are several. Clicks open the preview.
class LabelThumbnail final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LabelThumbnail)

public:
    explicit LabelThumbnail(const QString &caption, bool showPageCount, QWidget *parent = nullptr);

    static constexpr int kCrossFadeMs = 300;

    // `identity` names what the pages show (medium and orientation); a new one
    // cross-fades from the old page.
    void setPages(const QList<AnyLabelView> &pages, bool circular, const QString &identity = {});
    // The identity of a thumbnail of `media` lying as `orientation` says.
    static QString identity(const LabelMedia &media, Orientation orientation);
    // The tween of the frame's change of size.
    static constexpr const char *kResize = "quill.thumbnail.resize";
    LabelPageView *pageView() const { return m_page; }
    QLabel *pageCountLabel() const { return m_count; }

Q_SIGNALS:
    void clicked();

private:
    LabelPageView *m_page;
    QLabel *m_count;
    bool m_showPageCount;
    QString m_identity;
};

} // namespace quill
