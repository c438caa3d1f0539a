// Shared main() of every test executable: a Qt application on the offscreen
// platform, an isolated standard-paths sandbox, the C locale and UTC, so results
// do not depend on the machine or on who runs them. Animations end as they start,
// so tests read end states at once and screen pictures show settled screens.
#include "common/motion_switch.h"
#include "common/web_engine_flags.h"

#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstdlib>

// The HEVC encoder that tests use to make HEIC pictures keeps one buffer for the
// life of the process; the leak checker of the sanitizer build is told so.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libx265.so\n";
}

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);

    setenv("LC_ALL", "C", 1);
    setenv("TZ", "UTC", 1);
    tzset();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Root in CI: Chromium refuses to start without these.
    setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu", 0);
    // As the program runs the engine.
    quill::keepBackgroundPagesRunning();
    quill::setInstantMotion(true);
#ifdef QUILLMARK_TESTBED_DIR
    // Everything that talks to CUPS in a test talks to the private scheduler.
    setenv("CUPS_SERVER", QUILLMARK_TESTBED_DIR "/cups/cups.sock", 1);
#endif

    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QStandardPaths::setTestModeEnabled(true);
    const int result = RUN_ALL_TESTS();
    // What the last test left for a later turn of the event loop (a wait told that its
    // writer is gone, say) ends here, before the leak check looks.
    QCoreApplication::processEvents();
    return result;
}
