#pragma once

namespace quill {

// Whether the screens' animations end the moment they start, at the state they would
// have reached. The one process-wide flag of the program: the test programs' main()
// sets it so that tests read end states without waiting and screen pictures are the
// settled screens; the program itself never sets it. It lives here, below the screens,
// so that every test program can set it without linking the widget kit.
void setInstantMotion(bool instant);
bool instantMotion();

} // namespace quill
