// The terminal's console layer: progress lines and messages on standard error,
// a progress line at most once a minute, and no stop requests.
#include "formats/report_format.h"
#include "params/global-types-and-parameters.h"

void console_message(const char *text) { std::fputs(text, stderr); }

void report_status(unsigned record, const char *name, unsigned unit_length, char)
{
  unsigned elapsed = static_cast<unsigned>(time(nullptr) - time_analysis_started);
  std::fprintf(stderr, "%.2d.%.2d.%.2d - # %3d - %4dbp - %.70s\n", int(elapsed / 3600),
               int((elapsed % 3600) / 60), int(elapsed % 60), int(record), int(unit_length), name);
  std::fflush(stderr);
}

bool check_report_status()
{
  time_t now = time(nullptr);
  if (now > time_next_status_report) {
    time_next_status_report = now + 59;
    return true;
  }
  return false;
}

void update_report_time() { time_next_status_report = time(nullptr) + 59; }

bool stop_requested() { return false; }

void good_bye(FILE *output)
{
  if (output) {
    output_format().trailer(output);
    // A trailer that did not arrive is a failed run, not a successful one:
    // the driver reports it.
    if (std::fflush(output) != 0 || std::ferror(output))
      return;
  }
  std::fputs("\nAnalysis finished successfully.\n\n", stderr);
  std::fputs("Torvix says goodbye.\n\n", stderr);
  std::fflush(stderr);
}

void good_bye_on_error(int status)
{
  if (status == -1)
    std::fputs("\n\n", stderr);
  else if (status < 0)
    std::fprintf(stderr, "\nAnalysis has been aborted due to errors. Error number: %d\n\n", status);
  std::fflush(stderr);
}
