// Imperfect extension of a repeat candidate by a recursive alignment against
// its own unit read cyclically. The forward and the backward direction share
// one implementation so that they stay exact mirror images of each other.
#include <climits>
#include <cstdlib>
#include <cstring>

#include "CSearchController.h"
#include "params/global-types-and-parameters.h"

namespace {

// The sequence boundary p of a direction is the position the extension has
// reached: forward the next base to examine is *p, backward it is p[-1].
template <bool Fwd> struct direction {
  static const char *examined(const char *p) { return Fwd ? p : p - 1; }
  static const char *step(const char *p) { return Fwd ? p + 1 : p - 1; }
  static const char *unit_step(const char *u, const char *ub, const char *ue)
  {
    if (Fwd)
      return u + 1 == ue ? ub : u + 1;
    return (u == ub ? ue : u) - 1;
  }
};

// Everything one extension needs, read once instead of at every node of the
// look-ahead.
struct alignment_context {
  const char *unit_begin;
  const char *unit_end;
  const char *limit; // boundary value at which nothing is left to examine
  int unit_length;
  int mismatch;
  int indel;
  int prefer;
  unsigned max_depth;
  unsigned Ns_allowed; // 0 when no N is admitted
  long long reduction;

  alignment_context(const char *ub, const char *ue, int L, const char *lim)
      : unit_begin(ub), unit_end(ue), limit(lim), unit_length(L),
        mismatch(global_mismatch_score), indel(global_indel_score),
        prefer(global_prefer_longer_repeat),
        max_depth(static_cast<unsigned>(global_maximum_recursion_depth)),
        Ns_allowed(global_treat_Ns_as_missense || global_Ns_allowed_in_a_row <= 0
                       ? 0u
                       : static_cast<unsigned>(global_Ns_allowed_in_a_row)),
        reduction(global_maximum_scorereduction)
  {
  }

  // Options may start only above this score. Wide arithmetic: the default
  // reduction is the largest int.
  long long threshold(int best) const
  {
    long long t = static_cast<long long>(best) - reduction;
    if (t < -unit_length)
      t = -unit_length;
    return t - prefer;
  }
  bool mismatch_eligible(int score, long long t) const
  {
    return static_cast<long long>(score) + mismatch > t;
  }
  bool indel_eligible(int score, long long t) const
  {
    return static_cast<long long>(score) + indel > t;
  }

