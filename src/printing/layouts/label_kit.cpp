#include "printing/layouts/label_kit.h"

#include "common/error.h"
#include "printkit/rendering/text_drawing.h"

#include <QHash>
#include <QPainter>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <mutex>
#include <numeric>

namespace quill::labelkit {

namespace {

// Text measurements are fractional; a width this close counts as fitting.
constexpr qreal kFitTolerance = 0.01;
constexpr qreal kUnbounded = 1e7;
// A bitmap beyond this many pixels is a mistake in a size or a resolution.
constexpr double kMaxImagePixels = 400.0 * 1000 * 1000;

qreal primary(Axis axis, QSizeF size)
{
    return axis == Axis::horizontal ? size.width() : size.height();
}

qreal cross(Axis axis, QSizeF size)
{
    return axis == Axis::horizontal ? size.height() : size.width();
}

QSizeF makeSize(Axis axis, qreal along, qreal across)
{
    return axis == Axis::horizontal ? QSizeF(along, across) : QSizeF(across, along);
}

Proposal makeProposal(Axis axis, std::optional<qreal> along, std::optional<qreal> across)
{
    return axis == Axis::horizontal ? Proposal{along, across} : Proposal{across, along};
}

std::optional<qreal> shrunk(std::optional<qreal> value, qreal by)
{
    if (!value)
        return std::nullopt;
    return std::max<qreal>(0, *value - by);
}

qreal alignOffset(qreal room, qreal size, HAlign alignment)
{
    switch (alignment) {
    case HAlign::leading:
        return 0;
    case HAlign::center:
        return (room - size) / 2;
    case HAlign::trailing:
        return room - size;
    }
    return 0;
}

qreal alignOffset(qreal room, qreal size, VAlign alignment)
{
    switch (alignment) {
    case VAlign::top:
        return 0;
    case VAlign::center:
        return (room - size) / 2;
    case VAlign::bottom:
        return room - size;
    }
    return 0;
}

QRectF aligned(const QRectF &room, QSizeF size, Alignment alignment)
{
    return QRectF(room.left() + alignOffset(room.width(), size.width(), alignment.horizontal),
                  room.top() + alignOffset(room.height(), size.height(), alignment.vertical), size.width(),
                  size.height());
}

bool sameProposal(const Proposal &a, const Proposal &b)
{
    return a.width == b.width && a.height == b.height;
}

// ---- leaves ---------------------------------------------------------------------

// What fitting a text to its room came to: the scale it is drawn at, its lines, its size.
struct TextFit
{
    qreal scale = 1;
    QList<printkit::TextLine> lines;
    QSizeF size;
};

// Fitting a text (shrinking and wrapping it into its room) lays it out at many sizes.
// The answer depends only on the text, its font and options and the room, so it is kept
// for every thread: a label drawn in bands fits each text once, and a text that comes
// back label after label (a show title, a box number) is not fitted again.
class TextFitMemo final
{
public:
    static QString key(const QString &text, const TextOptions &options, const Proposal &proposal)
    {
        const auto number = [](std::optional<qreal> value) {
            return value ? QString::number(*value, 'g', 17) : QStringLiteral("-");
        };
        const QFont &font = options.font;
        return QStringList{text,
                           font.toString(),
                           number(font.pointSizeF()), // toString() keeps six digits
                           QString::number(font.pixelSize()),
                           font.families().join(QLatin1Char(',')),
                           QString::number(int(font.hintingPreference())),
                           QString::number(int(font.styleStrategy())),
                           QString::number(options.maxLines),
                           number(options.minimumScale),
                           number(options.letterSpacing),
                           number(proposal.width),
                           number(proposal.height)}
            .join(QChar(0x1f));
    }

    static std::optional<TextFit> find(const QString &key)
    {
        std::lock_guard lock(mutex());
        const auto found = fits().constFind(key);
        if (found == fits().constEnd())
            return std::nullopt;
        return *found;
    }

    static void keep(const QString &key, const TextFit &fit)
    {
        std::lock_guard lock(mutex());
        if (fits().size() >= kMaxFits)
            fits().clear();
        fits().insert(key, fit);
    }

private:
    static constexpr qsizetype kMaxFits = 4096;
    static std::mutex &mutex()
    {
        static std::mutex m;
        return m;
    }
    static QHash<QString, TextFit> &fits()
    {
        static QHash<QString, TextFit> all;
        return all;
    }
};

class TextNode final : public Node
{
public:
    TextNode(QString text, TextOptions options) : m_text(std::move(text)), m_options(std::move(options))
    {
        m_basePointSize = m_options.font.pointSizeF() > 0 ? m_options.font.pointSizeF() : 12;
        m_options.minimumScale = std::clamp<qreal>(m_options.minimumScale, 0.01, 1.0);
    }

