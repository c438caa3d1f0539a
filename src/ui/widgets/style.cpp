#include "ui/widgets/style.h"

#include "ui/widgets/metrics.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/symbols.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTextDocument>

namespace quill {

namespace {

struct TextStyleMetrics
{
    qreal size;
    QFont::Weight weight;
};

TextStyleMetrics metricsOf(TextStyle style)
{
    switch (style) {
    case TextStyle::largeTitle: return {26, QFont::Normal};
    case TextStyle::title: return {22, QFont::Normal};
    case TextStyle::title2: return {17, QFont::Normal};
    case TextStyle::title3: return {15, QFont::Normal};
    case TextStyle::headline: return {13, QFont::Bold};
    case TextStyle::body: return {13, QFont::Normal};
    case TextStyle::callout: return {12, QFont::Normal};
    case TextStyle::subheadline: return {11, QFont::Normal};
    case TextStyle::footnote: return {10, QFont::Normal};
    case TextStyle::caption: return {10, QFont::Normal};
    case TextStyle::caption2: return {10, QFont::Normal};
    }
    return {13, QFont::Normal};
}

// Qt's points are 1/72 inch on a 96-dpi logical screen; the screens' sizes are logical pixels.
constexpr qreal kQtPointsPerDesignPoint = 72.0 / 96.0;

QColor white(qreal alpha)
{
    QColor color(Qt::white);
    color.setAlphaF(float(alpha));
    return color;
}

} // namespace

QFont systemFont(qreal designPoints, QFont::Weight weight)
{
    QFont font = QApplication::font();
    font.setPointSizeF(designPoints * kQtPointsPerDesignPoint);
    font.setWeight(weight);
    return font;
}

QFont monospacedFont(QFont font)
{
    font.setFamilies({QFontDatabase::systemFont(QFontDatabase::FixedFont).family()});
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    return font;
}

QFont textFont(TextStyle style, std::optional<QFont::Weight> weight)
{
    const TextStyleMetrics metrics = metricsOf(style);
    return systemFont(metrics.size, weight.value_or(metrics.weight));
}

QColor systemColor(SystemColor color)
{
    // The dark-appearance values of the platform's named colours.
    switch (color) {
    case SystemColor::blue: return QColor(10, 132, 255);
    case SystemColor::purple: return QColor(191, 90, 242);
    case SystemColor::orange: return QColor(255, 159, 10);
    case SystemColor::pink: return QColor(255, 55, 95);
    case SystemColor::teal: return QColor(64, 200, 224);
    case SystemColor::indigo: return QColor(94, 92, 230);
    case SystemColor::mint: return QColor(99, 230, 226);
    case SystemColor::cyan: return QColor(100, 210, 255);
    case SystemColor::red: return QColor(255, 69, 58);
    case SystemColor::green: return QColor(48, 209, 88);
    case SystemColor::yellow: return QColor(255, 214, 10);
    }
    return QColor(Qt::white);
}

QColor primaryTextColor() { return QColor(235, 235, 240); }
QColor secondaryTextColor() { return white(0.55); }
QColor tertiaryTextColor() { return white(0.28); }
QColor quaternaryFillColor() { return white(0.1); }

QLabel *styledLabel(const QString &text, const QFont &font, const QColor &color, QWidget *parent)
{
    auto *label = new QLabel(parent);
    // Names, titles and printer names come from outside: never read them as markup.
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

QString plainToolTip(const QString &text)
{
    return text.isEmpty() ? QString() : Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
}

QLabel *screenTitle(const QString &text, QWidget *parent)
{
    QLabel *title = styledLabel(text, textFont(TextStyle::title2, QFont::Bold), primaryTextColor(), parent);
    title->setObjectName(QStringLiteral("screenTitle"));
    return title;
}

QWidget *screenTitleBar(const QString &text, QWidget *parent)
{
    auto *bar = new QWidget(parent);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(metrics::xLarge, metrics::compact, metrics::regular, metrics::compact);
    row->addWidget(screenTitle(text, bar));
    row->addStretch(1);
    return bar;
}

void fillBackground(QWidget *widget, const QColor &color)
{
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
}

namespace {

// Fusion with dialog buttons that show their words only: the desktop's icon theme
// otherwise hangs a red stop sign on every Cancel and a green tick on every OK.
class AppStyle final : public QProxyStyle
{
public:
    AppStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

void applyAppLook(QApplication &app)
{
    const QColor accent = appAccentColor(); // the desktop's, read before the palette changes
    desktopTextColor();
    QApplication::setStyle(new AppStyle);

    QPalette palette;
    const QColor text = primaryTextColor();
    const QColor disabledText(110, 115, 125);
    palette.setColor(QPalette::Window, appBackgroundColor());
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, cardBackgroundColor());
    palette.setColor(QPalette::AlternateBase, sidebarBackgroundColor());
    palette.setColor(QPalette::ToolTipBase, cardHighlightColor());
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, secondaryTextColor());
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, cardHighlightColor());
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, systemColor(SystemColor::red));
    palette.setColor(QPalette::Light, cardHighlightColor().lighter(140));
    palette.setColor(QPalette::Midlight, cardHighlightColor().lighter(120));
    palette.setColor(QPalette::Mid, cardHighlightColor().darker(120));
    palette.setColor(QPalette::Dark, appBackgroundColor().darker(150));
    palette.setColor(QPalette::Shadow, Qt::black);
    palette.setColor(QPalette::Highlight, accent);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, systemColor(SystemColor::blue));
    palette.setColor(QPalette::LinkVisited, systemColor(SystemColor::purple));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, disabledText);
    palette.setColor(QPalette::Disabled, QPalette::Button, cardBackgroundColor());
    QApplication::setPalette(palette);

    QFont font = QApplication::font();
    font.setPointSizeF(13 * kQtPointsPerDesignPoint);
    app.setFont(font);

    installSymbolTheme();
}

} // namespace quill
