// Imperfect extension of a repeat candidate by a recursive alignment against
// its own unit read cyclically. The forward and the backward direction share
// one implementation so that they stay exact mirror images of each other.
#include "imperfect_extension.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstdint>
#include <cstring>

#include <emmintrin.h>

#include "CSearchController.h"

// The look-ahead compares eight bases at a time and finds the first that
// differs by the lowest set bit: bytes must be stored least significant first.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "little-endian byte order expected");

// The look-ahead by furthest reach keeps its scores relative to an option's
// node: with penalties of at most reach_max_penalty they stay far above
// reach_dead, which stands for no node.
static constexpr int reach_max_penalty = 1 << 20;
static constexpr int reach_dead = INT_MIN / 2;

imperfect_extender::imperfect_extender(const search_setup &setup)
    : extension_options(setup.extension), min_scores(setup.user.scores.data()),
      min_scores_size(static_cast<unsigned>(setup.user.scores.size()))
{
}

void imperfect_extender::set_unit_length(int L)
{
  unit_length = L;
  floor_threshold = -static_cast<long long>(L) - prefer;
  // Cuts above the largest int rule the option out, as the exact ones do.
  const auto cut = [](long long x) { return x > INT_MAX ? INT_MAX : static_cast<int>(x); };
  mismatch_cut = cut(floor_threshold - mismatch);
  indel_cut = cut(floor_threshold - indel);
  option_cut = mismatch_cut < indel_cut ? mismatch_cut : indel_cut;
  // The two levels of the quick look lie above the depth limit from a
  // first depth below the cap; best - prefer fits an int, above INT_MIN,
  // for best scores from quick_best_low on, quick_best_span further at most.
  quick_depth_cap = max_depth == 0 ? 0 : max_depth - 1;
  const long long low = std::max<long long>(static_cast<long long>(INT_MIN) + prefer + 1, INT_MIN);
  const long long high = std::min<long long>(static_cast<long long>(INT_MAX) + prefer, INT_MAX);
  quick_best_low = static_cast<int>(std::min<long long>(low, INT_MAX));
  quick_best_span = low <= high ? static_cast<unsigned>(high - low) : 0;
  if (low > high)
    quick_depth_cap = 0;
  if (L < 8) {
    unit_mask = ~std::uint64_t(0) >> (64 - 8 * L);
    unit_repeat = 0;
    for (int k = 0; k < 8; k += L)
      unit_repeat |= std::uint64_t(1) << (8 * k);
    unit_shift = 8 * (8 % L);
  }
  for (int k = 0; k < run_phases; ++k)
    run_phase[k] = static_cast<unsigned char>(k % L);
  if (L <= 16) {
    // Only the unit's own bases of a store of a longer unit are copies.
    cycle_stride = L < 8 ? 16 - 16 % L : L;
    cycle_start = -cycle_stride * ((cycle_head + cycle_stride - 1) / cycle_stride);
    cycle_stores = static_cast<unsigned>((L + cycle_tail - cycle_start + cycle_stride - 1) / cycle_stride);
  }
  // A node of the look-ahead that may still branch lies at most
  // max_depth - 1 edits below the walk, each costing at most the larger
  // penalty; scores beyond any int leave the walks unremembered. The tie
  // rules of the remembered paths know only the two values of prefer.
  const long long edits = max_depth > 1 ? (max_depth < 1000000u ? max_depth - 1 : 1000000) : 0;
  const long long worst = mismatch < indel ? mismatch : indel;
  const long long top_cut = mismatch_cut > indel_cut ? mismatch_cut : indel_cut;
  safe_score = top_cut + 1 - edits * worst;
  if (mismatch > 0 || indel > 0 || (prefer != 0 && prefer != 1) || safe_score > INT_MAX)
    safe_score = LLONG_MAX;
  reach_score = top_cut + 1 - 2 * worst;
  if (worst < -reach_max_penalty)
    reach_score = LLONG_MAX;
}

// Wide stores may pass either end of the cycle by up to a unit and eight
// bases: room for them in front of and behind it.
static constexpr unsigned cycle_front = 64;
static constexpr unsigned cycle_back = 48;

// Sixteen bases that start a run of copies are stored a whole number of
// units apart, each store completing the copies of the one before; every
// unit of up to sixteen bases takes at least four stores. Short units are
// repeated in a register: reading back bases just stored, in part, would
// stall every copy.
inline bool imperfect_extender::build_short_cycle()
{
  const unsigned L = static_cast<unsigned>(unit_length);
  const char *const u = unit_begin;
  if (L > 16 || readable_end - u < 16 || phase_of.length != L + 16)
    return false;
  // Copied out first: the stores may alias any member.
  const unsigned stores = cycle_stores;
  const int stride = cycle_stride;
  char *at = periodic.data + cycle_front + cycle_start;
  __m128i v;
  if (L < 8) {
    std::uint64_t y;
    std::memcpy(&y, u, 8);
    y = (y & unit_mask) * unit_repeat;
    const std::uint64_t next = (y >> unit_shift) | (y << (8 * L - unit_shift));
    v = _mm_set_epi64x(static_cast<long long>(next), static_cast<long long>(y));
  } else {
    v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(u));
  }
  _mm_storeu_si128(reinterpret_cast<__m128i *>(at), v);
  _mm_storeu_si128(reinterpret_cast<__m128i *>(at + stride), v);
  _mm_storeu_si128(reinterpret_cast<__m128i *>(at + 2 * stride), v);
  _mm_storeu_si128(reinterpret_cast<__m128i *>(at + 3 * stride), v);
  at += 4 * stride;
  for (unsigned k = 4; k < stores; ++k, at += stride)
    _mm_storeu_si128(reinterpret_cast<__m128i *>(at), v);
  periodic_ready = true;
  return true;
}

void imperfect_extender::build_periodic()
{
  const unsigned L = static_cast<unsigned>(unit_length);
  const unsigned n = L + 16;
  if (phase_of.length != n) {
    const unsigned room = cycle_front + L + cycle_tail + cycle_back;
    if (room > periodic.capacity)
      periodic.set_capacity(room);
    if (n > phase_of.capacity)
      phase_of.set_capacity(n);
    for (unsigned i = 0, phase = (8 * L - 8) % L; i < n; ++i, phase = phase + 1 == L ? 0 : phase + 1)
      phase_of.data[i] = phase;
    phase_of.length = n;
    cycle = periodic.data + cycle_front;
  }
  if (build_short_cycle())
    return;
  // Without reading past the unit.
  char *const w = periodic.data + cycle_front;
  const int end = static_cast<int>(L) + cycle_tail;
  std::memcpy(w, unit_begin, L);
  for (int i = static_cast<int>(L); i < end; ++i)
    w[i] = w[i - static_cast<int>(L)];
  for (int i = -1; i >= -cycle_head; --i)
    w[i] = w[i + static_cast<int>(L)];
  periodic_ready = true;
}

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

// Options may start only above this score. Wide arithmetic: the default
// reduction is the largest int.
inline long long threshold(const imperfect_extender &c, int best)
{
  long long t = static_cast<long long>(best) - c.reduction;
  if (t < -c.unit_length)
    t = -c.unit_length;
  return t - c.prefer;
}
inline bool mismatch_eligible(const imperfect_extender &c, int score, long long t)
{
  return static_cast<long long>(score) + c.mismatch > t;
}
inline bool indel_eligible(const imperfect_extender &c, int score, long long t)
{
  return static_cast<long long>(score) + c.indel > t;
}

// True when no score the extension can reach, highest_score at most, lifts
// the threshold off its floor. Edits never raise the score, so it is enough
// to count every base left as a match. The cuts are then at least the floor,
// so they fit an int.
inline bool stays_at_floor(const imperfect_extender &c, long long highest_score)
{
  return c.mismatch <= 0 && c.indel <= 0 && c.floor_threshold > INT_MIN &&
         highest_score <= c.reduction - c.unit_length;
}

// No node at the depth limit of the look-ahead may take a further edit.
inline bool horizon_is_closed(const imperfect_extender &c, int horizon)
{
  const int edit = c.mismatch > c.indel ? c.mismatch : c.indel;
  return horizon == INT_MIN || static_cast<long long>(horizon) + edit <= c.floor_threshold;
}

inline bool hopeless_at_floor(const imperfect_extender &c, int value, int horizon, int best)
{
  return static_cast<long long>(value) < static_cast<long long>(best) - c.prefer &&
         horizon_is_closed(c, horizon);
}