    QSizeF sizeThatFits(const Proposal &proposal) override { return fit(proposal).size; }

    void place(const QRectF &frame, const Proposal &proposal) override
    {
        m_frame = frame;
        m_placed = fit(proposal);
    }

    void paint(QPainter &painter) const override
    {
        const printkit::TextStyle style = styleAt(m_placed.scale, printkit::TextWrap::singleLine);
        // Lines far from the part being drawn (a band of a label) are not laid out again.
        const std::optional<QRectF> drawn =
            painter.hasClipping() ? std::optional(painter.clipBoundingRect()) : std::nullopt;
        for (const printkit::TextLine &line : m_placed.lines) {
            const qreal x =
                m_frame.left() + alignOffset(m_frame.width(), line.rect.width(), m_options.lineAlignment);
            // The line was measured to fit; the extra room only keeps it from being cut again.
            const QRectF rect(x, m_frame.top() + line.rect.top(), line.rect.width() + 1, line.rect.height());
            const qreal reach = rect.height(); // glyphs may stand out of their line
            if (drawn && !rect.adjusted(-reach, -reach, reach, reach).intersects(*drawn))
                continue;
            printkit::drawText(painter, line.text, rect, style);
        }
    }

protected:
    void describe(Element &element) const override
    {
        element.requestedPointSize = m_basePointSize;
        element.pointSize = m_basePointSize * m_placed.scale;
        for (const printkit::TextLine &line : m_placed.lines)
            element.lines.append(line.text);
        element.truncated = std::any_of(m_placed.lines.begin(), m_placed.lines.end(),
                                        [](const printkit::TextLine &line) { return line.truncated; });
        element.font = styleAt(m_placed.scale, printkit::TextWrap::singleLine).font;
        element.color = m_options.color;
    }

private:
    using Fit = TextFit;

    printkit::TextStyle styleAt(qreal scale, printkit::TextWrap wrap) const
    {
        printkit::TextStyle style;
        style.font = m_options.font;
        style.font.setPointSizeF(m_basePointSize * scale);
        style.color = m_options.color;
        style.letterSpacing = m_options.letterSpacing;
        style.alignment = Qt::AlignLeft;
        style.wrap = wrap;
        return style;
    }

    QSizeF naturalSize(qreal scale) const
    {
        const auto lines = printkit::layoutText(m_text, QRectF(0, 0, kUnbounded, kUnbounded),
                                                styleAt(scale, printkit::TextWrap::singleLine));
        return lines.isEmpty() ? QSizeF() : lines.first().rect.size();
    }

    // The widest word at full size; widths grow in proportion to the size (the fonts
    // are unhinted), so a word fits at scale s when this times s fits.
    qreal widestWord()
    {
        if (!m_widestWord) {
            qreal widest = 0;
            const QStringList words =
                m_text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
            for (const QString &word : words) {
                const auto lines = printkit::layoutText(word, QRectF(0, 0, kUnbounded, kUnbounded),
                                                        styleAt(1, printkit::TextWrap::singleLine));
                if (!lines.isEmpty())
                    widest = std::max(widest, lines.first().rect.width());
            }
            m_widestWord = widest;
        }
        return *m_widestWord;
    }

    QList<printkit::TextLine> wrapped(qreal scale, qreal width, qreal height) const
    {
        return printkit::layoutText(m_text, QRectF(0, 0, width, height),
                                    styleAt(scale, printkit::TextWrap::wordWrap));
    }

    static qreal totalHeight(const QList<printkit::TextLine> &lines)
    {
        return lines.isEmpty() ? 0 : lines.last().rect.bottom() - lines.first().rect.top();
    }

    // Whether the whole text fits at this scale without cutting or breaking a word.
    bool wrappedFits(qreal scale, qreal width, std::optional<qreal> height)
    {
        if (widestWord() * scale > width + kFitTolerance)
            return false;
        const auto lines = wrapped(scale, width, kUnbounded);
        if (m_options.maxLines > 0 && lines.size() > m_options.maxLines)
            return false;
        if (m_options.maxLines == 0 && height && totalHeight(lines) > *height + kFitTolerance)
            return false;
        return true;
    }

