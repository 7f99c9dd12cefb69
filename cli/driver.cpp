#include "driver.h"

#include <cerrno>
#include <string>

#include <sys/stat.h>

#include "cli/parameters.h"
#include "cli/run_header.h"
#include "engine/CSearchController.h"
#include "input/CFile.h"
#include "input/CSequence_Mol.h"
#include "params/exit_status.h"
#include "params/global-types-and-parameters.h"

namespace {

// Names of the streams for messages; file names are always written verbatim.
const char standard_output_name[] = "standard output";

// True when both names lead to the same existing file, however spelt.
bool same_file(const char *a, const char *b)
{
  struct stat sa, sb;
  return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

int input_not_opened(const std::string &name)
{
  std::fputs("Sorry! The input file \n   \"", stderr);
  std::fputs(name.c_str(), stderr);
  std::fputs("\"\ncould not be opened. I guess it does not exist.\n", stderr);
  good_bye_on_error(status_input_not_opened);
  return status_input_not_opened;
}

int output_not_opened(const std::string &name)
{
  std::fputs("Sorry! Failed to open file\n   \"", stderr);
  std::fputs(name.c_str(), stderr);
  std::fputs("\"\nas output file.\n", stderr);
  good_bye_on_error(status_output_not_opened);
  return status_output_not_opened;
}

int output_is_input(const std::string &name)
{
  std::fputs("Sorry! The output file\n   \"", stderr);
  std::fputs(name.c_str(), stderr);
  std::fputs("\"\nis the input file.\n", stderr);
  good_bye_on_error(status_output_not_opened);
  return status_output_not_opened;
}

int write_failed(const char *name)
{
  // A reader that stopped early (torvix big.fa | head) is not an error of ours.
  if (errno == EPIPE)
    return status_write_failed;
  std::fputs("Sorry! Failed to write to file\n   \"", stderr);
  std::fputs(name, stderr);
  std::fputs("\"\n", stderr);
  good_bye_on_error(status_write_failed);
  return status_write_failed;
}

int record_too_long(CSequence_Mol &record)
{
  std::fputs("Sorry! The sequence \"", stderr);
  std::fputs(record.name.c_str(), stderr);
  std::fprintf(stderr,
               "\" is longer than %llu bases.\nPositions in such a long sequence cannot be "
               "reported.\n",
               CSequence_Mol::max_record_length);
  good_bye_on_error(status_record_too_long);
  return status_record_too_long;
}

int input_not_fasta(const CFile &input)
{
  std::fprintf(stderr,
               "\n\nAn error occurred while reading the input file. It might not be a valid fasta "
               "file.\nFile position: line %u\n",
               input.line_number());
  std::fflush(stderr);
  return status_bad_fasta;
}

// The open output streams of a run and their names for messages.
struct run_files {
  FILE *output = stdout;
  const char *output_name = standard_output_name;
  FILE *masked = nullptr;
  std::string masked_name;

  // First failed stream's name, or null when everything written so far arrived.
  const char *failed_stream()
  {
    if (std::ferror(output))
      return output_name;
    if (masked && std::ferror(masked))
      return masked_name.c_str();
    return nullptr;
  }

  // Flushes and closes everything; returns the name of a stream that failed.
  const char *close_all()
  {
    const char *failed = nullptr;
    if (masked) {
      if (std::fclose(masked) != 0)
        failed = masked_name.c_str();
      masked = nullptr;
    }
    if (output == stdout) {
      if (std::fflush(stdout) != 0 || std::ferror(stdout))
        failed = failed ? failed : output_name;
    } else if (output) {
      if (std::fclose(output) != 0)
        failed = failed ? failed : output_name;
      output = nullptr;
    }
    return failed;
  }
};

} // namespace

int torvix_main(int argc, char **argv)
{
  CSequence_Mol record;
  CFile input;
  time_analysis_started = time(nullptr);

  torvix_welcome(stderr);
  std::fflush(stderr);

  int result = read_and_init_parameters(argc, argv);
  if (result != 0) {
    good_bye_on_error(result);
    return result;
  }

  input.open(global_input_filename.c_str());
  if (input.fail())
    return input_not_opened(global_input_filename);

  const bool masking = global_mask_X || global_mask_lower;
  run_files files;
  files.masked_name = global_input_filename + ".masked";

  // Opening for writing truncates: make sure neither output is the input.
  if (!global_output_filename.empty() &&
      same_file(global_output_filename.c_str(), global_input_filename.c_str()))
    return output_is_input(global_output_filename);
  if (masking && same_file(files.masked_name.c_str(), global_input_filename.c_str()))
    return output_is_input(files.masked_name);

  if (!global_output_filename.empty()) {
    files.output = std::fopen(global_output_filename.c_str(), "w");
    if (!files.output)
      return output_not_opened(global_output_filename);
    files.output_name = global_output_filename.c_str();
  }

  creator_message(stderr, "");
  print_search_parameters(stderr, "");
  general_PrintMessage(stderr, "\n\nSearch progress:\n\nTime     - SeqNr - PatLen - Seq-Name\n");
  general_PrintMessage(stderr, "------------------------------------------------------------------------\n");
  std::fflush(stderr);

  creator_message(files.output, "# ");
  print_search_parameters(files.output, "# ");
  print_output_format(files.output, "# ");
  if (std::fflush(files.output) != 0 || std::ferror(files.output)) {
    files.close_all();
    return write_failed(files.output_name);
  }

  if (masking) {
    files.masked = std::fopen(files.masked_name.c_str(), "w");
    if (!files.masked) {
      files.close_all();
      return output_not_opened(files.masked_name);
    }
  }

  unsigned counter = 0;
  while (!input.eof()) {
    if (global_gaps_to_Ns)
      record.readFastaSequence_toupper_ambig2N_gaps2N(input);
    else
      record.readFastaSequence_toupper_ambig2N_removegaps(input);
    if (record.too_long) {
      files.close_all();
      return record_too_long(record);
    }
    if (input.fail() && !input.eof()) {
      files.close_all();
      return input_not_fasta(input);
    }
    ++counter;
    if (counter < global_sequence_from || counter > global_sequence_to)
      continue;

    report_status(counter, record.name.c_str(), global_min_unit_length, 'r');
    update_report_time();
    {
      CSearchController controller(counter, record);
      CsatContainer &reported = controller.search_filter_and_report(files.output);
      if (masking) {
        controller.maskSATList(reported);
        record.writeSequence_fill_in_gaps_and_stars(files.masked, 80);
      }
    }
    // A full disk should end the run now, not after the whole genome.
    if (const char *failed = files.failed_stream()) {
      files.close_all();
      return write_failed(failed);
    }
  }

  if (files.masked) {
    if (std::fclose(files.masked) != 0) {
      files.masked = nullptr;
      files.close_all();
      return write_failed(files.masked_name.c_str());
    }
    files.masked = nullptr;
  }
  input.close();
  good_bye(files.output);
  if (const char *failed = files.close_all())
    return write_failed(failed);
  return status_ok;
}
