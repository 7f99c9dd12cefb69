#include "console.h"

#include <cerrno>
#include <cstdio>

#include "input/CSequence_Mol.h"
#include "params/exit_status.h"
#include "params/global-types-and-parameters.h"
#include "run/run_header.h"

void console_message(const char *text) { std::fputs(text, stderr); }

bool cli_observer::progress_due()
{
  const std::time_t now = std::time(nullptr);
  std::time_t due = next_report;
  // Of several threads that find a line due, one writes it.
  return now > due && next_report.compare_exchange_strong(due, now + 59);
}

void cli_observer::progress(unsigned record, const char *name, unsigned unit_length, char)
{
  unsigned elapsed = static_cast<unsigned>(time(nullptr) - time_analysis_started);
  std::fprintf(stderr, "%.2d.%.2d.%.2d - # %3d - %4dbp - %.70s\n", int(elapsed / 3600),
               int((elapsed % 3600) / 60), int(elapsed % 60), int(record), int(unit_length), name);
  std::fflush(stderr);
}

void cli_observer::message(const char *text)
{
  general_PrintMessage(stderr, text);
  std::fflush(stderr);
}

void cli_observer::started()
{
  creator_message(stderr, "");
  print_search_parameters(stderr, "");
  general_PrintMessage(stderr, "\n\nSearch progress:\n\nTime     - SeqNr - PatLen - Seq-Name\n");
  general_PrintMessage(stderr, "------------------------------------------------------------------------\n");
  std::fflush(stderr);
}

void cli_observer::record_started(unsigned number, const char *name, unsigned)
{
  progress(number, name, global_min_unit_length, 'r');
}

void cli_observer::search_starting(unsigned, unsigned) { next_report = std::time(nullptr) + 59; }

void cli_observer::ended(bool, unsigned, const std::string &)
{
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

namespace {

// File names are always written verbatim, never as formats.
void print_name_message(const char *before, const std::string &name, const char *after)
{
  std::fputs(before, stderr);
  std::fputs(name.c_str(), stderr);
  std::fputs(after, stderr);
}

void print_sequence_message(const std::string &name)
{
  std::fputs("Sorry! The sequence \"", stderr);
  std::fputs(name.c_str(), stderr);
}

} // namespace

void cli_observer::failed(const run_failure &f)
{
  switch (f.status) {
  case status_input_not_opened:
    print_name_message("Sorry! The input file \n   \"", f.file,
                       "\"\ncould not be opened. I guess it does not exist.\n");
    break;
  case status_output_not_opened:
    switch (f.problem) {
    case run_files::output_is_input:
    case run_files::masked_is_input:
      print_name_message("Sorry! The output file\n   \"", f.file, "\"\nis the input file.\n");
      break;
    case run_files::masked_is_output:
      print_name_message("Sorry! The masked sequence file\n   \"", f.file,
                         "\"\nis the output file.\n");
      break;
    default:
      print_name_message("Sorry! Failed to open file\n   \"", f.file, "\"\nas output file.\n");
      break;
    }
    break;
  case status_write_failed:
    // A reader that stopped early (torvix big.fa | head) is not an error of ours.
    if (f.error_number == EPIPE)
      return;
    print_name_message("Sorry! Failed to write to file\n   \"", f.file, "\"\n");
    break;
  case status_record_too_long:
    print_sequence_message(f.record_name);
    std::fprintf(stderr,
                 "\" is longer than %llu bases.\nPositions in such a long sequence cannot be "
                 "reported.\n",
                 CSequence_Mol::max_record_length);
    break;
  case status_damaged_input:
    print_name_message("Sorry! The input file \n   \"", f.file, "\"\nis ");
    std::fprintf(stderr, "%s.\nUncompressed text read up to line %u.\n", f.damage, f.line);
    break;
  case status_bad_fasta:
    std::fprintf(stderr,
                 "\n\nAn error occurred while reading the input file. It might not be a valid "
                 "fasta file.\nFile position: line %u\n",
                 f.line);
    std::fflush(stderr);
    return;
  }
  good_bye_on_error(f.status);
}
