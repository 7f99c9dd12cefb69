// One run of Torvix, from opening the files to the trailer, for every front
// end: the command-line program and the graphical one differ only in their
// observer, which hears progress, failures and the end of the run and says
// when the user wants to stop.
#ifndef TORVIX_RUN_RUN_H
#define TORVIX_RUN_RUN_H

#include <string>

#include "engine/search_observer.h"
#include "run/run_files.h"

// Which part of the output a run writes. A genome cut into jobs by record
// range gets its result back by concatenating one header run, the records
// runs of its ranges in order, and one trailer run.
enum class output_part { all, header, records, trailer };

struct run_request {
  output_part part = output_part::all;
  // Threads that search records; 0: every core the process may use.
  unsigned threads = 1;
};

// What ended a run early; the run's files are closed when the observer hears
// of it.
struct run_failure {
  int status = 0;                                     // params/exit_status.h
  run_files::problem problem = run_files::no_problem; // which file could not be opened
  std::string file;                                   // the file concerned
  unsigned record = 0;                                // the record concerned, 0 before the first
  std::string record_name;
  unsigned line = 0;            // input line reached (unreadable or damaged input)
  const char *damage = nullptr; // what is wrong with a damaged input
  int error_number = 0;         // errno of a failed write
};

// All calls but those of search_observer come on the thread that called
// run_torvix, in record order; those of search_observer may come from any
// thread that searches.
class run_observer : public search_observer
{
public:
  // The files are open, the header not yet written.
  virtual void started() {}
  // Record number is about to be read; the record read before it (if any)
  // had previous_length bases.
  virtual void reading(unsigned number, unsigned previous_length)
  {
    (void)number;
    (void)previous_length;
  }
  // A record in range is about to be searched (the progress of the record
  // comes after this call).
  virtual void record_started(unsigned number, const char *name, unsigned previous_length) = 0;
  // The search of a record in range begins now, on the thread that searches
  // it: the clock of the time-driven progress reports starts again.
  virtual void search_starting(unsigned number, unsigned previous_length) = 0;
  // The share of the input (its bytes, 0 to 1) read and written out so far;
  // not called when it cannot be known (standard input).
  virtual void share_done(double share) { (void)share; }
  // While the run waits for records searched on other threads, every few
  // hundredths of a second.
  virtual void waiting() {}
  virtual void failed(const run_failure &failure) = 0;
  // The run ended without failure: stopped by the user, or after the trailer.
  // record and name are those of the last record read.
  virtual void ended(bool stopped, unsigned record, const std::string &name) = 0;
};

// The number of threads for a request of n: n, or for 0 the cores the
// process may use.
unsigned threads_for(unsigned n);

// Runs on the global parameters in force; returns 0, status_stopped_by_user
// or the failure's status.
int run_torvix(const run_request &request, run_observer &observer);

#endif
