#include "formats/shared_pieces.h"

#include "input/growable.h"
#include "params/global-types-and-parameters.h"

void native_writer::file_header(FILE *f, const char *P) const
{
  static const char *const titles[] = {
      "Repeat unit length",
      "Position at which repeat starts in current sequence",
      "Position at which repeat ends in current sequence",
      "Length of repeat in original sequence, i.e. (end-start+1)",
      "Normalized repeat length, i.e. (end-start+1-insertions+deletions)",
      "Repeat score",
      "Repeat perfection",
      "Number of mismatches",
      "Number of insertions",
      "Number of deletions",
      "Number of N's",
  };
  unsigned columns = 7;
  if (extended)
    columns = global_treat_Ns_as_missense ? 10 : 11;
  general_PrintMessage(f, P, "\n", P, "Columns in lines of output providing repeat information:\n");
  char number[8];
  for (unsigned c = 1; c <= columns + 1; ++c) {
    std::snprintf(number, sizeof number, "%2u", c);
    general_PrintMessage(f, P, "Column ", number, ": ");
    general_PrintMessage(f, c <= columns ? titles[c - 1] : "Repeat unit", "\n");
  }
  general_PrintMessage(f, P, "\n");
}

void native_writer::record_header(FILE *out, const CSequence_Mol &record) const
{
  const int full_name_length = static_cast<int>(record.full_name.length);
  if (global_QUARN_run)
    std::fprintf(out, ">%.*s\nsequence length: %llu\n", full_name_length, record.full_name.data,
                 record.file_length());
  else
    std::fprintf(out, ">%.*s\nsequence length: %llu\nnumber of ACGTU characters: %u\n",
                 full_name_length, record.full_name.data, record.file_length(),
                 record.number_of_ACGTU);
}

void native_writer::record_footer(FILE *out, const CSequence_Mol &record) const
{
  std::fprintf(out, "# Analysis of sequence \"%.*s\" completed.\n",
               static_cast<int>(record.full_name.length), record.full_name.data);
}

void commented_writer::record_header(FILE *out, const CSequence_Mol &record) const
{
  if (global_sequenceInfoAsComment)
    std::fprintf(out, "# Full sequence name:\n#>%.*s\n##sequence-region %.*s 1 %llu\n",
                 static_cast<int>(record.full_name.length), record.full_name.data,
                 static_cast<int>(record.name.length), record.name.data, record.file_length());
}

void commented_writer::record_footer(FILE *out, const CSequence_Mol &record) const
{
  if (global_sequenceInfoAsComment)
    std::fprintf(out, "# Analysis of sequence \"%.*s\" completed.\n",
                 static_cast<int>(record.name.length), record.name.data);
}

void finished_trailer(FILE *out) { std::fputs("## Finished successfully. ##\n", out); }

void print_Ns_column(FILE *out, const Csat &s)
{
  if (global_treat_Ns_as_missense)
    std::fputs("\t.", out);
  else
    std::fprintf(out, "\t%d", as_int(s.Ns));
}

void native_writer::print_repeat_sequence(FILE *out, const repeat_report &r)
{
  const Csat &s = r.sat;
  const char *const pos_left = s.pos_left, *const pos_right = s.pos_right;
  const char *const right_flank_end = pos_right + r.right_flank_length;
  if (global_print_sat_seq_mode == 1) {
    if (global_flanking == 0) {
      std::fprintf(out, "%.*s\n", as_int(r.bp), pos_left);
    } else {
      std::fprintf(out, "%.*s:", r.left_flank_length, r.left_flank);
      std::fprintf(out, "%.*s:", as_int(r.bp), pos_left);
      std::fprintf(out, "%.*s\n", r.right_flank_length, pos_right);
    }
  } else if (global_print_sat_seq_mode == 2) {
    const unsigned columns =
        s.insertions + s.deletions + 2 * static_cast<unsigned>(global_flanking) + 2 + r.bp;
    faststring sequence_line, marker_line, unit_line;
    sequence_line.reserve(columns);
    marker_line.reserve(columns);
    unit_line.reserve(columns);
    auto column = [&](char sc, char m, char u) {
      sequence_line.push_back(sc);
      marker_line.push_back(m);
      unit_line.push_back(u);
    };

    if (global_flanking > 0) {
      for (const char *f = r.left_flank; f != pos_left; ++f)
        column(*f, ' ', ' ');
      column(':', ' ', ' ');
    }
    const char *u = s.unit_cursor_left + 1 == s.unit_end ? s.unit_begin : s.unit_cursor_left + 1;
    auto advance_unit = [&]() {
      if (++u == s.unit_end)
        u = s.unit_begin;
    };
    const alignment_event *e = s.alignment.begin();
    for (const char *p = pos_left; p < pos_right;) {
      if (e == s.alignment.end() || e->pos != p) {
        column(*p, *p == 'N' ? '*' : '|', *u);
        ++p;
        advance_unit();
        continue;
      }
      switch (e->kind) {
      case 'M':
        column(*p, ' ', *u);
        ++p;
        advance_unit();
        break;
      case 'I':
        column(*p, ' ', '-');
        ++p;
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
