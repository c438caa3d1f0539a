// One show's detail without widgets: buyer groups and totals, box numbers by first
// win, the search, the statistics, the printer choice, the rows' print marks and
// failures, and the staff-only delete.
#include "history_fixture.h"
#include "printing/label_section_state.h"
#include "ui/history/show_detail_lists.h"

using namespace quill;
using namespace quill::testing;

namespace {

class ShowDetail : public HistoryFixture
{
protected:
    std::unique_ptr<ShowDetailModel> model(ShowSummary show = summary())
    {
        return std::make_unique<ShowDetailModel>(std::move(show), services());
    }

    static QStringList buyers(const QList<ShowBuyerGroup> &groups)
    {
        QStringList out;
        for (const ShowBuyerGroup &g : groups)
            out.append(g.buyer);
        return out;
    }
    static QStringList ids(const QList<ServerAuction> &auctions)
    {
        QStringList out;
        for (const ServerAuction &a : auctions)
            out.append(a.id);
        return out;
    }
};

} // namespace

TEST_F(ShowDetail, BuyerTotalsCountOnlyPlainAmountsAndSortLargestFirst)
{
    auto m = model();
    m->setResponse(response({auction("1", "ann", "12.50"), auction("2", "bo", "30"), auction("3", "ann", "n/a"),
                             auction("4", "ann", "7"), auction("5", "Ann", "1"), auction("6", "cy", "nan"),
                             auction("7", "cy", "1e999"), auction("8", "dee", "$5"), auction("9", "eve", "0.1"),
                             auction("10", "eve", "0.2")},
                            10, "100", 5));
    const QList<ShowBuyerGroup> &groups = m->buyerGroups();
    EXPECT_EQ(buyers(groups), (QStringList{"bo", "ann", "Ann", "eve", "cy", "dee"}));
    EXPECT_EQ(groups.at(1).total, *Decimal::fromString(u"19.5"));
    EXPECT_EQ(groups.at(1).auctions.size(), 3);
    EXPECT_EQ(groups.at(3).total, *Decimal::fromString(u"0.3")); // exact, not 0.30000000000000004
    EXPECT_TRUE(groups.at(4).total.isZero());

    ShowBuyersListModel rows(*m);
    EXPECT_EQ(rows.index(1).data(ShowBuyersListModel::totalRole).toString(), "$19.50");
    EXPECT_EQ(rows.index(1).data(ShowBuyersListModel::countRole).toString(), "3 items");
    EXPECT_EQ(rows.index(2).data(ShowBuyersListModel::countRole).toString(), "1 item");
}

TEST_F(ShowDetail, BoxNumbersFollowFirstWinsWhateverTheSearch)
{
    auto m = model();
    // Listed out of time order: the numbers follow the moments, not the list.
    m->setResponse(response({auction("a3", "x", "1", 3, {}, minuteAt(3)), auction("a1", "x", "1", 1, {}, minuteAt(1)),
                             auction("a2", "y", "1", 2, {}, minuteAt(2)), auction("a4", "z", "1", 4, {}, minuteAt(4))},
                            4, "4", 3));
    const QHash<QString, int> expected{{"x", 1}, {"y", 2}, {"z", 3}};
    EXPECT_EQ(m->boxNumbers(), expected);
    for (const char *search : {"z", "y", " ", "nobody"}) {
        m->setSearchText(QString::fromLatin1(search));
        EXPECT_EQ(m->boxNumbers(), expected) << search;
    }
    // Equal and unreadable times keep the list's order.
    m->setResponse(response({auction("1", "x", "1", {}, {}, minuteAt(5)), auction("2", "y", "1", {}, {}, minuteAt(5)),
                             auction("3", "w", "1", {}, {}, "later"), auction("4", "x", "1", {}, {}, minuteAt(1))},
                            4, "4", 3));
    EXPECT_EQ(m->boxNumbers(), (QHash<QString, int>{{"x", 1}, {"y", 2}, {"w", 3}}));
}