// True when the rest of the walk from a mismatch point cannot change the
// outcome: the look-ahead has seen every state the walk can still reach,
// because no node at its depth limit may take a further edit, and none of
// them comes up to the best state kept so far, so the walk would end by
// restoring it. value is the highest option value, horizon the highest score
// of a node at the depth limit. This holds only while the reduction leaves
// the threshold at its floor, where the walk and the look-ahead admit the
// same edits.
inline bool walk_is_hopeless(const imperfect_extender &c, int value, int horizon, int best)
{
  const long long top = value > best ? value : best;
  if (top - c.reduction > -c.unit_length)
    return false;
  return hopeless_at_floor(c, value, horizon, best);
}

enum run_end { at_mismatch, at_limit, at_long_N_run };

// Follows the unit from boundary p and cursor u while the sequence matches it
// or holds a short enough run of N. Matches add 1 to score, admitted Ns add 1
// to Ns and nothing to the score.
template <bool Fwd>
inline run_end exact_run(const char *&p, const char *&u, int &score, unsigned &Ns,
                         const imperfect_extender &c)
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
  // Few, and the last may be cut short at a later take: copied whole.
  fastvector<walk_path> paths;

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
    if (!s.paths.empty() || paths.length)
      paths.assign(s.paths.begin(), s.paths.size());
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
    s.paths.assign(paths.data, paths.length);
  }
};

// ---- Any reduction -------------------------------------------------------

template <bool Fwd>
int expand(const char *s, const char *u, int score, unsigned depth, int B, long long t,
           const imperfect_extender &c, int &horizon);

// The best score reachable from (s, u, score) with the edits still allowed at
// this depth; best is the best score known on the path so far. horizon is
// raised to the score of every node that stops at a mismatch point only
// because the depth is exhausted. Most nodes end at once (no edit is allowed
// from them), so that case stays inline.
template <bool Fwd>
inline int leap_ahead(const char *s, const char *u, int score, unsigned depth, int best,
                      const imperfect_extender &c, int &horizon)
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
  const long long t = threshold(c, B);
  if (!mismatch_eligible(c, score, t) && !indel_eligible(c, score, t))
    return score;
  return expand<Fwd>(s, u, score, depth, B, t, c, horizon);
}

