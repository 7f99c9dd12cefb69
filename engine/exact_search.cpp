// The search for perfect tandem repeats: every window of every unit length is
// a seed that is grown as far as the sequence continues its unit.

#include <algorithm>
#include <cstdint>

#include "CSearchController.h"
#include "chunked_search.h"
#include "period_scan.h"
#include "sequence_scan.h"

#include "params/global-types-and-parameters.h"

unsigned exact_max_N_run()
{
  return global_Ns_allowed_in_a_row > 0 && !global_treat_Ns_as_missense
             ? static_cast<unsigned>(global_Ns_allowed_in_a_row)
             : 0;
}

namespace {

// Grows c to the right and to the left over every base that continues its
// unit, stepping over runs of at most max_N_run N (none when 0) without
// scoring them, and then gives back the N at both ends: a repeat never starts
// or ends with N. The seed window itself holds no N, so trimming stops there.
void extend_exact(Csat &c, const char *seq_begin, const char *seq_end, unsigned max_N_run)
{
  const char *const ub = c.unit_begin;
  const char *const ue = c.unit_end;
  int score = c.score;
  unsigned Ns = c.Ns;

  const char *r = c.pos_right;
  const char *u = c.unit_cursor_right;
  while (r != seq_end) {
    if (*r == *u) {
      ++r;
      ++score;
      if (++u == ue)
        u = ub;
      continue;
    }
    if (*r != 'N' || max_N_run == 0)
      break;
    // Counting one N past the limit is enough to reject the run.
    const char *q = r + 1;
    while (q != seq_end && *q == 'N' && static_cast<unsigned>(q - r) <= max_N_run)
      ++q;
    if (static_cast<unsigned>(q - r) > max_N_run)
      break;
    Ns += static_cast<unsigned>(q - r);
    for (; r != q; ++r)
      if (++u == ue)
        u = ub;
  }

  const char *l = c.pos_left;
  const char *v = c.unit_cursor_left;
  while (l != seq_begin) {
    if (l[-1] == *v) {
      --l;
      ++score;
      v = (v == ub ? ue : v) - 1;
      continue;
    }
    if (l[-1] != 'N' || max_N_run == 0)
      break;
    const char *q = l - 1;
    while (q != seq_begin && q[-1] == 'N' && static_cast<unsigned>(l - q) <= max_N_run)
      --q;
    if (static_cast<unsigned>(l - q) > max_N_run)
      break;
    Ns += static_cast<unsigned>(l - q);
    for (; l != q; --l)
      v = (v == ub ? ue : v) - 1;
  }

  while (r[-1] == 'N') {
    --r;
    u = (u == ub ? ue : u) - 1;
    --Ns;
  }
  while (*l == 'N') {
    ++l;
    if (++v == ue)
      v = ub;
    --Ns;
  }

  c.pos_right = r;
  c.unit_cursor_right = u;
  c.pos_left = l;
  c.unit_cursor_left = v;
  c.score = score;
  c.Ns = Ns;
}

// The first window start at or after p that may lie in a stretch of at
// least run bases continuing the period, or end when none does before it.
const char *next_open(open_windows &open, const char *b, const char *p, const char *end)
{
  long k = (p - b) / 64;
  std::uint64_t m = open.block(k) & (~std::uint64_t(0) << ((p - b) % 64));
  while (!m && 64 * (k + 1) < end - b)
    m = open.block(++k);
  const char *q = m ? b + 64 * k + __builtin_ctzll(m) : end;
  return q < end ? q : end;
}

// The clock is looked at on the window starts passed over in bulk as if
// they had been tried; counts tells which of them would have been.
template <class Counts>
bool clock_between(const char *b, const char *from, const char *to, unsigned L,
                   exact_hooks &hooks, Counts counts)
{
  for (long k = ((from - b) + 255) / 256 * 256; k < to - b; k += 256)
    if (counts(b + k) && hooks.look_in(L))
      return true;
  return false;
}

} // namespace

const char *exact_windows_of_length_1(const char *b, const char *e, const char *from,
                                      const char *to, const threshold_tables &active,
                                      bool skip_in_bulk, Csat_garbagecollector &pool,
                                      exact_hooks &hooks)
{
  const unsigned max_N_run = exact_max_N_run();
  Csat *candidate = nullptr;
  const int run = std::max(active.scores[1], active.lengths[1] - 1);
  open_windows open(b, e - b, 1, run < 1 ? 1 : static_cast<unsigned>(run));
  const bool in_bulk = skip_in_bulk && run > 0;
  const char *p = past_N_run(from, e);
  while (e - p > 1 && p < to) {
    if (in_bulk) {
      const char *const q = next_open(open, b, p, e - 1);
      if (clock_between(b, p, q, 1, hooks, [](const char *k) { return *k != 'N'; }))
        break;
      p = q;
      if (*p == 'N') {
        p = past_N_run(p, e);
        continue;
      }
      if (e - p <= 1 || p >= to)
        break;
    }
    if ((p - b) % 256 == 0 && hooks.look_in(1))
      break;
    if (candidate)
      candidate->init(p, p + 1);
    else
      candidate = pool.get_new(p, p + 1);
    Csat &c = *candidate;
    extend_exact(c, b, e, max_N_run);
    if (c.score >= active.scores[1] && c.normalised_length() >= active.lengths[1]) {
      // Nothing inside a mononucleotide run starts another one.
      hooks.keep(candidate, p, false);
      p = c.pos_right - 1;
      candidate = nullptr;
    }
    ++p;
    p = past_N_run(p, e);
  }
  if (candidate)
    pool.push_back(candidate);
  return p;
}

