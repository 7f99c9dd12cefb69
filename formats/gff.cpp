// Format 2: GFF, one feature line per repeat.
#include "formats/shared_pieces.h"

namespace {

class gff : public commented_writer
{
  const char *parameter_text() const override { return "gff"; }
  const char *menu_label() const override { return "gff"; }
  const char *menu_label_with_comments() const override { return "gff with sequence info as comment"; }
  void repeat(FILE *out, const repeat_report &r) const override
  {
    std::fprintf(out,
                 "%.*s\tTorvix\ttandem-repeat\t%d\t%d\t%.2f\t.\t.\tName=\"repeat_region %d-%d "
                 "unit_size %d repeat_number %.3f perfection %.3f unit ",
                 static_cast<int>(r.record.name.length), r.record.name.data, as_int(r.start),
                 as_int(r.end), r.perfection, as_int(r.start), as_int(r.end), as_int(r.L),
                 r.repeat_number, r.perfection);
    // Long units would swamp the attribute column.
    if (r.L <= 50)
      std::fprintf(out, "%.*s\"\n", r.unit_length, r.unit);
    else
      std::fputs(".\"\n", out);
  }
  void trailer(FILE *out) const override { std::fputs("# End tandem repeats\n", out); }
};

} // namespace

const report_format &gff_format()
{
  static const gff writer;
  return writer;
}
