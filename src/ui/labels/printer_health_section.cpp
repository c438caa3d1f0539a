#include "ui/labels/printer_health_section.h"

#include "ui/labels/printer_health_controller.h"
#include "ui/labels/printer_health_parts.h"
#include "ui/widgets/capsule_badge.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/style.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace quill {

PrinterHealthCard::PrinterHealthCard(const PrinterInfo &printer, PrinterHealthController &controller,
                                     QWidget *parent)
    : QWidget(parent), m_name(printer.name)
{
    setObjectName(QStringLiteral("printerHealthCard"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(metrics::insets(metrics::compact));
    row->setSpacing(metrics::regular);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(metrics::xxSmall);
    auto *titleRow = new QHBoxLayout;
    titleRow->setSpacing(metrics::xSmall);
    m_title = styledLabel(printerDisplayName(printer.name), textFont(TextStyle::subheadline, QFont::Medium),
                          primaryTextColor(), this);
    m_title->setTextFormat(Qt::PlainText);
    m_badge = makeQueueStateBadge(printer.queueState, this);
    titleRow->addWidget(m_title);
    titleRow->addWidget(m_badge);
    titleRow->addStretch();
    texts->addLayout(titleRow);

    auto *detailRow = new QHBoxLayout;
    detailRow->setSpacing(metrics::small);
    m_pending = styledLabel(pendingJobsText(printer.pendingJobCount), textFont(TextStyle::caption),
                            secondaryTextColor(), this);
    m_pending->setVisible(printer.pendingJobCount > 0);
    m_updated = styledLabel(controller.updatedText(), textFont(TextStyle::caption2), tertiaryTextColor(), this);
    m_updated->setObjectName(QStringLiteral("updatedText"));
    detailRow->addWidget(m_pending);
    detailRow->addWidget(m_updated);
    detailRow->addStretch();
    texts->addLayout(detailRow);
    row->addLayout(texts, 1);

    if (printer.queueState == printkit::CUPSQueueState::stopped) {
        m_fix = makeFixButton(this);
        const QString name = printer.name;
        connect(m_fix, &QPushButton::clicked, &controller, [&controller, name] { controller.fix(name); });
        row->addWidget(m_fix);
    }
}

QString PrinterHealthCard::displayedName() const
{
    return m_title->text();
}

QString PrinterHealthCard::badgeText() const
{
    return m_badge->text();
}

QString PrinterHealthCard::pendingText() const
{
    return m_pending->isVisibleTo(this) ? m_pending->text() : QString();
}

QString PrinterHealthCard::updatedText() const
{
    return m_updated->text();
}

void PrinterHealthCard::setUpdatedText(const QString &text)
{
    m_updated->setText(text);
}

void PrinterHealthCard::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = quaternaryFillColor();
    fill.setAlphaF(fill.alphaF() * 0.5f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()), 8, 8);
}

PrinterHealthSection::PrinterHealthSection(PrinterHealthController &controller, QWidget *parent)
    : QWidget(parent), m_controller(controller), m_layout(new QVBoxLayout(this))
{
    setObjectName(QStringLiteral("printerHealthSection"));
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(metrics::regular);
    m_ticker.setInterval(kAgeTickMs);
    connect(&m_ticker, &QTimer::timeout, this, &PrinterHealthSection::updateAges);
    connect(&m_controller, &PrinterHealthController::printersChanged, this, &PrinterHealthSection::rebuild);
    connect(&m_controller, &PrinterHealthController::lastRefreshedChanged, this, &PrinterHealthSection::updateAges);
    rebuild();
}

QList<PrinterHealthCard *> PrinterHealthSection::cards() const
{
    return m_cards;
}

void PrinterHealthSection::rebuild()
{
    // Later: the list may change while a card's own button is being handled.
    for (PrinterHealthCard *card : std::as_const(m_cards)) {
        m_layout->removeWidget(card);
        card->hide();
        card->deleteLater();
    }
    m_cards.clear();
    for (const PrinterInfo &printer : m_controller.printers()) {
        m_cards.append(new PrinterHealthCard(printer, m_controller, this));
        m_layout->addWidget(m_cards.constLast());
    }
}

void PrinterHealthSection::updateAges()
{
    const QString text = m_controller.updatedText();
    for (PrinterHealthCard *card : cards())
        card->setUpdatedText(text);
}

void PrinterHealthSection::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_ticker.start();
    updateAges();
    // A window coming back from the task bar is not the section coming on screen.
    if (!event->spontaneous())
        m_controller.startRefresh();
}

void PrinterHealthSection::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_ticker.stop();
}

} // namespace quill