TEST_F(ShowDetail, SearchIgnoresCaseAndDiacriticsAndOneSpaceFilters)
{
    auto m = model();
    m->setResponse(response({auction("1", "renée", "5", 1, QStringLiteral("Mug")),
                             auction("2", "bob", "5", 2, QStringLiteral("Café au lait cup")),
                             auction("3", "carl", "5", 3)},
                            3, "15", 3));
    struct Case
    {
        const char *search;
        QStringList auctions;
        QStringList buyers;
    };
    const QList<Case> cases{
        {"", {"1", "2", "3"}, {"renée", "bob", "carl"}},
        {"RENEE", {"1"}, {"renée"}},
        {"CAFE", {"2"}, {}}, // the title matches: the auction shows, its buyer does not
        {" ", {"2"}, {}},    // one space filters: only the title with a space
        {"zzz", {}, {}},
    };
    for (const Case &c : cases) {
        m->setSearchText(QString::fromUtf8(c.search));
        EXPECT_EQ(ids(m->filteredAuctions()), c.auctions) << c.search;
        EXPECT_EQ(buyers(m->filteredBuyerGroups()), c.buyers) << c.search;
    }
    m->setSearchText("zzz");
    m->setSelectedTab(DetailTab::auctions);
    EXPECT_EQ(m->emptyListText(), "No matching auctions.");
    m->setSelectedTab(DetailTab::buyers);
    EXPECT_EQ(m->emptyListText(), "No matching buyers.");
    m->setSearchText("");
    EXPECT_EQ(m->emptyListText(), "");
    EXPECT_EQ(m->listHeaderText(), "Buyers (3)");
}

TEST_F(ShowDetail, StatCardsOnTheWorkedExamples)
{
    auto m = model();
    m->setResponse(response({auction("1", "ann", "60"), auction("2", "bo", "40")}, 3, "100", 2));
    EXPECT_EQ(m->statCards(), (QList<StatCardEntry>{{"Auctions", "3"},
                                                    {"Revenue", "$100.00"},
                                                    {"Buyers", "2"},
                                                    {"Avg Sale", "$33.33"},
                                                    {"Duration", "2h 5m"},
                                                    {"Top Buyer", "@ann"}}));
    m->setResponse(response({}, 0, "$100", 0));
    EXPECT_EQ(m->statCards(),
              (QList<StatCardEntry>{{"Auctions", "0"}, {"Revenue", "$$100"}, {"Buyers", "0"}, {"Duration", "2h 5m"}}));
    EXPECT_EQ(m->emptyListText(), "No buyers recorded.");
    m->setSelectedTab(DetailTab::auctions);
    EXPECT_EQ(m->emptyListText(), "No auctions recorded.");
}

TEST_F(ShowDetail, PackingSlipsInvitationOnlyForACompletedShowWithBuyers)
{
    const ShowAuctionsResponse sold = response({auction("1", "ann", "5")}, 1, "5", 1);
    struct Case
    {
        const char *status;
        bool withAuctions;
        bool shown;
    };
    for (const Case &c : QList<Case>{{"completed", true, true},
                                     {"completed", false, false},
                                     {"live", true, false},
                                     {"draft", true, false}}) {
        auto m = model(summary(QString::fromLatin1(c.status)));
        m->setResponse(c.withAuctions ? sold : response({}, 0, "0", 0));
        EXPECT_EQ(m->showsPackingSlipsCTA(), c.shown) << c.status << c.withAuctions;
    }
    auto none = model();
    EXPECT_FALSE(none->showsPackingSlipsCTA());
    EXPECT_TRUE(none->statCards().isEmpty());
}

TEST_F(ShowDetail, PrinterIsTheSavedOneElseTheFirstListed)
{
    auto m = model();
    EXPECT_EQ(m->printerName(ShowDetailModel::kWinnerLabelType), std::nullopt);
    setPrinters({"First_Queue", "Second"});
    EXPECT_EQ(m->printerName(ShowDetailModel::kWinnerLabelType), QStringLiteral("First_Queue"));
    m_settings->setString(QStringLiteral("label_grouped_printer"), QStringLiteral("SlipQueue"));
    EXPECT_EQ(m->printerName(ShowDetailModel::kPackingSlipType), QStringLiteral("SlipQueue"));
    EXPECT_EQ(m->printerName(ShowDetailModel::kWinnerLabelType), QStringLiteral("First_Queue"));
}

