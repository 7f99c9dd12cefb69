// Format 4: every repeat as a FASTA record of its bases and flanks.
#include "formats/shared_pieces.h"

namespace {

class fasta : public report_format
{
  const char *parameter_text() const override { return "fasta format"; }
  const char *menu_label() const override { return "as fasta sequence"; }
  void repeat(FILE *out, const repeat_report &r) const override
  {
    const Csat &s = r.sat;
    std::fprintf(out, ">%.*s %d %d %d %d %d %.3f %d %.3f %d %d %d\n",
                 static_cast<int>(r.record.name.length), r.record.name.data, as_int(r.start),
                 as_int(r.end), as_int(r.L), as_int(r.start), as_int(r.end), r.repeat_number, s.score,
                 r.perfection, as_int(s.mismatches), as_int(s.insertions), as_int(s.deletions));
    std::fprintf(out, "%.*s\n", r.left_flank_length + as_int(r.bp) + r.right_flank_length, r.left_flank);
  }
};

} // namespace

const report_format &fasta_format()
{
  static const fasta writer;
  return writer;
}
