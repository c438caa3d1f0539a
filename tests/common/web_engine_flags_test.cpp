#include "common/web_engine_flags.h"

#include <gtest/gtest.h>

using namespace quill;

TEST(WebEngineFlags, AppendsOnlyTheFlagsNotYetThere)
{
    EXPECT_EQ(withChromiumFlags("", {"--a", "--b"}), QByteArray("--a --b"));
    EXPECT_EQ(withChromiumFlags("  --no-sandbox   --disable-gpu ", {"--a"}),
              QByteArray("--no-sandbox --disable-gpu --a"));
    EXPECT_EQ(withChromiumFlags("--a --x=1", {"--a", "--b"}), QByteArray("--a --x=1 --b"));
    // A flag with a value is another flag than the bare one.
    EXPECT_EQ(withChromiumFlags("--a=1", {"--a"}), QByteArray("--a=1 --a"));
}

TEST(WebEngineFlags, TheEnvironmentKeepsWhatItHadAndGainsTheBackgroundFlagsOnce)
{
    const QByteArray saved = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-renderer-backgrounding");
    keepBackgroundPagesRunning();
    keepBackgroundPagesRunning();
    EXPECT_EQ(
        qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"),
        QByteArray("--no-sandbox --disable-renderer-backgrounding --disable-background-timer-throttling "
                   "--disable-backgrounding-occluded-windows"));
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", saved);
}