    qreal singleLineScale(qreal width)
    {
        const qreal natural = naturalSize(1).width();
        if (natural <= width + kFitTolerance || m_options.minimumScale >= 1 || natural <= 0)
            return 1;
        const qreal minimum = m_options.minimumScale;
        qreal scale = std::clamp(width / natural, minimum, 1.0);
        // Widths are nearly proportional to the size; settle the last rounding.
        for (int i = 0; i < 4 && scale > minimum; ++i) {
            const qreal measured = naturalSize(scale).width();
            if (measured <= width + kFitTolerance)
                break;
            scale = std::max(minimum, scale * width / measured * 0.999);
        }
        return scale;
    }

    qreal wrappedScale(qreal width, std::optional<qreal> height)
    {
        if (wrappedFits(1, width, height) || m_options.minimumScale >= 1)
            return 1;
        qreal low = m_options.minimumScale;
        if (!wrappedFits(low, width, height))
            return low;
        qreal high = 1;
        for (int i = 0; i < 12; ++i) {
            const qreal middle = (low + high) / 2;
            if (wrappedFits(middle, width, height))
                low = middle;
            else
                high = middle;
        }
        return low;
    }

    Fit computeFit(const Proposal &proposal)
    {
        Fit result;
        if (m_text.isEmpty())
            return result;
        const qreal width = proposal.width ? std::max<qreal>(0, *proposal.width) : kUnbounded;
        if (m_options.maxLines == 1) {
            result.scale = singleLineScale(width);
            result.lines = printkit::layoutText(m_text, QRectF(0, 0, width, kUnbounded),
                                                styleAt(result.scale, printkit::TextWrap::singleLine));
        } else {
            result.scale = wrappedScale(width, proposal.height);
            qreal height = kUnbounded;
            if (m_options.maxLines > 0)
                height = naturalSize(result.scale).height() * m_options.maxLines + kFitTolerance / 2;
            else if (proposal.height)
                height = std::max<qreal>(0, *proposal.height);
            result.lines = wrapped(result.scale, width, height);
        }
        qreal widest = 0;
        for (const printkit::TextLine &line : result.lines)
            widest = std::max(widest, line.rect.width());
        result.size = QSizeF(widest, totalHeight(result.lines));
        return result;
    }

    const Fit &fit(const Proposal &proposal)
    {
        for (const auto &[key, value] : m_cache)
            if (sameProposal(key, proposal))
                return value;
        if (m_cache.size() > 8)
            m_cache.erase(m_cache.begin());
        const QString key = TextFitMemo::key(m_text, m_options, proposal);
        std::optional<Fit> fitted = TextFitMemo::find(key);
        if (!fitted) {
            fitted = computeFit(proposal);
            TextFitMemo::keep(key, *fitted);
        }
        m_cache.emplace_back(proposal, std::move(*fitted));
        return m_cache.back().second;
    }

    QString m_text;
    TextOptions m_options;
    qreal m_basePointSize = 12;
    std::optional<qreal> m_widestWord;
    std::vector<std::pair<Proposal, Fit>> m_cache;
    Fit m_placed;
};

class ImageNode final : public Node
{
public:
    ImageNode(QImage image, QSizeF maxSize) : m_image(std::move(image)), m_maxSize(maxSize) {}

    QSizeF sizeThatFits(const Proposal &proposal) override
    {
        if (m_image.isNull() || m_image.width() <= 0 || m_image.height() <= 0)
            return {};
        const qreal width =
            std::max<qreal>(0, std::min(m_maxSize.width(), proposal.width.value_or(kInfinity)));
        const qreal height =
            std::max<qreal>(0, std::min(m_maxSize.height(), proposal.height.value_or(kInfinity)));
        const qreal factor = std::min(width / m_image.width(), height / m_image.height());
        if (!std::isfinite(factor))
            return {};
        return QSizeF(m_image.width() * factor, m_image.height() * factor);
    }

    void paint(QPainter &painter) const override
    {
        if (m_frame.isEmpty())
            return;
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(m_frame, m_image, QRectF(m_image.rect()));
        painter.restore();
    }

    void collectPictures(QList<QRectF> &out) const override
    {
        if (!m_frame.isEmpty())
            out.append(m_frame);
    }

private:
    QImage m_image;
    QSizeF m_maxSize;
};

class SpacerNode final : public Node
{
public:
    explicit SpacerNode(std::optional<qreal> minLength) : m_minLength(minLength) {}

    void attach(Axis axis, qreal stackSpacing)
    {
        m_axis = axis;
        if (!m_minLength)
            m_minLength = stackSpacing;
    }

    qreal minLength() const { return m_minLength.value_or(0); }

