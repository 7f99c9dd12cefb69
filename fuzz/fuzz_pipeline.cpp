// The whole pipeline on small inputs: the first bytes choose the options (all
// three search modes, every format and print mode, N rules, flanking,
// perfection range, thresholds, recursion 1 to 7), the rest is the FASTA
// file. Every repeat must lie inside its record, with its events inside it,
// and the reported list must be in sequence order.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "engine/CSearchController.h"
#include "formats/report_format.h"
#include "input/CFile.h"
#include "input/CSequence_Mol.h"
#include "params/global-types-and-parameters.h"

namespace {

const size_t option_bytes = 16;

void check(bool ok, const char *what)
{
  if (!ok) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

void choose_options(const uint8_t *b)
{
  init_param();
  static const float perfections[][2] = {{0, 100}, {50, 100}, {90, 100}, {0, 90}, {100, 100}, {85, 95}};
  static const int reductions[] = {2147483647, 5, 10, 30};
  global_search_mode = b[0] % 3;
  global_print_sat_mode = b[1] % number_of_output_formats();
  global_print_sat_seq_mode = b[2] % 3;
  global_report_unit_mode = b[3] % 3;
  global_N_and_perfection_mode = b[4] % 3;
  global_Ns_allowed_in_a_row = b[5] % 5;
  global_treat_Ns_as_missense = b[5] & 0x80;
  global_flanking = b[6] % 6;
  global_min_perfection = perfections[b[7] % 6][0];
  global_max_perfection = perfections[b[7] % 6][1];
  global_min_score = 2 + b[8] % 9;
  global_min_score_bx = (b[8] >> 4) % 3 * 0.5f;
  global_min_length = b[9] % 12;
  global_min_length_bx = (b[9] >> 4) % 3 * 0.75f;
  global_mismatch_score = -2 - b[10] % 5;
  global_indel_score = -2 - (b[10] >> 4) % 5;
  global_maximum_recursion_depth = 1 + b[11] % 7;
  global_maximum_scorereduction = reductions[(b[11] >> 4) % 4];
  global_min_unit_length = 1 + b[12] % 3;
  global_max_unit_length = global_min_unit_length + (b[12] >> 4) % 10;
  global_prefer_longer_repeat = b[13] & 1;
  global_remove_mostly_hidden = b[13] & 2;
  global_gaps_to_Ns = b[13] & 4;
  global_mask_lower = b[13] & 8;
  global_mask_X = b[13] & 16;
  global_QUARN_run = b[13] & 32;
  global_sequenceInfoAsComment = b[13] & 64;
  global_sequence_from = 1 + b[14] % 2;
  global_sequence_to = b[15] & 1 ? all_sequences : 3;
}

void check_repeats(const CsatContainer &list, const CSequence_Mol &r)
{
  const char *begin = r.seq.data, *end = r.seq.data + r.seq.length;
  const Csat *previous = nullptr;
  for (const Csat *s : list) {
    check(begin <= s->pos_left && s->pos_left < s->pos_right && s->pos_right <= end,
          "a repeat lies inside its record");
    check(begin <= s->unit_begin && s->unit_begin < s->unit_end && s->unit_end <= end,
          "the unit lies inside the record");
    check(*s->pos_left != 'N' && s->pos_right[-1] != 'N', "a repeat neither starts nor ends with N");
    for (const alignment_event &e : s->alignment)
      check(s->pos_left <= e.pos && e.pos <= s->pos_right, "events lie inside their repeat");
    check(!previous || !lessThan_sat(s, previous), "repeats come in sequence order");
    previous = s;
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  if (size < option_bytes)
    return 0;
  choose_options(data);
  const search_setup setup = search_setup::from_parameters();

  static const std::string path = "/tmp/torvix-fuzz-pipeline-" + std::to_string(getpid()) + ".fa";
  FILE *f = std::fopen(path.c_str(), "wb");
  std::fwrite(data + option_bytes, 1, size - option_bytes, f);
  std::fclose(f);
  static FILE *sink = std::fopen("/dev/null", "w");

  // One reader and one record for all inputs, as in a run.
  static CFile in;
  static CSequence_Mol record;
  static Csat_garbagecollector pool;
  in.open(path.c_str());
  unsigned counter = 0;
  while (!in.eof()) {
    if (global_gaps_to_Ns)
      record.readFastaSequence_toupper_ambig2N_gaps2N(in);
    else
      record.readFastaSequence_toupper_ambig2N_removegaps(in);
    if (in.fail() && !in.eof())
      break;
    ++counter;
    if (counter < global_sequence_from || counter > global_sequence_to)
      continue;
    CSearchController controller(counter, record, setup, pool);
    CsatContainer &reported = controller.search_filter_and_report(sink);
    check_repeats(reported, record);
    if (global_mask_X || global_mask_lower) {
      controller.maskSATList(reported);
      record.writeSequence_fill_in_gaps_and_stars(sink, 80);
    }
  }
  return 0;
}