// A node at a mismatch point from which at least one edit is allowed: the
// better of its own score and the best of its options.
template <bool Fwd>
int expand(const char *s, const char *u, int score, unsigned depth, int B, long long t,
           const imperfect_extender &c, int &horizon)
{
  typedef direction<Fwd> d;
  int R = -c.unit_length - 1;
  if (mismatch_eligible(c, score, t))
    R = leap_ahead<Fwd>(d::step(s), d::unit_step(u, c.unit_begin, c.unit_end),
                        score + c.mismatch, depth + 1, B, c, horizon);
  if (indel_eligible(c, score, t)) {
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

template <bool Fwd>
[[gnu::noinline]] void extend_any(Csat &sat, const imperfect_extender &c)
{
  typedef direction<Fwd> d;
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
    ++c.explicit_steps;
    if (p == c.limit || exact_run<Fwd>(p, u, score, Ns, c) != at_mismatch) {
      keep = static_cast<long long>(score) > static_cast<long long>(best) - c.prefer;
      break;
    }
    if (static_cast<long long>(score) > static_cast<long long>(best) - c.prefer) {
      store();
      snapshot.take(sat);
      best = score;
    }
    const long long t = threshold(c, best);
    const char *const next = d::step(p);
    const char *const u_next = d::unit_step(u, c.unit_begin, c.unit_end);
    char choice = 0;
    int value = 0;
    int horizon = INT_MIN;
    if (mismatch_eligible(c, score, t)) {
      value = leap_ahead<Fwd>(next, u_next, score + c.mismatch, first_depth, best, c, horizon);
      choice = 'M';
    }
    if (indel_eligible(c, score, t)) {
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
    if (walk_is_hopeless(c, value, horizon, best)) {
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

// ---- Threshold at its floor ------------------------------------------------
//
// The same alignment as above for the usual case in which no score can lift
// the threshold off its floor: eligibility is then a comparison of the score
// with a cut, and the best score known on the path plays no part in the
// look-ahead. Inside the look-ahead the unit cursor is kept as its phase,
// the offset into the unit, and the sequence is compared with the unit read
// cyclically eight bases at a time wherever eight bases are left.

template <bool Fwd> inline unsigned phase_step(unsigned phase, unsigned L)
{
  if (Fwd)
    return phase + 1 == L ? 0 : phase + 1;
  return (phase == 0 ? L : phase) - 1;
}

// The phase k <= 8 bases further on.
template <bool Fwd>
inline unsigned phase_advance(unsigned phase, unsigned k, const imperfect_extender &c)
{
  return c.phase_of.data[Fwd ? phase + 8 + k : phase + 8 - k];
}

// How many of the eight bases after boundary q (forward; before it,
// backward) equal those after boundary r; 8 when all of them do.
template <bool Fwd> inline unsigned equal_bases(const char *q, const char *r)
{
  std::uint64_t a, b;
  std::memcpy(&a, Fwd ? q : q - 8, 8);
  std::memcpy(&b, Fwd ? r : r - 8, 8);
  const std::uint64_t diff = a ^ b;
  if (!diff)
    return 8;
  // The first base to differ: lowest address forward, highest backward.
  return static_cast<unsigned>(Fwd ? __builtin_ctzll(diff) : __builtin_clzll(diff)) >> 3;
}

// The boundary in the periodic unit at phase ph.
template <bool Fwd> inline const char *periodic_at(unsigned ph, const imperfect_extender &c)
{
  return c.cycle + (Fwd ? ph : ph + 1);
}

// The exact run of a look-ahead node, as exact_run; true when it ends at a
// mismatch point. The run adds its matches to score and leaves p and phase
// after them (before a run of N too long to admit).
template <bool Fwd>
[[gnu::always_inline]] inline bool look_run(const char *&p, unsigned &phase, int &score,
                                            const imperfect_extender &c)
{
  typedef direction<Fwd> d;
  const char *const limit = c.limit;
  const char *q = p;
  unsigned ph = phase;
  while (Fwd ? limit - q >= 8 : q - limit >= 8) {
    const unsigned k = equal_bases<Fwd>(q, periodic_at<Fwd>(ph, c));
    q = Fwd ? q + k : q - k;
    ph = phase_advance<Fwd>(ph, k, c);
    if (k < 8) {
      if (*d::examined(q) != 'N') {
        score += static_cast<int>(Fwd ? q - p : p - q);
        p = q;
        phase = ph;
        return true;
      }
      break;
    }
  }
  // Near the sequence end, and past an N, base by base.
  score += static_cast<int>(Fwd ? q - p : p - q);
  p = q;
  const char *u = c.unit_begin + ph;
  unsigned Ns = 0;
  const bool mismatch = exact_run<Fwd>(p, u, score, Ns, c) == at_mismatch;
  phase = static_cast<unsigned>(u - c.unit_begin);
  return mismatch;
}

// What a look-ahead subtree yields: its value, the best score in it, and its
// horizon, the highest score of a node that stops at a mismatch point only
// because the depth is exhausted (INT_MIN when there is none), merged with
// the horizon handed in.
struct look_value {
  int value;
  int horizon;
};

template <bool Fwd>
look_value look_expand(const char *s, unsigned phase, int score, unsigned depth,
                       const imperfect_extender &c, int horizon);

// A look-ahead node entered by an edit: its exact run and, only when it ends
// at a mismatch point from which an edit is allowed, its options. Most nodes
// end without options, so this part is inlined into the parent.
template <bool Fwd>
[[gnu::always_inline]] inline look_value look_node(const char *s, unsigned phase, int score,
                                                   unsigned depth, const imperfect_extender &c,
                                                   int horizon)
{
  if (!look_run<Fwd>(s, phase, score, c))
    return {score, horizon};
  if (depth >= c.max_depth)
    return {score, score > horizon ? score : horizon};
  if (score <= c.option_cut)
    return {score, horizon};
  return look_expand<Fwd>(s, phase, score, depth, c, horizon);
}

// A node at a mismatch point from which at least one edit is allowed: the
// better of its own score and the best of its options.
template <bool Fwd>
[[gnu::noinline]] look_value look_expand(const char *s, unsigned phase, int score,
                                         unsigned depth, const imperfect_extender &c,
                                         int horizon)
{
  typedef direction<Fwd> d;
  const char *const next = d::step(s);
  const unsigned phase_next = phase_step<Fwd>(phase, static_cast<unsigned>(c.unit_length));
  int R = -c.unit_length - 1;
  if (score > c.mismatch_cut) {
    const look_value m =
        look_node<Fwd>(next, phase_next, score + c.mismatch, depth + 1, c, horizon);
    R = m.value;
    horizon = m.horizon;
  }
  if (score > c.indel_cut) {
    const look_value i = look_node<Fwd>(next, phase, score + c.indel, depth + 1, c, horizon);
    if (i.value > R)
      R = i.value;
    const look_value del =
        look_node<Fwd>(s, phase_next, score + c.indel, depth + 1, c, i.horizon);
    if (del.value > R)
      R = del.value;
    horizon = del.horizon;
  }
  return {R > score ? R : score, horizon};
}

// The options at a mismatch point of the walk: the one chosen and its value,
// and the horizon of the look-ahead.
struct walk_choice {
  char kind;
  int value;
  int horizon;
};

template <bool Fwd>
[[gnu::noinline]] walk_choice choose_at_floor(const char *p, unsigned phase, int score,
                                              unsigned first_depth, const imperfect_extender &c)
{
  typedef direction<Fwd> d;
  const char *const next = d::step(p);
  const unsigned phase_next = phase_step<Fwd>(phase, static_cast<unsigned>(c.unit_length));
  char kind = 0;
  int value = 0;
  int horizon = INT_MIN;
  if (score > c.mismatch_cut) {
    const look_value m =
        look_node<Fwd>(next, phase_next, score + c.mismatch, first_depth, c, horizon);
    value = m.value;
    horizon = m.horizon;
    kind = 'M';
  }
  if (score > c.indel_cut) {
    const look_value i = look_node<Fwd>(next, phase, score + c.indel, first_depth, c, horizon);
    if (!kind || i.value > value) {
      value = i.value;
      kind = 'I';
    }
    const look_value del =
        look_node<Fwd>(p, phase_next, score + c.indel, first_depth, c, i.horizon);
    if (del.value > value) {
      value = del.value;
      kind = 'D';
    }
    horizon = del.horizon;
  }
  return {kind, value, horizon};
}

// The options at a mismatch point by furthest reach, class by class, with
// the outcome of choose_at_floor. Within one option's look-ahead, call a
// node's class its counts of mismatches, insertions and deletions after the
// option's edit. All nodes of a class lie on one diagonal and share the
// depth, and a node's score is its offset from p plus a constant of its
// class, less its admitted Ns: of a class, the node whose run ends furthest
// scores highest and may take every edit any other of the class may take.
// A run that starts further on a diagonal ends no earlier, so each node a
// node of the class leads to lies no further than the one the furthest
// leads to by the same edit. The furthest node of a class is therefore the
// furthest of the entries from the furthest nodes of the classes one edit
// fewer, and the option's value and the horizon are the highest scores
// among the furthest nodes. The runs are read from bit masks of the 127
// bases from p on (before p, backward), one per diagonal, as in mask_look.
// That holds while those bases hold no N (a run through Ns scores less than
// its length) and every run ends within them on a base of the sequence;
// otherwise, and for look-aheads deeper than reach_depth_cap edits after
// the first, this returns false and the options are evaluated as a tree.
constexpr unsigned reach_depth_cap = 7;
constexpr int reach_bases = 127;

// The classes of a look-ahead of up to R edits after an option's own, each
// after the classes one edit fewer that lead to it.
inline const std::vector<imperfect_extender::reach_step> &reach_steps(const imperfect_extender &c,
                                                                      unsigned R)
{
  if (c.reach_edits != R) {
    std::vector<imperfect_extender::reach_step> &plan = c.reach_plan;
    plan.clear();
    const unsigned S = R + 1;
    // A class one edit fewer that does not exist is the node after the
    // last class, which never has one.
    const short none = static_cast<short>((R + 1) * (R + 2) * (R + 3) / 6);
    std::vector<short> index(S * S * S, none);
    for (unsigned t = 0; t <= R; ++t)
      for (unsigned a = 0; a <= t; ++a)
        for (unsigned b = 0; a + b <= t; ++b) {
          const unsigned e = t - a - b;
          imperfect_extender::reach_step k;
          k.m = a ? index[((a - 1) * S + b) * S + e] : none;
          k.i = b ? index[(a * S + b - 1) * S + e] : none;
          k.d = e ? index[(a * S + b) * S + e - 1] : none;
          k.shift = static_cast<signed char>(static_cast<int>(e) - static_cast<int>(b));
          k.k = (c.mismatch - 1) * static_cast<int>(a) + (c.indel - 1) * static_cast<int>(b) +
                c.indel * static_cast<int>(e);
          index[(a * S + b) * S + e] = static_cast<short>(plan.size());
          plan.push_back(k);
        }
    c.reach_edits = R;
  }
  return c.reach_plan;
}

// The unit read cyclically from reach_margin phases before phase 0 to as
// many after the unit's end, for the masks of every diagonal.
constexpr int reach_margin = reach_bases + reach_depth_cap + 2;
inline void build_reach_cycle(const imperfect_extender &c)
{
  const int L = c.unit_length;
  std::vector<char> &buffer = c.reach_store;
  buffer.resize(static_cast<std::size_t>(L + 2 * reach_margin + 1));
  int ph = (L - reach_margin % L) % L;
  for (char &x : buffer) {
    x = c.unit_begin[ph];
    if (++ph == L)
      ph = 0;
  }
  c.reach_cycle = buffer.data() + reach_margin;
  c.reach_ready = true;
}

template <bool Fwd> struct reach_look {
  const imperfect_extender &c;
  const std::vector<imperfect_extender::reach_step> &plan;
  const int R;
  // The disagreements of diagonal e in near[e + R + 1] for offsets 0 to 63
  // and far[e + R + 1] for 64 to 127: forward bit j for offset j (j - 64),
  // backward bit 63 - j (127 - j); a set bit for offset 127 ends every run.
  // Past the sequence end every base disagrees. Few runs pass offset 63:
  // the far words are read when one does.
  std::uint64_t near[2 * reach_depth_cap + 3], far[2 * reach_depth_cap + 3];
  unsigned far_read = 0; // a bit per diagonal
  // Runs that reach this offset leave the masks or the sequence.
  int stop;
  unsigned phase;
  const char *bases; // the 128 bases, in sequence order
  __m128i far_bases[4];
  bool far_loaded = false;
  alignas(16) char copy[reach_bases + 1]; // the bases near the sequence end
  // The furthest node of each class in the plan's order, its score less
  // base (see option); reach_dead: no node.
  int at[(reach_depth_cap + 1) * (reach_depth_cap + 2) * (reach_depth_cap + 3) / 6 + 1];
  int horizon = INT_MIN;

  reach_look(const imperfect_extender &c, unsigned first_depth)
      : c(c), plan(reach_steps(c, c.max_depth - first_depth)),
        R(static_cast<int>(c.max_depth - first_depth))
  {
    at[plan.size()] = reach_dead;
  }

  // The word of 64 disagreements of diagonal e from the bases x, which lie
  // in sequence order from unit offset first on (forward) or end on
  // (backward, first being the offset of the last base).
  std::uint64_t disagreements(const __m128i *x, int e, int first) const
  {
    const char *const u = c.reach_cycle + (Fwd ? static_cast<int>(phase) + e + first
                                                : static_cast<int>(phase) - e - first - 63);
    std::uint64_t agree = 0;
    for (int k = 0; k < 4; ++k) {
      const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i *>(u + 16 * k));
      agree |= static_cast<std::uint64_t>(
                   static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x[k], y))))
               << (16 * k);
    }
    return ~agree;
  }

  static unsigned N_in(const __m128i *x)
  {
    unsigned any = 0;
    for (int k = 0; k < 4; ++k)
      any |= static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x[k], _mm_set1_epi8('N'))));
    return any;
  }

  // The near masks from the mismatch point p at phase ph; false when the
  // first 64 bases hold N.
  bool read(const char *p, unsigned ph)
  {
    phase = ph;
    const long left = Fwd ? c.limit - p : p - c.limit;
    stop = left < reach_bases ? static_cast<int>(left) : reach_bases;
    bases = Fwd ? p : p - reach_bases - 1;
    if (left <= reach_bases) {
      std::memset(copy, 0, sizeof copy);
      if (Fwd)
        std::memcpy(copy, p, static_cast<std::size_t>(left));
      else
        std::memcpy(copy + reach_bases + 1 - left, p - left, static_cast<std::size_t>(left));
      bases = copy;
    }
    __m128i x[4];
    const char *const q = Fwd ? bases : bases + 64;
    for (int k = 0; k < 4; ++k)
      x[k] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(q + 16 * k));
    if (N_in(x))
      return false;
    if (!c.reach_ready)
      build_reach_cycle(c);
    for (int e = -R - 1; e <= R + 1; ++e)
      near[e + R + 1] = disagreements(x, e, 0);
    return true;
  }

  [[gnu::noinline]] std::uint64_t far_word(int d)
  {
    if (!(far_read >> d & 1)) {
      if (!far_loaded) {
        const char *const q = Fwd ? bases + 64 : bases;
        for (int k = 0; k < 4; ++k)
          far_bases[k] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(q + 16 * k));
        // A run through N ends the reach at offset 64.
        if (N_in(far_bases) && stop > 64)
          stop = 64;
        far_loaded = true;
      }
      far[d] = disagreements(far_bases, d - R - 1, 64) |
               (Fwd ? std::uint64_t(1) << 63 : std::uint64_t(1));
      far_read |= 1u << d;
    }
    return far[d];
  }

  // The matches on diagonal d (e + R + 1) from offset o on.
  [[gnu::always_inline]] int run(int d, int o)
  {
    if (o < 64) {
      const std::uint64_t w = Fwd ? near[d] >> o : near[d] << o;
      if (w)
        return Fwd ? __builtin_ctzll(w) : __builtin_clzll(w);
      const std::uint64_t f = far_word(d);
      return 64 - o + (Fwd ? __builtin_ctzll(f) : __builtin_clzll(f));
    }
    const std::uint64_t f = far_word(d);
    return Fwd ? __builtin_ctzll(f >> (o - 64)) : __builtin_clzll(f << (o - 64));
  }

  // The levels of classes (edits after the option's) whose parents are all
  // eligible for every edit: a node t edits below the option's node scores
  // at least t times the larger penalty less, so inside a long repeat, far
  // above the cuts, the first levels need no tests and may have no dead
  // class, and often every level.
  int eligible_levels(int s) const
  {
    const long long worst = c.mismatch < c.indel ? c.mismatch : c.indel;
    const long long top_cut = c.mismatch_cut > c.indel_cut ? c.mismatch_cut : c.indel_cut;
    int t = 0;
    while (t < R && s + t * worst > top_cut)
      ++t;
    return t;
  }

  // The value of the option whose node enters diagonal e0 at offset o with
  // score s; false when a run leaves the masks.
  bool option(int o, int e0, int s, int &value)
  {
    // Scores are kept less base, the option's score less its offset: a
    // class's node then holds its offset plus the class's constant k, and
    // the furthest entry is the highest.
    const long long base = static_cast<long long>(s) - o;
    const int mismatch = c.mismatch, indel = c.indel;
    const int d0 = e0 + R + 1;
    const imperfect_extender::reach_step *const k = plan.data();
    const int n = static_cast<int>(plan.size());
    // Classes of level t start at index t (t + 1) (t + 2) / 6, those at the
    // depth limit (level R) last; these lead to none and are not stored.
    const int levels = eligible_levels(s);
    const int limit_begin = R * (R + 1) * (R + 2) / 6;
    const int checked_begin =
        levels == R ? limit_begin : (levels + 1) * (levels + 2) * (levels + 3) / 6;
    const int r0 = run(d0, o);
    if (o + r0 >= stop)
      return false;
    at[0] = o + r0;
    int top = at[0], limit_top = R == 0 ? at[0] : reach_dead;
    // A class one edit fewer that does not exist holds reach_dead, which
    // stays below every node after any penalty.
    auto eligible_entry = [&](const imperfect_extender::reach_step &x) {
      const int vm = at[x.m] + mismatch;
      const int vi = at[x.i], vd = at[x.d];
      const int v = (vi > vd ? vi : vd) + indel;
      return vm > v ? vm : v;
    };
    int j = 1;
    for (; j < checked_begin; ++j) {
      const int from = eligible_entry(k[j]) - k[j].k;
      const int r = run(d0 + k[j].shift, from);
      if (from + r >= stop)
        return false;
      const int v = from + r + k[j].k;
      at[j] = v;
      top = v > top ? v : top;
    }
    if (levels == R) {
      for (; j < n; ++j) {
        const int from = eligible_entry(k[j]) - k[j].k;
        const int r = run(d0 + k[j].shift, from);
        if (from + r >= stop)
          return false;
        const int v = from + r + k[j].k;
        limit_top = v > limit_top ? v : limit_top;
      }
    }
    auto relative = [&](int cut) {
      const long long x = cut - base;
      return x < reach_dead ? reach_dead : x > INT_MAX ? INT_MAX : static_cast<int>(x);
    };
    const int mismatch_cut = relative(c.mismatch_cut), indel_cut = relative(c.indel_cut);
    for (; j < n; ++j) {
      const int ym = at[k[j].m], yi = at[k[j].i], yd = at[k[j].d];
      const int vm = ym > mismatch_cut ? ym + mismatch : reach_dead;
      const int vi = yi > indel_cut ? yi + indel : reach_dead;
      const int vd = yd > indel_cut ? yd + indel : reach_dead;
      int v = vm > vi ? vm : vi;
      v = vd > v ? vd : v;
      if (v == reach_dead) {
        at[j] = reach_dead;
        continue;
      }
      const int from = v - k[j].k;
      const int r = run(d0 + k[j].shift, from);
      if (from + r >= stop)
        return false;
      v += r;
      at[j] = v;
      if (j < limit_begin)
        top = v > top ? v : top;
      else
        limit_top = v > limit_top ? v : limit_top;
    }
    top = limit_top > top ? limit_top : top;
    value = static_cast<int>(top + base);
    if (limit_top != reach_dead && limit_top + base > horizon)
      horizon = static_cast<int>(limit_top + base);
    return true;
  }
};

