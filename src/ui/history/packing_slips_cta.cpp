#include "ui/history/packing_slips_cta.h"

#include "ui/history/history_texts.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace quill {

PackingSlipsCTA::PackingSlipsCTA(qint64 buyerCount, qint64 auctionCount, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("packingSlipsCTA"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(metrics::insets(metrics::roomy));
    row->setSpacing(metrics::regular);
    auto *icon = new QLabel(this);
    icon->setPixmap(symbolPixmap(QStringLiteral("shippingbox.fill"), 22, brandGreenColor(), devicePixelRatioF()));
    row->addWidget(icon);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(metrics::xxxSmall);
    texts->addWidget(styledLabel(QStringLiteral("Packing Slips"), textFont(TextStyle::headline), primaryTextColor(), this));
    auto *count = styledLabel(packingSlipsCountText(buyerCount, auctionCount), textFont(TextStyle::subheadline),
                              secondaryTextColor(), this);
    count->setObjectName(QStringLiteral("packingSlipsCount"));
    texts->addWidget(count);
    row->addLayout(texts);
    row->addStretch(1);
    m_printAll = new QPushButton(symbolIcon(QStringLiteral("printer.fill"), Qt::white), QStringLiteral("Print All"), this);
    m_printAll->setObjectName(QStringLiteral("ctaPrintAll"));
    QPalette palette = m_printAll->palette();
    palette.setColor(QPalette::Button, brandGreenColor());
    palette.setColor(QPalette::ButtonText, Qt::white);
    m_printAll->setPalette(palette);
    row->addWidget(m_printAll);
    connect(m_printAll, &QPushButton::clicked, this, &PackingSlipsCTA::printAllRequested);
}

void PackingSlipsCTA::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = brandGreenColor();
    fill.setAlphaF(0.08f);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), 10, 10);
    painter.fillPath(shape, fill);
}

} // namespace quill
