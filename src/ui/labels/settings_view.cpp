#include "ui/labels/settings_view.h"

#include "ui/labels/printer_health_parts.h"
#include "ui/labels/settings_controller.h"
#include "ui/widgets/capsule_badge.h"
#include "ui/widgets/card.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

namespace quill {

namespace {

const QColor kStaffOrange = QColor::fromRgbF(1.0f, 0.6f, 0.0f);

struct Group
{
    QWidget *frame;
    QVBoxLayout *rows;
};

// Headers, row labels and button titles are translated; values are shown as they come.

// A header over a card whose rows the caller fills.
Group addGroup(QVBoxLayout *form, QWidget *parent, const char *titleKey, const QString &symbol = QString(),
               const QColor &color = secondaryTextColor())
{
    const QString title = SettingsView::tr(titleKey);
    auto *header = new QWidget(parent);
    header->setObjectName(QStringLiteral("settingsHeader"));
    header->setAccessibleName(title);
    auto *headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(metrics::xxSmall, metrics::small, 0, 0);
    headerRow->setSpacing(metrics::xxSmall);
    if (!symbol.isEmpty()) {
        auto *icon = new QLabel(header);
        icon->setPixmap(symbolPixmap(symbol, 12, color, header->devicePixelRatioF()));
        headerRow->addWidget(icon);
    }
    headerRow->addWidget(styledLabel(title, textFont(TextStyle::subheadline, QFont::DemiBold), color, header));
    headerRow->addStretch();
    form->addWidget(header);
    auto *card = new Card(parent);
    auto *rows = new QVBoxLayout(card);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(metrics::compact);
    form->addWidget(card);
    return {card, rows};
}

void addValueRow(QVBoxLayout *rows, QWidget *parent, const char *labelKey, const QString &value,
                 const QColor &valueColor = secondaryTextColor())
{
    auto *row = new QHBoxLayout;
    row->addWidget(styledLabel(SettingsView::tr(labelKey), textFont(TextStyle::body), primaryTextColor(), parent));
    row->addStretch();
    auto *text = styledLabel(value, textFont(TextStyle::body), valueColor, parent);
    text->setObjectName(QLatin1String(labelKey));
    text->setTextFormat(Qt::PlainText);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    row->addWidget(text);
    rows->addLayout(row);
}

QPushButton *addButton(QVBoxLayout *rows, QWidget *parent, const char *titleKey, bool destructive,
                       const QString &symbol = QString())
{
    auto *button = new QPushButton(SettingsView::tr(titleKey), parent);
    button->setObjectName(QLatin1String(titleKey));
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    const QColor color = destructive ? systemColor(SystemColor::red) : appAccentColor();
    if (!symbol.isEmpty())
        button->setIcon(symbolIcon(symbol, color));
    button->setStyleSheet(QStringLiteral("QPushButton { color: %1; text-align: left; border: none; padding: 2px 0; }")
                              .arg(color.name()));
    rows->addWidget(button, 0, Qt::AlignLeft);
    return button;
}

} // namespace

SettingsView::SettingsView(AppState &appState, std::function<void()> showLiveShow, QWidget *parent)
    : QWidget(parent), m_controller(new SettingsController(appState, std::move(showLiveShow), this)),
      m_column(nullptr), m_form(nullptr)
{
    setObjectName(QStringLiteral("settingsView"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(screenTitleBar(QStringLiteral("Settings"), this));
    auto *scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto *canvas = new QWidget;
    auto *centre = new QHBoxLayout(canvas);
    centre->setContentsMargins(metrics::insets(metrics::xLarge));
    m_column = new QWidget(canvas);
    m_column->setMaximumWidth(kMaxWidth);
    m_form = new QVBoxLayout(m_column);
    m_form->setContentsMargins(0, 0, 0, 0);
    m_form->setSpacing(metrics::small);
    centre->addStretch();
    centre->addWidget(m_column, 1);
    centre->addStretch();
    scroll->setWidget(canvas);
    outer->addWidget(scroll);
    connect(m_controller, &SettingsController::changed, this, &SettingsView::scheduleRebuild);
    rebuild();
}

SettingsView::~SettingsView() = default;

QStringList SettingsView::sectionHeaders() const
{
    QStringList out;
    for (const QWidget *header : m_column->findChildren<QWidget *>(QStringLiteral("settingsHeader")))
        out.append(header->accessibleName());
    return out;
}

// Later, never inside the click that changed a service: the button must outlive its handler.
void SettingsView::scheduleRebuild()
{
    if (m_rebuildPending)
        return;
    m_rebuildPending = true;
    QTimer::singleShot(0, this, [this] {
        m_rebuildPending = false;
        rebuild();
    });
}

void SettingsView::rebuild()
{
    while (QLayoutItem *item = m_form->takeAt(0)) {
        if (QWidget *widget = item->widget())
            delete widget;
        delete item;
    }
    SettingsController &c = *m_controller;

    if (c.showsPrinterSection()) {
        const Group group = addGroup(m_form, m_column, QT_TR_NOOP("Printer Health"));
        for (const PrinterInfo &printer : c.printers()) {
            auto *row = new QHBoxLayout;
            auto *texts = new QVBoxLayout;
            texts->setSpacing(metrics::xxxSmall);
            auto *title = new QHBoxLayout;
            title->setSpacing(metrics::xSmall);
            auto *name = styledLabel(printerDisplayName(printer.name), textFont(TextStyle::body), primaryTextColor(),
                                     group.frame);
            name->setObjectName(QStringLiteral("printerName"));
            name->setTextFormat(Qt::PlainText);
            title->addWidget(name);
            title->addWidget(makeQueueStateBadge(printer.queueState, group.frame));
            title->addStretch();
            texts->addLayout(title);
            if (printer.pendingJobCount > 0)
                texts->addWidget(styledLabel(pendingJobsText(printer.pendingJobCount), textFont(TextStyle::caption),
                                             secondaryTextColor(), group.frame));
            row->addLayout(texts, 1);
            if (printer.queueState == printkit::CUPSQueueState::stopped) {
                QPushButton *fix = makeFixButton(group.frame);
                const QString queue = printer.name;
                connect(fix, &QPushButton::clicked, m_controller, [this, queue] { m_controller->fix(queue); });
                row->addWidget(fix);
            }
            group.rows->addLayout(row);
        }
        QPushButton *refresh =
            addButton(group.rows, group.frame, QT_TR_NOOP("Refresh"), false, QStringLiteral("arrow.clockwise"));
        connect(refresh, &QPushButton::clicked, m_controller, &SettingsController::refreshPrinters);
    }

    {
        const Group group = addGroup(m_form, m_column, QT_TR_NOOP("Quillmark"));
        if (c.showsAccountRows()) {
            addValueRow(group.rows, group.frame, QT_TR_NOOP("Name"), c.accountName());
            addValueRow(group.rows, group.frame, QT_TR_NOOP("Email"), c.accountEmail());
        }
        QPushButton *signOut = addButton(group.rows, group.frame, QT_TR_NOOP("Sign Out"), true);
        connect(signOut, &QPushButton::clicked, m_controller, &SettingsController::signOut);
    }

    {
        const Group group = addGroup(m_form, m_column, QT_TR_NOOP("Whatnot"));
        const bool connected = c.isMarketplaceConnected();
        addValueRow(group.rows, group.frame, QT_TR_NOOP("Status"), c.marketplaceStatusText(),
                    connected ? brandGreenColor() : secondaryTextColor());
        if (connected) {
            QPushButton *disconnect = addButton(group.rows, group.frame, QT_TR_NOOP("Disconnect"), true);
            connect(disconnect, &QPushButton::clicked, m_controller, &SettingsController::disconnect);
        } else {
            QPushButton *connectButton = addButton(group.rows, group.frame, QT_TR_NOOP("Connect to Whatnot"), false);
            connect(connectButton, &QPushButton::clicked, m_controller, &SettingsController::connectToWhatnot);
        }
    }

    if (c.showsEnvironment()) {
        const Group group = addGroup(m_form, m_column, QT_TR_NOOP("Environment"),
                                     QStringLiteral("wrench.and.screwdriver"), kStaffOrange);
        addValueRow(group.rows, group.frame, QT_TR_NOOP("Server"), c.serverText());
        addValueRow(group.rows, group.frame, QT_TR_NOOP("Mode"), SettingsController::modeText());
    }
    m_form->addStretch();
}

} // namespace quill
