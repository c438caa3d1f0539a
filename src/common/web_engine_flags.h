#pragma once

#include <QByteArray>
#include <QByteArrayList>

namespace quill {

// Chromium throttles the timers and lowers the priority of pages it takes to be in
// the background; the marketplace page must keep its pace while the live screen is
// not shown (another section, the window in the tray, Video off).
inline const QByteArrayList kBackgroundPageFlags{"--disable-background-timer-throttling",
                                                 "--disable-renderer-backgrounding",
                                                 "--disable-backgrounding-occluded-windows"};

// `existing` (a space-separated flag list) with every flag of `flags` it lacks appended.
QByteArray withChromiumFlags(const QByteArray &existing, const QByteArrayList &flags);

// Adds kBackgroundPageFlags to QTWEBENGINE_CHROMIUM_FLAGS, keeping what it holds;
// call before the application object exists.
void keepBackgroundPagesRunning();

} // namespace quill
