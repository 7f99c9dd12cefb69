// The search for perfect tandem repeats: every window of every unit length is
// a seed that is grown as far as the sequence continues its unit.

#include <algorithm>
#include <cstdint>

#include "CSearchController.h"
#include "period_scan.h"
#include "sequence_scan.h"

#include "params/global-types-and-parameters.h"

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

} // namespace

void CSearchController::exact_search_2() { exact_search_2(setup.user); }

void CSearchController::exact_search_2(const threshold_tables &active)
{
  const int *const minScores = active.scores.data();
  const int *const minLengths = active.lengths.data();
  const int *const minScores_user = setup.user.scores.data();
  const int *const minLengths_user = setup.user.lengths.data();
  const char *const seq_begin = seq.seq.data;
  const char *const seq_end = seq_begin + seq.seq.length;
  const unsigned max_N_run = global_Ns_allowed_in_a_row > 0 && !global_treat_Ns_as_missense
                                 ? static_cast<unsigned>(global_Ns_allowed_in_a_row)
                                 : 0;

  // The candidate of the last window, if it was not kept: re-initialised in
  // place for the next window instead of going back to the pool.
  Csat *candidate = nullptr;
  auto seed = [&](const char *b, const char *e) -> Csat & {
    if (candidate)
      candidate->init(b, e);
    else
      candidate = pool.get_new(b, e);
    return *candidate;
  };
  auto keep_candidate = [&]() {
    exactSATList.push_back(candidate);
    candidate = nullptr;
  };


  bool stopped = false;
  const long n = seq.seq.length;

  // The first window start at or after p that may lie in a stretch of at
  // least run bases continuing the period, or the end when none does.
  auto next_open = [&](open_windows &open, const char *p, const char *end) {
    long b = (p - seq_begin) / 64;
    std::uint64_t m = open.block(b) & (~std::uint64_t(0) << ((p - seq_begin) % 64));
    while (!m && 64 * (b + 1) < end - seq_begin)
      m = open.block(++b);
    const char *q = m ? seq_begin + 64 * b + __builtin_ctzll(m) : end;
    return q < end ? q : end;
  };
  // The clock is looked at on the window starts passed over in bulk as if
  // they had been tried; counts tells which of them would have been.
  auto clock_between = [&](const char *from, const char *to, unsigned L, auto counts) {
    for (long k = ((from - seq_begin) + 255) / 256 * 256; k < to - seq_begin; k += 256)
      if (counts(seq_begin + k) && progress_then_stop(L))
        return true;
    return false;
  };

  // Mononucleotide repeats need neither the marking array nor the one-base test.
  if (global_min_unit_length <= 1 && global_max_unit_length >= 1) {
    stopped = stop_here(1);
    const int run = std::max(minScores[1], minLengths[1] - 1);
    open_windows open(seq_begin, n, 1, run < 1 ? 1 : static_cast<unsigned>(run));
    const bool in_bulk = skip_in_bulk && run > 0;
    const char *p = past_N_run(seq_begin, seq_end);
    while (!stopped && seq_end - p > 1) {
      if (in_bulk) {
        const char *const q = next_open(open, p, seq_end - 1);
        if (clock_between(p, q, 1, [](const char *k) { return *k != 'N'; })) {
          stopped = true;
          break;
        }
        p = q;
        if (*p == 'N') {
          p = past_N_run(p, seq_end);
          continue;
        }
        if (seq_end - p <= 1)
          break;
      }
      if ((p - seq_begin) % 256 == 0 && progress_then_stop(1)) {
        stopped = true;
        break;
      }
      Csat &c = seed(p, p + 1);
      extend_exact(c, seq_begin, seq_end, max_N_run);
      if (c.score >= minScores[1] && c.normalised_length() >= minLengths[1]) {
        p = c.pos_right - 1;
        keep_candidate();
      }
      ++p;
      p = past_N_run(p, seq_end);
    }
  }

  CAnchorSeq anchor_seq(seq);
  for (unsigned L = global_min_unit_length > 2 ? global_min_unit_length : 2;
       !stopped && L <= global_max_unit_length; ++L) {
    if (stop_here(L)) {
      stopped = true;
      break;
    }
    if (seq.seq.length <= L)
      continue;
    // Most windows are followed and preceded by bases that continue neither
    // their unit nor an N run; they keep the score of the bare window.
    const bool bare_window_accepted = 0 >= minScores[L] && static_cast<int>(L) >= minLengths[L];
    const char *n_pos = next_N(seq_begin, seq_end);
    const char *const last_start = seq_end - L; // a window needs one base after it
    // Tries the window at p; returns the last window start it has dealt
    // with, which is past p when a run of N ruled out the windows after p.
    auto try_window = [&](const char *p) {
      const long i = p - seq_begin;
      if (i % 256 == 0 && progress_then_stop(L)) {
        stopped = true;
        return p;
      }
      if (!bare_window_accepted && p[L] != p[0] && p[L] != 'N' &&
          (p == seq_begin || (p[-1] != p[L - 1] && p[-1] != 'N')))
        return p;
      if (n_pos < p)
        n_pos = next_N(p, seq_end);
      if (n_pos < p + L) {
        // Every window that starts before the end of this run of N holds one
        // of them: go past those windows, still looking in on the clock
        // where one of them would have.
        const char *const run_end = past_N_run(n_pos, seq_end);
        const char *const last = run_end <= last_start ? run_end - 1 : last_start - 1;
        if ((last - seq_begin) / 256 != i / 256 && progress_then_stop(L))
          stopped = true;
        return last;
      }
      if (!anchor_seq.window_is_free(i, L))
        return p;
      if (one_letter(p, L, seq_end))
        return p;
      Csat &c = seed(p, p + L);
      extend_exact(c, seq_begin, seq_end, max_N_run);
      if (c.score < minScores[L] || c.normalised_length() < minLengths[L])
        return p;
      // Only repeats that the report will show keep longer units out; the
      // others leave their windows open.
      if (c.score >= minScores_user[L] && c.normalised_length() >= minLengths_user[L]) {
        const float perfection = c.perfection();
        if (global_min_perfection <= perfection && perfection <= global_max_perfection)
          anchor_seq.cover(c.pos_left - seq_begin, c.pos_right - seq_begin);
      }
      keep_candidate();
      return p;
    };
    // Windows outside every stretch long enough keep the score of a window
    // that is rejected; when the bare window is accepted, every one is tried.
    const int run = std::max(minScores[L], minLengths[L] - static_cast<int>(L));
    if (!skip_in_bulk || bare_window_accepted) {
      for (const char *p = seq_begin; p != last_start && !stopped; ++p)
        p = try_window(p);
      continue;
    }
    open_windows open(seq_begin, n, L, static_cast<unsigned>(run));
    for (const char *p = seq_begin; p < last_start && !stopped;) {
      const char *const q = next_open(open, p, last_start);
      if (clock_between(p, q, L, [](const char *) { return true; })) {
        stopped = true;
        break;
      }
      if (q == last_start)
        break;
      p = try_window(q) + 1;
    }
  }

  if (candidate)
    pool.push_back(candidate);
  exactSATList.sort_by_position();
}
