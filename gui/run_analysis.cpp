#include "run_analysis.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>

#include "cli/run_files.h"
#include "cli/run_header.h"
#include "engine/CSearchController.h"
#include "gui/console_gui.h"
#include "gui/form_parameters.h"
#include "gui/gui_dialogs.h"
#include "gui/main_window.h"
#include "input/CFile.h"
#include "input/CSequence_Mol.h"
#include "params/exit_status.h"
#include "params/global-types-and-parameters.h"

CRunAnalysis *runA = nullptr;

static char program_name_text[] = "Torvix";
char *CRunAnalysis::program_name[2] = {program_name_text, nullptr};

void CRunAnalysis::create_window()
{
  std::time_t now = std::time(nullptr);
  char when[34];
  if (std::strftime(when, sizeof when, "%c", std::localtime(&now)) == 0)
    when[0] = '\0';
  std::snprintf(started_text, sizeof started_text, "%s\n%s", TORVIX_VERSION, when);

  window = new Fl_Double_Window(670, 210, "Progress of torvix analysis");
  Fl_Box *b = new Fl_Box(20, 15, 120, 100, "Torvix version:\nAnalysis started:");
  b->box(FL_FLAT_BOX);
  b->labelfont(FL_HELVETICA_BOLD);
  b->labelsize(14);
  b->align(FL_ALIGN_TOP_RIGHT | FL_ALIGN_INSIDE);
  b = new Fl_Box(145, 15, 330, 100, started_text);
  b->box(FL_FLAT_BOX);
  b->labelsize(14);
  b->align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE);
  b = new Fl_Box(20, 60, 120, 100, "Real time:\nSeq. number:\nSeq. name:\nPattern length:\nStatus:");
  b->box(FL_FLAT_BOX);
  b->labelfont(FL_HELVETICA_BOLD);
  b->labelsize(14);
  b->align(FL_ALIGN_TOP_RIGHT | FL_ALIGN_INSIDE);
  status_box = new Fl_Box(145, 60, 520, 100, "");
  status_box->box(FL_FLAT_BOX);
  status_box->labelsize(14);
  status_box->align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE);
  button = new Fl_Button(275, 160, 120, 30, "Stop");
  button->callback(stop_callback, this);
  window->end();
  window->callback(close_callback, this);
}

bool ask_to_stop(CRunAnalysis *run)
{
  if (gui_choice("Are you sure you want to stop this analysis?", "Cancel", "Stop analysis") != 1)
    return false;
  run->stop_requested = true;
  return true;
}

void CRunAnalysis::stop_callback(Fl_Widget *, void *run) { ask_to_stop(static_cast<CRunAnalysis *>(run)); }

void CRunAnalysis::close_callback(Fl_Widget *, void *run)
{
  CRunAnalysis *r = static_cast<CRunAnalysis *>(run);
  r->window->hide();
  Fl::delete_widget(r->window);
  r->closed = true;
}

void callback_runAnalysis(Fl_Widget *, void *)
{
  if (check_parameters() != 0) {
    gui_alert("The \"Run Analysis\" command has been aborted since invalid\nsearch parameters "
              "were set to their default values.");
    return;
  }
  if (check_filenames() != 0)
    return;

  button_run->deactivate();
  CRunAnalysis run;
  run.create_window();
  run.window->show();

  // Quit asks about this run from now on, before the engine has started.
  runA = &run;
  run.running = true;
  run.button->label("Stop");
  run.button->callback(CRunAnalysis::stop_callback, &run);
  // Closing the window during the run asks whether to stop, as the button does.
  run.window->callback(CRunAnalysis::stop_callback, &run);
  Fl::wait(0.1);

  main_torvix(run.argc, run.argv, &run);
  run.running = false;
  if (run.quit_when_stopped && save_defaults_for_quit())
    std::exit(0);

  run.button->label("Close");
  run.button->callback(CRunAnalysis::close_callback, &run);
  run.window->callback(CRunAnalysis::close_callback, &run);
  Fl::check();
  while (!run.closed)
    Fl::wait();
  runA = nullptr;
  button_run->activate();
}