  // True when the rest of the walk from a mismatch point cannot change the
  // outcome: the look-ahead has seen every state the walk can still reach,
  // because no node at its depth limit may take a further edit, and none of
  // them comes up to the best state kept so far, so the walk would end by
  // restoring it. value is the highest option value, horizon the highest
  // score of a node at the depth limit. This holds only while the reduction
  // leaves the threshold at its floor, where the walk and the look-ahead
  // admit the same edits.
  bool walk_is_hopeless(int value, int horizon, int best) const
  {
    const long long top = value > best ? value : best;
    if (top - reduction > -unit_length)
      return false;
    const long long t = -static_cast<long long>(unit_length) - prefer;
    const int edit = mismatch > indel ? mismatch : indel;
    return static_cast<long long>(value) < static_cast<long long>(best) - prefer &&
           (horizon == INT_MIN || static_cast<long long>(horizon) + edit <= t);
  }
};

enum run_end { at_mismatch, at_limit, at_long_N_run };

// Follows the unit from boundary p and cursor u while the sequence matches it
// or holds a short enough run of N. Matches add 1 to score, admitted Ns add 1
// to Ns and nothing to the score.
template <bool Fwd>
inline run_end exact_run(const char *&p, const char *&u, int &score, unsigned &Ns,
                         const alignment_context &c)
{
  typedef direction<Fwd> d;
  const char *const ub = c.unit_begin;
  const char *const ue = c.unit_end;
  const char *const limit = c.limit;
  for (;;) {
    const char *q = p;
    const char *v = u;
    if (Fwd) {
      while (q != limit && *q == *v) {
        ++q;
        v = v + 1 == ue ? ub : v + 1;
      }
      score += static_cast<int>(q - p);
    } else {
      while (q != limit && q[-1] == *v) {
        --q;
        v = (v == ub ? ue : v) - 1;
      }
      score += static_cast<int>(p - q);
    }
    p = q;
    u = v;
    if (q == limit)
      return at_limit;
    if (*d::examined(q) != 'N' || c.Ns_allowed == 0)
      return at_mismatch;
    unsigned run = 0;
    do {
      if (++run > c.Ns_allowed)
        return at_long_N_run;
      q = d::step(q);
    } while (q != limit && *d::examined(q) == 'N');
    for (unsigned k = 0; k < run; ++k)
      v = d::unit_step(v, ub, ue);
    p = q;
    u = v;
    Ns += run;
  }
}

template <bool Fwd>
int expand(const char *s, const char *u, int score, unsigned depth, int B, long long t,
           const alignment_context &c, int &horizon);

// The best score reachable from (s, u, score) with the edits still allowed at
// this depth; best is the best score known on the path so far. horizon is
// raised to the score of every node that stops at a mismatch point only
// because the depth is exhausted. Most nodes end at once (no edit is allowed
// from them), so that case stays inline.
template <bool Fwd>
inline int leap_ahead(const char *s, const char *u, int score, unsigned depth, int best,
                      const alignment_context &c, int &horizon)
{
  unsigned Ns = 0;
  if (exact_run<Fwd>(s, u, score, Ns, c) != at_mismatch)
    return score;
  if (depth >= c.max_depth) {
    if (score > horizon)
      horizon = score;
    return score;
  }
  const int B = best > score ? best : score;
  const long long t = c.threshold(B);
  if (!c.mismatch_eligible(score, t) && !c.indel_eligible(score, t))
    return score;
  return expand<Fwd>(s, u, score, depth, B, t, c, horizon);
}

// A node at a mismatch point from which at least one edit is allowed: the
// better of its own score and the best of its options.
template <bool Fwd>
int expand(const char *s, const char *u, int score, unsigned depth, int B, long long t,
           const alignment_context &c, int &horizon)
{
  typedef direction<Fwd> d;
  int R = -c.unit_length - 1;
  if (c.mismatch_eligible(score, t))
    R = leap_ahead<Fwd>(d::step(s), d::unit_step(u, c.unit_begin, c.unit_end),
                        score + c.mismatch, depth + 1, B, c, horizon);
  if (c.indel_eligible(score, t)) {
    const int ri = leap_ahead<Fwd>(d::step(s), u, score + c.indel, depth + 1, B, c, horizon);
    if (ri > R)
      R = ri;
    const int rd = leap_ahead<Fwd>(s, d::unit_step(u, c.unit_begin, c.unit_end),
                                   score + c.indel, depth + 1, B, c, horizon);
    if (rd > R)
      R = rd;
  }
  return R > score ? R : score;
}

// The best state met so far at a mismatch point, events included. Its event
// buffer holds exactly as many events as the latest state it took.
class extension_snapshot
{
  const char *pos_left, *pos_right, *unit_cursor_right, *unit_cursor_left;
  int score;
  unsigned mismatches, insertions, deletions, Ns, recursion_depth;
  alignment_event *events = nullptr;
  unsigned count = 0;
  unsigned capacity = 0;

public:
  explicit extension_snapshot(const Csat &s) { take(s); }
  extension_snapshot(const extension_snapshot &) = delete;
  extension_snapshot &operator=(const extension_snapshot &) = delete;
  ~extension_snapshot()
  {
    if (events)
      std::free(events);
  }

  void take(const Csat &s)
  {
    pos_left = s.pos_left;
    pos_right = s.pos_right;
    unit_cursor_right = s.unit_cursor_right;
    unit_cursor_left = s.unit_cursor_left;
    score = s.score;
    mismatches = s.mismatches;
    insertions = s.insertions;
    deletions = s.deletions;
    Ns = s.Ns;
    recursion_depth = s.recursion_depth;
    const unsigned n = s.alignment.length;
    if (n > capacity) {
      events = static_cast<alignment_event *>(
          checked_realloc(events, size_t(n) * sizeof(alignment_event)));
      capacity = n;
    }
    // Between two snapshots the extension only appends events, so the
    // events already held are a prefix of the current ones.
    if (n > count)
      std::memcpy(static_cast<void *>(events + count), s.alignment.data + count,
                  size_t(n - count) * sizeof(alignment_event));
    count = n;
  }

