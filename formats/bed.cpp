// Format 5: BED, one line per repeat, for genome browsers and bedtools.
// Columns: record name, 0-based start, end, unit, score clamped to 0-1000,
// strand, then what a user filters on: unit length, copy number,
// perfection, mismatches, insertions, deletions, Ns. No comment lines at all
// unless --sequenceInfoAsComment asks for them, and then only above and
// below the records, never between them.
#include <cctype>

#include "formats/shared_pieces.h"
#include "params/global-types-and-parameters.h"

namespace {

class bed : public report_format
{
  const char *parameter_text() const override { return "bed"; }
  const char *menu_label() const override { return "bed"; }
  const char *menu_label_with_comments() const override { return "bed with sequence info as comment"; }
  bool tab_separated() const override { return true; }
  bool has_run_header() const override { return global_sequenceInfoAsComment; }
  void file_header(FILE *f, const char *) const override
  {
    general_PrintMessage(f, "#chrom\tstart\tend\tunit\tscore\tstrand\tunit-length\tcopy-number\t",
                         "perfection\tmismatches\tinsertions\tdeletions\tNs\n");
  }
  void repeat(FILE *out, const repeat_report &r) const override
  {
    const Csat &s = r.sat;
    // BED splits at tabs and tools at any white space; the name ends at the
    // first of either, not only at the first blank.
    const faststring &name = r.record.name;
    int chrom_length = 0;
    while (chrom_length < static_cast<int>(name.length) &&
           !std::isspace(static_cast<unsigned char>(name.data[chrom_length])))
      ++chrom_length;
    const int score = s.score < 0 ? 0 : s.score > 1000 ? 1000 : s.score;
    std::fprintf(out, "%.*s\t%d\t%d\t%.*s\t%d\t.\t%d\t%.3f\t%.3f\t%d\t%d\t%d", chrom_length, name.data,
                 as_int(r.start - 1), as_int(r.end), r.unit_length, r.unit, score, as_int(r.L),
                 r.repeat_number, r.perfection, as_int(s.mismatches), as_int(s.insertions),
                 as_int(s.deletions));
    print_Ns_column(out, s);
    std::fputc('\n', out);
  }
  void trailer(FILE *out) const override
  {
    if (global_sequenceInfoAsComment)
      finished_trailer(out);
  }
};

} // namespace

const report_format &bed_format()
{
  static const bed writer;
  return writer;
}
