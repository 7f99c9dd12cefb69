// Format 0: the native format, one line per repeat, optionally followed by
// its bases or alignment.
#include "formats/shared_pieces.h"

namespace {

class native : public report_format
{
  const char *parameter_text() const override { return "torvix format"; }
  const char *menu_label() const override { return "simple torvix format"; }
  void file_header(FILE *f, const char *prefix) const override { native_legend(f, prefix, false); }
  void record_header(FILE *out, const CSequence_Mol &record) const override
  {
    native_record_header(out, record);
  }
  void repeat(FILE *out, const repeat_report &r) const override
  {
    r.sat.print_repeat_name(out);
    std::fprintf(out, " %9d : %9d | %6d bp | %6d BP | %6d pt | %7.3f %% | unit %.*s\n", as_int(r.start),
                 as_int(r.end), as_int(r.bp), as_int(r.BP), r.sat.score, r.perfection, r.unit_length,
                 r.unit);
    print_repeat_sequence(out, r);
  }
  void record_footer(FILE *out, const CSequence_Mol &record) const override
  {
    native_record_footer(out, record);
  }
  void trailer(FILE *out) const override { finished_trailer(out); }
};

} // namespace

const report_format &native_format()
{
  static const native writer;
  return writer;
}
