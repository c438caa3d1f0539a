// The Shows screen's wiring: rows open the card, the dim layer closes it and the card
// does not, the live badge jumps, staff alone may delete, a late fetch is dropped, and
// without a printer the print buttons do nothing while the previews still open.
#include "figure_faces.h"
#include "history_views_fixture.h"
#include "motion_on.h"
#include "printing/label_appearance_store.h"
#include "ui/history/batch_print_dialog.h"
#include "ui/history/label_preview_sheet.h"
#include "ui/history/show_detail_lists.h"
#include "ui/history/stat_card.h"
#include "ui/widgets/motion.h"
#include "wheel.h"

#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QToolButton>

using namespace quill;
using namespace quill::testing;

namespace {

using ShowHistoryScreen = HistoryViewsFixture;

// The texts of one row of the Shows list, as its delegate writes them.
QStringList rowTexts(QListView *list, int row)
{
    QStringList texts;
    for (const DrawnText &drawn : drawnTexts(*list, list->model()->index(row, 0)))
        texts.append(drawn.text);
    return texts;
}

} // namespace

TEST_F(ShowHistoryScreen, ListsLiveFirstAndARowOpensTheCardThatOnlyTheDimLayerCloses)
{
    seedShow("Old show", "completed", "2026-01-01T10:00:00Z", {{"ann", "5"}});
    seedShow("Live now", "live", "2025-12-01T10:00:00Z");
    seedShow("Newer show", "completed", "2026-01-10T10:00:00Z");
    ShowHistoryView &view = openScreen();
    QAbstractItemModel *model = view.list()->model();
    EXPECT_EQ(model->index(0, 0).data().toString(), "Live now");
    EXPECT_EQ(model->index(1, 0).data().toString(), "Newer show");
    EXPECT_EQ(model->index(2, 0).data().toString(), "Old show");

    ShowDetailView &detail = openCard(2);
    EXPECT_EQ(detail.model().show().title, "Old show");
    EXPECT_FALSE(view.card()->isHidden());
    // A click on the card itself leaves it open.
    QTest::mouseClick(view.card(), Qt::LeftButton, {}, QPoint(view.card()->width() / 2, 40));
    EXPECT_NE(view.detailView(), nullptr);
    // A click on the dim layer outside the card closes it.
    QTest::mouseClick(view.dimLayer(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(view.detailView(), nullptr);
    EXPECT_TRUE(view.card()->isHidden());

    // The close control closes it as well.
    ShowDetailView &again = openCard(1);
    auto *close = again.findChild<QToolButton *>(QStringLiteral("closeDetail"));
    ASSERT_NE(close, nullptr);
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_EQ(view.detailView(), nullptr);
}

TEST_F(ShowHistoryScreen, LiveBadgeAndLiveTitleJumpToTheLiveShow)
{
    seedShow("Live now", "live", "2026-01-01T10:00:00Z");
    ShowHistoryView &view = openScreen();
    QSignalSpy jumps(&view, &ShowHistoryView::liveShowRequested);
    const QRect row = view.list()->visualRect(view.list()->model()->index(0, 0));
    QTest::mouseClick(view.list()->viewport(), Qt::LeftButton, {},
                      ShowRowDelegate::badgeRect(row, QStringLiteral("live")).center());
    EXPECT_EQ(jumps.count(), 1);
    EXPECT_EQ(view.detailView(), nullptr) << "the badge jumps; it does not open the card";

    ShowDetailView &detail = openCard(0);
    auto *title = detail.findChild<QPushButton *>(QStringLiteral("liveTitle"));
    ASSERT_NE(title, nullptr);
    QTest::mouseClick(title, Qt::LeftButton);
    EXPECT_EQ(jumps.count(), 2);
}

TEST_F(ShowHistoryScreen, NoDeleteForSellers)
{
    seedShow("Mine", "completed", "2026-01-01T10:00:00Z");
    ShowHistoryView &view = openScreen();
    ShowDetailView &detail = openCard(0);
    EXPECT_FALSE(detail.model().isStaff());
    EXPECT_TRUE(detail.deleteButton()->isHidden() || detail.deleteButton()->parentWidget()->isHidden());
    detail.requestDelete();
    EXPECT_EQ(detail.deleteConfirmation(), nullptr);
    (void)view;
}

TEST_F(ShowHistoryScreen, StaffDeleteRemovesTheShowFromTheList)
{
    seedShow("Keep", "completed", "2026-01-02T10:00:00Z");
    const QString doomed = seedShow("Doomed", "completed", "2026-01-01T10:00:00Z", {{"ann", "5"}});
    ShowHistoryView &view = openScreen(QStringLiteral("ops@quillmark.app"));
    ShowDetailView &detail = openCard(1);
    ASSERT_TRUE(detail.model().isStaff());
    EXPECT_FALSE(detail.deleteButton()->isHidden());
    QTest::mouseClick(detail.deleteButton(), Qt::LeftButton);
    QMessageBox *question = detail.deleteConfirmation();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(question->text(),
              "This will permanently delete \"Doomed\" and all its auction data. This cannot be undone.");
    auto *confirm = question->findChild<QPushButton *>(QStringLiteral("confirmDelete"));
    ASSERT_NE(confirm, nullptr);
    QTest::mouseClick(confirm, Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return view.list()->model()->rowCount() == 1; }));
    EXPECT_EQ(view.list()->model()->index(0, 0).data().toString(), "Keep");
    EXPECT_FALSE(m_backend.show(doomed).has_value());
    // The card stays on the deleted show until the seller closes it.
    EXPECT_NE(view.detailView(), nullptr);
}