    QSizeF sizeThatFits(const Proposal &proposal) override
    {
        const std::optional<qreal> along = m_axis == Axis::horizontal ? proposal.width : proposal.height;
        return makeSize(m_axis, std::max(minLength(), along.value_or(0)), 0);
    }

    void paint(QPainter &) const override {}
    bool isFlexible(Axis axis) const override { return axis == m_axis; }

private:
    std::optional<qreal> m_minLength;
    Axis m_axis = Axis::vertical;
};

class FillNode final : public Node
{
public:
    FillNode(QColor color, std::optional<qreal> fixedHeight)
        : m_color(std::move(color)), m_fixedHeight(fixedHeight)
    {
    }

    QSizeF sizeThatFits(const Proposal &proposal) override
    {
        return QSizeF(std::max<qreal>(0, proposal.width.value_or(0)),
                      m_fixedHeight ? *m_fixedHeight : std::max<qreal>(0, proposal.height.value_or(0)));
    }

    void paint(QPainter &painter) const override { painter.fillRect(m_frame, m_color); }

    bool isFlexible(Axis axis) const override { return axis == Axis::horizontal || !m_fixedHeight; }

protected:
    void describe(Element &element) const override { element.color = m_color; }

private:
    QColor m_color;
    std::optional<qreal> m_fixedHeight;
};

class CanvasNode final : public Node
{
public:
    explicit CanvasNode(std::function<void(QPainter &, const QRectF &)> draw) : m_draw(std::move(draw)) {}

    QSizeF sizeThatFits(const Proposal &proposal) override
    {
        return QSizeF(std::max<qreal>(0, proposal.width.value_or(0)),
                      std::max<qreal>(0, proposal.height.value_or(0)));
    }

    void paint(QPainter &painter) const override
    {
        painter.save();
        m_draw(painter, m_frame);
        painter.restore();
    }

    bool isFlexible(Axis) const override { return true; }

private:
    std::function<void(QPainter &, const QRectF &)> m_draw;
};

// ---- containers -------------------------------------------------------------------

// A node over several children, which it paints and reports in order.
class ContainerNode : public Node
{
public:
    // Absent elements take no room (and, in a stack, no spacing).
    explicit ContainerNode(NodeList children) : m_children(std::move(children)) { std::erase(m_children, nullptr); }

    void paint(QPainter &painter) const override
    {
        for (const NodePtr &child : m_children)
            child->paint(painter);
    }

    bool isFlexible(Axis axis) const override
    {
        return std::any_of(m_children.begin(), m_children.end(),
                           [axis](const NodePtr &child) { return child->isFlexible(axis); });
    }

    void collectPictures(QList<QRectF> &out) const override
    {
        for (const NodePtr &child : m_children)
            child->collectPictures(out);
    }

protected:
    void collectChildren(QList<Element> &out) const override
    {
        for (const NodePtr &child : m_children)
            child->collect(out);
    }

    NodeList m_children;
};

class StackNode final : public ContainerNode
{
public:
    StackNode(Axis axis, qreal spacing, int crossAlignment, NodeList children)
        : ContainerNode(std::move(children)), m_axis(axis), m_spacing(spacing), m_crossAlignment(crossAlignment)
    {
        for (NodePtr &child : m_children)
            if (auto *spacerNode = dynamic_cast<SpacerNode *>(child.get()))
                spacerNode->attach(axis, spacing);
    }

    QSizeF sizeThatFits(const Proposal &proposal) override
    {
        const Arrangement arrangement = arrange(proposal);
        return arrangement.size;
    }

    void place(const QRectF &frame, const Proposal &proposal) override
    {
        m_frame = frame;
        const Arrangement arrangement = arrange(proposal);
        qreal along = m_axis == Axis::horizontal ? frame.left() : frame.top();
        const qreal crossRoom = cross(m_axis, frame.size());
        for (size_t i = 0; i < m_children.size(); ++i) {
            if (i > 0 && spacedApart(i - 1, i))
                along += m_spacing;
            const QSizeF size = arrangement.sizes[i];
            qreal offset = 0;
            if (m_axis == Axis::vertical)
                offset = alignOffset(crossRoom, size.width(), static_cast<HAlign>(m_crossAlignment));
            else
                offset = alignOffset(crossRoom, size.height(), static_cast<VAlign>(m_crossAlignment));
            const QRectF childFrame = m_axis == Axis::horizontal
                                          ? QRectF(along, frame.top() + offset, size.width(), size.height())
                                          : QRectF(frame.left() + offset, along, size.width(), size.height());
            m_children[i]->place(childFrame, arrangement.proposals[i]);
            along += primary(m_axis, size);
        }
    }

private:
    struct Arrangement
    {
        std::vector<QSizeF> sizes;
        std::vector<Proposal> proposals;
        QSizeF size;
    };