void exact_windows_of_length(unsigned L, const char *b, const char *e, const char *from,
                             const char *to, const threshold_tables &active,
                             const threshold_tables &user, bool skip_in_bulk,
                             CAnchorSeq &anchor_seq, Csat_garbagecollector &pool,
                             exact_hooks &hooks)
{
  const unsigned max_N_run = exact_max_N_run();
  const int *const minScores = active.scores.data();
  const int *const minLengths = active.lengths.data();
  // The candidate of the last window, if it was not kept: re-initialised in
  // place for the next window instead of going back to the pool.
  Csat *candidate = nullptr;
  bool stopped = false;
  // Most windows are followed and preceded by bases that continue neither
  // their unit nor an N run; they keep the score of the bare window.
  const bool bare_window_accepted = 0 >= minScores[L] && static_cast<int>(L) >= minLengths[L];
  const char *n_pos = next_N(from, e);
  const char *const last_start = e - L; // a window needs one base after it
  // Tries the window at p; returns the last window start it has dealt
  // with, which is past p when a run of N ruled out the windows after p.
  auto try_window = [&](const char *p) {
    const long i = p - b;
    if (i % 256 == 0 && hooks.look_in(L)) {
      stopped = true;
      return p;
    }
    if (!bare_window_accepted && p[L] != p[0] && p[L] != 'N' &&
        (p == b || (p[-1] != p[L - 1] && p[-1] != 'N')))
      return p;
    if (n_pos < p)
      n_pos = next_N(p, e);
    if (n_pos < p + L) {
      // Every window that starts before the end of this run of N holds one
      // of them: go past those windows, still looking in on the clock
      // where one of them would have.
      const char *const run_end = past_N_run(n_pos, e);
      const char *const last = run_end <= last_start ? run_end - 1 : last_start - 1;
      if ((last - b) / 256 != i / 256 && hooks.look_in(L))
        stopped = true;
      return last;
    }
    if (!anchor_seq.window_is_free(i, L))
      return p;
    if (one_letter(p, L, e))
      return p;
    if (candidate)
      candidate->init(p, p + L);
    else
      candidate = pool.get_new(p, p + L);
    Csat &c = *candidate;
    extend_exact(c, b, e, max_N_run);
    if (c.score < minScores[L] || c.normalised_length() < minLengths[L])
      return p;
    // Only repeats that the report will show keep longer units out; the
    // others leave their windows open.
    bool covers = false;
    if (c.score >= user.scores[L] && c.normalised_length() >= user.lengths[L]) {
      const float perfection = c.perfection();
      covers = global_min_perfection <= perfection && perfection <= global_max_perfection;
    }
    if (covers)
      anchor_seq.cover(c.pos_left - b, c.pos_right - b);
    hooks.keep(candidate, p, covers);
    candidate = nullptr;
    return p;
  };
  // Windows outside every stretch long enough keep the score of a window
  // that is rejected; when the bare window is accepted, every one is tried.
  const int run = std::max(minScores[L], minLengths[L] - static_cast<int>(L));
  if (!skip_in_bulk || bare_window_accepted) {
    for (const char *p = from; p < to && !stopped; ++p)
      p = try_window(p);
  } else {
    open_windows open(b, e - b, L, static_cast<unsigned>(run));
    for (const char *p = from; p < to && !stopped;) {
      const char *const q = next_open(open, b, p, to);
      if (clock_between(b, p, q, L, hooks, [](const char *) { return true; }) || q == to)
        break;
      p = try_window(q) + 1;
    }
  }
  if (candidate)
    pool.push_back(candidate);
}

namespace {

// The sequential search: kept repeats go to the list in the order found, and
// the clock and the stop button are looked at.
struct sequential_exact_hooks final : exact_hooks {
  CSearchController &ctl;
  bool stopped = false;
  explicit sequential_exact_hooks(CSearchController &c) : ctl(c) {}
  void keep(Csat *sat, const char *, bool) override { ctl.exactSATList.push_back(sat); }
  bool look_in(unsigned L) override { return stopped = ctl.progress_then_stop(L); }
};

} // namespace

void CSearchController::exact_search_2() { exact_search_2(setup.user); }

void CSearchController::exact_search_2(const threshold_tables &active)
{
  if (chunks > 1) {
    chunked_exact_search(*this, active);
    return;
  }
  const char *const seq_begin = seq.seq.data;
  const char *const seq_end = seq_begin + seq.seq.length;
  sequential_exact_hooks hooks(*this);

  // Mononucleotide repeats need neither the marking array nor the one-base test.
  if (global_min_unit_length <= 1 && global_max_unit_length >= 1) {
    hooks.stopped = stop_here(1);
    if (!hooks.stopped)
      exact_windows_of_length_1(seq_begin, seq_end, seq_begin, seq_end, active, skip_in_bulk,
                                pool, hooks);
  }

  CAnchorSeq anchor_seq(seq);
  for (unsigned L = global_min_unit_length > 2 ? global_min_unit_length : 2;
       !hooks.stopped && L <= global_max_unit_length; ++L) {
    if (stop_here(L))
      break;
    if (seq.seq.length <= L)
      continue;
    exact_windows_of_length(L, seq_begin, seq_end, seq_begin, seq_end - L, active, setup.user,
                            skip_in_bulk, anchor_seq, pool, hooks);
  }
  exactSATList.sort_by_position();
}
