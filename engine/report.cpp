// Output of repeats: the unit text and the gate that decides whether a repeat
// is printed, the positions and lengths every format prints, and the block
// written per record. The lines themselves are the format writers' (formats/).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "CDnaString.h"
#include "CSearchController.h"
#include "primeFactors.h"

#include "input/growable.h"

#include "formats/report_format.h"

#include "params/global-types-and-parameters.h"

namespace {

// True when the L characters at u are k > 1 copies of a shorter string. A
// unit that is a power of a shorter one is a power of it by a prime count of
// copies, so the distinct prime factors of L are all the cuts to try.
bool is_power_of_shorter_unit(const char *u, unsigned L)
{
  if (L >= primeFactors_size) {
    // Beyond the table: the least-rotation search sees the same property.
    CDnaString least;
    return least.setToMinAlphaRepModCyclicPermOf(CDnaString(u, u + L));
  }
  for (const unsigned *p = primeFactors[L]; p != primeFactors[L] + primeFactors_width && *p; ++p) {
    const unsigned n = L / *p;
    // Each block equals the next exactly when the text equals itself shifted by n.
    if (std::memcmp(u, u + n, L - n) == 0)
      return true;
  }
  return false;
}

// Decides whether s is reported and settles its perfection and unit text: in
// unit mode 0 the unit is printed from the sequence and unit stays untouched;
// in the other modes unit receives the normal form.
bool settle_unit(const Csat &s, float &perfection, CDnaString &unit)
{
  perfection = s.perfection();
  if (perfection < global_min_perfection || perfection > global_max_perfection)
    return false;
  if (global_report_unit_mode == 0)
    return !is_power_of_shorter_unit(s.unit_begin, s.unit_length());
  const CDnaString found(s.unit_begin, s.unit_end);
  if (global_report_unit_mode == 1)
    return !unit.setToMinAlphaRepModCyclicPermOf(found);
  return !unit.setToMinAlphaRepModRevCompAndCyclicPermOf(found);
}

} // namespace

bool Csat::is_reported() const
{
  float perfection;
  CDnaString unit;
  return settle_unit(*this, perfection, unit);
}

void Csat::print_repeat_name(FILE *out) const
{
  const int L = static_cast<int>(unit_end - unit_begin);
  if (L >= 0 && L <= 6)
    std::fprintf(out, "%16s", REPEAT_NAMES[L]);
  else
    std::fprintf(out, "%5d-nucleotide", L);
}

// Names above six bases are formatted into a buffer of the calling thread,
// valid until its next call.
const char *Csat::get_repeat_name() const
{
  thread_local char long_name[32];
  const int L = static_cast<int>(unit_end - unit_begin);
  if (L >= 0 && L <= 6)
    return REPEAT_NAMES[L];
  std::snprintf(long_name, sizeof long_name, "%d-nucleotide", L);
  return long_name;
}

void Csat::report_sat(FILE *out, CSequence_Mol &sequence, unsigned &gap_cursor) const
{
  float perfection_value;
  CDnaString normal_form;
  if (!settle_unit(*this, perfection_value, normal_form))
    return;
  const char *unit_text = unit_begin;
  int unit_text_length = static_cast<int>(unit_length());
  if (global_report_unit_mode != 0) {
    unit_text = normal_form.data;
    unit_text_length = static_cast<int>(normal_form.length);
  }

  const char *const first = sequence.seq.data;
  const char *const last_end = first + sequence.seq.length;
  const unsigned L = unit_length();
  const unsigned bp = length();
  const unsigned BP = bp - insertions + deletions;

  // Positions in the file: every removed gap before a position shifts it by one.
  const unsigned *const G = sequence.gap_positions.data;
  const unsigned g = sequence.gap_positions.length;
  unsigned k = gap_cursor;
  unsigned start = static_cast<unsigned>(pos_left - first) + 1 + k;
  while (k < g && G[k] < start) {
    ++k;
    ++start;
  }
  gap_cursor = k;
  unsigned end = static_cast<unsigned>(pos_right - first) + k;
  for (unsigned j = k; j < g && G[j] < end; ++j)
    ++end;

  const char *const left_flank = pos_left - first > global_flanking ? pos_left - global_flanking : first;
  const char *const right_flank_end =
      last_end - pos_right > global_flanking ? pos_right + global_flanking : last_end;
  const repeat_report r{*this,
                        sequence,
                        start,
                        end,
                        L,
                        bp,
                        BP,
                        static_cast<float>(BP) / static_cast<float>(L),
                        perfection_value,
                        unit_text,
                        unit_text_length,
                        left_flank,
                        static_cast<int>(pos_left - left_flank),
                        static_cast<int>(right_flank_end - pos_right)};
  output_format().repeat(out, r);
}

// The lines of a record searched in chunks are written by the chunks' tasks
// too, each part of the repeats into its own buffer, joined in order. A
// part's gap cursor can start at 0: the repeats come sorted by position, and
// the cursor only moves past the gaps before a repeat's start, wherever it
// starts from.
void CSearchController::report_in_parts(FILE *output, const std::list<Csat *> &repeats)
{
  const std::size_t n = repeats.size();
  const std::size_t k = std::min<std::size_t>(chunks, n / min_repeats_per_part);
  std::vector<std::list<Csat *>::const_iterator> from(k + 1, repeats.end());
  auto it = repeats.begin();
  for (std::size_t j = 0, i = 0; j < k; ++j) {
    for (; i < n * j / k; ++i)
      ++it;
    from[j] = it;
  }
  struct text {
    char *data = nullptr;
    std::size_t size = 0;
    ~text() { std::free(data); }
  };
  std::vector<text> parts(k);
  executor(k, [&](std::size_t j) {
    FILE *out = open_memstream(&parts[j].data, &parts[j].size);
    if (!out)
      abort_on_failed_realloc();
    unsigned gap_cursor = 0;
    for (auto s = from[j]; s != from[j + 1]; ++s)
      (*s)->report_sat(out, seq, gap_cursor);
    if (std::fclose(out) != 0)
      abort_on_failed_realloc();
  });
  for (const text &t : parts)
    std::fwrite(t.data, 1, t.size, output);
}

void CSearchController::report_seq_name(FILE *output) { output_format().record_header(output, seq); }

void CSearchController::report_SATList(FILE *output, std::list<Csat *> repeats)
{
  const report_format &format = output_format();
  format.record_header(output, seq);
  if (chunks > 1 && repeats.size() >= 2 * min_repeats_per_part)
    report_in_parts(output, repeats);
  else {
    unsigned gap_cursor = 0;
    for (const Csat *s : repeats)
      s->report_sat(output, seq, gap_cursor);
  }
  if (!global_QUARN_run)
    format.record_footer(output, seq);
  std::fflush(output);
}