    bool isSpacer(size_t index) const { return dynamic_cast<const SpacerNode *>(m_children[index].get()); }
    bool spacedApart(size_t before, size_t after) const { return !isSpacer(before) && !isSpacer(after); }

    qreal minimumAlong(size_t index) const
    {
        if (const auto *spacerNode = dynamic_cast<const SpacerNode *>(m_children[index].get()))
            return spacerNode->minLength();
        return 0;
    }

    Arrangement arrange(const Proposal &proposal)
    {
        const size_t count = m_children.size();
        Arrangement result;
        result.sizes.resize(count);
        result.proposals.resize(count);

        const std::optional<qreal> along = m_axis == Axis::horizontal ? proposal.width : proposal.height;
        const std::optional<qreal> across = m_axis == Axis::horizontal ? proposal.height : proposal.width;

        qreal gaps = 0;
        for (size_t i = 1; i < count; ++i)
            if (spacedApart(i - 1, i))
                gaps += m_spacing;

        auto measure = [&](size_t i, std::optional<qreal> length) {
            result.proposals[i] = makeProposal(m_axis, length, across);
            result.sizes[i] = m_children[i]->sizeThatFits(result.proposals[i]);
        };

        if (!along) {
            for (size_t i = 0; i < count; ++i)
                measure(i, m_children[i]->isFlexible(m_axis) ? std::optional<qreal>(minimumAlong(i))
                                                             : std::nullopt);
        } else {
            std::vector<size_t> rigid;
            std::vector<size_t> flexible;
            std::vector<qreal> ideal(count, 0);
            qreal idealSum = 0;
            qreal flexibleMinimum = 0;
            for (size_t i = 0; i < count; ++i) {
                if (m_children[i]->isFlexible(m_axis)) {
                    flexible.push_back(i);
                    flexibleMinimum += minimumAlong(i);
                } else {
                    rigid.push_back(i);
                    ideal[i] = primary(
                        m_axis, m_children[i]->sizeThatFits(makeProposal(m_axis, std::nullopt, across)));
                    idealSum += ideal[i];
                }
            }
            const qreal remaining = *along - gaps - idealSum;
            if (remaining >= flexibleMinimum - kFitTolerance) {
                for (const size_t i : rigid)
                    measure(i, std::nullopt);
                // What is left is shared out evenly, each flexible child at least its minimum.
                qreal left = std::max<qreal>(0, remaining);
                std::vector<size_t> order = flexible;
                std::stable_sort(order.begin(), order.end(),
                                 [this](size_t a, size_t b) { return minimumAlong(a) > minimumAlong(b); });
                for (size_t k = 0; k < order.size(); ++k) {
                    const size_t i = order[k];
                    const qreal share = std::max(minimumAlong(i), left / qreal(order.size() - k));
                    measure(i, share);
                    left = std::max<qreal>(0, left - primary(m_axis, result.sizes[i]));
                }
            } else {
                // Too little room: flexible children get their minimum, and the others
                // are offered what is left, the smallest first, each an even share.
                for (const size_t i : flexible)
                    measure(i, minimumAlong(i));
                qreal left = std::max<qreal>(0, *along - gaps - flexibleMinimum);
                std::vector<size_t> order = rigid;
                std::stable_sort(order.begin(), order.end(),
                                 [&ideal](size_t a, size_t b) { return ideal[a] < ideal[b]; });
                for (size_t k = 0; k < order.size(); ++k) {
                    const size_t i = order[k];
                    const qreal offer = left / qreal(order.size() - k);
                    if (ideal[i] <= offer + kFitTolerance)
                        measure(i, std::nullopt);
                    else
                        measure(i, offer);
                    left = std::max<qreal>(0, left - primary(m_axis, result.sizes[i]));
                }
            }
        }

        qreal total = gaps;
        qreal widest = 0;
        for (size_t i = 0; i < count; ++i) {
            total += primary(m_axis, result.sizes[i]);
            widest = std::max(widest, cross(m_axis, result.sizes[i]));
        }
        result.size = makeSize(m_axis, total, widest);
        return result;
    }

    Axis m_axis;
    qreal m_spacing;
    int m_crossAlignment;
};

class ZStackNode final : public ContainerNode
{
public:
    ZStackNode(Alignment alignment, NodeList children)
        : ContainerNode(std::move(children)), m_alignment(alignment)
    {
    }

