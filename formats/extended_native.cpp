// Format 1: the native format with the edit counts and a line listing the
// alignment events.
#include "formats/shared_pieces.h"
#include "params/global-types-and-parameters.h"

namespace {

class extended_native : public native_writer
{
public:
  extended_native() : native_writer(true) {}

private:
  const char *parameter_text() const override { return "extended torvix format"; }
  const char *menu_label() const override { return "extended torvix format"; }
  void repeat(FILE *out, const repeat_report &r) const override
  {
    const Csat &s = r.sat;
    s.print_repeat_name(out);
    std::fprintf(out,
                 " %9d : %9d | %6d bp | %6d BP | %6d pt | %7.3f %% | %3d mis | %3d ins | %3d del | ",
                 as_int(r.start), as_int(r.end), as_int(r.bp), as_int(r.BP), s.score, r.perfection,
                 as_int(s.mismatches), as_int(s.insertions), as_int(s.deletions));
    if (!global_treat_Ns_as_missense)
      std::fprintf(out, "%3d N | ", as_int(s.Ns));
    std::fprintf(out, " unit %.*s\n", r.unit_length, r.unit);
    std::fputs("Missense: ", out);
    for (const alignment_event &e : s.alignment)
      std::fprintf(out, "(%d,%c),", static_cast<int>(e.pos - s.pos_left + 1), e.kind);
    std::fputc('\n', out);
    print_repeat_sequence(out, r);
  }
};

} // namespace

const report_format &extended_native_format()
{
  static const extended_native writer;
  return writer;
}
