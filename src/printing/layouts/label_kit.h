#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

class QPainter;

// A small layout engine for labels. Everything is measured in points (1/72 in) with
// the origin at the top left; the same measured layout paints into any QPainter whose
// user units are points (a 300-dpi image scaled 300/72, a widget, a PDF page).
//
// Sizing works by proposal: a parent offers a width and/or a height (none means
// "your ideal size"), the child answers the size it takes, and the parent places it.
// A child is placed with the same proposal it was measured with, so measuring and
// drawing always agree.
namespace quill::labelkit {

enum class Axis
{
    horizontal,
    vertical
};
enum class HAlign
{
    leading,
    center,
    trailing
};
enum class VAlign
{
    top,
    center,
    bottom
};

struct Alignment
{
    HAlign horizontal = HAlign::center;
    VAlign vertical = VAlign::center;
};

inline constexpr Alignment kCenter{HAlign::center, VAlign::center};
inline constexpr Alignment kTop{HAlign::center, VAlign::top};
inline constexpr Alignment kTopLeading{HAlign::leading, VAlign::top};
inline constexpr Alignment kLeading{HAlign::leading, VAlign::center};

struct Proposal
{
    std::optional<qreal> width;
    std::optional<qreal> height;
};

struct Insets
{
    qreal top = 0;
    qreal leading = 0;
    qreal bottom = 0;
    qreal trailing = 0;

    static Insets all(qreal value) { return {value, value, value, value}; }
    static Insets symmetric(qreal horizontal, qreal vertical)
    {
        return {vertical, horizontal, vertical, horizontal};
    }
};

enum class Shape
{
    rectangle,
    // The ellipse inscribed in the frame (a circle on a square frame).
    ellipse,
    // The circle through the frame's corners, so it encloses all of the frame.
    enclosingCircle,
};

// What a tagged element ended up as, for checks of the geometry.
struct Element
{
    QString tag;
    QRectF frame;
    // Texts only.
    qreal requestedPointSize = 0;
    qreal pointSize = 0; // after shrinking to fit
    QStringList lines;   // as drawn, with the ellipsis where a line was cut
    bool truncated = false;
    QFont font;
    QColor color;
};

class Node
{
public:
    virtual ~Node() = default;

    virtual QSizeF sizeThatFits(const Proposal &proposal) = 0;
    virtual void place(const QRectF &frame, const Proposal &proposal);
    virtual void paint(QPainter &painter) const = 0;
    // Whether the node takes whatever room it is offered along this axis.
    virtual bool isFlexible(Axis axis) const;

    void setTag(const QString &tag) { m_tag = tag; }
    const QString &tag() const { return m_tag; }
    const QRectF &frame() const { return m_frame; }
    void collect(QList<Element> &out) const;
    // The frames of the pictures in and under this node.
    virtual void collectPictures(QList<QRectF> &out) const;

protected:
    virtual void describe(Element &element) const;
    virtual void collectChildren(QList<Element> &out) const;

    QRectF m_frame;
    QString m_tag;
};

using NodePtr = std::unique_ptr<Node>;
using NodeList = std::vector<NodePtr>;

// Builds a child list, leaving out absent (null) elements.
template <typename... Nodes> NodeList nodes(Nodes &&...items)
{
    NodeList list;
    list.reserve(sizeof...(items));
    (
        [&list](NodePtr &&item) {
            if (item)
                list.push_back(std::move(item));
        }(std::forward<Nodes>(items)),
        ...);
    return list;
}

struct TextOptions
{
    QFont font;
    QColor color = Qt::black;
    // 0: as many lines as the room allows; otherwise at most this many.
    int maxLines = 1;
    // Below 1 the text is first drawn smaller, down to this share of its size, to
    // fit; what still does not fit is cut at the end with an ellipsis.
    qreal minimumScale = 1.0;
    // How the lines of a text sit within the text's own width.
    HAlign lineAlignment = HAlign::leading;
    qreal letterSpacing = 0;
};

// Leaves: texts, aspect-fit images, flexible space, colour fills, rules and free drawing.
NodePtr text(const QString &text, const TextOptions &options);
// Stretched to any size, then fitted with its aspect ratio kept into the room offered,
// at most `maxSize`.
NodePtr image(const QImage &image, QSizeF maxSize);
// Takes all remaining room along its stack's axis; at least `minLength`, or the stack's
// spacing when none is given.
NodePtr spacer(std::optional<qreal> minLength = std::nullopt);
NodePtr fill(const QColor &color);
// A filled bar of a fixed height, as wide as it is offered.
NodePtr rule(qreal height, const QColor &color);
NodePtr canvas(std::function<void(QPainter &, const QRectF &)> draw);

// Stacks place children one after the other with `spacing` between them (none next
// to a spacer), aligned across the axis as stated.
NodePtr vstack(HAlign alignment, qreal spacing, NodeList children);
NodePtr hstack(VAlign alignment, qreal spacing, NodeList children);
// Layers on top of each other, each aligned within the largest.
NodePtr zstack(Alignment alignment, NodeList children);

struct FrameOptions
{
    std::optional<qreal> width; // fixed
    std::optional<qreal> height;
    std::optional<qreal> maxWidth; // may be infinite: take all room offered
    std::optional<qreal> maxHeight;
    Alignment alignment = kCenter;
};

inline constexpr qreal kInfinity = std::numeric_limits<qreal>::infinity();

// Modifiers. Each takes a node and returns the wrapped node; an absent node stays absent.
NodePtr padding(NodePtr node, const Insets &insets);
NodePtr frame(NodePtr node, const FrameOptions &options);
NodePtr stretch(NodePtr node, bool width, bool height, Alignment alignment);
NodePtr background(NodePtr node, const QColor &color, Shape shape = Shape::rectangle);
NodePtr stroke(NodePtr node, const QColor &color, qreal lineWidth, Shape shape = Shape::rectangle);
enum class Edge
{
    top,
    bottom
};
// A bar over (not beside) the node's top or bottom edge, as wide as the node.
NodePtr edgeRule(NodePtr node, Edge edge, qreal height, const QColor &color);
NodePtr clip(NodePtr node, Shape shape);
NodePtr tagged(NodePtr node, const QString &tag);

QPainterPath shapePath(const QRectF &rect, Shape shape);

// A laid-out label: the tree measured into its box of width × height points.
class LabelLayout final
{
public:
    LabelLayout(NodePtr root, QSizeF size);

    QSizeF size() const { return m_size; }
    void paint(QPainter &painter) const;

    QList<Element> elements() const;
    std::optional<Element> element(const QString &tag) const;
    bool contains(const QString &tag) const { return element(tag).has_value(); }
    // Where the pictures are drawn, in points.
    QList<QRectF> pictureFrames() const;

    // The label as a bitmap of dotsPerInch / 72 pixels per point, transparent where
    // nothing was drawn. Throws quill::Error for a resolution or size whose pixel
    // counts are not finite or too large to allocate.
    QImage toImage(qreal dotsPerInch) const;

private:
    std::shared_ptr<Node> m_root;
    QSizeF m_size;
};

} // namespace quill::labelkit
