// The graphical console layer: the status of a run goes into its progress
// window, with a progress report at most once a second; the Stop button is
// heard; nothing is written to standard error.
#ifndef TORVIX_GUI_CONSOLE_GUI_H
#define TORVIX_GUI_CONSOLE_GUI_H

#include <atomic>
#include <ctime>

#include "run/run.h"

class CRunAnalysis;

class gui_observer : public run_observer
{
public:
  explicit gui_observer(CRunAnalysis &run);

  bool progress_due() override;
  void progress(unsigned record, const char *name, unsigned unit_length, char state) override;
  bool stop_requested() override;
  void message(const char *) override {}
  // In a window of its own, which the run does not wait for.
  void note(const char *text) override;

  void reading(unsigned number, unsigned previous_length) override;
  void record_started(unsigned number, const char *name, unsigned before) override;
  void search_starting(unsigned number, unsigned before) override;
  void share_done(double share) override;
  void waiting() override;
  void failed(const run_failure &failure) override;
  void ended(bool stopped, unsigned record, const std::string &name) override;

private:
  CRunAnalysis &run;
  std::atomic<std::time_t> next_report{std::time(nullptr)};
  char last_state = '\0';
  unsigned last_pattern_length;
  void show(const char *label);
};

#endif
