#pragma once

#include <QByteArray>
#include <chrono>

namespace quill {

// Opens /dev/null on each of the descriptors 0, 1 and 2 that is not open, so that what
// the program opens later (a file, the display connection) never takes their place and
// nothing meant for standard output or error ever lands in it. Call it first thing in
// main(), before anything opens a descriptor.
void openMissingStandardStreams();

// The process's standard output, written by a thread of its own so that nobody waits for
// its reader: a pipe whose reader stopped reading (a pager left on its first screen, a
// paused terminal) holds up only that thread. Lines are queued in a bounded buffer and
// go out whole and in order; while the buffer is full, new lines are dropped and
// counted, and the count is logged once the writer has caught up. A reader that went
// away (a closed pipe) costs the lines, never the process.
//
// Whoever else writes to standard output (stdio) is not ordered with these lines.
class StandardOutput final
{
public:
    // What the buffer holds at most, in bytes.
    static constexpr qsizetype kCapacity = 1024 * 1024;
    // How long the program's end waits for a reader that does not read.
    static constexpr std::chrono::milliseconds kExitPatience{300};

    // Queues `line` (its line feed included) and returns at once.
    static void writeLine(const QByteArray &line);
    // Waits up to `patience` for every line queued so far to be written (or dropped
    // because nobody reads); true when they were.
    static bool drain(std::chrono::milliseconds patience);
};

} // namespace quill