    QSizeF sizeThatFits(const Proposal &proposal) override
    {
        QSizeF size;
        for (const NodePtr &child : m_children)
            size = size.expandedTo(child->sizeThatFits(proposal));
        return size;
    }

    void place(const QRectF &frame, const Proposal &proposal) override
    {
        m_frame = frame;
        for (const NodePtr &child : m_children)
            child->place(aligned(frame, child->sizeThatFits(proposal), m_alignment), proposal);
    }

private:
    Alignment m_alignment;
};

// A node around one child.
class WrapperNode : public Node
{
public:
    explicit WrapperNode(NodePtr child) : m_child(std::move(child)) {}

    QSizeF sizeThatFits(const Proposal &proposal) override { return m_child->sizeThatFits(proposal); }

    void place(const QRectF &frame, const Proposal &proposal) override
    {
        m_frame = frame;
        m_child->place(frame, proposal);
    }

    void paint(QPainter &painter) const override { m_child->paint(painter); }
    bool isFlexible(Axis axis) const override { return m_child->isFlexible(axis); }
    void collectPictures(QList<QRectF> &out) const override { m_child->collectPictures(out); }

protected:
    void collectChildren(QList<Element> &out) const override { m_child->collect(out); }

    NodePtr m_child;
};

class PaddingNode final : public WrapperNode
{
public:
    PaddingNode(NodePtr child, Insets insets) : WrapperNode(std::move(child)), m_insets(insets) {}

    QSizeF sizeThatFits(const Proposal &proposal) override
    {
        const QSizeF inner = m_child->sizeThatFits(innerProposal(proposal));
        return QSizeF(inner.width() + horizontal(), inner.height() + vertical());
    }

    void place(const QRectF &frame, const Proposal &proposal) override
    {
        m_frame = frame;
        m_child->place(frame.adjusted(m_insets.leading, m_insets.top, -m_insets.trailing, -m_insets.bottom),
                       innerProposal(proposal));
    }

private:
    qreal horizontal() const { return m_insets.leading + m_insets.trailing; }
    qreal vertical() const { return m_insets.top + m_insets.bottom; }
    Proposal innerProposal(const Proposal &proposal) const
    {
        return {shrunk(proposal.width, horizontal()), shrunk(proposal.height, vertical())};
    }

    Insets m_insets;
};

class FrameNode final : public WrapperNode
{
public:
    FrameNode(NodePtr child, FrameOptions options) : WrapperNode(std::move(child)), m_options(options) {}

    QSizeF sizeThatFits(const Proposal &proposal) override
    {
        const Proposal inner = childProposal(proposal);
        const QSizeF child = m_child->sizeThatFits(inner);
        return QSizeF(side(proposal.width, child.width(), m_options.width, m_options.maxWidth),
                      side(proposal.height, child.height(), m_options.height, m_options.maxHeight));
    }

    void place(const QRectF &frame, const Proposal &proposal) override
    {
        m_frame = frame;
        const Proposal inner = childProposal(proposal);
        m_child->place(aligned(frame, m_child->sizeThatFits(inner), m_options.alignment), inner);
    }

    bool isFlexible(Axis axis) const override
    {
        const auto &fixed = axis == Axis::horizontal ? m_options.width : m_options.height;
        const auto &maximum = axis == Axis::horizontal ? m_options.maxWidth : m_options.maxHeight;
        if (fixed)
            return false;
        if (maximum)
            return std::isinf(*maximum);
        return m_child->isFlexible(axis);
    }

private:
    static std::optional<qreal> childSide(std::optional<qreal> offered, std::optional<qreal> fixed,
                                          std::optional<qreal> maximum)
    {
        if (fixed)
            return fixed;
        if (maximum && offered)
            return std::min(*offered, *maximum);
        return offered;
    }

    static qreal side(std::optional<qreal> offered, qreal child, std::optional<qreal> fixed,
                      std::optional<qreal> maximum)
    {
        if (fixed)
            return *fixed;
        if (maximum) {
            if (!offered)
                return std::min(child, *maximum);
            if (std::isinf(*maximum))
                return std::max<qreal>(0, *offered);
            return std::clamp(*offered, std::min(child, *maximum), *maximum);
        }
        return child;
    }

    Proposal childProposal(const Proposal &proposal) const
    {
        return {childSide(proposal.width, m_options.width, m_options.maxWidth),
                childSide(proposal.height, m_options.height, m_options.maxHeight)};
    }