template <bool Fwd>
[[gnu::noinline]] bool choose_by_reach_at(const char *p, unsigned phase, int score,
                                          unsigned first_depth, const imperfect_extender &c,
                                          walk_choice &w)
{
  if (!c.look_by_reach || first_depth > c.max_depth || c.max_depth - first_depth > reach_depth_cap)
    return false;
  reach_look<Fwd> r(c, first_depth);
  if (!r.read(p, phase))
    return false;
  walk_choice x{0, 0, INT_MIN};
  auto take = [&](char kind, int value) {
    if (!x.kind || value > x.value) {
      x.kind = kind;
      x.value = value;
    }
  };
  int v;
  if (score > c.mismatch_cut) {
    if (!r.option(1, 0, score + c.mismatch, v))
      return false;
    take('M', v);
  }
  if (score > c.indel_cut) {
    if (!r.option(1, -1, score + c.indel, v))
      return false;
    take('I', v);
    if (!r.option(0, 1, score + c.indel, v))
      return false;
    take('D', v);
  }
  x.horizon = r.horizon;
  w = x;
  return true;
}

// Most choices lie below the reach score: only the test is inlined.
template <bool Fwd>
[[gnu::always_inline]] inline bool choose_by_reach(const char *p, unsigned phase, int score,
                                                   unsigned first_depth,
                                                   const imperfect_extender &c, walk_choice &w)
{
  return score >= c.reach_score && choose_by_reach_at<Fwd>(p, phase, score, first_depth, c, w);
}

