// Steps shared by the two imperfect search modes after a candidate has been
// extended: trimming N from its ends and the test against the thresholds.
#ifndef TORVIX_ENGINE_IMPERFECT_CANDIDATE_H
#define TORVIX_ENGINE_IMPERFECT_CANDIDATE_H

#include <algorithm>

#include "CSearchController.h"

// A repeat neither begins nor ends with N; the unit cursors follow the ends.
// The seed inside holds no N, so trimming stops there at the latest.
inline void trim_Ns(Csat &sat)
{
  while (sat.pos_right[-1] == 'N') {
    --sat.pos_right;
    --sat.Ns;
    sat.unit_cursor_right =
        (sat.unit_cursor_right == sat.unit_begin ? sat.unit_end : sat.unit_cursor_right) - 1;
  }
  while (*sat.pos_left == 'N') {
    ++sat.pos_left;
    sat.unit_cursor_left =
        sat.unit_cursor_left + 1 == sat.unit_end ? sat.unit_begin : sat.unit_cursor_left + 1;
    --sat.Ns;
  }
}

// Score and normalised length against the threshold tables given.
inline bool reaches_thresholds(const Csat &sat, const threshold_tables &t)
{
  const unsigned L = sat.unit_length();
  return sat.score >= t.scores[L] && sat.normalised_length() >= t.lengths[L];
}

// Events still held as paths join them, in order, when they are written out.
inline void sort_alignment_events(Csat &sat)
{
  std::sort(sat.alignment.begin(), sat.alignment.end(), Csat::event_order());
}

#endif
