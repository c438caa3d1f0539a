#include "ui/widgets/settings_card.h"

#include "ui/widgets/metrics.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace quill {

namespace {

constexpr qreal kRadius = 12;

} // namespace

SettingsCard::SettingsCard(const QString &title, const QString &subtitle, Kind kind, QWidget *parent)
    : Card(parent), m_kind(kind), m_body(new QVBoxLayout(this))
{
    setCornerRadius(kRadius);
    // The inset lives on the layout, where a style's polish cannot reset it.
    setContentsMargins(0, 0, 0, 0);
    m_body->setContentsMargins(metrics::insets(metrics::large) + QMargins(0, 0, 0, metrics::hairline));
    m_body->setSpacing(metrics::regular);
    auto *titles = new QVBoxLayout;
    titles->setSpacing(metrics::xxxSmall);
    m_title = styledLabel(title, textFont(TextStyle::headline), primaryTextColor(), this);
    m_title->setObjectName(QStringLiteral("cardTitle"));
    m_subtitle = styledLabel(subtitle, textFont(TextStyle::caption), secondaryTextColor(), this);
    titles->addWidget(m_title);
    titles->addWidget(m_subtitle);
    m_body->addLayout(titles);
}

void SettingsCard::paintEvent(QPaintEvent *event)
{
    if (m_kind == Kind::regular) {
        Card::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const QRectF frame(rect());
    paintCardFrame(painter, frame, fillColor(), kRadius, false);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor stroke = QColor::fromRgbF(1.0f, 0.6f, 0.0f);
    stroke.setAlphaF(0.3f);
    painter.setPen(QPen(stroke, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(frame.adjusted(0.5, 0.5, -0.5, -1.0), kRadius, kRadius);
}

} // namespace quill