    FrameOptions m_options;
};

class BackgroundNode final : public WrapperNode
{
public:
    BackgroundNode(NodePtr child, QColor color, Shape shape)
        : WrapperNode(std::move(child)), m_color(std::move(color)), m_shape(shape)
    {
    }

    void paint(QPainter &painter) const override
    {
        painter.save();
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_color);
        painter.drawPath(shapePath(m_frame, m_shape));
        painter.restore();
        m_child->paint(painter);
    }

protected:
    void describe(Element &element) const override { element.color = m_color; }

private:
    QColor m_color;
    Shape m_shape;
};

class StrokeNode final : public WrapperNode
{
public:
    StrokeNode(NodePtr child, QColor color, qreal lineWidth, Shape shape)
        : WrapperNode(std::move(child)), m_color(std::move(color)), m_lineWidth(lineWidth), m_shape(shape)
    {
    }

    void paint(QPainter &painter) const override
    {
        m_child->paint(painter);
        QPen pen(m_color, m_lineWidth);
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
        pen.setMiterLimit(10);
        painter.save();
        painter.strokePath(shapePath(m_frame, m_shape), pen);
        painter.restore();
    }

private:
    QColor m_color;
    qreal m_lineWidth;
    Shape m_shape;
};

class EdgeRuleNode final : public WrapperNode
{
public:
    EdgeRuleNode(NodePtr child, Edge edge, qreal height, QColor color)
        : WrapperNode(std::move(child)), m_edge(edge), m_height(height), m_color(std::move(color))
    {
    }

    QRectF ruleRect() const
    {
        const qreal top = m_edge == Edge::top ? m_frame.top() : m_frame.bottom() - m_height;
        return QRectF(m_frame.left(), top, m_frame.width(), m_height);
    }

    void paint(QPainter &painter) const override
    {
        m_child->paint(painter);
        painter.fillRect(ruleRect(), m_color);
    }

protected:
    void describe(Element &element) const override
    {
        element.frame = ruleRect();
        element.color = m_color;
    }

private:
    Edge m_edge;
    qreal m_height;
    QColor m_color;
};

class ClipNode final : public WrapperNode
{
public:
    ClipNode(NodePtr child, Shape shape) : WrapperNode(std::move(child)), m_shape(shape) {}

    void paint(QPainter &painter) const override
    {
        painter.save();
        painter.setClipPath(shapePath(m_frame, m_shape), Qt::IntersectClip);
        m_child->paint(painter);
        painter.restore();
    }

private:
    Shape m_shape;
};

} // namespace

// ---- Node -----------------------------------------------------------------------------

void Node::place(const QRectF &frame, const Proposal &)
{
    m_frame = frame;
}

bool Node::isFlexible(Axis) const
{
    return false;
}

void Node::collect(QList<Element> &out) const
{
    if (!m_tag.isEmpty()) {
        Element element;
        element.tag = m_tag;
        element.frame = m_frame;
        describe(element);
        out.append(element);
    }
    collectChildren(out);
}

void Node::describe(Element &) const {}

void Node::collectChildren(QList<Element> &) const {}

void Node::collectPictures(QList<QRectF> &) const {}

// ---- builders -------------------------------------------------------------------------

NodePtr text(const QString &content, const TextOptions &options)
{
    return std::make_unique<TextNode>(content, options);
}

NodePtr image(const QImage &picture, QSizeF maxSize)
{
    return std::make_unique<ImageNode>(picture, maxSize);
}

NodePtr spacer(std::optional<qreal> minLength)
{
    return std::make_unique<SpacerNode>(minLength);
}

NodePtr fill(const QColor &color)
{
    return std::make_unique<FillNode>(color, std::nullopt);
}

NodePtr rule(qreal height, const QColor &color)
{
    return std::make_unique<FillNode>(color, height);
}

NodePtr canvas(std::function<void(QPainter &, const QRectF &)> draw)
{
    return std::make_unique<CanvasNode>(std::move(draw));
}

NodePtr vstack(HAlign alignment, qreal spacing, NodeList children)
{
    return std::make_unique<StackNode>(Axis::vertical, spacing, static_cast<int>(alignment),
                                       std::move(children));
}

NodePtr hstack(VAlign alignment, qreal spacing, NodeList children)
{
    return std::make_unique<StackNode>(Axis::horizontal, spacing, static_cast<int>(alignment),
                                       std::move(children));
}

NodePtr zstack(Alignment alignment, NodeList children)
{
    return std::make_unique<ZStackNode>(alignment, std::move(children));
}

