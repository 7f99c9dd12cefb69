// Output of repeats: the unit text and the gate that decides whether a repeat
// is printed, the five line formats with their sequence print modes, and the
// block written per record.
#include <cstring>

#include "CDnaString.h"
#include "CSearchController.h"
#include "primeFactors.h"

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

int as_int(unsigned x) { return static_cast<int>(x); }

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

// Names above six bases are formatted into one shared buffer, valid until
// the next call.
const char *Csat::get_repeat_name() const
{
  static char long_name[32];
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
  const float repeat_number = static_cast<float>(BP) / static_cast<float>(L);

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
  const int left_flank_length = static_cast<int>(pos_left - left_flank);
  const int right_flank_length = static_cast<int>(right_flank_end - pos_right);
  const int name_length = static_cast<int>(sequence.name.length);
  const char *const name = sequence.name.data;

  switch (global_print_sat_mode) {
  case 0:
    print_repeat_name(out);
    std::fprintf(out, " %9d : %9d | %6d bp | %6d BP | %6d pt | %7.3f %% | unit %.*s\n", as_int(start),
                 as_int(end), as_int(bp), as_int(BP), score, perfection_value, unit_text_length,
                 unit_text);
    break;
  case 1:
    print_repeat_name(out);
    std::fprintf(out,
                 " %9d : %9d | %6d bp | %6d BP | %6d pt | %7.3f %% | %3d mis | %3d ins | %3d del | ",
                 as_int(start), as_int(end), as_int(bp), as_int(BP), score, perfection_value,
                 as_int(mismatches), as_int(insertions), as_int(deletions));
    if (!global_treat_Ns_as_missense)
      std::fprintf(out, "%3d N | ", as_int(Ns));
    std::fprintf(out, " unit %.*s\n", unit_text_length, unit_text);
    std::fputs("Missense: ", out);
    for (const alignment_event &e : alignment)
      std::fprintf(out, "(%d,%c),", static_cast<int>(e.pos - pos_left + 1), e.kind);
    std::fputc('\n', out);
    break;
  case 2:
    std::fprintf(out,
                 "%.*s\tTorvix\ttandem-repeat\t%d\t%d\t%.2f\t.\t.\tName=\"repeat_region %d-%d "
                 "unit_size %d repeat_number %.3f perfection %.3f unit ",
                 name_length, name, as_int(start), as_int(end), perfection_value, as_int(start),
                 as_int(end), as_int(L), repeat_number, perfection_value);
    if (L <= 50)
      std::fprintf(out, "%.*s\"\n", unit_text_length, unit_text);
    else
      std::fputs(".\"\n", out);
    return;
  case 3:
    std::fprintf(out, "%.*s\t%d\t%.3f\t%d\t%d\t%d\t%7.3f\t%d\t%d\t%d\t%d", name_length, name, as_int(L),
                 perfection_value, as_int(start), as_int(end), as_int(bp), repeat_number, score,
                 as_int(mismatches), as_int(insertions), as_int(deletions));
    if (global_treat_Ns_as_missense)
      std::fputs("\t.", out);
    else
      std::fprintf(out, "\t%d", as_int(Ns));
    std::fprintf(out, "\t%.*s\t%.*s", unit_text_length, unit_text, as_int(bp), pos_left);
    if (global_flanking > 0)
      std::fprintf(out, "\t%.*s\t%.*s", left_flank_length, left_flank, right_flank_length, pos_right);
    std::fputc('\n', out);
    return;
  case 4:
    std::fprintf(out, ">%.*s %d %d %d %d %d %.3f %d %.3f %d %d %d\n", name_length, name, as_int(start),
                 as_int(end), as_int(L), as_int(start), as_int(end), repeat_number, score,
                 perfection_value, as_int(mismatches), as_int(insertions), as_int(deletions));
    std::fprintf(out, "%.*s\n", static_cast<int>(right_flank_end - left_flank), left_flank);
    return;
  default:
    std::fputs("Internal error. Unknown output format. Please report this bug", out);
    return;
  }

  if (global_print_sat_seq_mode == 1) {
    if (global_flanking == 0) {
      std::fprintf(out, "%.*s\n", as_int(bp), pos_left);
    } else {
      std::fprintf(out, "%.*s:", left_flank_length, left_flank);
      std::fprintf(out, "%.*s:", as_int(bp), pos_left);
      std::fprintf(out, "%.*s\n", right_flank_length, pos_right);
    }
  } else if (global_print_sat_seq_mode == 2) {
    const unsigned columns = insertions + deletions + 2 * static_cast<unsigned>(global_flanking) + 2 + bp;
    faststring sequence_line, marker_line, unit_line;
    sequence_line.reserve(columns);
    marker_line.reserve(columns);
    unit_line.reserve(columns);
    auto column = [&](char s, char m, char u) {
      sequence_line.push_back(s);
      marker_line.push_back(m);
      unit_line.push_back(u);
    };

    if (global_flanking > 0) {
      for (const char *f = left_flank; f != pos_left; ++f)
        column(*f, ' ', ' ');
      column(':', ' ', ' ');
    }
    const char *u = unit_cursor_left + 1 == unit_end ? unit_begin : unit_cursor_left + 1;
    auto advance_unit = [&]() {
      if (++u == unit_end)
        u = unit_begin;
    };
    const alignment_event *e = alignment.begin();
    for (const char *s = pos_left; s < pos_right;) {
      if (e == alignment.end() || e->pos != s) {
        column(*s, *s == 'N' ? '*' : '|', *u);
        ++s;
        advance_unit();
        continue;
      }
      switch (e->kind) {
      case 'M':
        column(*s, ' ', *u);
        ++s;
        advance_unit();
        break;
      case 'I':
        column(*s, ' ', '-');
        ++s;
        break;
      default:
        column('-', ' ', *u);
        advance_unit();
        break;
      }
      ++e;
    }
    if (global_flanking > 0) {
      column(':', ' ', ' ');
      for (const char *f = pos_right; f != right_flank_end; ++f)
        column(*f, ' ', ' ');
    }
    std::fprintf(out, "%.*s\n", static_cast<int>(sequence_line.length), sequence_line.data);
    std::fprintf(out, "%.*s\n", static_cast<int>(marker_line.length), marker_line.data);
    std::fprintf(out, "%.*s\n", static_cast<int>(unit_line.length), unit_line.data);
  }
}

