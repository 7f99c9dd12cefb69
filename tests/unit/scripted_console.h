// A console layer whose clock and stop button the test drives, in place of the
// terminal one: progress is due when the test says so, every status line is
// recorded as (unit length, state), and stop_requested() answers true from a
// chosen call on.
#ifndef TORVIX_TESTS_SCRIPTED_CONSOLE_H
#define TORVIX_TESTS_SCRIPTED_CONSOLE_H

#include <utility>
#include <vector>

using status_line = std::pair<unsigned, char>;

namespace scripted_console {
extern std::vector<status_line> lines;
extern bool progress_due;
extern int stop_after_questions; // stop_requested() answers true after this many calls; -1: never
extern int questions;
void reset();
} // namespace scripted_console

#endif
