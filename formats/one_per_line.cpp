// Format 3: one line of tab-separated columns per repeat, under a heading.
#include "formats/shared_pieces.h"
#include "params/global-types-and-parameters.h"

namespace {

class one_per_line : public commented_writer
{
  const char *parameter_text() const override { return "one-per-line format"; }
  const char *menu_label() const override { return "one-per-line"; }
  const char *menu_label_with_comments() const override
  {
    return "one-per-line with sequence info as comment";
  }
  // The heading is a line of column names, not a comment.
  void file_header(FILE *f, const char *) const override
  {
    general_PrintMessage(f, "seq-name\tunit-length\tperfection\tstart\tend\tlength\trepeat-number\t"
                            "score\tmismatches\tinsertions\tdeletions\tNs\tunit\trepeat-seq");
    if (global_flanking != 0)
      general_PrintMessage(f, "\tleft-flanking-seq\tright-flanking-seq");
    general_PrintMessage(f, "\n");
  }
  void repeat(FILE *out, const repeat_report &r) const override
  {
    const Csat &s = r.sat;
    std::fprintf(out, "%.*s\t%d\t%.3f\t%d\t%d\t%d\t%7.3f\t%d\t%d\t%d\t%d",
                 static_cast<int>(r.record.name.length), r.record.name.data, as_int(r.L), r.perfection,
                 as_int(r.start), as_int(r.end), as_int(r.bp), r.repeat_number, s.score,
                 as_int(s.mismatches), as_int(s.insertions), as_int(s.deletions));
    print_Ns_column(out, s);
    std::fprintf(out, "\t%.*s\t%.*s", r.unit_length, r.unit, as_int(r.bp), s.pos_left);
    if (global_flanking > 0)
      std::fprintf(out, "\t%.*s\t%.*s", r.left_flank_length, r.left_flank, r.right_flank_length,
                   s.pos_right);
    std::fputc('\n', out);
  }
  void trailer(FILE *out) const override { finished_trailer(out); }
};

} // namespace

const report_format &one_per_line_format()
{
  static const one_per_line writer;
  return writer;
}