void CSearchController::report_seq_name(FILE *output)
{
  const unsigned long long L = seq.file_length();
  const int full_name_length = static_cast<int>(seq.full_name.length);
  switch (global_print_sat_mode) {
  case 0:
  case 1:
    if (global_QUARN_run)
      std::fprintf(output, ">%.*s\nsequence length: %llu\n", full_name_length, seq.full_name.data, L);
    else
      std::fprintf(output, ">%.*s\nsequence length: %llu\nnumber of ACGTU characters: %u\n",
                   full_name_length, seq.full_name.data, L, seq.number_of_ACGTU);
    break;
  case 2:
  case 3:
    if (global_sequenceInfoAsComment)
      std::fprintf(output, "# Full sequence name:\n#>%.*s\n##sequence-region %.*s 1 %llu\n",
                   full_name_length, seq.full_name.data, static_cast<int>(seq.name.length),
                   seq.name.data, L);
    break;
  default:
    break;
  }
}

void CSearchController::report_SATList(FILE *output, std::list<Csat *> repeats)
{
  report_seq_name(output);
  unsigned gap_cursor = 0;
  for (const Csat *s : repeats)
    s->report_sat(output, seq, gap_cursor);
  if (!global_QUARN_run) {
    if (global_print_sat_mode == 0 || global_print_sat_mode == 1)
      std::fprintf(output, "# Analysis of sequence \"%.*s\" completed.\n",
                   static_cast<int>(seq.full_name.length), seq.full_name.data);
    else if ((global_print_sat_mode == 2 || global_print_sat_mode == 3) && global_sequenceInfoAsComment)
      std::fprintf(output, "# Analysis of sequence \"%.*s\" completed.\n",
                   static_cast<int>(seq.name.length), seq.name.data);
  }
  std::fflush(output);
}
