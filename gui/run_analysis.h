// "Run analysis": the progress window of a run and the in-process driver that
// runs the engine of the command-line program on the form's parameters.
#ifndef TORVIX_GUI_RUN_ANALYSIS_H
#define TORVIX_GUI_RUN_ANALYSIS_H

#include <atomic>

class Fl_Box;
class Fl_Button;
class Fl_Progress;
class Fl_Widget;
class Fl_Window;

class CRunAnalysis
{
public:
  Fl_Box *status_box = nullptr;
  Fl_Window *window = nullptr;
  // Set by the Stop dialog on the main thread, read by every search.
  std::atomic<bool> stop_requested{false};
  bool running = false;
  bool closed = false;
  Fl_Button *button = nullptr;
  int argc = 1;
  char **argv = program_name;
  char started_text[40] = "";
  // The label of status_box.
  char status_text[140] = "";
  // The share of the input searched and written so far.
  Fl_Progress *progress_bar = nullptr;
  // Quit was asked for during the run and the user chose to stop it: the
  // program ends once the engine has closed the output.
  bool quit_when_stopped = false;

  CRunAnalysis() = default;
  CRunAnalysis(const CRunAnalysis &) = delete;
  CRunAnalysis &operator=(const CRunAnalysis &) = delete;

  void create_window();
  static void stop_callback(Fl_Widget *, void *run);
  static void close_callback(Fl_Widget *, void *run);

private:
  static char *program_name[2];
};

// The run in progress; its stop flag is what the engine's stop checks read.
extern CRunAnalysis *runA;

void callback_runAnalysis(Fl_Widget * = nullptr, void * = nullptr);

// The question of the Stop button; true, with the stop requested, when the
// user chose to stop.
bool ask_to_stop(CRunAnalysis *run);

// Returns 0 finished, 1 stopped by the user, or the negative status of the
// failure (input not FASTA, input or output not openable, write failed).
int main_torvix(int argc, char **argv, CRunAnalysis *run);

#endif
