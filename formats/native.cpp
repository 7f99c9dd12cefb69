// Format 0: the native format, one line per repeat, optionally followed by
// its bases or alignment.
#include "formats/shared_pieces.h"

namespace {

class native : public native_writer
{
public:
  native() : native_writer(false) {}

private:
  const char *parameter_text() const override { return "torvix format"; }
  const char *menu_label() const override { return "simple torvix format"; }
  void repeat(FILE *out, const repeat_report &r) const override
  {
    r.sat.print_repeat_name(out);
    std::fprintf(out, " %9d : %9d | %6d bp | %6d BP | %6d pt | %7.3f %% | unit %.*s\n", as_int(r.start),
                 as_int(r.end), as_int(r.bp), as_int(r.BP), r.sat.score, r.perfection, r.unit_length,
                 r.unit);
    print_repeat_sequence(out, r);
  }
};

} // namespace

const report_format &native_format()
{
  static const native writer;
  return writer;
}
