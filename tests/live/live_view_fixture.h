#pragma once

// The live show screen's widgets over the whole shell against the stand-in
// backend: a page without a browser engine, pauses that wait until the test ends.
#include "../shell/shell_fixture.h"
#include "capture/auction_poller.h"
#include "ui/live/live_header_bar.h"
#include "ui/live/live_show_controller.h"
#include "ui/live/live_show_view.h"
#include "ui/live/live_stage.h"
#include "ui/live/live_status_bar.h"
#include "ui/live/page_box.h"
#include "ui/widgets/style.h"

#include <QApplication>
#include <QTest>

namespace quill::testing {

class LiveViewFixture : public ShellFixture
{
protected:
    static inline const QSize kDetailSize{880, 800};

    void SetUp() override
    {
        ShellFixture::SetUp();
        applyAppLook(*qApp);
    }

    void TearDown() override
    {
        m_view.reset();
        m_controller.reset();
        ShellFixture::TearDown();
    }

    // A seller signed in to the backend (staff when the address says so), the
    // screen open at the detail area's size.
    LiveShowView &open(const QString &email = QStringLiteral("seller@example.com"))
    {
        AppState &app = startSignedIn(QStringLiteral("u1"), email);
        m_controller = std::make_unique<LiveShowController>(LiveServices::of(app));
        m_view = std::make_unique<LiveShowView>(*m_controller);
        m_view->resize(kDetailSize);
        m_view->show();
        return *m_view;
    }

    // Signed in to the marketplace with a stream chosen: the live content. The page is
    // on the stream's live page already, so the show's title is read without a pause.
    void goLive()
    {
        m_appState->whatnotSession().setAuthenticated(true);
        m_appState->whatnotSession().navigateToStream(QStringLiteral("show-42"));
        m_appState->showSyncService().setActiveStreamId(QStringLiteral("show-42"));
    }

    // The live content has started its show on the backend.
    void waitForShow()
    {
        ASSERT_TRUE(eventually([&] { return !m_appState->showSyncService().activeShowId().isEmpty(); }))
            << m_appState->showSyncService().syncError().toStdString();
    }

    static QRect rectIn(const QWidget *widget, const QWidget *ancestor)
    {
        return QRect(widget->mapTo(ancestor, QPoint(0, 0)), widget->size());
    }

    LiveShowController &controller() { return *m_controller; }
    LiveShowView &view() { return *m_view; }

    std::unique_ptr<LiveShowController> m_controller;
    std::unique_ptr<LiveShowView> m_view;
};

} // namespace quill::testing