// The options at a mismatch point of a walk whose look-ahead starts at depth
// 1 from a score at or above the safe score: every node of the look-ahead
// may then take every edit, so a node's value and horizon less its score
// depend only on its boundary, phase and depth, and each such state is
// evaluated once per choice however many paths of edits reach it. The
// choice is that of choose_at_floor.
template <bool Fwd> struct safe_look {
  typedef direction<Fwd> d;
  const imperfect_extender &c;
  static constexpr unsigned cache_size = 4096;

  // The node entered at boundary s and phase ph with score 0.
  look_value node(const char *s, unsigned ph, unsigned depth) const
  {
    int score = 0;
    const char *q = s;
    unsigned phase = ph;
    if (depth >= c.max_depth) {
      const bool stopped = look_run<Fwd>(q, phase, score, c);
      return {score, stopped ? score : INT_MIN};
    }
    imperfect_extender::look_entry &e =
        c.look_cache[(reinterpret_cast<std::uintptr_t>(s) * 0x9e3779b1u ^ ph * 0x85ebca6bu ^
                      depth) %
                     cache_size];
    if (e.stamp == c.look_stamp && e.pos == s && e.phase == ph && e.depth == depth)
      return {e.value, e.horizon};
    if (!look_run<Fwd>(q, phase, score, c)) {
      e = imperfect_extender::look_entry{s, ph, depth, c.look_stamp, score, INT_MIN};
      return {score, INT_MIN};
    }
    const char *const next = d::step(q);
    const unsigned phase_next = phase_step<Fwd>(phase, static_cast<unsigned>(c.unit_length));
    int value = score;
    int horizon = INT_MIN;
    auto option = [&](const look_value &o, int edit) {
      if (score + edit + o.value > value)
        value = score + edit + o.value;
      if (o.horizon != INT_MIN && score + edit + o.horizon > horizon)
        horizon = score + edit + o.horizon;
    };
    option(node(next, phase_next, depth + 1), c.mismatch);
    option(node(next, phase, depth + 1), c.indel);
    option(node(q, phase_next, depth + 1), c.indel);
    e = imperfect_extender::look_entry{s, ph, depth, c.look_stamp, value, horizon};
    return {value, horizon};
  }

  walk_choice choose(const char *p, unsigned phase, int score) const
  {
    if (c.look_cache.empty())
      c.look_cache.resize(cache_size);
    if (++c.look_stamp == 0) {
      // A stamp wraps only after four billion choices: start the cache afresh.
      for (imperfect_extender::look_entry &e : c.look_cache)
        e.stamp = 0;
      c.look_stamp = 1;
    }
    const char *const next = d::step(p);
    const unsigned phase_next = phase_step<Fwd>(phase, static_cast<unsigned>(c.unit_length));
    walk_choice w{0, 0, INT_MIN};
    auto option = [&](char kind, const look_value &o, int edit) {
      const int value = score + edit + o.value;
      if (!w.kind || value > w.value) {
        w.kind = kind;
        w.value = value;
      }
      if (o.horizon != INT_MIN && score + edit + o.horizon > w.horizon)
        w.horizon = score + edit + o.horizon;
    };
    option('M', node(next, phase_next, 1), c.mismatch);
    option('I', node(next, phase, 1), c.indel);
    option('D', node(p, phase_next, 1), c.indel);
    return w;
  }
};

// What a node of the first two levels of a look-ahead decides once its run
// of k matches, ending on a base other than N, has brought its score to s:
// it passes when it ends at or below leaf_top, so does everything it leads
// to; it stops at target; otherwise it branches.
enum class quick_node { passes, stops, branches };
[[gnu::always_inline]] inline quick_node after_run(int &s, unsigned k, int leaf_top, int target)
{
  s += static_cast<int>(k);
  if (s <= leaf_top)
    return quick_node::passes;
  if (s >= target)
    return quick_node::stops;
  return quick_node::branches;
}

// The first two levels of a look-ahead in straight-line code, for showing a
// walk hopeless without evaluating its options in full: see quick_hopeless.
// A node passes when it stays below target, and so does everything it leads
// to within the look-ahead.
template <bool Fwd> struct quick_look {
  typedef direction<Fwd> d;
  const imperfect_extender &c;
  const unsigned first_depth;
  const int target;
  // A node whose score is at most this stays below target and has no option
  // (the depth limit lies further down).
  const int leaf_top;
  int horizon;

  typedef quick_node node;
  // The exact run of a node entered at boundary q and phase ph with score s,
  // and what it decides at once, as after_run; it also stops when it goes on
  // past eight bases or ends on N, which this shortcut does not follow. A
  // node that branches has q, ph and s moved to its mismatch point.
  [[gnu::always_inline]] node enter(const char *&q, unsigned &ph, int &s) const
  {
    const unsigned k = equal_bases<Fwd>(q, periodic_at<Fwd>(ph, c));
    q = Fwd ? q + k : q - k;
    if (k == 8 || *d::examined(q) == 'N')
      return node::stops;
    const node n = after_run(s, k, leaf_top, target);
    if (n == node::branches)
      ph = phase_advance<Fwd>(ph, k, c);
    return n;
  }
  // A node of the second level; its options, if any, are evaluated in full.
  [[gnu::always_inline]] bool second(const char *q, unsigned ph, int s)
  {
    const node n = enter(q, ph, s);
    if (n != node::branches)
      return n == node::passes;
    const look_value v = look_expand<Fwd>(q, ph, s, first_depth + 1, c, horizon);
    horizon = v.horizon;
    return v.value < target;
  }
  [[gnu::always_inline]] bool first(const char *q, unsigned ph, int s)
  {
    const node n = enter(q, ph, s);
    if (n != node::branches)
      return n == node::passes;
    const char *const next = d::step(q);
    const unsigned ph_next = phase_step<Fwd>(ph, static_cast<unsigned>(c.unit_length));
    if (s > c.mismatch_cut && !second(next, ph_next, s + c.mismatch))
      return false;
    return s <= c.indel_cut || (second(next, ph, s + c.indel) && second(q, ph_next, s + c.indel));
  }
};

// The same first two levels from bit masks of the sixteen bases after the
// mismatch point p (forward; before it, backward), when none of them is N.
// Within two edits of p a node follows one of five diagonals, numbered -2 to
// 2 by the shift of the unit against the sequence: an insertion takes the
// diagonal one lower, a deletion one higher, a mismatch keeps it. The base j
// places on from p (p[j] forward, p[-1 - j] backward) disagrees with
// diagonal e when it differs from the unit's base of phase phase + e + j
// forward, phase - e - j backward. A node is its offset from p and its
// diagonal, so its run is a count of bits, and no phase needs following; a
// run that reaches the end of the sixteen bases is treated like a run of
// eight, which this shortcut does not follow. Without Deep a node of the
// second level with options of its own is not evaluated: the look then only
// tells that it needs one.
template <bool Fwd, bool Deep> struct mask_look {
  const imperfect_extender &c;
  const char *const p;
  const unsigned phase;
  const unsigned first_depth;
  const int target;
  const int leaf_top;
  int horizon = INT_MIN;
  bool needs_deep = false;
  // The disagreements of diagonal e in miss[e + 2]: forward bit j for offset
  // j, backward bit 31 - j; a set bit for offset 16 ends every run.
  unsigned miss[5];

  mask_look(const imperfect_extender &c, const char *p, unsigned phase, unsigned first_depth,
            int target, int leaf_top, __m128i x)
      : c(c), p(p), phase(phase), first_depth(first_depth), target(target), leaf_top(leaf_top)
  {
    const char *const at = c.cycle + phase;
    auto diagonal = [&](int e) {
      const __m128i y =
          _mm_loadu_si128(reinterpret_cast<const __m128i *>(Fwd ? at + e : at - e - 15));
      const unsigned agree = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, y)));
      return Fwd ? (agree ^ 0xFFFFu) | 0x10000u : ((agree ^ 0xFFFFu) << 16) | 0x8000u;
    };
    miss[0] = diagonal(-2);
    miss[1] = diagonal(-1);
    miss[2] = diagonal(0);
    miss[3] = diagonal(1);
    miss[4] = diagonal(2);
  }

  typedef quick_node node;
  // As quick_look::enter, for the node at offset o on diagonal e.
  [[gnu::always_inline]] node enter(unsigned &o, int e, int &s) const
  {
    const unsigned run = Fwd ? static_cast<unsigned>(__builtin_ctz(miss[e + 2] >> o))
                             : static_cast<unsigned>(__builtin_clz(miss[e + 2] << o));
    o += run;
    if (run >= 8 || o >= 16)
      return node::stops;
    return after_run(s, run, leaf_top, target);
  }
  [[gnu::always_inline]] bool second(unsigned o, int e, int s)
  {
    const node n = enter(o, e, s);
    if (n != node::branches)
      return n == node::passes;
    if (!Deep) {
      needs_deep = true;
      return false;
    }
    const int L = c.unit_length;
    int ph = (Fwd ? static_cast<int>(phase) + e + static_cast<int>(o)
                  : static_cast<int>(phase) - e - static_cast<int>(o)) %
             L;
    if (ph < 0)
      ph += L;
    const look_value v = look_expand<Fwd>(Fwd ? p + o : p - o, static_cast<unsigned>(ph), s,
                                          first_depth + 1, c, horizon);
    horizon = v.horizon;
    return v.value < target;
  }
  [[gnu::always_inline]] bool first(unsigned o, int e, int s)
  {
    const node n = enter(o, e, s);
    if (n != node::branches)
      return n == node::passes;
    if (s > c.mismatch_cut && !second(o + 1, e, s + c.mismatch))
      return false;
    return s <= c.indel_cut || (second(o + 1, e - 1, s + c.indel) && second(o, e + 1, s + c.indel));
  }
};

