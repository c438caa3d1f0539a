#pragma once

#include "designer/label_template.h"

#include <QObject>
#include <optional>

namespace quill {

enum class GuideAxis
{
    horizontal, // a horizontal line; it snaps y
    vertical    // a vertical line; it snaps x
};

struct AlignmentGuide
{
    QUuid id;
    GuideAxis axis = GuideAxis::vertical;
    double position = 0;        // x of a vertical line, y of a horizontal one
    double snappedPosition = 0; // the element origin that puts the matched anchor on the line
};

// The template open in the designer with its selection, view switches and undo history.
// Positions are label points. Signals come only on real changes, and one per operation.
class LabelDesignerState final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LabelDesignerState)

public:
    static constexpr int kMaxUndoLevels = 50;
    // How near (in label points, whatever the zoom) an edge or centre must come to snap.
    static constexpr double kGuideThreshold = 4.0;
    // Where a new QR element points until the seller types an address.
    static constexpr const char *kNewQRCodeContent = "https://example.com";

    explicit LabelDesignerState(LabelTemplate labelTemplate, QObject *parent = nullptr);

    const LabelTemplate &labelTemplate() const { return m_template; }
    // The property panels write here; no undo step is recorded.
    void setLabelTemplate(const LabelTemplate &labelTemplate);

    std::optional<QUuid> selectedElementId() const { return m_selectedElementId; }
    void setSelectedElementId(std::optional<QUuid> id);
    double zoomScale() const { return m_zoomScale; }
    void setZoomScale(double zoomScale);
    bool showGrid() const { return m_showGrid; }
    void setShowGrid(bool showGrid);
    bool snapToGrid() const { return m_snapToGrid; }
    void setSnapToGrid(bool snapToGrid);
    bool snapToGuides() const { return m_snapToGuides; }
    void setSnapToGuides(bool snapToGuides);
    const QList<AlignmentGuide> &activeGuides() const { return m_activeGuides; }
    void setActiveGuides(const QList<AlignmentGuide> &guides);
    const QList<LabelTemplate> &undoStack() const { return m_undoStack; }
    const QList<LabelTemplate> &redoStack() const { return m_redoStack; }

    // The first element with the selected id, if any.
    std::optional<LabelElement> selectedElement() const;

    void saveUndoState();
    void undo();
    void redo();

    void addElement(LabelElement element);
    void addTextElement();
    void addImageElement();
    void addQRCodeElement();
    void deleteElement(const QUuid &id);
    // A copy of an image element that would take the template past a limit is refused
    // with editRefused.
    void duplicateSelected();
    // Snaps the proposed origin to the grid and the guides and moves the element there.
    void moveElement(const QUuid &id, double x, double y);
    void updateElementFrame(const QUuid &id, const ElementFrame &frame);

    // Why the template could not be kept or printed as it stands: its file over the
    // store's limit or its print page over the print engine's; none when it fits.
    static std::optional<QString> sizeProblem(const LabelTemplate &labelTemplate);
    // Why `bytes` cannot become the picture of image element `id`: not a picture a
    // template takes, or the template would grow past a limit; none when they can.
    std::optional<QString> pictureProblem(const QUuid &id, const QByteArray &bytes) const;

    static QList<AlignmentGuide> computeAlignmentGuides(const LabelElement &moving, double x, double y,
                                                        double canvasWidth, double canvasHeight,
                                                        const QList<LabelElement> &elements);

Q_SIGNALS:
    void templateChanged();
    void selectedElementIdChanged();
    void zoomScaleChanged();
    void showGridChanged();
    void snapToGridChanged();
    void snapToGuidesChanged();
    void activeGuidesChanged();
    void undoStackChanged();
    void redoStackChanged();
    // An edit was not made, and why (in words for the seller).
    void editRefused(const QString &message);

private:
    void replaceTemplate(LabelTemplate labelTemplate);
    void appendSelected(LabelElement element);
    LabelElement *unlockedElement(const QUuid &id);
    LabelElement newElement(ElementKind kind, double width, double height) const;

    LabelTemplate m_template;
    std::optional<QUuid> m_selectedElementId;
    double m_zoomScale = 1.0;
    bool m_showGrid = true;
    bool m_snapToGrid = true;
    bool m_snapToGuides = true;
    QList<AlignmentGuide> m_activeGuides;
    QList<LabelTemplate> m_undoStack;
    QList<LabelTemplate> m_redoStack;
};

} // namespace quill
