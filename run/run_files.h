// The streams of a run, opened so that the input can never be overwritten,
// and the work done for one record.
#ifndef TORVIX_RUN_RUN_FILES_H
#define TORVIX_RUN_RUN_FILES_H

#include <cstdio>
#include <functional>
#include <string>

#include "engine/Csat.h"
#include "engine/search_observer.h"
#include "engine/search_setup.h"
#include "engine/task_executor.h"
#include "input/CFile.h"
#include "input/CSequence_Mol.h"

// True when both names lead to the same existing file, however spelt.
bool same_file(const char *a, const char *b);

class run_files
{
public:
  FILE *output = stdout;
  std::string output_name = "standard output";
  FILE *masked = nullptr;
  std::string masked_name;

  enum problem {
    no_problem,
    output_is_input,   // the output name leads to the input file
    output_not_opened,
    masked_is_input,   // the masked-file name leads to the input file
    masked_is_output,  // the masked file would be the output file
    masked_not_opened,
  };

  run_files() = default;
  run_files(const run_files &) = delete;
  run_files &operator=(const run_files &) = delete;
  ~run_files() { close_all(); }

  // Opening for writing truncates, so both names are checked against the
  // input (its system path, CFile::system_path) before anything is opened.
  // An empty output name means standard output; an empty masked-file name,
  // no masked file.
  problem open(const std::string &input_path, const std::string &output_file,
               const std::string &masked_file);
  // The name that goes with a problem of open().
  const std::string &name_of(problem p) const;

  // Name of the first stream that lost data so far, or null.
  const std::string *failed_stream() const;
  // Flushes and closes both streams (standard output stays open); returns the
  // name of a stream that lost data, or null.
  const std::string *close_all();
};

// The masked file's name: the one --maskedFile gave, else the input's name
// followed by ".masked". The masked file is plain FASTA, so a compressed
// input's ".gz" or ".bgz" is dropped first: x.fa.gz gives x.fa.masked.
std::string masked_file_name(const std::string &input_name, bool input_compressed);

// Reads the next record in the gap mode in force.
void read_record(CFile &input, CSequence_Mol &record);

// Where a record's report and its masked sequence (when not null) go.
struct record_streams {
  FILE *report;
  FILE *masked;
};

// Searches the record in the mode in force, filters it, and only then asks
// streams where to write its report and masked sequence: a record searched
// beside others can go straight into the run's files if every record
// before it has been written by then. The search may cut the record into
// chunks that executor runs; the result is the same for every number of
// chunks.
void analyse_record(unsigned record_number, CSequence_Mol &record,
                    const std::function<record_streams()> &streams,
                    const search_setup &setup, Csat_garbagecollector &pool,
                    search_observer &observer, unsigned chunks = 1,
                    const task_executor &executor = run_tasks_in_order);

#endif
