#include "gui/console_gui.h"

#include <cstdio>
#include <string>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Progress.H>

#include "gui/gui_dialogs.h"
#include "gui/run_analysis.h"
#include "input/CSequence_Mol.h"
#include "params/exit_status.h"
#include "params/global-types-and-parameters.h"

void console_message(const char *) {}

namespace {

// The window shows a record's status when it starts only for every 32nd
// record and after a long one, so that files of many short records are not
// slowed down by the display.
bool shows_record(unsigned number, unsigned previous_length)
{
  return number % 32 == 1 || previous_length > 1000000;
}

} // namespace

gui_observer::gui_observer(CRunAnalysis &r) : run(r), last_pattern_length(global_min_unit_length) {}

void gui_observer::note(const char *text)
{
  std::string shown = text;
  while (!shown.empty() && shown.back() == '\n')
    shown.pop_back();
  gui_note(shown.c_str());
}

void gui_observer::show(const char *label)
{
  if (run.status_box) {
    run.status_box->label(label);
    run.status_box->redraw();
  }
  for (int i = 0; i < 4; ++i)
    Fl::check();
}

void gui_observer::progress(unsigned number, const char *name, unsigned pattern_length, char state)
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
    std::snprintf(run.status_text, sizeof run.status_text, format, int(e / 3600), int((e % 3600) / 60),
                  int(e % 60), int(number), name, int(pattern_length));
    last_state = state;
    last_pattern_length = pattern_length;
  }
  show(run.status_text);
}

// A stop request makes every search report at its next chance, so that all
// of them end promptly.
bool gui_observer::progress_due()
{
  if (stop_requested())
    return true;
  const std::time_t now = std::time(nullptr);
  std::time_t due = next_report;
  return now > due && next_report.compare_exchange_strong(due, now);
}

bool gui_observer::stop_requested() { return run.stop_requested; }

void gui_observer::reading(unsigned number, unsigned previous_length)
{
  // Reading a record cannot be interrupted, so the window gets its events now.
  if (shows_record(number, previous_length))
    show("\n\n\n\nloading next sequence - cannot be interruped");
}

void gui_observer::record_started(unsigned number, const char *name, unsigned before)
{
  if (!shows_record(number, before))
    return;
  progress(number, name, global_min_unit_length, 'r');
}

void gui_observer::search_starting(unsigned number, unsigned before)
{
  if (shows_record(number, before))
    next_report = std::time(nullptr);
}

void gui_observer::share_done(double share)
{
  if (run.progress_bar) {
    run.progress_bar->value(static_cast<float>(share > 1 ? 100 : 100 * share));
    run.progress_bar->redraw();
  }
}

void gui_observer::waiting() { Fl::check(); }

void gui_observer::failed(const run_failure &f)
{
  progress(f.record, f.record_name.c_str(), global_min_unit_length, 'e');
  const char *what = nullptr;
  std::string text;
  std::string name = f.file;
  switch (f.status) {
  case status_input_not_opened:
    what = "Sorry! Failed to open the input file";
    break;
  case status_output_not_opened: {
    // In the order of run_files::problem.
    static const char *const texts[] = {
        "", "Sorry! The output file is the input file", "Sorry! Failed to open the output file",
        "Sorry! The masked sequence file is the input file",
        "Sorry! The masked sequence file is the output file",
        "Sorry! Failed to open the masked sequence file"};
    what = texts[f.problem];
    break;
  }
  case status_record_too_long:
    what = "Sorry! This sequence is longer than 2147483647 bases; positions in it cannot be "
           "reported:";
    name = f.record_name;
    break;
  case status_damaged_input:
    text = std::string("Sorry! The input file is ") + f.damage + ":";
    what = text.c_str();
    break;
  case status_write_failed:
    what = "Sorry! Failed to write to file";
    break;
  default:
    gui_alert("An error occurred while reading the input file. It might not be a valid fasta "
              "file.\nFile position: line %u",
              f.line);
    return;
  }
  gui_alert("%s\n   \"%s\"", what, name.c_str());
}

void gui_observer::ended(bool stopped, unsigned record, const std::string &name)
{
  if (!stopped)
    progress(record, name.c_str(), global_max_unit_length, 'f');
  else if (last_state != 'a')
    // The pattern length stays that of the last status, where the search stopped.
    progress(record, name.c_str(), last_pattern_length, 'a');
  else
    show(run.status_text);
}
