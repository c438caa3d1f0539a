#include "designer/label_designer_state.h"

#include "designer/label_template_json.h"
#include "designer/template_html_renderer.h"
#include "designer/template_image.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quill {

namespace {

bool sameTemplate(const LabelTemplate &a, const LabelTemplate &b)
{
    return a.id == b.id && a.name == b.name && a.labelSize == b.labelSize && a.labelShape == b.labelShape &&
           a.elements == b.elements && a.gridSpacing == b.gridSpacing && a.createdAt == b.createdAt &&
           a.updatedAt == b.updatedAt;
}

bool sameGeometry(const QList<AlignmentGuide> &a, const QList<AlignmentGuide> &b)
{
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(), [](const AlignmentGuide &x, const AlignmentGuide &y) {
            return x.axis == y.axis && x.position == y.position && x.snappedPosition == y.snappedPosition;
        });
}

// One above the highest, 0 for the first; a hand-made file may already hold the largest
// value, which then stays rather than wrapping round to the bottom of the stack.
qint64 nextZIndex(const QList<LabelElement> &elements)
{
    qint64 highest = -1;
    for (const LabelElement &element : elements)
        highest = std::max(highest, element.zIndex);
    return highest == std::numeric_limits<qint64>::max() ? highest : highest + 1;
}

struct Match
{
    double distance = 0;
    double position = 0;
    double offset = 0;
};

// The nearest anchor within the threshold; of equally near ones the first in order.
std::optional<Match> nearest(const QList<double> &lines, double origin, const double (&offsets)[3])
{
    std::optional<Match> best;
    for (const double line : lines) {
        for (const double offset : offsets) {
            const double distance = std::abs(origin + offset - line);
            if (distance < LabelDesignerState::kGuideThreshold && (!best || distance < best->distance))
                best = Match{distance, line, offset};
        }
    }
    return best;
}

} // namespace

LabelDesignerState::LabelDesignerState(LabelTemplate labelTemplate, QObject *parent)
    : QObject(parent), m_template(std::move(labelTemplate))
{
}

void LabelDesignerState::setLabelTemplate(const LabelTemplate &labelTemplate)
{
    if (sameTemplate(m_template, labelTemplate))
        return;
    m_template = labelTemplate;
    Q_EMIT templateChanged();
}

void LabelDesignerState::setSelectedElementId(std::optional<QUuid> id)
{
    if (m_selectedElementId == id)
        return;
    m_selectedElementId = id;
    Q_EMIT selectedElementIdChanged();
}

void LabelDesignerState::setZoomScale(double zoomScale)
{
    if (m_zoomScale == zoomScale)
        return;
    m_zoomScale = zoomScale;
    Q_EMIT zoomScaleChanged();
}

void LabelDesignerState::setShowGrid(bool showGrid)
{
    if (m_showGrid == showGrid)
        return;
    m_showGrid = showGrid;
    Q_EMIT showGridChanged();
}

void LabelDesignerState::setSnapToGrid(bool snapToGrid)
{
    if (m_snapToGrid == snapToGrid)
        return;
    m_snapToGrid = snapToGrid;
    Q_EMIT snapToGridChanged();
}

void LabelDesignerState::setSnapToGuides(bool snapToGuides)
{
    if (m_snapToGuides == snapToGuides)
        return;
    m_snapToGuides = snapToGuides;
    Q_EMIT snapToGuidesChanged();
}

void LabelDesignerState::setActiveGuides(const QList<AlignmentGuide> &guides)
{
    const bool changed = !sameGeometry(m_activeGuides, guides);
    m_activeGuides = guides;
    if (changed)
        Q_EMIT activeGuidesChanged();
}

std::optional<LabelElement> LabelDesignerState::selectedElement() const
{
    if (!m_selectedElementId)
        return std::nullopt;
    for (const LabelElement &element : m_template.elements) {
        if (element.id == *m_selectedElementId)
            return element;
    }
    return std::nullopt;
}

