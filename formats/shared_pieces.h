// Pieces that several formats write the same way.
#ifndef TORVIX_FORMATS_SHARED_PIECES_H
#define TORVIX_FORMATS_SHARED_PIECES_H

#include "formats/report_format.h"

// The trailer of every format that has no other.
void finished_trailer(FILE *out);

// The two native formats (0 and 1) share their column legend (the extended
// one has more columns), record heading, closing comment and trailer.
class native_writer : public report_format
{
public:
  explicit native_writer(bool extended) : extended(extended) {}
  void file_header(FILE *f, const char *prefix) const override;
  void record_header(FILE *out, const CSequence_Mol &record) const override;
  void record_footer(FILE *out, const CSequence_Mol &record) const override;
  void trailer(FILE *out) const override { finished_trailer(out); }

protected:
  // The repeat's bases or alignment after its line, by the print mode.
  static void print_repeat_sequence(FILE *out, const repeat_report &r);

private:
  bool extended;
};

// GFF and one-per-line: tab-separated, with the record information as
// comments around a record's lines when --sequenceInfoAsComment asks for it.
class commented_writer : public report_format
{
public:
  bool tab_separated() const override { return true; }
  void record_header(FILE *out, const CSequence_Mol &record) const override;
  void record_footer(FILE *out, const CSequence_Mol &record) const override;
};

// N counts are meaningless when N scores as a mismatch: the column shows ".".
void print_Ns_column(FILE *out, const Csat &s);

inline int as_int(unsigned x) { return static_cast<int>(x); }

#endif
