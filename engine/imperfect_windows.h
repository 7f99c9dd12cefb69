// The window loops of the direct imperfect search over a stretch of window
// starts: the whole record in the sequential search, one chunk of it, or the
// stretch that a chunked search searches again when a chunk's marks turn out
// to differ from those of the sequential search.
#ifndef TORVIX_ENGINE_IMPERFECT_WINDOWS_H
#define TORVIX_ENGINE_IMPERFECT_WINDOWS_H

#include <algorithm>
#include <climits>

#include "CSearchController.h"
#include "deferred_marks.h"
#include "imperfect_candidate.h"
#include "imperfect_extension.h"
#include "sequence_scan.h"

// Marks the accepted repeat as covered, but leaves the places where its
// alignment was imperfect free, so windows may still start or end there.
void cover_repeat(CAnchorSeq &anchor_seq, const Csat &sat);

// The marking of one pass: at once, or as the window test needs it.
struct pass_marks {
  CAnchorSeq &anchor_seq;
  deferred_marks *deferred;
  // Past the work bound a kept repeat marks its events too.
  bool whole_spans = false;

  void bring_up_to(long k)
  {
    if (deferred)
      deferred->bring_up_to(k);
  }
  // The window loops call bring_up_to only from this offset on, asking
  // again after it and after each kept repeat (which may end the deferral).
  long up_to_date_below() const { return deferred ? deferred->up_to_date_below() : LONG_MAX; }
};

// Marks the grown candidate sat, kept at the window starting at s.
void mark_kept(pass_marks &marks, Csat &sat, const char *s);

// Grows the window [s, s + L) in the candidate *sat (taking one from pool
// when there is none); true when it reaches the thresholds. Most windows are
// rejected, so only this part is inlined. Only the look-ahead choices of
// kept repeats count against the work bound: a rejected window's walk is
// bounded by its unit length.
// min_score is the user's score threshold for L, read once per pass: the
// records written in between might alias the table.
[[gnu::always_inline]] inline bool grow_window_reaches(imperfect_extender &extender,
                                                       const threshold_tables &user,
                                                       Csat_garbagecollector &pool, Csat *&sat,
                                                       const char *s, unsigned L, int min_score)
{
  if (sat)
    sat->init(s, s + L);
  else
    sat = pool.get_new(s, s + L);
  extender.grow_window(*sat);
  // Trimming N moves the ends, never the score: a rejected window's record
  // is not worth trimming.
  if (sat->score >= min_score) {
    trim_Ns(*sat);
    if (reaches_thresholds(*sat, user))
      return true;
  }
  extender.explicit_steps = 0;
  extender.remembered_steps = 0;
  return false;
}

// True when the window just rejected into sat lets the windows inside its
// first forward run be passed over (see windows_of_length).
inline bool settled_rejection(const imperfect_extender &extender, const Csat &sat, int min_score)
{
  return extender.settled_sides == 2 && extender.pass_settled && sat.score < min_score;
}