// quick_hopeless by mask_look, for sixteen bases x without N from p on.
// Without Deep: 1 when shown hopeless, 0 when not, 2 when the look needs a
// deeper evaluation.
template <bool Fwd, bool Deep>
[[gnu::always_inline]] inline int mask_hopeless(const char *p, unsigned phase, int score, unsigned first_depth,
                                    int target, int leaf_top, const imperfect_extender &c,
                                    __m128i x)
{
  mask_look<Fwd, Deep> q(c, p, phase, first_depth, target, leaf_top, x);
  const bool hopeless =
      (score <= c.mismatch_cut || q.first(1, 0, score + c.mismatch)) &&
      (score <= c.indel_cut || (q.first(1, -1, score + c.indel) && q.first(0, 1, score + c.indel)));
  if (q.needs_deep)
    return 2;
  return hopeless && horizon_is_closed(c, q.horizon);
}

template <bool Fwd>
[[gnu::noinline]] bool deep_mask_hopeless(const char *p, unsigned phase, int score,
                                          unsigned first_depth, int target, int leaf_top,
                                          const imperfect_extender &c, __m128i x)
{
  return mask_hopeless<Fwd, true>(p, phase, score, first_depth, target, leaf_top, c, x);
}

// True when the walk is shown hopeless at a mismatch point (state p, phase,
// score, best kept score best) from the first two levels of its look-ahead:
// every node below best - prefer, none at the depth limit. False when some
// node comes up to best - prefer, and also whenever this shortcut cannot
// tell: a run of eight matches, a run ending on N, the sequence end near, a
// depth limit within two levels. The caller then evaluates the options in
// full, so the answer is always that of the complete look-ahead.
template <bool Fwd>
[[gnu::always_inline]] inline bool quick_hopeless(const char *p, unsigned phase, int score, int best,
                                      unsigned first_depth, const imperfect_extender &c)
{
  typedef direction<Fwd> d;
  // An int target must not let a node pass that the exact one would stop.
  if (first_depth >= c.quick_depth_cap || (Fwd ? c.limit - p : p - c.limit) < 24 ||
      static_cast<unsigned>(best) - static_cast<unsigned>(c.quick_best_low) > c.quick_best_span)
    return false;
  const long long target = static_cast<long long>(best) - c.prefer;
  const int top = static_cast<int>(target) - 1;
  const int leaf_top = top < c.option_cut ? top : c.option_cut;
  if (c.look_by_masks) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(Fwd ? p : p - 16));
    if (!_mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_set1_epi8('N'))))
    {
      // Most looks end within two levels: the deeper evaluation is set up
      // only when one needs it.
      const int shallow = mask_hopeless<Fwd, false>(p, phase, score, first_depth,
                                                    static_cast<int>(target), leaf_top, c, x);
      if (shallow != 2)
        return shallow;
      return deep_mask_hopeless<Fwd>(p, phase, score, first_depth, static_cast<int>(target),
                                     leaf_top, c, x);
    }
  }
  quick_look<Fwd> q{c, first_depth, static_cast<int>(target), leaf_top, INT_MIN};
  const char *const next = d::step(p);
  const unsigned phase_next = phase_step<Fwd>(phase, static_cast<unsigned>(c.unit_length));
  if (score > c.mismatch_cut && !q.first(next, phase_next, score + c.mismatch))
    return false;
  if (score > c.indel_cut &&
      !(q.first(next, phase, score + c.indel) && q.first(p, phase_next, score + c.indel)))
    return false;
  return horizon_is_closed(c, q.horizon);
}

// A walk's share in the remembered walks of its direction. At every mismatch
// point at or above the safe score it finds the state there among the nodes,
// and then takes the path on from it as far as the walk stays safe, or adds
// the state for later walks. Unsafe points end the chain of added states. A
// walk that goes on safely past the root of a path makes its next states the
// root's parents, so that later walks do not stop there again.
template <bool Fwd> class memo_walker
{
  static constexpr std::size_t min_chain = 16;
  static constexpr std::size_t chain_batch = 4096;
  walk_memos *const memos;
  unsigned long long &remembered_steps;
  walk_memo *tree = nullptr;
  const long long safe;
  const char *const unit_begin;
  const unsigned L;
  const int mismatch_score, indel_score;
  // Only walks that come up to the repeat thresholds are remembered: a walk
  // below them is a rejected window's, and with long units the safe score
  // can lie below zero, where every window's walk would be kept.
  long long record_floor;
  int cls = -1;
  // Walks are keyed by the unit's shortest period, the root: a walk of
  // CATTCCATTC reads the same bases as one of CATTC and above the safe score
  // makes the same choices, so the two share their remembered states.
  unsigned root_length = 0;
  unsigned least = 0; // where the root's least rotation starts
  bool keyed = false;
  unit_classes::key key{};
  bool recorded = false; // this point was added to the chain
  // The root the walk was moved to, still safe, and its state there; the
  // next point, if safe, becomes the root's parent.
  std::int32_t root = -1;
  walk_memo::step at_root{};
  std::int32_t chain_root = -1;
  walk_memo::step at_chain_root{};

  void end_chain(std::int32_t join, const walk_memo::step &at_join)
  {
    std::vector<walk_memo::pending> &chain = memos->chain;
    // Most walks that come above the safe score at all fall below it again
    // after a few points, in states no other walk meets: kept only when they
    // lead somewhere known or went on long enough to be worth meeting.
    if (chain.size() < min_chain && join < 0 && chain_root < 0)
      chain.clear();
    if (chain.empty())
      return;
    const std::int32_t first = static_cast<std::int32_t>(tree->nodes.size());
    tree->add_chain(chain, join, at_join);
    if (chain_root >= 0)
      tree->link(chain_root, first, walk_memo::step::between(at_chain_root, chain.front().at));
    chain.clear();
    chain_root = -1;
  }

  // The unit offset of a walk that has changed by d since it stood at
  // offset: every match, mismatch, deletion and admitted N consumes one
  // unit base. A node keeps only its phase in the root, which does not tell
  // where in a longer unit the walk stands.
  unsigned cursor_after(unsigned offset, const walk_memo::step &d) const
  {
    const long long edits = static_cast<long long>(d.mismatches) * mismatch_score +
                            static_cast<long long>(d.insertions + d.deletions) * indel_score;
    const unsigned long long consumed =
        static_cast<unsigned long long>(d.score - edits) + d.mismatches + d.deletions + d.Ns;
    const unsigned k = static_cast<unsigned>(consumed % L);
    return Fwd ? (offset + k) % L : (offset + L - k) % L;
  }

public:
  memo_walker(const imperfect_extender &c, const Csat &sat)
      : memos(sat.recursion_depth == 0 && c.safe_score != LLONG_MAX ? c.memos : nullptr),
        remembered_steps(c.remembered_steps), safe(c.safe_score), unit_begin(c.unit_begin),
        L(static_cast<unsigned>(c.unit_length)), mismatch_score(c.mismatch), indel_score(c.indel)
  {
    record_floor = safe;
    // The searches that remember walks grow units within the threshold tables.
    if (memos && L < c.min_scores_size && c.min_scores[L] > record_floor)
      record_floor = c.min_scores[L];
    if (memos) {
      tree = Fwd ? &memos->forward : &memos->backward;
      // The best of equal scores is the later one unless shorter repeats
      // are preferred; one run keeps one rule.
      tree->later_wins = c.prefer != 0;
      memos->chain.clear();
    }
  }
  memo_walker(const memo_walker &) = delete;
  memo_walker &operator=(const memo_walker &) = delete;
  ~memo_walker()
  {
    if (memos)
      end_chain(-1, walk_memo::step{});
  }

  // At a mismatch point. When the walk takes a path, p, u, score, Ns and the
  // counts in sat become those of the node where it goes on by itself; the
  // best point of the path has then been offered to best and the snapshot by
  // take_if_better.
  template <class Offer>
  void at_point(Csat &sat, const char *&p, const char *&u, int &score, unsigned &Ns,
                Offer take_if_better)
  {
    recorded = false;
    if (!memos)
      return;
    const std::int32_t left_root = root;
    root = -1;
    if (score < safe) {
      end_chain(-1, walk_memo::step{});
      return;
    }
    const bool may_record = score >= record_floor;
    if (!keyed) {
      root_length = unit_classes::shortest_period(unit_begin, L);
      key = unit_classes::key_of(unit_begin, root_length);
      least = key.least;
      cls = memos->units.find(unit_begin, root_length, key);
      keyed = true;
    }
    if (cls < 0) {
      if (!may_record)
        return;
      cls = static_cast<int>(memos->units.add(unit_begin, root_length, key));
    }
    const unsigned offset = static_cast<unsigned>(u - unit_begin);
    const unsigned phase = (offset % root_length + root_length - least) % root_length;
    const walk_memo::step here{score, sat.mismatches, sat.insertions, sat.deletions, Ns};
    const std::int32_t J = tree->find(p, static_cast<std::uint32_t>(cls), phase);
    if (J < 0) {
      if (!may_record || memos->full(!memos->chain.empty() || chain_root >= 0)) {
        end_chain(-1, walk_memo::step{});
        return;
      }
      if (memos->chain.size() >= chain_batch) {
        // A long walk adds its points batch by batch, each batch's last
        // point the root that the next batch hangs from, so that the points
        // it has not added never take more than a batch of memory.
        const walk_memo::step at_last = memos->chain.back().at;
        end_chain(-1, walk_memo::step{});
        chain_root = static_cast<std::int32_t>(tree->nodes.size()) - 1;
        at_chain_root = at_last;
      }
      if (memos->chain.empty() && left_root >= 0) {
        chain_root = left_root;
        at_chain_root = at_root;
      }
      memos->chain.push_back(
          walk_memo::pending{p, here, static_cast<std::uint32_t>(cls), phase, 0});
      recorded = true;
      return;
    }
    if (!memos->chain.empty())
      end_chain(J, here);
    else if (left_root >= 0)
      tree->link(left_root, J, walk_memo::step::between(at_root, here));
    ++tree->joins;
    auto move_to = [&](std::int32_t v, const walk_memo::step &d) {
      p = tree->pos(v);
      u = unit_begin + cursor_after(offset, d);
      score = static_cast<int>(here.score + d.score);
      Ns = here.Ns + d.Ns;
      sat.mismatches = here.mismatches + d.mismatches;
      sat.insertions = here.insertions + d.insertions;
      sat.deletions = here.deletions + d.deletions;
    };
    walk_memo::step to_end{};
    std::int32_t A = tree->first_below(J, safe - score);
    const bool safe_to_root = A < 0;
    if (safe_to_root)
      A = tree->root_of(J, to_end);
    if (A != J) {
      walk_memo::step to_best{};
      const std::int32_t X = tree->best_between(J, A, to_best, to_end);
      if (X != J) {
        move_to(X, to_best);
        sat.paths.push_back(walk_path{memos, J, X, Fwd});
      }
      take_if_better();
      if (X != J)
        sat.paths.pop_back();
      move_to(A, to_end);
      sat.paths.push_back(walk_path{memos, J, A, Fwd});
      remembered_steps += to_end.mismatches + to_end.insertions + to_end.deletions;
      memos->reused += to_end.mismatches + to_end.insertions + to_end.deletions;
    }
    if (safe_to_root) {
      root = A;
      at_root = walk_memo::step{score, sat.mismatches, sat.insertions, sat.deletions, Ns};
    }
  }

  void chosen(char kind)
  {
    if (recorded)
      memos->chain.back().kind = kind;
  }
};

