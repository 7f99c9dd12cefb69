// The direct imperfect search: every admissible one-unit window is a seed
// that the alignment grows into a repeat.

#include "CSearchController.h"
#include "chunked_search.h"
#include "imperfect_windows.h"
#include "params/global-types-and-parameters.h"

void cover_repeat(CAnchorSeq &anchor_seq, const Csat &sat)
{
  const char *const b = anchor_seq.seq_begin;
  anchor_seq.cover(sat.pos_left - b, sat.pos_right - b);
  for (const alignment_event &ev : sat.alignment)
    anchor_seq.free_position(ev.pos - b);
  for (const walk_path &w : sat.paths)
    forest_of(w).for_each_event(w.from, w.to, w.forward(),
                                [&](const char *pos, char) { anchor_seq.free_position(pos - b); });
}

namespace {

// Past the work bound: the whole span, events included.
void cover_whole_span(CAnchorSeq &anchor_seq, const Csat &sat)
{
  anchor_seq.cover(sat.pos_left - anchor_seq.seq_begin, sat.pos_right - anchor_seq.seq_begin);
}

} // namespace

[[gnu::noinline]] void mark_kept(pass_marks &marks, Csat &sat, const char *s)
{
  sort_alignment_events(sat);
  // Held until the pass ends: without the room the walk left for more.
  if (sat.alignment.empty())
    sat.alignment.release();
  else if (sat.alignment.capacity > sat.alignment.length + sat.alignment.length / 8 + 16)
    sat.alignment.set_capacity(sat.alignment.length);
  if (marks.whole_spans)
    cover_whole_span(marks.anchor_seq, sat);
  else if (marks.deferred)
    marks.deferred->accept(sat, s - marks.anchor_seq.seq_begin);
  else
    cover_repeat(marks.anchor_seq, sat);
}

namespace {

// The repeats a pass kept after the first `before` of result: once the pass
// has written its marks, only the report reads their events.
void pack_events_of_pass(std::list<Csat *> &result, std::size_t before)
{
  auto it = result.end();
  for (std::size_t n = result.size(); n > before; --n)
    (*--it)->pack_events();
}

// The sequential search: kept repeats go to the result in the order found,
// their look-ahead choices are charged to the work bound, and the clock and
// the stop button are looked at.
struct sequential_hooks {
  CSearchController &ctl;
  imperfect_extender &extender;
  std::list<Csat *> &result;
  pass_marks &marks;

  bool keep(Csat *sat, const char *)
  {
    result.push_back(sat);
    extender.remembered_steps = 0;
    if (ctl.charge_steps(extender.explicit_steps, *sat) && !marks.whole_spans)
      mark_whole_spans_from(*sat);
    // Whole spans need no events: only the report reads them from here on.
    if (marks.whole_spans)
      sat->pack_events();
    return true;
  }
  // The repeat that passed the work bound, and every one after it, covers
  // its events too; the marks held back are written first, so that they
  // cannot free a position inside it later.
  void mark_whole_spans_from(const Csat &sat)
  {
    if (marks.deferred)
      marks.deferred->finish_pass();
    marks.deferred = nullptr;
    marks.whole_spans = true;
    cover_whole_span(marks.anchor_seq, sat);
  }
  bool look_in(unsigned L) { return ctl.progress_then_stop(L); }
};

} // namespace

void CSearchController::complete_imperfect_search(FILE *)
{
  if (chunks > 1) {
    chunked_imperfect_search(*this);
    return;
  }
  CAnchorSeq anchor_seq(seq);
  unsigned L = global_min_unit_length;
  if (L == 1) {
    unit_len_1_complete_imperfect_search(anchor_seq, imperfectSATList);
    // Mononucleotide runs must not hide the repeats of longer units.
    anchor_seq.reset();
    L = 2;
  }
  for (; L <= global_max_unit_length; ++L) {
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
  imperfect_extender extender(setup);
  extender.start_windows(1, b, e);
  extender.memos = remember_walks ? &memos : nullptr;
  memos.start_pass(pass_free_nodes);
  extender.pass_settled = pass_settled_windows;
  deferred_marks deferred(anchor_seq);
  pass_marks marks{anchor_seq, remember_walks && !past_work_bound ? &deferred : nullptr,
                   past_work_bound};
  sequential_hooks hooks{*this, extender, result, marks};
  const std::size_t before = result.size();
  windows_of_length_1(b, e, b, e, setup.user, extender, marks, pool, hooks);
  deferred.finish_pass();
  pack_events_of_pass(result, before);
}

void CSearchController::one_unit_len_complete_imperfect_search(unsigned L, CAnchorSeq &anchor_seq,
                                                               std::list<Csat *> &result)
{
  const char *const b = seq.seq.data;
  const char *const e = b + seq.seq.length;
  // At least one base must follow a window.
  if (L >= seq.seq.length)
    return;
  if (progress_then_stop(L))
    return;
  imperfect_extender extender(setup);
  extender.start_windows(L, b, e);
  extender.memos = remember_walks ? &memos : nullptr;
  memos.start_pass(pass_free_nodes);
  extender.pass_settled = pass_settled_windows;
  deferred_marks deferred(anchor_seq);
  pass_marks marks{anchor_seq, remember_walks && !past_work_bound ? &deferred : nullptr,
                   past_work_bound};
  sequential_hooks hooks{*this, extender, result, marks};
  const std::size_t before = result.size();
  windows_of_length(L, b, e, b, e - L, setup.user, extender, marks, pool, hooks);
  deferred.finish_pass();
  pack_events_of_pass(result, before);
}