TEST_F(ShowHistoryScreen, AFailedDeleteSaysWhyInTheCard)
{
    const QString id = seedShow("Stuck", "completed", "2026-01-01T10:00:00Z");
    ShowHistoryView &view = openScreen(QStringLiteral("ops@quillmark.app"));
    ShowDetailView &detail = openCard(0);
    standin::Fault failure;
    failure.kind = standin::Fault::Kind::Status;
    failure.statusCode = 500;
    m_backend.setFault(QStringLiteral("DELETE"), QStringLiteral("/api/shows/") + id + QLatin1Char('*'), failure);
    detail.model().confirmDelete();
    auto *message = detail.findChild<QLabel *>(QStringLiteral("detailMessage"));
    ASSERT_TRUE(eventually([&] { return !message->isHidden(); }));
    EXPECT_TRUE(message->text().startsWith("Failed to delete show: ")) << qPrintable(message->text());
    EXPECT_EQ(view.list()->model()->rowCount(), 1);
}

TEST_F(ShowHistoryScreen, AnAnswerForAClosedCardIsDropped)
{
    const QString id = seedShow("Slow", "completed", "2026-01-01T10:00:00Z", {{"ann", "5"}});
    ShowHistoryView &view = openScreen();
    standin::Fault hold;
    hold.kind = standin::Fault::Kind::Hold;
    hold.statusCode = 0;
    m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/shows/") + id + QStringLiteral("/auctions*"), hold);
    clickRow(0);
    ASSERT_TRUE(eventually([&] { return m_backend.heldCount() == 1; }));
    QPointer<ShowDetailView> first = view.detailView();
    view.closeShow();
    ASSERT_TRUE(eventually([&] { return first.isNull(); }));
    m_backend.clearFaults();
    m_backend.releaseHeld();
    // The held answer arrives for nobody; a new card loads its own.
    ShowDetailView &second = openCard(0);
    EXPECT_EQ(second.model().response()->auctions.size(), 1);
}

