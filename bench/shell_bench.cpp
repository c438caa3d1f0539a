// From nothing to the first painted main window, and to the signed-in sidebar with
// a restored session, against the stand-in backend. Everything the product builds
// is built: the services (the marketplace page in Qt WebEngine included), the window
// and its start-up.
#include "app/app_state.h"
#include "backend/keychain_service.h"
#include "common/settings.h"
#include "in_memory_keychain.h"
#include "standin_backend.h"
#include "ui/app/application_shell.h"
#include "ui/app/main_view.h"
#include "ui/app/main_window.h"
#include "ui/app/sidebar_view.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>
#include <functional>

namespace {

using namespace quill;

// Notes when the widget `target` names is first painted (it may not exist yet).
class PaintWatch final : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && target && watched == target())
            painted = true;
        return false;
    }
    std::function<QObject *()> target;
    bool painted = false;
};

struct Environment
{
    Environment()
    {
        qputenv("HOME", home.path().toUtf8());
        settings = std::make_unique<Settings>(home.filePath(QStringLiteral("settings.ini")));
        Settings::setShared(settings.get());
        backend.listen();
        token = backend.addUser(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    }

    AppSetup setup(bool withSession)
    {
        AppSetup setup;
        setup.apiBaseURL = backend.baseUrl();
        auto keychain = std::make_unique<InMemoryKeychain>();
        if (withSession)
            keychain->setItem(QStringLiteral("session_token"), token);
        setup.keychain = std::move(keychain);
        return setup;
    }

    QTemporaryDir home;
    std::unique_ptr<Settings> settings;
    standin::StandinBackend backend;
    QString token;
};

Environment &environment()
{
    static Environment instance;
    return instance;
}

// Builds the shell, shows its window and waits until `target(shell)` is painted.
template <typename Target> double secondsUntilPainted(bool withSession, Target target)
{
    PaintWatch watch;
    QCoreApplication::instance()->installEventFilter(&watch);
    QElapsedTimer clock;
    clock.start();
    ApplicationShell shell(environment().setup(withSession), ApplicationShell::Tray::none);
    watch.target = [&] { return target(shell); };
    shell.mainWindow().show();
    const bool done = QTest::qWaitFor([&] { return watch.painted; }, 20000);
    const double seconds = clock.nsecsElapsed() / 1e9;
    QCoreApplication::instance()->removeEventFilter(&watch);
    return done ? seconds : -1;
}

void BM_FirstPaintedWindow(benchmark::State &state)
{
    for (auto _ : state) {
        // The loading view: what fills the window until the session is known.
        const double seconds = secondsUntilPainted(false, [](ApplicationShell &shell) -> QObject * {
            return shell.mainWindow().mainView().currentPage();
        });
        if (seconds < 0) {
            state.SkipWithError("the window was never painted");
            return;
        }
        state.SetIterationTime(seconds);
    }
}

void BM_RestoredSessionToSidebar(benchmark::State &state)
{
    for (auto _ : state) {
        const double seconds = secondsUntilPainted(true, [](ApplicationShell &shell) -> QObject * {
            // The section list: what the seller looks for first.
            SidebarView *sidebar = shell.mainWindow().mainView().sidebarView();
            return sidebar ? sidebar->sectionList()->viewport() : nullptr;
        });
        if (seconds < 0) {
            state.SkipWithError("the sidebar never came on screen");
            return;
        }
        state.SetIterationTime(seconds);
    }
}

} // namespace

// The first run pays for starting the browser engine once per process, as a real start does.
BENCHMARK(BM_FirstPaintedWindow)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Name("FirstPaintedWindow/cold");
BENCHMARK(BM_FirstPaintedWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_RestoredSessionToSidebar)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
