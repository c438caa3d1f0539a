#include "ui/widgets/disclosure_group.h"

#include "ui/widgets/metrics.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QPixmap>
#include <QToolButton>
#include <QTransform>
#include <QVBoxLayout>

namespace quill {

namespace {

constexpr int kChevronSize = 12;

} // namespace

DisclosureGroup::DisclosureGroup(const QString &title, QWidget *parent)
    : QWidget(parent), m_header(new QToolButton(this)), m_layout(new QVBoxLayout(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(metrics::small);
    m_header->setObjectName(QStringLiteral("disclosureHeader"));
    m_header->setText(title);
    m_header->setFont(textFont(TextStyle::headline));
    m_header->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_header->setAutoRaise(true);
    m_header->setCursor(Qt::PointingHandCursor);
    m_header->setIconSize(QSize(kChevronSize, kChevronSize));
    m_layout->addWidget(m_header, 0, Qt::AlignLeft);
    connect(m_header, &QToolButton::clicked, this, [this] { setExpanded(!m_expanded); });
    updateChevron();
}

QString DisclosureGroup::title() const
{
    return m_header->text();
}

void DisclosureGroup::setContent(QWidget *content)
{
    if (m_content == content)
        return;
    delete m_content;
    m_content = content;
    if (m_content) {
        m_content->setParent(this);
        m_layout->addWidget(m_content);
        m_content->setVisible(m_expanded);
    }
}

void DisclosureGroup::setExpanded(bool expanded)
{
    if (expanded == m_expanded)
        return;
    m_expanded = expanded;
    if (m_content)
        m_content->setVisible(m_expanded);
    updateChevron();
    Q_EMIT expandedChanged(m_expanded);
}

void DisclosureGroup::updateChevron()
{
    // One chevron symbol, turned down while expanded.
    const qreal dpr = devicePixelRatioF();
    QPixmap chevron = symbolPixmap(QStringLiteral("chevron.right"), kChevronSize, secondaryTextColor(), dpr);
    if (m_expanded) {
        chevron = chevron.transformed(QTransform().rotate(90), Qt::SmoothTransformation);
        chevron.setDevicePixelRatio(dpr);
    }
    m_header->setIcon(QIcon(chevron));
}

} // namespace quill