TEST_F(ShowHistoryScreen, WithoutAPrinterPrintButtonsDoNothingAndThePreviewStillOpens)
{
    seedShow("Done", "completed", "2026-01-01T10:00:00Z", {{"ann", "25"}, {"bo", "5"}});
    openScreen();
    ShowDetailView &detail = openCard(0);
    detail.model().setSelectedTab(DetailTab::auctions);
    QListView *list = detail.auctionsList();
    ASSERT_TRUE(list->isVisible());
    const QModelIndex first = list->model()->index(0, 0);
    EXPECT_FALSE(first.data(ShowAuctionsListModel::canPrintRole).toBool());
    const DetailRowGeometry parts = AuctionDetailRowDelegate::geometry(list->visualRect(first).adjusted(0, 0, 0, -1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, parts.printButton.center());
    EXPECT_FALSE(detail.model().isPrintingAuction(first.data(ShowAuctionsListModel::idRole).toString()));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, parts.previewButton.center());
    ASSERT_NE(detail.labelPreview(), nullptr);
    ASSERT_NE(detail.labelPreview()->pageView(), nullptr);
    detail.labelPreview()->close();

    detail.model().setSelectedTab(DetailTab::buyers);
    QListView *buyers = detail.buyersList();
    const QModelIndex top = buyers->model()->index(0, 0);
    const DetailRowGeometry buyerParts = BuyerDetailRowDelegate::geometry(buyers->visualRect(top));
    const int collapsed = buyers->visualRect(top).height();
    QTest::mouseClick(buyers->viewport(), Qt::LeftButton, {}, buyerParts.expandButton.center());
    EXPECT_TRUE(detail.model().isExpanded("ann"));
    EXPECT_GT(buyers->visualRect(buyers->model()->index(0, 0)).height(), collapsed);
    QTest::mouseClick(buyers->viewport(), Qt::LeftButton, {}, buyerParts.previewButton.center());
    ASSERT_NE(detail.packingSlipPreview(), nullptr);
    EXPECT_EQ(detail.packingSlipPreview()->pageViews().size(), 1);
}

TEST_F(ShowHistoryScreen, ThePackingSlipCardPrintsSlipsWhicheverTabIsShowing)
{
    seedShow("Done", "completed", "2026-01-01T10:00:00Z", {{"ann", "25"}, {"bo", "5"}});
    openScreen();
    ShowDetailView &detail = openCard(0);
    detail.model().setSelectedTab(DetailTab::auctions);
    auto *cardButton = detail.findChild<QPushButton *>(QStringLiteral("ctaPrintAll"));
    ASSERT_NE(cardButton, nullptr);
    QTest::mouseClick(cardButton, Qt::LeftButton);
    ASSERT_NE(detail.batchDialog(), nullptr);
    EXPECT_EQ(detail.batchDialog()->printType(), BatchPrintType::packingSlips);
    detail.batchDialog()->close();
    ASSERT_TRUE(eventually([&] { return detail.batchDialog() == nullptr; }));

    // The list's own Print All follows the tab.
    auto *listButton = detail.findChild<QPushButton *>(QStringLiteral("listPrintAll"));
    ASSERT_NE(listButton, nullptr);
    QTest::mouseClick(listButton, Qt::LeftButton);
    ASSERT_NE(detail.batchDialog(), nullptr);
    EXPECT_EQ(detail.batchDialog()->printType(), BatchPrintType::individualLabels);
}