NodePtr padding(NodePtr node, const Insets &insets)
{
    if (!node)
        return nullptr;
    return std::make_unique<PaddingNode>(std::move(node), insets);
}

NodePtr frame(NodePtr node, const FrameOptions &options)
{
    if (!node)
        return nullptr;
    return std::make_unique<FrameNode>(std::move(node), options);
}

NodePtr stretch(NodePtr node, bool width, bool height, Alignment alignment)
{
    FrameOptions options;
    if (width)
        options.maxWidth = kInfinity;
    if (height)
        options.maxHeight = kInfinity;
    options.alignment = alignment;
    return frame(std::move(node), options);
}

NodePtr background(NodePtr node, const QColor &color, Shape shape)
{
    if (!node)
        return nullptr;
    return std::make_unique<BackgroundNode>(std::move(node), color, shape);
}

NodePtr stroke(NodePtr node, const QColor &color, qreal lineWidth, Shape shape)
{
    if (!node)
        return nullptr;
    return std::make_unique<StrokeNode>(std::move(node), color, lineWidth, shape);
}

NodePtr edgeRule(NodePtr node, Edge edge, qreal height, const QColor &color)
{
    if (!node)
        return nullptr;
    return std::make_unique<EdgeRuleNode>(std::move(node), edge, height, color);
}

NodePtr clip(NodePtr node, Shape shape)
{
    if (!node)
        return nullptr;
    return std::make_unique<ClipNode>(std::move(node), shape);
}

NodePtr tagged(NodePtr node, const QString &tag)
{
    if (node)
        node->setTag(tag);
    return node;
}

QPainterPath shapePath(const QRectF &rect, Shape shape)
{
    QPainterPath path;
    switch (shape) {
    case Shape::rectangle:
        path.addRect(rect);
        break;
    case Shape::ellipse:
        path.addEllipse(rect);
        break;
    case Shape::enclosingCircle: {
        const qreal radius = std::hypot(rect.width(), rect.height()) / 2;
        path.addEllipse(rect.center(), radius, radius);
        break;
    }
    }
    return path;
}

// ---- LabelLayout -----------------------------------------------------------------------

LabelLayout::LabelLayout(NodePtr root, QSizeF size) : m_root(std::move(root)), m_size(size)
{
    if (!(std::isfinite(size.width()) && std::isfinite(size.height())) || size.width() <= 0 ||
        size.height() <= 0)
        throw Error(QStringLiteral("A label of %1 × %2 points cannot be laid out")
                        .arg(size.width())
                        .arg(size.height()));
    const Proposal proposal{size.width(), size.height()};
    m_root->sizeThatFits(proposal);
    m_root->place(QRectF(QPointF(0, 0), size), proposal);
}

void LabelLayout::paint(QPainter &painter) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    m_root->paint(painter);
    painter.restore();
}

QList<Element> LabelLayout::elements() const
{
    QList<Element> out;
    m_root->collect(out);
    return out;
}

QList<QRectF> LabelLayout::pictureFrames() const
{
    QList<QRectF> out;
    m_root->collectPictures(out);
    return out;
}

std::optional<Element> LabelLayout::element(const QString &tag) const
{
    const QList<Element> all = elements();
    for (const Element &element : all)
        if (element.tag == tag)
            return element;
    return std::nullopt;
}

QImage LabelLayout::toImage(qreal dotsPerInch) const
{
    const double scale = dotsPerInch / 72.0;
    const double width = std::ceil(m_size.width() * scale - 1e-6);
    const double height = std::ceil(m_size.height() * scale - 1e-6);
    if (!std::isfinite(scale) || scale <= 0 || !std::isfinite(width) || !std::isfinite(height) || width < 1 ||
        height < 1 || width * height > kMaxImagePixels)
        throw Error(QStringLiteral("A label of %1 × %2 points cannot be drawn at %3 dpi")
                        .arg(m_size.width())
                        .arg(m_size.height())
                        .arg(dotsPerInch));
    QImage picture(int(width), int(height), QImage::Format_ARGB32_Premultiplied);
    if (picture.isNull())
        throw Error(QStringLiteral("There is not enough memory for a label image of %1 × %2 pixels")
                        .arg(int(width))
                        .arg(int(height)));
    const int dotsPerMeter = int(std::lround(dotsPerInch / 0.0254));
    picture.setDotsPerMeterX(dotsPerMeter);
    picture.setDotsPerMeterY(dotsPerMeter);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.scale(scale, scale);
    paint(painter);
    painter.end();
    return picture;
}

} // namespace quill::labelkit
