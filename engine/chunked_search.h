// The search of one record in chunks of windows. Within a pass (one unit
// length) the window tests depend on the marks of the repeats accepted to
// their left, so the chunks are first searched speculatively, in parallel,
// each from the marks the earlier passes left, and then confirmed in order:
// a chunk's own result stands from the first window on where no repeat of
// the chunks before it, nor any repeat found only by one of the two
// searches, marks a position the windows still look at; up to there its
// windows are searched again with the marks of the sequential search. Repeats
// that grow across a border belong to the chunk whose window seeds them, and
// the extension reads the whole record, so a window's repeat does not depend
// on its chunk. The result, the marks left for the next pass and the work
// bound's verdict are those of the sequential search for every number of
// chunks.
#ifndef TORVIX_ENGINE_CHUNKED_SEARCH_H
#define TORVIX_ENGINE_CHUNKED_SEARCH_H

#include "CAnchorSeq.h"
#include "Csat.h"
#include "search_setup.h"

class CSearchController;

// What the exact search's window loops do with a kept repeat, and how they
// look at the clock and the stop button.
struct exact_hooks {
  // sat, grown from the window starting at s, is kept; covers tells whether
  // it marked its span.
  virtual void keep(Csat *sat, const char *s, bool covers) = 0;
  // Asked every 256 window starts; true on a stop request.
  virtual bool look_in(unsigned L) = 0;

protected:
  ~exact_hooks() = default;
};

// The longest run of N the exact extension steps over, 0 for none.
unsigned exact_max_N_run();
// The exact windows of unit length 1 of the record [b, e) that start in
// [from, to); returns where the scan would go on. With skip_in_bulk the
// windows that cannot be kept are passed over without a try.
const char *exact_windows_of_length_1(const char *b, const char *e, const char *from,
                                      const char *to, const threshold_tables &active,
                                      bool skip_in_bulk, Csat_garbagecollector &pool,
                                      exact_hooks &hooks);
// The same for a unit length L >= 2 with the marking array anchor_seq; only
// repeats that reach the user's thresholds mark it.
void exact_windows_of_length(unsigned L, const char *b, const char *e, const char *from,
                             const char *to, const threshold_tables &active,
                             const threshold_tables &user, bool skip_in_bulk,
                             CAnchorSeq &anchor_seq, Csat_garbagecollector &pool,
                             exact_hooks &hooks);

// The three searches of a controller whose chunks are more than one.
void chunked_exact_search(CSearchController &ctl, const threshold_tables &active);
void chunked_imperfect_search(CSearchController &ctl);
// The extension of the extend-exact mode's seeds in exactSATList, found
// with the thresholds active; false when the work might have passed the
// bound, with the seeds found again: the sequential extension then
// decides.
bool chunked_seed_extension(CSearchController &ctl, const threshold_tables &active);

#endif
