#pragma once

// Figures drawn with a proportional-figure face as the application font: Inter draws
// its digits at several widths (1 is far narrower than 8), so a price drawn in it
// jumps as it changes. These helpers set that face for a scope, keep what a painter
// writes with the font it writes it in, and tell whether a figure's digits were drawn
// in a face whose digits are all one width.

#include "recording_paint_device.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPaintEngine>
#include <QPainter>
#include <QScreen>
#include <QStyleOptionViewItem>
#include <QWidget>
#include <algorithm>
#include <gtest/gtest.h>

namespace quill::testing {

inline bool digitsOneWidth(const QFont &font)
{
    const QFontMetricsF metrics(font);
    for (char digit = '1'; digit <= '9'; ++digit) {
        if (!qFuzzyCompare(metrics.horizontalAdvance(QLatin1Char(digit)),
                           metrics.horizontalAdvance(QLatin1Char('0'))))
            return false;
    }
    return true;
}

// Inter as the application font, at its size, while it lives; widgets built meanwhile
// take it. The face must be installed (the README's package list has it).
class ProportionalFiguresFont
{
public:
    ProportionalFiguresFont() : m_saved(QApplication::font())
    {
        QFont inter(QStringLiteral("Inter"));
        inter.setPointSizeF(m_saved.pointSizeF());
        QApplication::setFont(inter);
    }
    ~ProportionalFiguresFont() { QApplication::setFont(m_saved); }
    ProportionalFiguresFont(const ProportionalFiguresFont &) = delete;
    ProportionalFiguresFont &operator=(const ProportionalFiguresFont &) = delete;

    // Whether the face in use draws digits of several widths: the premise of these tests.
    static ::testing::AssertionResult inUse()
    {
        const QFont font = QApplication::font();
        if (QFontInfo(font).family() != QStringLiteral("Inter"))
            return ::testing::AssertionFailure()
                   << "Inter is not installed: " << qPrintable(QFontInfo(font).family());
        if (digitsOneWidth(font))
            return ::testing::AssertionFailure() << "Inter's digits are all one width here";
        return ::testing::AssertionSuccess();
    }

private:
    QFont m_saved;
};

struct DrawnText
{
    QString text;
    QFont font;
};

// Keeps the texts a painter writes, with their fonts.
class FontTextEngine final : public QPaintEngine
{
public:
    FontTextEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override {}
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawPath(const QPainterPath &) override {}
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF &, const QTextItem &item) override
    {
        texts.append({item.text(), item.font()});
    }
    Type type() const override { return User; }

    QList<DrawnText> texts;
};

// What `widget` and its children write when painted.
inline QList<DrawnText> drawnTexts(QWidget &widget)
{
    RecordingPaintDevice<FontTextEngine> device(
        widget.size(), qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchX()));
    QPainter painter(&device);
    widget.render(&painter, {}, {}, QWidget::DrawChildren);
    painter.end();
    return device.engine().texts;
}

// What the delegate of `view` writes for one row.
inline QList<DrawnText> drawnTexts(QAbstractItemView &view, const QModelIndex &index)
{
    RecordingPaintDevice<FontTextEngine> device(
        view.viewport()->size(), qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchX()));
    QPainter painter(&device);
    QStyleOptionViewItem option;
    option.initFrom(view.viewport());
    option.rect = view.visualRect(index);
    view.itemDelegateForIndex(index)->paint(&painter, option, index);
    painter.end();
    return device.engine().texts;
}

// Whether the digits of `figure` were drawn, and every drawn piece of it that holds a
// digit was drawn in a face whose digits are all one width.
inline ::testing::AssertionResult figureDigitsOneWidth(const QList<DrawnText> &drawn, const QString &figure)
{
    QString digitsDrawn;
    for (const DrawnText &piece : drawn) {
        const bool hasDigit =
            std::any_of(piece.text.begin(), piece.text.end(), [](QChar c) { return c.isDigit(); });
        if (!hasDigit || !figure.contains(piece.text))
            continue;
        if (!digitsOneWidth(piece.font))
            return ::testing::AssertionFailure()
                   << "\"" << qPrintable(piece.text) << "\" of \"" << qPrintable(figure) << "\" drawn in "
                   << qPrintable(QFontInfo(piece.font).family()) << ", whose digits differ in width";
        for (const QChar c : piece.text)
            if (c.isDigit())
                digitsDrawn.append(c);
    }
    QString digitsWanted;
    for (const QChar c : figure)
        if (c.isDigit())
            digitsWanted.append(c);
    if (digitsDrawn.isEmpty() || !digitsDrawn.contains(digitsWanted))
        return ::testing::AssertionFailure() << "\"" << qPrintable(figure) << "\" not drawn (digits seen: \""
                                             << qPrintable(digitsDrawn) << "\")";
    return ::testing::AssertionSuccess();
}

} // namespace quill::testing
