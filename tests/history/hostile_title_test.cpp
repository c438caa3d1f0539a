// A show title holding markup, as the page or the backend may hand it over, reads as
// written in the staff delete question: no picture drawn, no link offered.
#include "history_views_fixture.h"
#include "shown_text.h"

#include <QMessageBox>
#include <QTest>

using namespace quill;
using namespace quill::testing;

namespace {

using HostileShowTitle = HistoryViewsFixture;

} // namespace

TEST_F(HostileShowTitle, TheDeleteQuestionShowsTheTitleAsWritten)
{
    const QString title =
        QStringLiteral("<img src=\"file:///usr/share/pixmaps/debian-logo.png\" width=\"900\">"
                       "<a href=\"https://example.com/\">Click</a> & <b>bold</b>");
    seedShow(title, "completed", "2026-01-01T10:00:00Z");
    ShowHistoryView &view = openScreen(QStringLiteral("ops@quillmark.app"));
    ShowDetailView &detail = openCard(0);
    ASSERT_TRUE(detail.model().isStaff());
    QTest::mouseClick(detail.deleteButton(), Qt::LeftButton);
    QMessageBox *question = detail.deleteConfirmation();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(shownText(*question),
              QStringLiteral("This will permanently delete \"%1\" and all its auction data. "
                             "This cannot be undone.")
                  .arg(title));
    EXPECT_LT(question->sizeHint().width(), 900) << "the picture's width is not taken up";
    question->reject();
    (void)view;
}