namespace {

// Shows the loading note in the status box; reading a record cannot be
// interrupted, so the window gets its events now.
void show_loading_note()
{
  if (runA && runA->status_box) {
    runA->status_box->label("\n\n\n\nloading next sequence - cannot be interruped");
    runA->status_box->redraw();
  }
  for (int i = 0; i < 4; ++i)
    Fl::check();
}

// Every failure ends the run with "aborted due to error" in the progress
// window and an alert that names the file.
int fail_on_file(int status, const char *what, const std::string &name, unsigned record,
                 const char *record_name)
{
  report_status(record, record_name, global_min_unit_length, 'e');
  gui_alert("%s\n   \"%s\"", what, name.c_str());
  return status;
}

const char write_failed_text[] = "Sorry! Failed to write to file";

} // namespace

int main_torvix(int, char **, CRunAnalysis *run)
{
  runA = run;
  CSequence_Mol record;
  CFile input;
  time_analysis_started = std::time(nullptr);
  torvix_welcome(stderr);

  get_GUI_parameter_values();
  const search_setup setup = search_setup::from_parameters();
  Csat_garbagecollector pool;
  reset_run_status();

  input.open(global_input_filename.c_str());
  if (input.fail())
    return fail_on_file(status_input_not_opened, "Sorry! Failed to open the input file",
                        global_input_filename, 0, "");

  run_files files;
  const run_files::problem problem = files.open(
      global_input_filename, global_output_filename,
      global_mask_X || global_mask_lower ? masked_file_name(global_input_filename, input.compressed())
                                         : std::string());
  if (problem != run_files::no_problem) {
    // In the order of run_files::problem.
    static const char *const texts[] = {
        "", "Sorry! The output file is the input file", "Sorry! Failed to open the output file",
        "Sorry! The masked sequence file is the input file",
        "Sorry! The masked sequence file is the output file",
        "Sorry! Failed to open the masked sequence file"};
    return fail_on_file(status_output_not_opened, texts[problem], files.name_of(problem), 0, "");
  }

  write_run_header(files.output);
  std::fflush(files.output);

  unsigned counter = 0;
  unsigned previous_length = 0;
  while (!input.eof()) {
    ++counter;
    const bool show_progress = counter % 32 == 1 || previous_length > 1000000;
    if (show_progress)
      show_loading_note();
    read_record(input, record);
    if (record.too_long)
      return fail_on_file(status_record_too_long,
                          "Sorry! This sequence is longer than 2147483647 bases; positions in it "
                          "cannot be reported:",
                          record.name.c_str(), counter, record.name.c_str());
    if (input.fail() && !input.eof() && input.damage_in_rest() != CFile::not_damaged) {
      files.close_all();
      const std::string what = std::string("Sorry! The input file is ") + input.damage_text() + ":";
      return fail_on_file(status_damaged_input, what.c_str(), global_input_filename, counter,
                          record.name.c_str());
    }
    if (input.fail() && !input.eof()) {
      files.close_all();
      report_status(counter, record.name.c_str(), global_min_unit_length, 'e');
      gui_alert("An error occurred while reading the input file. It might not be a valid fasta "
                "file.\nFile position: line %u",
                input.line_number());
      return status_bad_fasta;
    }
    previous_length = record.seq.length;
    if (counter < global_sequence_from || counter > global_sequence_to)
      continue;

    if (show_progress) {
      report_status(counter, record.name.c_str(), global_min_unit_length, 'r');
      update_report_time();
    }
    if (!analyse_record(counter, record, files, setup, pool))
      return fail_on_file(status_search_abandoned,
                          "Sorry! This sequence holds imperfect tandem repeats too long for this "
                          "search mode: its work grows with the square of their length. Nothing "
                          "has been written for it; the perfect search finds its perfect repeats "
                          "in linear time:",
                          record.name.c_str(), counter, record.name.c_str());
    // A full disk ends the run now, not after the whole genome.
    if (const std::string *failed = files.failed_stream()) {
      const std::string name = *failed;
      files.close_all();
      return fail_on_file(status_write_failed, write_failed_text, name, counter, record.name.c_str());
    }
    if (stop_requested())
      break;
  }
  input.close();

  const bool stopped = stop_requested();
  if (stopped)
    report_run_stopped(counter, record.name.c_str());
  else {
    report_status(counter, record.name.c_str(), global_max_unit_length, 'f');
    good_bye(files.output);
  }
  if (const std::string *failed = files.close_all())
    return fail_on_file(status_write_failed, write_failed_text, *failed, counter, record.name.c_str());
  return stopped ? status_stopped_by_user : status_ok;
}