void LabelDesignerState::saveUndoState()
{
    m_undoStack.append(m_template);
    while (m_undoStack.size() > kMaxUndoLevels)
        m_undoStack.removeFirst();
    Q_EMIT undoStackChanged();
    if (!m_redoStack.isEmpty()) {
        m_redoStack.clear();
        Q_EMIT redoStackChanged();
    }
}

void LabelDesignerState::replaceTemplate(LabelTemplate labelTemplate)
{
    m_template = std::move(labelTemplate);
    Q_EMIT templateChanged();
}

void LabelDesignerState::undo()
{
    if (m_undoStack.isEmpty())
        return;
    LabelTemplate snapshot = m_undoStack.takeLast();
    m_redoStack.append(m_template);
    replaceTemplate(std::move(snapshot));
    Q_EMIT undoStackChanged();
    Q_EMIT redoStackChanged();
    if (m_selectedElementId && !selectedElement())
        setSelectedElementId(std::nullopt);
}

void LabelDesignerState::redo()
{
    if (m_redoStack.isEmpty())
        return;
    LabelTemplate snapshot = m_redoStack.takeLast();
    m_undoStack.append(m_template);
    replaceTemplate(std::move(snapshot));
    Q_EMIT undoStackChanged();
    Q_EMIT redoStackChanged();
}

void LabelDesignerState::appendSelected(LabelElement element)
{
    element.zIndex = nextZIndex(m_template.elements);
    const QUuid id = element.id;
    m_template.elements.append(std::move(element));
    Q_EMIT templateChanged();
    setSelectedElementId(id);
}

void LabelDesignerState::addElement(LabelElement element)
{
    saveUndoState();
    appendSelected(std::move(element));
}

LabelElement LabelDesignerState::newElement(ElementKind kind, double width, double height) const
{
    const QSizeF canvas = m_template.canvasSize();
    return LabelElement{QUuid::createUuid(),
                        std::move(kind),
                        ElementFrame{canvas.width() / 4, canvas.height() / 4, width, height},
                        0,
                        false,
                        0};
}

void LabelDesignerState::addTextElement()
{
    addElement(newElement(TextProperties{QStringLiteral("Text"), QStringLiteral("Arial"), 14,
                                         FontWeightValue::regular, QStringLiteral("#000000"),
                                         TextAlignmentValue::leading, false},
                          100, 24));
}

void LabelDesignerState::addImageElement()
{
    addElement(newElement(ImageProperties{std::nullopt, ObjectFitValue::contain}, 60, 60));
}

void LabelDesignerState::addQRCodeElement()
{
    addElement(newElement(
        QRCodeProperties{QString::fromLatin1(kNewQRCodeContent), QRCorrectionLevel::medium, false}, 60, 60));
}

void LabelDesignerState::deleteElement(const QUuid &id)
{
    saveUndoState();
    const qsizetype removed =
        m_template.elements.removeIf([&id](const LabelElement &element) { return element.id == id; });
    if (removed > 0)
        Q_EMIT templateChanged();
    if (m_selectedElementId == id)
        setSelectedElementId(std::nullopt);
}

void LabelDesignerState::duplicateSelected()
{
    const std::optional<LabelElement> selected = selectedElement();
    if (!selected)
        return;
    LabelElement copy = *selected;
    copy.id = QUuid::createUuid();
    copy.frame.x += 10;
    copy.frame.y += 10;
    // Only a picture makes a copy large enough to matter.
    const auto *image = std::get_if<ImageProperties>(&copy.kind);
    if (image && image->imageData) {
        LabelTemplate candidate = m_template;
        candidate.elements.append(copy);
        if (const std::optional<QString> problem = sizeProblem(candidate)) {
            Q_EMIT editRefused(tr("The picture was not duplicated. %1").arg(*problem));
            return;
        }
    }
    saveUndoState();
    appendSelected(std::move(copy));
}

