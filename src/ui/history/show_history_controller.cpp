#include "ui/history/show_history_controller.h"

#include "backend/show_history_store.h"
#include "common/detached_task.h"
#include "printing/label_content.h"
#include "ui/history/history_texts.h"

#include <QLoggingCategory>

namespace quill {

namespace {
Q_LOGGING_CATEGORY(lcShowHistoryView, "app.quillmark.Quillmark.ShowHistoryView")
} // namespace

ShowRowTexts showRowTexts(const ShowSummary &show, const QLocale &locale, const QTimeZone &zone)
{
    const ShowTitleParts parts = cleanShowTitle(show.title);
    ShowRowTexts texts;
    texts.title = parts.title;
    texts.middle = parts.middle;
    if (show.auctionCount)
        texts.count = QString::number(*show.auctionCount);
    texts.date = showRowDateText(show.createdAt, locale, zone);
    texts.status = capitalizedWords(show.status);
    texts.isLive = show.status == QLatin1String("live");
    return texts;
}

ShowHistoryController::ShowHistoryController(ShowHistoryStore &store, QObject *parent)
    : QObject(parent), m_store(store)
{
    connect(&m_store, &ShowHistoryStore::showsChanged, this, &ShowHistoryController::reorder);
    connect(&m_store, &ShowHistoryStore::isLoadingChanged, this, &ShowHistoryController::stateChanged);
    connect(&m_store, &ShowHistoryStore::errorChanged, this, &ShowHistoryController::stateChanged);
    reorder();
}

ShowHistoryController::~ShowHistoryController()
{
    disappear();
}

bool ShowHistoryController::isLoading() const
{
    return m_store.isLoading();
}

QString ShowHistoryController::error() const
{
    return m_store.error();
}

bool ShowHistoryController::showsEmptyState() const
{
    return m_shows.isEmpty() && !m_store.isLoading();
}

void ShowHistoryController::appear()
{
    m_store.loadCache();
    m_appearance.cancel();
    m_appearance = Cancellation();
    startDetached(m_store.refresh(m_appearance), lcShowHistoryView(), "The Shows screen's load");
}

void ShowHistoryController::disappear()
{
    m_appearance.cancel();
}

void ShowHistoryController::refresh()
{
    startDetached(m_store.refresh(), lcShowHistoryView(), "The show history refresh");
}

void ShowHistoryController::select(const std::optional<ShowSummary> &show)
{
    if (show == m_selected)
        return;
    m_selected = show;
    Q_EMIT selectedShowChanged();
}

void ShowHistoryController::reorder()
{
    m_shows = orderedShows(m_store.shows());
    Q_EMIT showsChanged();
    Q_EMIT stateChanged();
}

ShowHistoryListModel::ShowHistoryListModel(ShowHistoryController &controller, QLocale locale, QTimeZone zone,
                                           QObject *parent)
    : QAbstractListModel(parent), m_controller(controller), m_locale(std::move(locale)), m_zone(std::move(zone))
{
    connect(&m_controller, &ShowHistoryController::showsChanged, this, &ShowHistoryListModel::rebuild);
    rebuild();
}

int ShowHistoryListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant ShowHistoryListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const ShowRowTexts &row = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case titleRole:
        return row.title;
    case middleRole:
        return row.middle ? QVariant(*row.middle) : QVariant();
    case countRole:
        return row.count ? QVariant(*row.count) : QVariant();
    case dateRole:
        return row.date;
    case statusRole:
        return m_controller.shows().at(index.row()).status;
    case statusTextRole:
        return row.status;
    case isLiveRole:
        return row.isLive;
    case idRole:
        return m_controller.shows().at(index.row()).id;
    default:
        return {};
    }
}

void ShowHistoryListModel::rebuild()
{
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(m_controller.shows().size());
    for (const ShowSummary &show : m_controller.shows())
        m_rows.append(showRowTexts(show, m_locale, m_zone));
    endResetModel();
}

} // namespace quill