TEST_F(ShowHistoryScreen, TheDetailScrollsAsOneColumnWithTheWholeList)
{
    QList<std::pair<QString, QString>> wins;
    for (int i = 0; i < 40; ++i)
        wins.append({QStringLiteral("buyer%1").arg(i % 7), QStringLiteral("5")});
    seedShow("Long", "completed", "2026-01-01T10:00:00Z", wins);
    openScreen();
    ShowDetailView &detail = openCard(0);
    detail.model().setSelectedTab(DetailTab::auctions);
    QListView *list = detail.auctionsList();
    QCoreApplication::processEvents();
    // Every row has its room in the column: the list itself never scrolls.
    const QModelIndex last = list->model()->index(list->model()->rowCount() - 1, 0);
    EXPECT_LE(list->visualRect(last).bottom(), list->viewport()->height());
    EXPECT_EQ(list->verticalScrollBar()->maximum(), 0);
    QScrollBar *column = detail.scrollArea()->verticalScrollBar();
    ASSERT_GT(column->maximum(), 0);
    EXPECT_EQ(column->value(), 0);

    auto *title = detail.findChild<QWidget *>(QStringLiteral("detailTitle"));
    auto *close = detail.findChild<QWidget *>(QStringLiteral("closeDetail"));
    ASSERT_NE(title, nullptr);
    ASSERT_NE(close, nullptr);
    const auto at = [&](QWidget *widget) { return widget->mapTo(&detail, QPoint()); };
    const QPoint titleAt = at(title);
    const QPoint closeAt = at(close);

    // The wheel over the list is the column's: the list passes it on, and the column
    // moves, header included.
    EXPECT_FALSE(turnWheelDown(list->viewport()));
    EXPECT_TRUE(turnWheelDown(detail.scrollArea()->viewport()));
    EXPECT_GT(column->value(), 0);
    EXPECT_EQ(at(title), titleAt - QPoint(0, column->value()));
    EXPECT_EQ(at(close), closeAt - QPoint(0, column->value()));

    // Scrolled to the end, the header has left the card with the top of the column:
    // nothing of it lies over the list's "Print All".
    column->setValue(column->maximum());
    QCoreApplication::processEvents();
    const QRect shown = detail.scrollArea()->viewport()->rect();
    for (QWidget *part : {title, close})
        EXPECT_FALSE(
            shown.intersects(QRect(part->mapTo(detail.scrollArea()->viewport(), QPoint()), part->size())))
            << part->objectName().toStdString();
}

TEST_F(ShowHistoryScreen, AuctionCountsOfAnyLengthAreShownWhole)
{
    const auto wins = [](int count) {
        QList<std::pair<QString, QString>> list;
        for (int i = 0; i < count; ++i)
            list.append({QStringLiteral("buyer%1").arg(i % 9), QStringLiteral("5")});
        return list;
    };
    seedShow("Seller is live - Big Sunday - Cards", "completed", "2026-01-03T10:00:00Z", wins(1234));
    seedShow("Mid week", "completed", "2026-01-02T10:00:00Z", wins(123));
    seedShow("Small", "completed", "2026-01-01T10:00:00Z", wins(100));
    ShowHistoryView &screen = openScreen();
    QListView *list = screen.list();
    for (int width : {900, 420}) {
        SCOPED_TRACE(width);
        screen.resize(width, 700);
        QCoreApplication::processEvents();
        EXPECT_TRUE(rowTexts(list, 0).contains(QStringLiteral("1234")))
            << rowTexts(list, 0).join(u'|').toStdString();
        EXPECT_TRUE(rowTexts(list, 1).contains(QStringLiteral("123")))
            << rowTexts(list, 1).join(u'|').toStdString();
        EXPECT_TRUE(rowTexts(list, 2).contains(QStringLiteral("100")))
            << rowTexts(list, 2).join(u'|').toStdString();
    }
}

TEST(StatCardValue, ShrinksToSevenTenthsThenElides)
{
    const QFont font = textFont(TextStyle::title3, QFont::Bold);
    const QString text = QStringLiteral("$123456.00");
    const int natural = QFontMetrics(font).horizontalAdvance(text);

    EXPECT_EQ(fitOneLine(text, font, natural).font.pointSizeF(), font.pointSizeF());
    const FittedLine shrunk = fitOneLine(text, font, int(natural * 0.85));
    EXPECT_LT(shrunk.font.pointSizeF(), font.pointSizeF());
    EXPECT_GE(shrunk.font.pointSizeF(), 0.7 * font.pointSizeF());
    EXPECT_FALSE(shrunk.text.endsWith(QChar(0x2026)));

    const FittedLine cut = fitOneLine(text, font, natural / 2);
    EXPECT_DOUBLE_EQ(cut.font.pointSizeF(), 0.7 * font.pointSizeF());
    EXPECT_TRUE(cut.text.endsWith(QChar(0x2026)));
    EXPECT_LE(QFontMetrics(cut.font).horizontalAdvance(cut.text), natural / 2);

    // In a card, a value wider than the card is drawn on its one line.
    StatCard card(QStringLiteral("Revenue"), QStringLiteral("$98765432.10"));
    card.resize(80, card.sizeHint().height());
    card.show();
    EXPECT_LE(card.shownValue().width(), 80);
    EXPECT_EQ(card.value(), QStringLiteral("$98765432.10"));
}

