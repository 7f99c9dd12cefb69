// The graphical console layer: the status goes into the progress window, the
// report timer runs at one second, the stop button is heard, and nothing is
// written to standard error.
#include <cstdio>
#include <ctime>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>

#include "gui/console_gui.h"
#include "gui/run_analysis.h"
#include "formats/report_format.h"
#include "params/global-types-and-parameters.h"

namespace {

char status_text[140];
char last_state = '\0';
unsigned last_pattern_length = 0;

} // namespace

void console_message(const char *) {}

void report_status(unsigned number, const char *name, unsigned pattern_length, char state)
{
  const char *format;
  switch (state) {
  case 'r':
    format = "%.2d.%.2d.%.2d\n%d\n%.70s\n%d\nrunning";
    break;
  case 'f':
    format = "%.2d.%.2d.%.2d\n%d\n%.70s\n%d\nfinished successfully";
    break;
  case 'a':
    format = "%.2d.%.2d.%.2d\n%d\n%.70s\n%d\nstopped by the user";
    break;
  case 'e':
    format = "%.2d.%.2d.%.2d\n%d\n%.70s\n%d\naborted due to error";
    break;
  default:
    format = nullptr;
    break;
  }
  if (format) {
    unsigned e = static_cast<unsigned>(std::time(nullptr) - time_analysis_started);
    std::snprintf(status_text, sizeof status_text, format, int(e / 3600), int((e % 3600) / 60),
                  int(e % 60), int(number), name, int(pattern_length));
    last_state = state;
    last_pattern_length = pattern_length;
  }
  if (runA && runA->status_box) {
    runA->status_box->label(status_text);
    runA->status_box->redraw();
  }
  for (int i = 0; i < 4; ++i)
    Fl::check();
}

void reset_run_status()
{
  status_text[0] = '\0';
  last_state = '\0';
  last_pattern_length = global_min_unit_length;
}

void report_run_stopped(unsigned record, const char *name)
{
  if (last_state != 'a')
    report_status(record, name, last_pattern_length, 'a');
}

bool check_report_status()
{
  std::time_t now = std::time(nullptr);
  if (now > time_next_status_report) {
    time_next_status_report = now;
    return true;
  }
  return false;
}

void update_report_time() { time_next_status_report = std::time(nullptr); }

bool stop_requested() { return runA && runA->stop_requested; }

void good_bye(FILE *output)
{
  output_format().trailer(output);
  std::fflush(output);
}

void good_bye_on_error(int) {}