TEST_F(ShowDetail, ReprintKeepsItsMarkAcrossRebuildsAndShowsItsFailureUntilTheNextPrint)
{
    setPrinters({"Labels"});
    auto m = model();
    m->setResponse(response({auction("a1", "ann", "25", 12, QStringLiteral("Mug"), minuteAt(2)),
                             auction("a2", "bo", "5", 13, {}, minuteAt(1))},
                            2, "30", 2));
    Gate gate;
    m_printer->gate = &gate;
    m_printer->failures.insert(0, QStringLiteral("Printer stopped"));
    m->printWinnerLabel("a1");
    ASSERT_EQ(m_printer->jobs.size(), 1);
    EXPECT_TRUE(m->isPrintingAuction("a1"));
    m->printWinnerLabel("a1"); // a running row does not print twice
    EXPECT_EQ(m_printer->jobs.size(), 1);

    // The list is rebuilt by a search while the print runs: the row still shows it.
    m->setSearchText("ann");
    ShowAuctionsListModel rows(*m);
    EXPECT_TRUE(rows.index(0).data(ShowAuctionsListModel::isPrintingRole).toBool());
    gate.open();
    ASSERT_TRUE(eventually([&] { return !m->isPrintingAuction("a1"); }));
    EXPECT_EQ(m->printFailure(), "Printer stopped");

    const RecordingShowPrinter::Job &job = m_printer->jobs.first();
    EXPECT_EQ(job.printer, "Labels");
    const auto *label = job.winner->as<LabelContent::Individual>();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->price, "$25");
    EXPECT_EQ(label->boxNumber, 2); // bo won first
    EXPECT_EQ(label->auctionNumber, 12);
    EXPECT_EQ(label->itemTitle, QStringLiteral("Mug"));
    EXPECT_EQ(label->showTitle, summary().title);
    EXPECT_EQ(job.media, LabelSectionState::load(0, *m_settings).selectedMedia);

    m_printer->gate = nullptr;
    m->printPackingSlip("bo");
    ASSERT_TRUE(eventually([&] { return !m->isPrintingBuyer("bo"); }));
    EXPECT_EQ(m->printFailure(), ""); // cleared by the next print
    const RecordingShowPrinter::Job &slip = m_printer->jobs.last();
    EXPECT_EQ(slip.buyer, "bo");
    ASSERT_EQ(slip.items.size(), 1);
    EXPECT_EQ(slip.items.first().title, "Auction");
    EXPECT_EQ(slip.items.first().price, "5");
    EXPECT_EQ(slip.media, LabelMedia::letter());
}

TEST_F(ShowDetail, NoPrinterPrintsNothing)
{
    auto m = model();
    m->setResponse(response({auction("a1", "ann", "25")}, 1, "25", 1));
    ShowAuctionsListModel rows(*m);
    EXPECT_FALSE(rows.index(0).data(ShowAuctionsListModel::canPrintRole).toBool());
    m->printWinnerLabel("a1");
    m->printPackingSlip("ann");
    EXPECT_TRUE(m_printer->jobs.isEmpty());
    EXPECT_FALSE(m->isPrintingAuction("a1"));
}

TEST_F(ShowDetail, ACardClosedWhileItsPrintRunsIsLeftAlone)
{
    setPrinters({"Labels"});
    auto m = model();
    m->setResponse(response({auction("a1", "ann", "25")}, 1, "25", 1));
    Gate gate;
    m_printer->gate = &gate;
    m->printWinnerLabel("a1");
    m.reset();
    gate.open();
    ASSERT_TRUE(eventually([&] { return m_printer->running == 0; }));
}

TEST_F(ShowDetail, DeleteOnlyForStaffAtConfirmationAndItsFailureShowsInTheCard)
{
    auto m = model();
    m_staff = false;
    m->confirmDelete();
    EXPECT_FALSE(m->isDeleting());
    EXPECT_EQ(m->deleteFailure(), "");

    // Staff when the question opened, not any more when it was confirmed.
    m_staff = true;
    EXPECT_TRUE(m->isStaff());
    m_staff = false;
    m->confirmDelete();
    EXPECT_FALSE(m->isDeleting());

    // A store without a backend deletes nothing; the card says so.
    m_staff = true;
    m->confirmDelete();
    ASSERT_TRUE(eventually([&] { return !m->isDeleting(); }));
    EXPECT_TRUE(m->deleteFailure().startsWith("Failed to delete show: ")) << qPrintable(m->deleteFailure());
    EXPECT_EQ(m->deleteConfirmationText(),
              "This will permanently delete \"Friday night\" and all its auction data. This cannot be undone.");
}

TEST_F(ShowDetail, TabsAndBatchPresets)
{
    EXPECT_EQ(detailTabFromText("Buyers"), DetailTab::buyers);
    EXPECT_EQ(detailTabFromText("Auctions"), DetailTab::auctions);
    EXPECT_EQ(detailTabFromText("buyers"), std::nullopt);
    auto m = model();
    EXPECT_EQ(m->selectedTab(), DetailTab::buyers);
    EXPECT_EQ(m->initialBatchType(), BatchPrintType::packingSlips);
    m->setSelectedTab(DetailTab::auctions);
    EXPECT_EQ(m->initialBatchType(), BatchPrintType::individualLabels);
}