// The windows of unit length L >= 2 in the record [b, e) that start in
// [from, to). hooks.keep(sat, s) takes each kept repeat, already marked, and
// is false when the search must end; hooks.look_in(L) is asked at every
// window start that is a multiple of 256 and is true on a stop request. The
// extender is set up for windows of length L.
template <class Hooks>
void windows_of_length(unsigned L, const char *b, const char *e, const char *from, const char *to,
                       const threshold_tables &user, imperfect_extender &extender, pass_marks &marks,
                       Csat_garbagecollector &pool, Hooks &hooks)
{
  const char *n_pos = next_N(from, e);
  // The windows that start before n_near hold no N: most windows need one
  // test only.
  const char *n_near = from;
  Csat *sat = nullptr;
  const char *const last_start = e - L - 1;
  const int min_score = user.scores[L];
  const bool by_words = L <= 16;
  const one_letter_words single(by_words ? L : 16);
  // Going on from s to next, the clock is looked at on the same starts as
  // if every window had been tried.
  auto stops_before = [&](const char *s, const char *next) {
    for (const char *m = s + (256 - (s - b) % 256); m <= next; m += 256)
      if (hooks.look_in(L))
        return true;
    return false;
  };
  long marked_below = marks.up_to_date_below();
  for (const char *s = from; s < to;) {
    if (s >= n_near) {
      if (n_pos < s)
        n_pos = next_N(s, e);
      if (n_pos - s >= L) {
        n_near = n_pos - (L - 1);
      } else {
        // Every window that starts before the end of this run of N holds
        // one of them: go past those windows.
        const char *const run_end = past_N_run(n_pos, e);
        const char *const next = run_end <= last_start ? run_end : last_start + 1;
        if (stops_before(s, next))
          break;
        s = next;
        continue;
      }
    }
    if (s - b + L >= marked_below) {
      marks.bring_up_to(s - b + L);
      marked_below = marks.up_to_date_below();
    }
    const char *next = s + 1;
    const bool free = marks.anchor_seq.window_is_free(s - b, L);
    // Near the record's end, where two words cannot be read, most windows
    // differ at their second base, and the test is not worth a call there.
    const bool tried = by_words && e - s >= 16 ? free & !single.holds(s)
                                              : free && (s[1] != s[0] || !one_letter(s, L, e));
    if (tried) {
      if (grow_window_reaches(extender, user, pool, sat, s, L, min_score)) {
        mark_kept(marks, *sat, s);
        Csat *const kept = sat;
        sat = nullptr;
        if (!hooks.keep(kept, s))
          break;
        marked_below = marks.up_to_date_below();
      } else {
        // A window starting j bases further on, inside the forward run, is
        // a turn of this unit: its forward run stops at the same base, j
        // bases shorter, and its backward run j bases longer at the same
        // base, with the same score there. A walk hopeless from some score
        // is hopeless from any lower one at the same place, where fewer
        // options are open and the same nodes stay below the same target;
        // so each of those windows ends with this one's score and is
        // rejected, and passed over. Whether the run is empty is a toss-up:
        // a select, not a branch.
        next = settled_rejection(extender, *sat, min_score)
                   ? std::min(extender.forward_stop - L + 1, to)
                   : next;
      }
    }
    // The clock is looked at on the window starts that are multiples of
    // 256, tried or passed over.
    if ((next - b) >> 8 != (s - b) >> 8 && stops_before(s, next))
      break;
    s = next;
  }
  if (sat)
    pool.push_back(sat);
}

// The same for unit length 1: windows start on every base that is not N.
template <class Hooks>
void windows_of_length_1(const char *b, const char *e, const char *from, const char *to,
                         const threshold_tables &user, imperfect_extender &extender, pass_marks &marks,
                         Csat_garbagecollector &pool, Hooks &hooks)
{
  const char *s = past_N_run(from, e);
  Csat *sat = nullptr;
  const int min_score = user.scores[1];
  long marked_below = marks.up_to_date_below();
  while (e - s > 1 && s < to) {
    if ((s - b) % 256 == 0 && hooks.look_in(1))
      break;
    if (s - b >= marked_below) {
      marks.bring_up_to(s - b);
      marked_below = marks.up_to_date_below();
    }
    const char *next = s + 1;
    if (marks.anchor_seq.is_free(s - b)) {
      if (grow_window_reaches(extender, user, pool, sat, s, 1, min_score)) {
        mark_kept(marks, *sat, s);
        Csat *const kept = sat;
        sat = nullptr;
        if (!hooks.keep(kept, s))
          break;
        marked_below = marks.up_to_date_below();
      } else if (settled_rejection(extender, *sat, min_score)) {
        // As in windows_of_length: the bases of the forward run repeat this
        // one. The clock is looked at where the loop would have looked.
        next = extender.forward_stop;
        const char *const last = std::min(std::min(next, to), e - 1);
        bool stopped = false;
        for (const char *m = s + (256 - (s - b) % 256); m < last && !stopped; m += 256)
          stopped = hooks.look_in(1);
        if (stopped)
          break;
      }
    }
    s = past_N_run(next, e);
  }
  if (sat)
    pool.push_back(sat);
}

#endif