  void restore(Csat &s) const
  {
    s.pos_left = pos_left;
    s.pos_right = pos_right;
    s.unit_cursor_right = unit_cursor_right;
    s.unit_cursor_left = unit_cursor_left;
    s.score = score;
    s.mismatches = mismatches;
    s.insertions = insertions;
    s.deletions = deletions;
    s.Ns = Ns;
    s.recursion_depth = recursion_depth;
    s.alignment.assign(events, count);
  }
};

template <bool Fwd> void extend_imperfect(Csat &sat, const char *stop)
{
  typedef direction<Fwd> d;
  const alignment_context c(sat.unit_begin, sat.unit_end, static_cast<int>(sat.unit_length()),
                            Fwd ? stop : stop + 1);
  extension_snapshot snapshot(sat);
  int best = sat.score;
  const char *p = Fwd ? sat.pos_right : sat.pos_left;
  const char *u = Fwd ? sat.unit_cursor_right : sat.unit_cursor_left;
  int score = sat.score;
  unsigned Ns = sat.Ns;
  const unsigned first_depth = sat.recursion_depth + 1;

  auto store = [&]() {
    (Fwd ? sat.pos_right : sat.pos_left) = p;
    (Fwd ? sat.unit_cursor_right : sat.unit_cursor_left) = u;
    sat.score = score;
    sat.Ns = Ns;
  };

  bool keep;
  for (;;) {
    if (p == c.limit || exact_run<Fwd>(p, u, score, Ns, c) != at_mismatch) {
      keep = static_cast<long long>(score) > static_cast<long long>(best) - c.prefer;
      break;
    }
    if (static_cast<long long>(score) > static_cast<long long>(best) - c.prefer) {
      store();
      snapshot.take(sat);
      best = score;
    }
    const long long t = c.threshold(best);
    const char *const next = d::step(p);
    const char *const u_next = d::unit_step(u, c.unit_begin, c.unit_end);
    char choice = 0;
    int value = 0;
    int horizon = INT_MIN;
    if (c.mismatch_eligible(score, t)) {
      value = leap_ahead<Fwd>(next, u_next, score + c.mismatch, first_depth, best, c, horizon);
      choice = 'M';
    }
    if (c.indel_eligible(score, t)) {
      const int vi = leap_ahead<Fwd>(next, u, score + c.indel, first_depth, best, c, horizon);
      if (!choice || vi > value) {
        value = vi;
        choice = 'I';
      }
      const int vd = leap_ahead<Fwd>(p, u_next, score + c.indel, first_depth, best, c, horizon);
      if (vd > value) {
        value = vd;
        choice = 'D';
      }
    }
    if (!choice) {
      keep = static_cast<long long>(best) <= static_cast<long long>(score) + c.prefer;
      break;
    }
    if (c.walk_is_hopeless(value, horizon, best)) {
      keep = false;
      break;
    }
    // A mismatch or an insertion sits on the base it consumes, a deletion on
    // the base right of the gap.
    if (choice == 'M') {
      sat.alignment.push_back(alignment_event{d::examined(p), 'M'});
      score += c.mismatch;
      ++sat.mismatches;
      p = next;
      u = u_next;
    } else if (choice == 'I') {
      sat.alignment.push_back(alignment_event{d::examined(p), 'I'});
      score += c.indel;
      ++sat.insertions;
      p = next;
    } else {
      sat.alignment.push_back(alignment_event{p, 'D'});
      score += c.indel;
      ++sat.deletions;
      u = u_next;
    }
  }
  if (keep)
    store();
  else
    snapshot.restore(sat);
}

} // namespace

void CSearchController::extend_imperfect_forward(Csat &sat, const char *stop)
{
  extend_imperfect<true>(sat, stop);
}

void CSearchController::extend_imperfect_backward(Csat &sat, const char *stop)
{
  extend_imperfect<false>(sat, stop);
}

int CSearchController::extend_imperfect_forward_leap_ahead(const char *s, const char *u,
                                                           const char *unit_begin,
                                                           const char *unit_end, int score,
                                                           int unit_length, unsigned depth,
                                                           const char *stop, int best)
{
  const alignment_context c(unit_begin, unit_end, unit_length, stop);
  int horizon = INT_MIN;
  return leap_ahead<true>(s, u, score, depth, best, c, horizon);
}

int CSearchController::extend_imperfect_backward_leap_ahead(const char *s, const char *u,
                                                            const char *unit_begin,
                                                            const char *unit_end, int score,
                                                            int unit_length, unsigned depth,
                                                            const char *stop, int best)
{
  const alignment_context c(unit_begin, unit_end, unit_length, stop + 1);
  int horizon = INT_MIN;
  return leap_ahead<false>(s, u, score, depth, best, c, horizon);
}
