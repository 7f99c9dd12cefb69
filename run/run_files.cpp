#include "run_files.h"

#include <sys/stat.h>

#include "engine/CSearchController.h"
#include "params/global-types-and-parameters.h"

bool same_file(const char *a, const char *b)
{
  struct stat sa, sb;
  return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::string masked_file_name(const std::string &input_name, bool input_compressed)
{
  if (!global_masked_filename.empty())
    return global_masked_filename;
  std::string base = input_name;
  if (input_compressed)
    for (const std::string ending : {".gz", ".bgz"})
      if (base.size() > ending.size() &&
          base.compare(base.size() - ending.size(), ending.size(), ending) == 0) {
        base.erase(base.size() - ending.size());
        break;
      }
  return base + ".masked";
}

run_files::problem run_files::open(const std::string &input_name, const std::string &output_file,
                                   const std::string &masked_file)
{
  const bool masking = !masked_file.empty();
  masked_name = masked_file;
  if (!output_file.empty())
    output_name = output_file;
  if (!output_file.empty() && same_file(output_file.c_str(), input_name.c_str()))
    return output_is_input;
  if (masking && same_file(masked_name.c_str(), input_name.c_str()))
    return masked_is_input;
  if (!output_file.empty()) {
    output = std::fopen(output_file.c_str(), "w");
    if (!output)
      return output_not_opened;
  }
  if (masking) {
    if (output != stdout && same_file(masked_name.c_str(), output_name.c_str()))
      return masked_is_output;
    masked = std::fopen(masked_name.c_str(), "w");
    if (!masked)
      return masked_not_opened;
  }
  return no_problem;
}

const std::string &run_files::name_of(problem p) const
{
  return p == output_is_input || p == output_not_opened ? output_name : masked_name;
}

const std::string *run_files::failed_stream() const
{
  if (output && std::ferror(output))
    return &output_name;
  if (masked && std::ferror(masked))
    return &masked_name;
  return nullptr;
}

const std::string *run_files::close_all()
{
  const std::string *failed = nullptr;
  if (masked) {
    if (std::fclose(masked) != 0)
      failed = &masked_name;
    masked = nullptr;
  }
  if (output) {
    bool ok = std::fflush(output) == 0 && !std::ferror(output);
    if (output != stdout)
      ok = std::fclose(output) == 0 && ok;
    if (!ok && !failed)
      failed = &output_name;
    output = nullptr;
  }
  return failed;
}

void read_record(CFile &input, CSequence_Mol &record)
{
  if (global_gaps_to_Ns)
    record.readFastaSequence_toupper_ambig2N_gaps2N(input);
  else
    record.readFastaSequence_toupper_ambig2N_removegaps(input);
}

void analyse_record(unsigned record_number, CSequence_Mol &record,
                    const std::function<record_streams()> &streams,
                    const search_setup &setup, Csat_garbagecollector &pool,
                    search_observer &observer, unsigned chunks,
                    const task_executor &executor)
{
  CSearchController controller(record_number, record, setup, pool, observer);
  controller.chunks = chunks;
  controller.executor = executor;
  CsatContainer &reported = controller.search_and_filter();
  const record_streams to = streams();
  controller.report_SATList(to.report, std::list<Csat *>(reported.begin(), reported.end()));
  if (to.masked) {
    controller.maskSATList(reported);
    record.writeSequence_fill_in_gaps_and_stars(to.masked, 80);
  }
}
