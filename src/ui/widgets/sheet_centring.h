#pragma once

class QApplication;

namespace quill {

// Keeps every sheet (a dialog opened over a window) centred on that window once the
// window manager has framed it. Qt places a dialog before it has a frame and guesses
// the frame's size, which leaves it a title bar's height off centre; when the real
// frame is known (looked for over the first second) the sheet is moved once, and never
// again, so a sheet the seller moves stays where it is put.
void centreSheetsOnTheirWindows(QApplication &app);

} // namespace quill
