// The direct imperfect search: every admissible one-unit window is a seed
// that the alignment grows into a repeat.

#include "CSearchController.h"
#include "deferred_marks.h"
#include "imperfect_candidate.h"
#include "imperfect_extension.h"
#include "sequence_scan.h"
#include "params/global-types-and-parameters.h"

namespace {

// Marks the accepted repeat as covered, but leaves the places where its
// alignment was imperfect free, so windows may still start or end there.
void cover_repeat(CAnchorSeq &anchor_seq, const Csat &sat, const walk_memos &memos)
{
  const char *const b = anchor_seq.seq_begin;
  anchor_seq.cover(sat.pos_left - b, sat.pos_right - b);
  for (const alignment_event &ev : sat.alignment)
    anchor_seq.free_position(ev.pos - b);
  for (const walk_path &w : sat.paths)
    (w.forward ? memos.forward : memos.backward)
        .for_each_event(w.from, w.to, w.forward,
                        [&](const char *pos, char) { anchor_seq.free_position(pos - b); });
}

} // namespace

// The marking of one pass: at once, or as the window test needs it when the
// search remembers walks.
struct pass_marks {
  CAnchorSeq &anchor_seq;
  deferred_marks *deferred;
};

// Keeps the grown candidate *sat; the next window then takes a fresh record.
[[gnu::noinline]] static void keep_window(CSearchController &ctl, Csat *&sat, pass_marks &marks,
                                          const char *s, std::list<Csat *> &result)
{
  sort_alignment_events(*sat);
  if (marks.deferred)
    marks.deferred->accept(*sat, s - marks.anchor_seq.seq_begin);
  else
    cover_repeat(marks.anchor_seq, *sat, ctl.memos);
  result.push_back(sat);
  sat = nullptr;
}

// Grows the window [s, s + L) in the candidate *sat (taking one from the pool
// when there is none) and keeps it when it reaches the thresholds; false
// when the work bound is exhausted by a kept repeat. Only the look-ahead
// choices of kept repeats count: a rejected window's walk is bounded by its
// unit length. The extender is set up for windows of length L. Most windows
// are rejected, so only their part is inlined.
[[gnu::always_inline]] static inline bool try_window(CSearchController &ctl,
                                                     imperfect_extender &extender, Csat *&sat,
                                                     const char *s, unsigned L,
                                                     pass_marks &marks,
                                                     std::list<Csat *> &result)
{
  if (sat)
    sat->init(s, s + L);
  else
    sat = ctl.pool.get_new(s, s + L);
  extender.grow_window(*sat);
  trim_Ns(*sat);
  if (!reaches_thresholds(*sat, ctl.setup.user)) {
    extender.explicit_steps = 0;
    return true;
  }
  keep_window(ctl, sat, marks, s, result);
  return ctl.charge_steps(extender.explicit_steps);
}

void CSearchController::complete_imperfect_search(FILE *)
{
  CAnchorSeq anchor_seq(seq);
  unsigned L = global_min_unit_length;
  if (L == 1) {
    unit_len_1_complete_imperfect_search(anchor_seq, imperfectSATList);
    // Mononucleotide runs must not hide the repeats of longer units.
    anchor_seq.reset();
    L = 2;
  }
  for (; L <= global_max_unit_length && !abandoned; ++L) {
    one_unit_len_complete_imperfect_search(L, anchor_seq, imperfectSATList);
    if (stop_here(L))
      break;
  }
  imperfectSATList.sort_by_position();
}

void CSearchController::unit_len_1_complete_imperfect_search(CAnchorSeq &anchor_seq,
                                                             std::list<Csat *> &result)
{
  const char *const b = seq.seq.data;
  const char *const e = b + seq.seq.length;
  const char *s = past_N_run(b, e);
  imperfect_extender extender(setup);
  extender.start_windows(1, b, e);
  extender.memos = remember_walks ? &memos : nullptr;
  deferred_marks deferred(anchor_seq, memos);
  pass_marks marks{anchor_seq, remember_walks ? &deferred : nullptr};
  Csat *sat = nullptr;
  while (e - s > 1) {
    if ((s - b) % 256 == 0 && progress_then_stop(1))
      break;
    deferred.bring_up_to(s - b);
    if (anchor_seq.is_free(s - b) && !try_window(*this, extender, sat, s, 1, marks, result))
      break;
    ++s;
    s = past_N_run(s, e);
  }
  deferred.finish_pass();
  if (sat)
    pool.push_back(sat);
}

void CSearchController::one_unit_len_complete_imperfect_search(unsigned L, CAnchorSeq &anchor_seq,
                                                               std::list<Csat *> &result)
{
  const char *const b = seq.seq.data;
  const char *const e = b + seq.seq.length;
  const char *n_pos = next_N(b, e);
  // At least one base must follow a window.
  if (L >= seq.seq.length)
    return;
  if (progress_then_stop(L))
    return;
  imperfect_extender extender(setup);
  extender.start_windows(L, b, e);
  extender.memos = remember_walks ? &memos : nullptr;
  deferred_marks deferred(anchor_seq, memos);
  pass_marks marks{anchor_seq, remember_walks ? &deferred : nullptr};
  Csat *sat = nullptr;
  const char *const last_start = e - L - 1;
  // The look at the clock due at every window start that is a multiple of
  // 256; true when it brings a stop request.
  auto stops_at = [&](const char *s) { return (s - b) % 256 == 0 && progress_then_stop(L); };
  for (const char *s = b; s <= last_start;) {
    if (n_pos < s)
      n_pos = next_N(s, e);
    if (n_pos < s + L) {
      // Every window that starts before the end of this run of N holds one
      // of them: go past those windows, looking in on the clock at the same
      // starts as if they had been tried.
      const char *const run_end = past_N_run(n_pos, e);
      const char *const next = run_end <= last_start ? run_end : last_start + 1;
      bool stopped = false;
      for (const char *m = s + (256 - (s - b) % 256); m <= next && !stopped; m += 256)
        stopped = stops_at(m);
      if (stopped)
        break;
      s = next;
      continue;
    }
    deferred.bring_up_to(s - b + L);
    if (anchor_seq.window_is_free(s - b, L) && !one_letter(s, L, e) &&
        !try_window(*this, extender, sat, s, L, marks, result))
      break;
    ++s;
    if (stops_at(s))
      break;
  }
  deferred.finish_pass();
  if (sat)
    pool.push_back(sat);
}
