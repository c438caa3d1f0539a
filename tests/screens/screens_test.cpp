// Renders the screens to <build>/screens/*.png so they can be looked at as a seller sees them.
#include "ui/app/main_window.h"

#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

namespace quill {
namespace {

TEST(Screens, MainWindowRendersAtItsDefaultSize)
{
    MainWindow window;
    window.show();
    QImage image = window.grab().toImage();
    ASSERT_EQ(image.size(), QSize(1100, 800));
    QDir().mkpath(QStringLiteral(QUILLMARK_SCREENS_DIR));
    EXPECT_TRUE(image.save(QStringLiteral(QUILLMARK_SCREENS_DIR "/main-window.png")));
}

} // namespace
} // namespace quill
