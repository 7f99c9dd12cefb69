#include "run_analysis.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Progress.H>

#include "gui/console_gui.h"
#include "gui/form_parameters.h"
#include "gui/gui_dialogs.h"
#include "gui/main_window.h"
#include "params/global-types-and-parameters.h"
#include "run/run.h"
#include "run/run_header.h"

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

  window = new Fl_Double_Window(670, 240, "Progress of torvix analysis");
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
  progress_bar = new Fl_Progress(20, 200, 630, 22);
  progress_bar->minimum(0);
  progress_bar->maximum(100);
  progress_bar->value(0);
  progress_bar->selection_color(FL_BLUE);
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

int main_torvix(int, char **, CRunAnalysis *run)
{
  runA = run;
  time_analysis_started = std::time(nullptr);
  torvix_welcome(stderr);
  get_GUI_parameter_values();
  gui_observer observer(*run);
  run_request request;
  request.threads = 0; // every core; the output does not depend on it
  return run_torvix(request, observer);
}