TEST(StatCardValue, NamesAreInTheCardsFaceAndDigitsAreAllOneWidth)
{
    const QFont face = textFont(TextStyle::title3, QFont::Bold);
    ASSERT_NE(QFontInfo(face).family(), QFontInfo(monospacedFont(face)).family());
    for (const QString &value :
         {QStringLiteral("@cardshark_mike"), QStringLiteral("$1,234.50"), QStringLiteral("2h 5m")}) {
        SCOPED_TRACE(value.toStdString());
        StatCard card(QStringLiteral("Top Buyer"), value);
        card.resize(200, card.sizeHint().height());
        card.show();
        const FittedLine line = card.shownValue();
        EXPECT_EQ(line.text, value);
        EXPECT_EQ(QFontInfo(line.font).family(), QFontInfo(face).family()) << "not the fixed-pitch face";
        EXPECT_TRUE(digitsOneWidth(line.digits));
    }

    // A face whose figures are of several widths takes only its digits from the fixed-pitch face.
    QFont proportional(QStringLiteral("Inter"));
    proportional.setPointSizeF(face.pointSizeF());
    if (digitsOneWidth(proportional))
        GTEST_SKIP() << "no face with proportional figures installed";
    EXPECT_EQ(QFontInfo(digitFont(proportional)).family(), QFontInfo(monospacedFont(proportional)).family());
    const FittedLine mixed = fitOneLine(QStringLiteral("Ann 1111"), proportional, 1000);
    EXPECT_EQ(mixed.font.family(), proportional.family());
    EXPECT_TRUE(digitsOneWidth(mixed.digits));
    EXPECT_EQ(mixed.width(), QFontMetrics(proportional).horizontalAdvance(QStringLiteral("Ann ")) +
                                 QFontMetrics(mixed.digits).horizontalAdvance(QStringLiteral("1111")));
}

// In a face whose digits differ in width, the detail's prices, totals and the
// buyer's auction lines are drawn with digits of one width.
TEST_F(ShowHistoryScreen, TheDetailRowsFiguresKeepDigitsOfOneWidthInAFaceWhoseDigitsDiffer)
{
    const ProportionalFiguresFont inter;
    ASSERT_TRUE(ProportionalFiguresFont::inUse());
    seedShow("Done", "completed", "2026-01-01T10:00:00Z", {{"ann", "1118.80"}});
    openScreen();
    ShowDetailView &detail = openCard(0);
    QListView *auctions = detail.auctionsList();
    EXPECT_TRUE(
        figureDigitsOneWidth(drawnTexts(*auctions, auctions->model()->index(0, 0)), QStringLiteral("$1118.80")));

    detail.model().setSelectedTab(DetailTab::buyers);
    detail.model().toggleExpanded(QStringLiteral("ann"));
    QListView *buyers = detail.buyersList();
    ASSERT_TRUE(eventually(
        [&] { return buyers->model()->index(0, 0).data(ShowBuyersListModel::isExpandedRole).toBool(); }));
    QList<DrawnText> buyer = drawnTexts(*buyers, buyers->model()->index(0, 0));
    // The total in the header and the price on the auction's line.
    const auto figures = std::count_if(buyer.begin(), buyer.end(), [](const DrawnText &t) {
        return t.text.contains(QStringLiteral("1118")) || t.text == QStringLiteral("80");
    });
    EXPECT_GE(figures, 2);
    EXPECT_TRUE(figureDigitsOneWidth(buyer, QStringLiteral("$1118.80")));
}

