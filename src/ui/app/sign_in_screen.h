#pragma once

#include <QWidget>

#include <memory>

namespace quill {

class AppState;

// The screen a signed-out seller sees.
std::unique_ptr<QWidget> makeSignInScreen(AppState &appState);

} // namespace quill