std::optional<QString> LabelDesignerState::sizeProblem(const LabelTemplate &labelTemplate)
{
    try {
        const qint64 fileBytes = encodeLabelTemplate(labelTemplate).size();
        if (fileBytes > templateLimits::maxFileBytes)
            return templateFileTooLarge(fileBytes);
    } catch (const TemplateEncodeError &) {
        // Not a question of size; the save says what is wrong.
    }
    const qint64 pageBytes = renderTemplateHTML(labelTemplate, TemplateVariables{}).toUtf8().size();
    if (pageBytes > templateLimits::maxPageBytes)
        return tr("Its print page would take %1 MB; a label page may hold at most %2 MB.")
            .arg(QString::number(double(pageBytes) / (1024 * 1024), 'f', 1))
            .arg(templateLimits::maxPageBytes >> 20);
    return std::nullopt;
}

std::optional<QString> LabelDesignerState::pictureProblem(const QUuid &id, const QByteArray &bytes) const
{
    if (const std::optional<QString> problem = templatePictureProblem(bytes))
        return problem;
    LabelTemplate candidate = m_template;
    for (LabelElement &element : candidate.elements) {
        if (auto *image = std::get_if<ImageProperties>(&element.kind); image && element.id == id)
            image->imageData = bytes;
    }
    return sizeProblem(candidate);
}

LabelElement *LabelDesignerState::unlockedElement(const QUuid &id)
{
    const auto found = std::find_if(m_template.elements.begin(), m_template.elements.end(),
                                    [&id](const LabelElement &element) { return element.id == id; });
    if (found == m_template.elements.end() || found->isLocked)
        return nullptr;
    return &*found;
}

void LabelDesignerState::moveElement(const QUuid &id, double x, double y)
{
    LabelElement *element = unlockedElement(id);
    if (!element)
        return;
    const double spacing = m_template.gridSpacing;
    // A spacing that is not a positive number would divide by nothing; such a grid does not snap.
    if (m_snapToGrid && std::isfinite(spacing) && spacing > 0) {
        x = spacing * std::round(x / spacing);
        y = spacing * std::round(y / spacing);
    }
    if (m_snapToGuides) {
        const QSizeF canvas = m_template.canvasSize();
        const QList<AlignmentGuide> guides =
            computeAlignmentGuides(*element, x, y, canvas.width(), canvas.height(), m_template.elements);
        setActiveGuides(guides);
        for (const AlignmentGuide &guide : guides) {
            if (guide.axis == GuideAxis::vertical)
                x = guide.snappedPosition;
            else
                y = guide.snappedPosition;
        }
        // The guides' signal may have led to changes; find the element again.
        element = unlockedElement(id);
        if (!element)
            return;
    }
    if (element->frame.x == x && element->frame.y == y)
        return;
    element->frame.x = x;
    element->frame.y = y;
    Q_EMIT templateChanged();
}

void LabelDesignerState::updateElementFrame(const QUuid &id, const ElementFrame &frame)
{
    LabelElement *element = unlockedElement(id);
    if (!element || element->frame == frame)
        return;
    element->frame = frame;
    Q_EMIT templateChanged();
}

QList<AlignmentGuide> LabelDesignerState::computeAlignmentGuides(const LabelElement &moving, double x,
                                                                 double y, double canvasWidth,
                                                                 double canvasHeight,
                                                                 const QList<LabelElement> &elements)
{
    QList<double> verticalLines{0, canvasWidth / 2, canvasWidth};
    QList<double> horizontalLines{0, canvasHeight / 2, canvasHeight};
    for (const LabelElement &other : elements) {
        if (other.id == moving.id)
            continue;
        const ElementFrame &f = other.frame;
        verticalLines << f.x << f.x + f.width / 2 << f.x + f.width;
        horizontalLines << f.y << f.y + f.height / 2 << f.y + f.height;
    }
    const double w = moving.frame.width;
    const double h = moving.frame.height;
    const double xOffsets[3] = {0, w / 2, w};
    const double yOffsets[3] = {0, h / 2, h};

    QList<AlignmentGuide> guides;
    if (const auto match = nearest(verticalLines, x, xOffsets))
        guides.append(AlignmentGuide{QUuid::createUuid(), GuideAxis::vertical, match->position,
                                     match->position - match->offset});
    if (const auto match = nearest(horizontalLines, y, yOffsets))
        guides.append(AlignmentGuide{QUuid::createUuid(), GuideAxis::horizontal, match->position,
                                     match->position - match->offset});
    return guides;
}

} // namespace quill
