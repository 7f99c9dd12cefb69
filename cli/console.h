// The terminal's console layer: progress lines and messages on standard
// error, a time-driven progress line at most once a minute, and no stop
// requests.
#ifndef TORVIX_CLI_CONSOLE_H
#define TORVIX_CLI_CONSOLE_H

#include <atomic>
#include <ctime>

#include "run/run.h"

class cli_observer : public run_observer
{
public:
  bool progress_due() override;
  void progress(unsigned record, const char *name, unsigned unit_length, char state) override;
  bool stop_requested() override { return false; }
  void message(const char *text) override;

  void started() override;
  void record_started(unsigned number, const char *name, unsigned before) override;
  void search_starting(unsigned, unsigned) override;
  void failed(const run_failure &failure) override;
  void ended(bool stopped, unsigned record, const std::string &name) override;

private:
  // Earliest time of the next time-driven progress line.
  std::atomic<std::time_t> next_report{std::time(nullptr)};
};

// End-of-run text after an error.
void good_bye_on_error(int status);

#endif
