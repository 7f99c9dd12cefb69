#include "scripted_console.h"

#include "params/global-types-and-parameters.h"

namespace scripted_console {
std::vector<status_line> lines;
bool progress_due = false;
int stop_after_questions = -1;
int questions = 0;

void reset()
{
  lines.clear();
  progress_due = false;
  stop_after_questions = -1;
  questions = 0;
}
} // namespace scripted_console

using namespace scripted_console;

void console_message(const char *) {}
void report_status(unsigned, const char *, unsigned unit_length, char state)
{
  lines.emplace_back(unit_length, state);
}
bool check_report_status() { return progress_due; }
void update_report_time() {}
bool stop_requested() { return ++questions > stop_after_questions && stop_after_questions >= 0; }
void good_bye(FILE *) {}
void good_bye_on_error(int) {}
