// Pieces that several formats write the same way.
#ifndef TORVIX_FORMATS_SHARED_PIECES_H
#define TORVIX_FORMATS_SHARED_PIECES_H

#include "formats/report_format.h"

// The two native formats (0 and 1): their column legend, record heading and
// closing comment, and the repeat's bases or alignment after its line.
void native_legend(FILE *f, const char *prefix, bool extended);
void native_record_header(FILE *out, const CSequence_Mol &record);
void native_record_footer(FILE *out, const CSequence_Mol &record);
void print_repeat_sequence(FILE *out, const repeat_report &r);

// The record information of the tab-separated formats, written only when
// --sequenceInfoAsComment asks for it.
void sequence_info_header(FILE *out, const CSequence_Mol &record);
void sequence_info_footer(FILE *out, const CSequence_Mol &record);

// The trailer of every format that has no other.
void finished_trailer(FILE *out);

// N counts are meaningless when N scores as a mismatch: the column shows ".".
void print_Ns_column(FILE *out, const Csat &s);

inline int as_int(unsigned x) { return static_cast<int>(x); }

#endif
