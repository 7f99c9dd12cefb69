// The output formats. Each format is one writer that owns every piece of the
// output that differs between formats: the legend under the run header, the
// heading and closing lines of a record, the lines of a repeat and the
// trailer. A new format is one new file with its writer, entered in the list
// of all_formats.cpp; the option check, the run header, the farewell and the
// front end's menu take it from there.
#ifndef TORVIX_FORMATS_REPORT_FORMAT_H
#define TORVIX_FORMATS_REPORT_FORMAT_H

#include <cstdio>
#include <vector>

#include "engine/Csat.h"
#include "input/CSequence_Mol.h"

// What the report settled about one repeat that is printed: positions in the
// sequence as it stands in the file (removed gaps counted), lengths, and the
// unit text as the unit mode in force writes it.
struct repeat_report {
  const Csat &sat;
  const CSequence_Mol &record;
  unsigned start, end; // 1-based, both included
  unsigned L;          // unit length
  unsigned bp;         // bases the repeat covers
  unsigned BP;         // length of the ideal repeat it is aligned to
  float repeat_number;
  float perfection;
  const char *unit;
  int unit_length;
  // The flanks never cross the ends of the sequence; the left one ends at
  // sat.pos_left, the right one starts at sat.pos_right.
  const char *left_flank;
  int left_flank_length;
  int right_flank_length;
};

class report_format
{
public:
  virtual ~report_format() = default;
  // The value of "Output format:" in the parameter block.
  virtual const char *parameter_text() const = 0;
  // Items of the front end's format menu; the second one, when there is
  // one, asks for the record information as comments.
  virtual const char *menu_label() const = 0;
  virtual const char *menu_label_with_comments() const { return nullptr; }
  // Tab-separated formats separate labels and values of the parameter block
  // by a tab, so that the header splits into the same columns.
  virtual bool tab_separated() const { return false; }
  // Whether the run header goes into the output as "# " lines.
  virtual bool has_run_header() const { return true; }

  // The legend that ends the run header.
  virtual void file_header(FILE *, const char * /*prefix*/) const {}
  virtual void record_header(FILE *, const CSequence_Mol &) const {}
  virtual void repeat(FILE *out, const repeat_report &r) const = 0;
  // Not written in a run started by the QUARN pipeline.
  virtual void record_footer(FILE *, const CSequence_Mol &) const {}
  virtual void trailer(FILE *) const {}
};

// The writer of the format in force (global_print_sat_mode). A number that
// names no format gets a writer whose repeats are an internal-error text.
const report_format &output_format();
// Null when the number names no format.
const report_format *output_format(int number);
int number_of_output_formats();

// One item of the front end's format menu.
struct format_menu_item {
  const char *label;
  int format;
  bool comments;
};
// Items in menu order: every format in number order, each followed by its
// variant with comments. Items are only ever added at the end, so that a
// menu position kept in a preference file keeps its meaning.
const std::vector<format_menu_item> &output_format_menu();

#endif
