#pragma once

// The Shows screen as a seller meets it: the application's services started against
// the stand-in backend, signed in, with shows the test seeds.
#include "shell_fixture.h"
#include "ui/history/detail_row_delegates.h"
#include "ui/history/show_detail_view.h"
#include "ui/history/show_history_controller.h"
#include "ui/history/show_history_view.h"
#include "ui/history/show_row_delegate.h"
#include "ui/widgets/style.h"

#include <QApplication>
#include <QListView>
#include <QTest>

namespace quill::testing {

class HistoryViewsFixture : public ShellFixture
{
protected:
    static inline const QString kSeller = QStringLiteral("u1");

    void TearDown() override
    {
        m_view.reset();
        ShellFixture::TearDown();
    }

    QString seedShow(const QString &title, const QString &status, const QString &createdAt,
                     const QList<std::pair<QString, QString>> &wins = {})
    {
        standin::StandinShow show;
        show.userId = kSeller;
        show.title = title;
        show.status = status;
        show.createdAt = createdAt;
        show.startedAt = createdAt;
        const QString id = m_backend.addShow(show);
        int number = 1;
        for (const auto &[winner, price] : wins) {
            standin::StandinAuction auction;
            auction.showId = id;
            auction.winnerUsername = winner;
            auction.salePrice = price;
            auction.auctionNumber = number;
            auction.createdAt = QStringLiteral("2026-01-15T10:00:%1Z").arg(number, 2, 10, QLatin1Char('0'));
            ++number;
            m_backend.addAuction(auction);
        }
        return id;
    }

    // The screen, shown, with the server's list in it.
    ShowHistoryView &openScreen(const QString &email = QStringLiteral("ava@example.com"))
    {
        applyAppLook(*qApp);
        AppState &app = startSignedIn(kSeller, email);
        m_view = std::make_unique<ShowHistoryView>(showHistoryServices(app));
        m_view->resize(900, 700);
        m_view->show();
        EXPECT_TRUE(eventually([&] {
            return !app.showHistoryStore().isLoading() &&
                   m_view->list()->model()->rowCount() == m_backend.shows(kSeller).size();
        }));
        return *m_view;
    }

    QPoint rowCentre(int row) const
    {
        return m_view->list()->visualRect(m_view->list()->model()->index(row, 0)).center();
    }

    void clickRow(int row)
    {
        QTest::mouseClick(m_view->list()->viewport(), Qt::LeftButton, {}, rowCentre(row));
    }

    // The open card, once its auctions have come.
    ShowDetailView &openCard(int row)
    {
        clickRow(row);
        EXPECT_NE(m_view->detailView(), nullptr);
        ShowDetailView *detail = m_view->detailView();
        EXPECT_TRUE(eventually([&] { return detail->model().response().has_value(); }));
        return *detail;
    }

    std::unique_ptr<ShowHistoryView> m_view;
};

} // namespace quill::testing
