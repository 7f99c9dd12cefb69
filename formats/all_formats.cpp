// The list of output formats, numbered as --outputFormat numbers them.
#include "formats/shared_pieces.h"
#include "params/global-types-and-parameters.h"

const report_format &native_format();
const report_format &extended_native_format();
const report_format &gff_format();
const report_format &one_per_line_format();
const report_format &fasta_format();
const report_format &bed_format();

namespace {

const report_format *const *formats()
{
  static const report_format *const list[] = {
      &native_format(), &extended_native_format(), &gff_format(),
      &one_per_line_format(), &fasta_format(), &bed_format(),
  };
  return list;
}
const int format_count = 6;

// Only the front end can start a run without a format (no menu item chosen);
// its repeats show that something went wrong instead of vanishing.
class unknown_format : public report_format
{
  const char *parameter_text() const override { return ""; }
  const char *menu_label() const override { return ""; }
  void repeat(FILE *out, const repeat_report &) const override
  {
    std::fputs("Internal error. Unknown output format. Please report this bug", out);
  }
  void trailer(FILE *out) const override { finished_trailer(out); }
};

} // namespace

int number_of_output_formats() { return format_count; }

const report_format *output_format(int number)
{
  return number >= 0 && number < format_count ? formats()[number] : nullptr;
}

const report_format &output_format()
{
  static const unknown_format unknown;
  const report_format *f = output_format(global_print_sat_mode);
  return f ? *f : unknown;
}

const std::vector<format_menu_item> &output_format_menu()
{
  static const std::vector<format_menu_item> items = [] {
    std::vector<format_menu_item> list;
    for (int n = 0; n < format_count; ++n) {
      list.push_back({formats()[n]->menu_label(), n, false});
      if (const char *label = formats()[n]->menu_label_with_comments())
        list.push_back({label, n, true});
    }
    return list;
  }();
  return items;
}