namespace {

// The colour a horizontal divider is drawn in on `root`, sampled at its middle.
QColor dividerColour(QWidget &root, const QFrame &divider)
{
    const QImage picture = root.grab().toImage();
    const QPoint middle = divider.mapTo(&root, divider.rect().center());
    return picture.pixelColor(middle);
}

QFrame *firstDivider(const QWidget &root)
{
    for (QFrame *frame : root.findChildren<QFrame *>())
        if (frame->frameShape() == QFrame::HLine && frame->isVisibleTo(&root))
            return frame;
    return nullptr;
}

// Faint on the dark look: far darker than the text colour.
void expectFaint(const QColor &drawn)
{
    const QColor text = primaryTextColor();
    EXPECT_LT(drawn.lightness(), text.lightness() / 2)
        << qPrintable(drawn.name()) << " is drawn in the text colour " << qPrintable(text.name());
}

} // namespace

// The dividers under the headers of the Shows screen, the label preview and the Print
// All dialog are faint lines, not lines in the bright text colour.
TEST_F(ShowHistoryScreen, TheDividersUnderTheHeadersAreFaint)
{
    seedShow("Done", "completed", "2026-01-01T10:00:00Z", {{"ann", "25"}});
    ShowHistoryView &view = openScreen();
    QFrame *underShows = firstDivider(view);
    ASSERT_NE(underShows, nullptr);
    expectFaint(dividerColour(view, *underShows));

    const LabelSectionState winner = LabelSectionState::load(0, *m_settings);
    LabelPreviewSheet preview(LabelContent::box(QStringLiteral("ann"), 1, QStringLiteral("Done")), winner,
                              LabelAppearance{});
    preview.show();
    QFrame *underPreviewTitle = firstDivider(preview);
    ASSERT_NE(underPreviewTitle, nullptr);
    expectFaint(dividerColour(preview, *underPreviewTitle));

    ShowDetailView &detail = openCard(0);
    auto *printAll = detail.findChild<QPushButton *>(QStringLiteral("ctaPrintAll"));
    ASSERT_NE(printAll, nullptr);
    QTest::mouseClick(printAll, Qt::LeftButton);
    ASSERT_NE(detail.batchDialog(), nullptr);
    QFrame *underDialogTitle = firstDivider(*detail.batchDialog());
    ASSERT_NE(underDialogTitle, nullptr);
    expectFaint(dividerColour(*detail.batchDialog(), *underDialogTitle));
    detail.batchDialog()->close();
}

TEST_F(ShowHistoryScreen, TheCardFadesInAndOutAndTheBuyerRowOpensOverItsChevronsTurn)
{
    seedShow("Done", "completed", "2026-01-01T10:00:00Z", {{"ann", "25"}, {"bo", "5"}});
    ShowHistoryView &view = openScreen();
    const MotionOn motion;
    ShowDetailView &detail = openCard(0);
    EXPECT_TRUE(Motion::isMoving(view.card()));
    EXPECT_TRUE(Motion::isMoving(view.dimLayer()));
    Motion::finishAll(&view);
    EXPECT_EQ(view.card()->graphicsEffect(), nullptr);

    detail.model().setSelectedTab(DetailTab::buyers);
    QListView *buyers = detail.buyersList();
    auto *delegate = qobject_cast<BuyerDetailRowDelegate *>(buyers->itemDelegate());
    ASSERT_NE(delegate, nullptr);
    const QModelIndex top = buyers->model()->index(0, 0);
    const int collapsed = buyers->visualRect(top).height();
    const DetailRowGeometry parts = BuyerDetailRowDelegate::geometry(buyers->visualRect(top));
    QTest::mouseClick(buyers->viewport(), Qt::LeftButton, {}, parts.expandButton.center());
    EXPECT_TRUE(detail.model().isExpanded("ann")); // at once; the row follows
    EXPECT_LT(delegate->expansionProgress("ann"), 1.0);
    Motion::finishAll(&view);
    EXPECT_EQ(delegate->expansionProgress("ann"), 1.0);
    ASSERT_TRUE(eventually([&] { return buyers->visualRect(buyers->model()->index(0, 0)).height() > collapsed; }));

    // Closed: gone at once, its picture fading over the list.
    QTest::mouseClick(view.dimLayer(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(view.detailView(), nullptr);
    EXPECT_TRUE(view.card()->isHidden());
    EXPECT_EQ(view.findChildren<QWidget *>(QStringLiteral("quill.motion.ghost")).size(), 1);
}