// The walk on from a mismatch point at which the edit w was chosen and the
// walk is not hopeless; best is the best score so far, already stored into
// sat, which holds the best state met (no edit has been applied to it yet).
template <bool Fwd>
[[gnu::noinline]] void walk_on_at_floor(Csat &sat, const imperfect_extender &c, const char *p,
                                        const char *u, int score, unsigned Ns, int best,
                                        walk_choice w)
{
  typedef direction<Fwd> d;
  const unsigned first_depth = sat.recursion_depth + 1;
  const long long prefer = c.prefer;
  extension_snapshot snapshot(sat);

  auto store = [&]() {
    (Fwd ? sat.pos_right : sat.pos_left) = p;
    (Fwd ? sat.unit_cursor_right : sat.unit_cursor_left) = u;
    sat.score = score;
    sat.Ns = Ns;
  };

  auto take_if_better = [&]() {
    if (score > best - prefer) {
      store();
      snapshot.take(sat);
      best = score;
    }
  };
  memo_walker<Fwd> memo(c, sat);

  bool keep;
  for (;;) {
    ++c.explicit_steps;
    // A mismatch or an insertion sits on the base it consumes, a deletion on
    // the base right of the gap.
    if (w.kind == 'M') {
      sat.alignment.push_back(alignment_event{d::examined(p), 'M'});
      score += c.mismatch;
      ++sat.mismatches;
      p = d::step(p);
      u = d::unit_step(u, c.unit_begin, c.unit_end);
    } else if (w.kind == 'I') {
      sat.alignment.push_back(alignment_event{d::examined(p), 'I'});
      score += c.indel;
      ++sat.insertions;
      p = d::step(p);
    } else {
      sat.alignment.push_back(alignment_event{p, 'D'});
      score += c.indel;
      ++sat.deletions;
      u = d::unit_step(u, c.unit_begin, c.unit_end);
    }
    if (p == c.limit || exact_run<Fwd>(p, u, score, Ns, c) != at_mismatch) {
      keep = score > best - prefer;
      break;
    }
    memo.at_point(sat, p, u, score, Ns, take_if_better);
    take_if_better();
    if (score <= c.option_cut) {
      keep = best <= score + prefer;
      break;
    }
    const unsigned phase = static_cast<unsigned>(u - c.unit_begin);
    if (!choose_by_reach<Fwd>(p, phase, score, first_depth, c, w))
      w = c.memos && first_depth == 1 && score >= c.safe_score
              ? safe_look<Fwd>{c}.choose(p, phase, score)
              : choose_at_floor<Fwd>(p, phase, score, first_depth, c);
    memo.chosen(w.kind);
    if (hopeless_at_floor(c, w.value, w.horizon, best)) {
      keep = false;
      break;
    }
  }
  if (keep)
    store();
  else
    snapshot.restore(sat);
}

// The first exact run of a record that is one bare copy of its unit, with
// the cursor at the copy's end. While such a run lasts, the base expected a
// unit length behind (forward; ahead, backward) is one the run has matched
// already or one of the copy itself, so the run can compare the sequence
// with itself, eight bases at a time.
template <bool Fwd>
inline run_end first_run_of_copy(const char *&p, const char *&u, int &score, unsigned &Ns,
                                 const imperfect_extender &c)
{
  typedef direction<Fwd> d;
  const long L = c.unit_length;
  const char *q = p;
  bool found = false;
  while (Fwd ? c.limit - q >= 8 : q - c.limit >= 8) {
    const unsigned k = equal_bases<Fwd>(q, Fwd ? q - L : q + L);
    q = Fwd ? q + k : q - k;
    if (k < 8) {
      found = *d::examined(q) != 'N';
      break;
    }
  }
  const long run = Fwd ? q - p : p - q;
  // A table for the usual short runs: whether a run passes the unit length
  // is a toss-up the predictor would miss.
  const long phase = run < imperfect_extender::run_phases ? c.run_phase[run] : run % L;
  u = Fwd ? c.unit_begin + phase : c.unit_end - 1 - phase;
  score += static_cast<int>(run);
  p = q;
  if (found)
    return at_mismatch;
  return exact_run<Fwd>(p, u, score, Ns, c);
}

// The walk from its first mismatch point, where some option is eligible and
// the quick test could not show the walk hopeless; sat holds the best state,
// whose score is kept.
// True when it walks on past that point.
template <bool Fwd>
[[gnu::noinline]] bool walk_in_full(Csat &sat, const imperfect_extender &c, const char *p,
                                    const char *u, int score, unsigned Ns, int kept)
{
  const unsigned phase = static_cast<unsigned>(u - c.unit_begin);
  walk_choice w;
  if (!choose_by_reach<Fwd>(p, phase, score, sat.recursion_depth + 1, c, w))
    w = choose_at_floor<Fwd>(p, phase, score, sat.recursion_depth + 1, c);
  if (hopeless_at_floor(c, w.value, w.horizon, kept))
    return false;
  walk_on_at_floor<Fwd>(sat, c, p, u, score, Ns, kept, w);
  return true;
}

