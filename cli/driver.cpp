#include "driver.h"

#include <cerrno>
#include <string>

#include "cli/parameters.h"
#include "cli/run_files.h"
#include "cli/run_header.h"
#include "input/CFile.h"
#include "input/CSequence_Mol.h"
#include "params/exit_status.h"
#include "params/global-types-and-parameters.h"

namespace {

// File names are always written verbatim, never as formats.
void print_name_message(const char *before, const std::string &name, const char *after)
{
  std::fputs(before, stderr);
  std::fputs(name.c_str(), stderr);
  std::fputs(after, stderr);
}

int input_not_opened(const std::string &name)
{
  print_name_message("Sorry! The input file \n   \"", name,
                     "\"\ncould not be opened. I guess it does not exist.\n");
  good_bye_on_error(status_input_not_opened);
  return status_input_not_opened;
}

int output_refused(run_files::problem problem, const std::string &name)
{
  switch (problem) {
  case run_files::output_is_input:
  case run_files::masked_is_input:
    print_name_message("Sorry! The output file\n   \"", name, "\"\nis the input file.\n");
    break;
  case run_files::masked_is_output:
    print_name_message("Sorry! The masked sequence file\n   \"", name,
                       "\"\nis the output file.\n");
    break;
  default:
    print_name_message("Sorry! Failed to open file\n   \"", name, "\"\nas output file.\n");
    break;
  }
  good_bye_on_error(status_output_not_opened);
  return status_output_not_opened;
}

int write_failed(const std::string &name)
{
  // A reader that stopped early (torvix big.fa | head) is not an error of ours.
  if (errno == EPIPE)
    return status_write_failed;
  print_name_message("Sorry! Failed to write to file\n   \"", name, "\"\n");
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

int input_damaged(const CFile &input, const std::string &name)
{
  print_name_message("Sorry! The input file \n   \"", name, "\"\nis ");
  std::fprintf(stderr, "%s.\nUncompressed text read up to line %u.\n", input.damage_text(),
               input.line_number());
  good_bye_on_error(status_damaged_input);
  return status_damaged_input;
}

int search_abandoned(CSequence_Mol &record)
{
  std::fputs("Sorry! The sequence \"", stderr);
  std::fputs(record.name.c_str(), stderr);
  std::fputs("\" holds imperfect tandem repeats too long for this search mode:\n"
             "its work grows with the square of their length. Nothing has been written for\n"
             "this sequence. The exact search mode (--searchMode exact) finds its perfect\n"
             "repeats in linear time.\n",
             stderr);
  good_bye_on_error(status_search_abandoned);
  return status_search_abandoned;
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

  const search_setup setup = search_setup::from_parameters();
  Csat_garbagecollector pool;

  if (CFile::is_standard_input(global_input_filename))
    input.open_standard_input();
  else
    input.open(global_input_filename.c_str());
  if (input.fail())
    return input_not_opened(global_input_filename);

  // Header and trailer runs read no record, so they must not truncate the
  // masked file that the records runs write.
  const bool reads_records =
      global_output_part == output_part::all || global_output_part == output_part::records;
  run_files files;
  run_files::problem problem = files.open(
      CFile::system_path(global_input_filename), global_output_filename,
      reads_records && (global_mask_X || global_mask_lower)
          ? masked_file_name(global_input_filename, input.compressed())
          : std::string());
  if (problem != run_files::no_problem)
    return output_refused(problem, files.name_of(problem));

  creator_message(stderr, "");
  print_search_parameters(stderr, "");
  general_PrintMessage(stderr, "\n\nSearch progress:\n\nTime     - SeqNr - PatLen - Seq-Name\n");
  general_PrintMessage(stderr, "------------------------------------------------------------------------\n");
  std::fflush(stderr);

  if (global_output_part == output_part::all || global_output_part == output_part::header) {
    write_run_header(files.output);
    std::fflush(files.output);
  }

  unsigned counter = 0;
  while (reads_records && !input.eof()) {
    // A full disk should end the run now, not after the whole genome.
    if (const std::string *failed = files.failed_stream())
      return write_failed(*failed);
    read_record(input, record);
    if (record.too_long)
      return record_too_long(record);
    if (input.fail() && !input.eof())
      return input.damage_in_rest() != CFile::not_damaged ? input_damaged(input, global_input_filename)
                                                          : input_not_fasta(input);
    ++counter;
    if (counter < global_sequence_from || counter > global_sequence_to)
      continue;

    report_status(counter, record.name.c_str(), global_min_unit_length, 'r');
    update_report_time();
    if (!analyse_record(counter, record, files, setup, pool))
      return search_abandoned(record);
  }
  input.close();

  if (files.masked) {
    // The farewell must not follow a masked file that lost data.
    FILE *masked = files.masked;
    files.masked = nullptr;
    if (std::fclose(masked) != 0)
      return write_failed(files.masked_name);
  }
  const bool writes_trailer =
      global_output_part == output_part::all || global_output_part == output_part::trailer;
  good_bye(writes_trailer ? files.output : nullptr);
  if (const std::string *failed = files.close_all())
    return write_failed(*failed);
  return status_ok;
}
