#pragma once

#include "backend/api_records.h"
#include "common/cancellation.h"

#include <QAbstractListModel>
#include <QLocale>
#include <QObject>
#include <QTimeZone>
#include <optional>

namespace quill {

class ShowHistoryStore;

// The texts of one history row.
struct ShowRowTexts
{
    QString title;                 // the main title
    std::optional<QString> middle; // the title's middle part
    std::optional<QString> count;  // the auction count, when known
    QString date;                  // formatted, or the stored text
    QString status;                // capitalised
    bool isLive = false;
};
ShowRowTexts showRowTexts(const ShowSummary &show, const QLocale &locale, const QTimeZone &zone);

// The Shows screen without widgets: the store's shows in screen order, the open
// card's show, and the loads.
class ShowHistoryController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShowHistoryController)

public:
    explicit ShowHistoryController(ShowHistoryStore &store, QObject *parent = nullptr);
    ~ShowHistoryController() override;

    ShowHistoryStore &store() const { return m_store; }
    const QList<ShowSummary> &shows() const { return m_shows; }
    bool isLoading() const;
    QString error() const;
    // "No Shows" replaces the list only when nothing is loading.
    bool showsEmptyState() const;

    // The screen appeared: the cache at once, then the server. The screen's load is its
    // own: it is cancelled when the screen goes (disappear() or the controller's end).
    void appear();
    void disappear();
    // A refresh of its own (the button's): the screen going does not cancel it.
    void refresh();

    const std::optional<ShowSummary> &selectedShow() const { return m_selected; }
    void select(const std::optional<ShowSummary> &show);

Q_SIGNALS:
    void showsChanged();
    void stateChanged();
    void selectedShowChanged();

private:
    void reorder();

    ShowHistoryStore &m_store;
    Cancellation m_appearance;
    QList<ShowSummary> m_shows;
    std::optional<ShowSummary> m_selected;
};

// The ordered shows as a list for the view; row texts are worked out once per change.
class ShowHistoryListModel final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShowHistoryListModel)

public:
    enum Role
    {
        titleRole = Qt::UserRole + 1,
        middleRole,
        countRole,
        dateRole,
        statusRole,
        statusTextRole,
        isLiveRole,
        idRole,
    };

    explicit ShowHistoryListModel(ShowHistoryController &controller, QLocale locale = QLocale(),
                                  QTimeZone zone = QTimeZone::systemTimeZone(), QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    void rebuild();

    ShowHistoryController &m_controller;
    QLocale m_locale;
    QTimeZone m_zone;
    QList<ShowRowTexts> m_rows;
};

} // namespace quill