template <bool Fwd, bool Copy>
[[gnu::always_inline]] inline void extend_at_floor(Csat &sat, imperfect_extender &c)
{
  const char *p = Fwd ? sat.pos_right : sat.pos_left;
  if (p == c.limit)
    return; // kept or restored, the record stays as it is
  const char *u = Fwd ? sat.unit_cursor_right : sat.unit_cursor_left;
  const int best = sat.score;
  int score = best;
  unsigned Ns = sat.Ns;
  const run_end end = Copy ? first_run_of_copy<Fwd>(p, u, score, Ns, c)
                           : exact_run<Fwd>(p, u, score, Ns, c);
  const bool improved = score > best - static_cast<long long>(c.prefer);
  const bool walks_on = end == at_mismatch && score > c.option_cut;
  // A copy's walk that ends where its first run meets a base other than N.
  const bool settles = Copy && end == at_mismatch && Ns == sat.Ns;
  if (Fwd)
    c.forward_stop = p;
  // Without an eligible option the walk keeps the state of its mismatch
  // point, whose score the exact run cannot have lowered below the best.
  if (improved || (end == at_mismatch && !walks_on)) {
    (Fwd ? sat.pos_right : sat.pos_left) = p;
    (Fwd ? sat.unit_cursor_right : sat.unit_cursor_left) = u;
    sat.score = score;
    sat.Ns = Ns;
  }
  if (!walks_on) {
    c.settled_sides += settles;
    return;
  }
  // Most walks are hopeless at their first choice, and then the record,
  // which holds the best state, stays as it is.
  if (!c.periodic_ready && !c.build_short_cycle())
    c.build_periodic();
  const int kept = improved ? score : best;
  if (quick_hopeless<Fwd>(p, static_cast<unsigned>(u - c.unit_begin), score, kept,
                          sat.recursion_depth + 1, c) ||
      !walk_in_full<Fwd>(sat, c, p, u, score, Ns, kept))
    c.settled_sides += settles;
}

// Sets up c for the unit of sat.
inline void take_unit(imperfect_extender &c, const Csat &sat)
{
  const int L = static_cast<int>(sat.unit_length());
  if (L != c.unit_length)
    c.set_unit_length(L);
  c.unit_begin = sat.unit_begin;
  c.unit_end = sat.unit_end;
  c.periodic_ready = false;
  c.reach_ready = false;
}

// Extends sat in the direction Fwd up to the boundary limit.
template <bool Fwd> void extend_imperfect(imperfect_extender &c, Csat &sat, const char *limit)
{
  take_unit(c, sat);
  c.limit = limit;
  const long long bases_left = Fwd ? limit - sat.pos_right : sat.pos_left - limit;
  if (stays_at_floor(c, sat.score + bases_left))
    extend_at_floor<Fwd, false>(sat, c);
  else
    extend_any<Fwd>(sat, c);
}

// The look-ahead from a given node; the threshold follows the best score the
// look-ahead reaches, as in the walk.
template <bool Fwd>
int look_ahead(const search_setup &setup, const char *s, const char *u, const char *unit_begin,
               const char *unit_end, int score, int unit_length, unsigned depth,
               const char *limit, int best)
{
  imperfect_extender c(setup);
  c.set_unit_length(unit_length);
  c.unit_begin = unit_begin;
  c.unit_end = unit_end;
  c.limit = limit;
  int horizon = INT_MIN;
  return leap_ahead<Fwd>(s, u, score, depth, best, c, horizon);
}

} // namespace

void imperfect_extender::forward(Csat &sat, const char *stop)
{
  readable_end = stop;
  extend_imperfect<true>(*this, sat, stop);
}

void imperfect_extender::backward(Csat &sat, const char *stop)
{
  readable_end = sat.unit_end;
  extend_imperfect<false>(*this, sat, stop + 1);
}

void imperfect_extender::grow(Csat &sat, const char *seq_begin, const char *seq_end)
{
  readable_end = seq_end;
  take_unit(*this, sat);
  // Every base outside the candidate is examined by one direction only.
  const long long bases_left = (seq_end - sat.pos_right) + (sat.pos_left - seq_begin);
  if (!stays_at_floor(*this, sat.score + bases_left)) {
    limit = seq_end;
    extend_any<true>(sat, *this);
    limit = seq_begin;
    extend_any<false>(sat, *this);
    return;
  }
  // The forward extension leaves the left end and its cursor alone.
  const bool copy = sat.pos_left == sat.unit_begin && sat.unit_cursor_left + 1 == sat.unit_end &&
                    sat.pos_right == sat.unit_end && sat.unit_cursor_right == sat.unit_begin;
  limit = seq_end;
  if (copy)
    extend_at_floor<true, true>(sat, *this);
  else
    extend_at_floor<true, false>(sat, *this);
  limit = seq_begin;
  if (copy)
    extend_at_floor<false, true>(sat, *this);
  else
    extend_at_floor<false, false>(sat, *this);
}

void imperfect_extender::start_windows(unsigned L, const char *seq_begin, const char *seq_end)
{
  set_unit_length(static_cast<int>(L));
  windows_begin = seq_begin;
  windows_end = seq_end;
  readable_end = seq_end;
  // A window has the same number of bases outside it wherever it lies.
  windows_at_floor = stays_at_floor(*this, (seq_end - seq_begin) - static_cast<long long>(L));
}

void imperfect_extender::grow_window(Csat &sat)
{
  // The unit end follows from the unit length: Csat::init has just stored
  // both ends separately, and one wide load of the pair would stall on them.
  unit_begin = sat.unit_begin;
  unit_end = unit_begin + unit_length;
  periodic_ready = false;
  reach_ready = false;
  settled_sides = 0;
  limit = windows_end;
  if (windows_at_floor)
    extend_at_floor<true, true>(sat, *this);
  else
    extend_any<true>(sat, *this);
  limit = windows_begin;
  if (windows_at_floor)
    extend_at_floor<false, true>(sat, *this);
  else
    extend_any<false>(sat, *this);
}

imperfect_extender::choice imperfect_extender::choose(const char *ub, const char *ue,
                                                      const char *p, const char *u, int score,
                                                      bool forward, const char *stop)
{
  const int L = static_cast<int>(ue - ub);
  if (L != unit_length)
    set_unit_length(L);
  unit_begin = ub;
  unit_end = ue;
  limit = stop;
  readable_end = forward ? stop : ue;
  periodic_ready = reach_ready = false;
  if (!build_short_cycle())
    build_periodic();
  const unsigned phase = static_cast<unsigned>(u - ub);
  walk_choice w;
  const bool by_reach = forward ? choose_by_reach<true>(p, phase, score, 1, *this, w)
                                : choose_by_reach<false>(p, phase, score, 1, *this, w);
  if (!by_reach)
    w = forward ? choose_at_floor<true>(p, phase, score, 1, *this)
                : choose_at_floor<false>(p, phase, score, 1, *this);
  return choice{w.kind, w.value, w.horizon, by_reach};
}

void CSearchController::extend_imperfect_forward(Csat &sat, const char *stop)
{
  imperfect_extender(setup).forward(sat, stop);
}

void CSearchController::extend_imperfect_backward(Csat &sat, const char *stop)
{
  imperfect_extender(setup).backward(sat, stop);
}

int CSearchController::extend_imperfect_forward_leap_ahead(const char *s, const char *u,
                                                           const char *unit_begin,
                                                           const char *unit_end, int score,
                                                           int unit_length, unsigned depth,
                                                           const char *stop, int best)
{
  return look_ahead<true>(setup, s, u, unit_begin, unit_end, score, unit_length, depth, stop, best);
}

int CSearchController::extend_imperfect_backward_leap_ahead(const char *s, const char *u,
                                                            const char *unit_begin,
                                                            const char *unit_end, int score,
                                                            int unit_length, unsigned depth,
                                                            const char *stop, int best)
{
  return look_ahead<false>(setup, s, u, unit_begin, unit_end, score, unit_length, depth, stop + 1,
                           best);
}
