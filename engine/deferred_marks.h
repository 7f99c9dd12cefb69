// The marking of accepted repeats in one pass of the direct imperfect search,
// done no sooner than the window test needs it. Each accepted repeat covers
// its span and frees its event positions, and the last repeat to touch a
// position decides its mark; inside a long satellite every window freed by an
// event is grown again into a repeat as long as the array, so marking every
// span at once would cost the square of the array's length. Here the window
// test sees the marks right from the window's left neighbour on: a new repeat
// is marked at once only over the few positions the scan has passed, the
// positions ahead are marked as the scan reaches them, from the latest repeat
// that reaches that far, and the positions behind are written once, in a
// sweep at the end of the pass that gives each position to the last repeat
// covering it.
#ifndef TORVIX_ENGINE_DEFERRED_MARKS_H
#define TORVIX_ENGINE_DEFERRED_MARKS_H

#include <cstdint>
#include <map>
#include <vector>

#include "CAnchorSeq.h"
#include "Csat.h"
#include "walk_memo.h"

class deferred_marks
{
public:
  explicit deferred_marks(CAnchorSeq &anchors) : anchors(anchors) {}

  // Brings the marks up to date up to offset k, inclusive.
  void bring_up_to(long k)
  {
    if (k < frontier)
      return;
    // Nothing pending is the usual case. The marks ahead are then those the
    // passes before left, so the frontier may run ahead of the scan: a
    // repeat accepted meanwhile marks that much more at once.
    if (reaching.empty() && loose_ahead.empty())
      frontier = k + 1 + idle_lead;
    else
      advance_to(k + 1);
  }
  // The marks below this offset are up to date; only bring_up_to, start_at
  // and finish_pass move it.
  long up_to_date_below() const { return frontier; }
  // For a search that begins at offset k, with the marks from k on as the
  // passes before left them: the repeats that reach there are accepted next.
  void start_at(long k) { frontier = k; }
  // The repeat sat, accepted at the window starting at offset s, covers its
  // span and frees its events. Its events must be sorted and it must stay
  // as it is until the pass is finished.
  void accept(const Csat &sat, long s);
  // Writes every mark the pass has left; the marking array is then exact.
  void finish_pass();

private:
  // A position in the events of a repeat that lie ahead of the scan, in
  // order: the sorted events kept in its alignment, and its forward paths.
  struct event_cursor {
    unsigned event = 0;
    unsigned path = 0;
    std::int32_t node = -1;
  };
  struct repeat {
    const Csat *sat;
    long left, right;        // its span, as offsets
    std::vector<long> loose; // events outside its span
    event_cursor ahead;
  };

  CAnchorSeq &anchors;
  std::vector<repeat> repeats; // of this pass, in the order accepted
  // The marks below the frontier are up to date for the window test.
  long frontier = 0;
  static constexpr long idle_lead = 64;
  // Repeats that reach past the frontier, the latest on top; each reaches
  // less far than the one below it, which it hides up to its own end.
  std::vector<std::uint32_t> reaching;
  // Loose events ahead of the frontier: offset, and the repeat that frees it.
  std::multimap<long, std::uint32_t> loose_ahead;

  void advance_to(long end);
  bool frees(repeat &r, long k);
  template <class F> void for_each_event_in(const repeat &r, long from, long to, F f);
};

#endif
