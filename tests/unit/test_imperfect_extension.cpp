// The alignment that grows a repeat candidate: which edit it picks at each
// disagreement, where it records the event, how far the repeat reaches, that
// the backward direction is the exact mirror of the forward one, and that the
// faster way taken while the threshold stays at its floor aligns exactly like
// the general one.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/imperfect_extension.h"
#include "engine_test.h"
#include "imperfect_support.h"

namespace {

using options = void (*)();

void cheap_edits()
{
  global_mismatch_score = global_indel_score = -2;
  global_maximum_recursion_depth = 301;
}

class ImperfectExtensionTest : public EngineTest
{
protected:
  // One unit copy [offset, offset + L) grown forward, then backward.
  static std::string extend(const std::string &bases, long offset, unsigned L)
  {
    tight_record r(bases);
    CSearchController ctl(1, r.mol, setup_now(), test_pool());
    Csat sat;
    sat.init(r.begin() + offset, r.begin() + offset + L);
    ctl.extend_imperfect_forward(sat, r.end());
    ctl.extend_imperfect_backward(sat, r.begin() - 1);
    return summary(sat, r.begin());
  }

  // The first unit copy of s grown forward, or the last copy of s reversed
  // grown backward and told in the coordinates of s; with the unit cursor.
  static std::string grown(const std::string &s, unsigned L, bool fwd, int reduction,
                           unsigned start_depth = 0)
  {
    global_maximum_scorereduction = reduction;
    tight_record r(fwd ? s : std::string(s.rbegin(), s.rend()));
    CSearchController ctl(1, r.mol, setup_now(), test_pool());
    Csat a;
    a.init(fwd ? r.begin() : r.end() - L, fwd ? r.begin() + L : r.end());
    a.recursion_depth = start_depth;
    if (fwd) {
      ctl.extend_imperfect_forward(a, r.end());
      return summary(a, r.begin()) + " u" + std::to_string(a.unit_cursor_right - a.unit_begin);
    }
    ctl.extend_imperfect_backward(a, r.begin() - 1);
    // M and I at p map to n - 1 - p, D at p (right of its gap) to n - p.
    const long n = static_cast<long>(s.size());
    for (alignment_event &e : a.alignment)
      e.pos = r.begin() + (e.kind == 'D' ? n : n - 1) - (e.pos - r.begin());
    const char *left = r.begin() + n - (a.pos_right - r.begin());
    a.pos_right = r.begin() + n - (a.pos_left - r.begin());
    a.pos_left = left;
    const long cursor = L - 1 - (a.unit_cursor_left - a.unit_begin);
    return summary(a, r.begin()) + " u" + std::to_string(cursor);
  }

  // Grows every window of length L without N in s with both extenders, the
  // second being the reference, up to the first window that grows
  // otherwise, a failure. Returns how many grew with edits.
  static int windows_grown_alike(const std::string &s, unsigned L, imperfect_extender &fast,
                                 imperfect_extender &reference)
  {
    tight_record r(s);
    fast.start_windows(L, r.begin(), r.end());
    reference.start_windows(L, r.begin(), r.end());
    int edited = 0;
    for (const char *w = r.begin(); w + L < r.end(); ++w) {
      if (std::string(w, w + L).find('N') != std::string::npos)
        continue;
      Csat a, b;
      a.init(w, w + L);
      b.init(w, w + L);
      fast.grow_window(a);
      reference.grow_window(b);
      const std::string expected = summary(b, r.begin()), got = summary(a, r.begin());
      if (got != expected) {
        ADD_FAILURE() << "window at " << (w - r.begin()) << ": " << got << ", expected "
                      << expected;
        return edited;
      }
      edited += expected.find("[]") == std::string::npos;
    }
    return edited;
  }
};

} // namespace

TEST_F(ImperfectExtensionTest, EditsScoresSpansAndEventsFollowTheAlignmentRules)
{
  const struct {
    const char *what, *bases;
    long offset;
    unsigned L;
    options set;
    const char *expected;
  } rows[] = {
      {"extra base", "ACGACGACGTACGACGACG", 0, 3, nullptr, "0-18 s10 m0 i1 d0 n0 [I9]"},
      {"extra base, depth 1", "ACGACGACGTACGACGACG", 0, 3,
       [] { global_maximum_recursion_depth = 1; }, "0-18 s10 m0 i1 d0 n0 [I9]"},
      {"replaced base", "ACGACGACGTCGACGACG", 0, 3, nullptr, "0-17 s9 m1 i0 d0 n0 [M9]"},
      {"missing base: the event sits right of the gap", "ACGACGACGCGACGACG", 0, 3, nullptr,
       "0-16 s9 m0 i0 d1 n0 [D9]"},
      {"two Ns admitted", "TTTACACACNNACACACGGG", 3, 2, nullptr, "3-16 s10 m0 i0 d0 n2 []"},
      {"three Ns end the repeat", "TTTACACACNNNACACACGGG", 3, 2, nullptr, "3-8 s4 m0 i0 d0 n0 []"},
      {"two Ns backward", "TTTACACACNNACACACGGG", 13, 2, nullptr, "3-16 s10 m0 i0 d0 n2 []"},
      {"three Ns end the repeat backward", "TTTACACACNNNACACACGGG", 14, 2, nullptr,
       "12-17 s4 m0 i0 d0 n0 []"},
      {"no N admitted: N is a mismatch point", "ACACACACNCACACAC", 0, 2,
       [] { global_Ns_allowed_in_a_row = 0; }, "0-15 s8 m1 i0 d0 n0 [M8]"},
      {"Ns as missense", "ACACACACNCACACAC", 0, 2, [] { global_treat_Ns_as_missense = true; },
       "0-15 s8 m1 i0 d0 n0 [M8]"},
      {"equal score at the end, longer preferred", "ACACACACGCACAC", 0, 2, nullptr,
       "0-13 s6 m1 i0 d0 n0 [M8]"},
      {"equal score at the end, shorter preferred", "ACACACACGCACAC", 0, 2,
       [] { global_prefer_longer_repeat = 0; }, "0-7 s6 m0 i0 d0 n0 []"},
      {"no option left: a score one below the best is kept", "ACACACACGCACAGTTTT", 0, 2,
       [] { global_maximum_scorereduction = 5; }, "0-12 s5 m1 i0 d0 n0 [M8]"},
      {"no option left, shorter preferred", "ACACACACGCACAGTTTT", 0, 2,
       [] { global_maximum_scorereduction = 5, global_prefer_longer_repeat = 0; },
       "0-7 s6 m0 i0 d0 n0 []"},
      {"infinite reduction walks on and falls back", "ACACACACGCACAGTTTT", 0, 2, nullptr,
       "0-7 s6 m0 i0 d0 n0 []"},
      {"tie: mismatch before insertion", "AAAAAAAAGAAAAAAAA", 0, 1, nullptr,
       "0-16 s10 m1 i0 d0 n0 [M8]"},
      {"tie: insertion before deletion", "ACACACACACGCACACACACACACACAC", 0, 2,
       [] { global_mismatch_score = -20; }, "0-27 s15 m0 i1 d1 n0 [I10 D11]"},
      {"one copy, nothing around", "AC", 0, 2, nullptr, "0-1 s0 m0 i0 d0 n0 []"},
      {"one base, nothing around", "A", 0, 1, nullptr, "0-0 s0 m0 i0 d0 n0 []"},
      {"from the first copy to the end", "ACACACACAC", 0, 2, nullptr, "0-9 s8 m0 i0 d0 n0 []"},
      {"from the last copy to the start", "ACACACACAC", 8, 2, nullptr, "0-9 s8 m0 i0 d0 n0 []"},
      {"N runs touching both ends", "NNACACACACACNN", 4, 2, nullptr, "0-13 s8 m0 i0 d0 n4 []"},
      {"events of both sides, backward ones appended", "ACACACAGACACACACACACACACAGACACAC", 12,
       2, nullptr, "0-31 s18 m2 i0 d0 n0 [M25 M7]"},
      {"depth 1 sees only the mismatch reach far", "TGTGTGAGTGTGTGA", 0, 2,
       [] { global_indel_score = -2, global_maximum_recursion_depth = 1; },
       "0-13 s6 m1 i0 d0 n0 [M6]"},
      {"depth 2 sees insertion and deletion reach further", "TGTGTGAGTGTGTGA", 0, 2,
       [] { global_indel_score = -2, global_maximum_recursion_depth = 2; },
       "0-13 s7 m0 i1 d1 n0 [I6 D7]"},
      {"the walk goes on past a look-ahead that sees no gain", "ACACACGGACACACAC", 0, 2,
       [] { global_mismatch_score = global_indel_score = -2, global_maximum_recursion_depth = 1; },
       "0-15 s8 m2 i0 d0 n0 [M6 M7]"},
      {"no edit allowed past GG", "ACACACGGACACACAC", 0, 2,
       [] { global_maximum_recursion_depth = 1; }, "0-5 s4 m0 i0 d0 n0 []"},
      {"score floor: no bridge to a distant run",
       "ACACACACGTTGTTGT"
       "ACACACACACACACACACACACACACACACACACACACACACACACACACACACACACACACACACACACACACACACAC",
       0, 2, nullptr, "0-7 s6 m0 i0 d0 n0 []"},
      {"negative reduction: no edit", "ACACACACGCACACACACAC", 0, 2,
       [] { global_maximum_scorereduction = -2147483647 - 1; }, "0-7 s6 m0 i0 d0 n0 []"},
      // A hopeless walk gives back an admitted N before its first mismatch
      // unless longer repeats are preferred.
      {"hopeless walk, shorter preferred", "ACGTTGCANGTTTTTTTTTTTTTTTT", 0, 8,
       [] { global_prefer_longer_repeat = 0; }, "0-7 s0 m0 i0 d0 n0 []"},
      {"hopeless walk, shorter preferred, finite reduction", "ACGTTGCANGTTTTTTTTTTTTTTTT", 0, 8,
       [] { global_prefer_longer_repeat = 0, global_maximum_scorereduction = 30; },
       "0-7 s0 m0 i0 d0 n0 []"},
      {"hopeless walk backward, shorter preferred", "TTTTTTTTTTTTTTTTGNACGTTGCA", 18, 8,
       [] { global_prefer_longer_repeat = 0; }, "18-25 s0 m0 i0 d0 n0 []"},
      {"hopeless walk, longer preferred", "ACGTTGCANGTTTTTTTTTTTTTTTT", 0, 8, nullptr,
       "0-8 s0 m0 i0 d0 n1 []"},
  };
  for (const auto &row : rows) {
    init_param();
    if (row.set)
      row.set();
    EXPECT_EQ(row.expected, extend(row.bases, row.offset, row.L)) << row.what;
  }
}

TEST_F(ImperfectExtensionTest, LookAheadValueHonoursDepthBeyondEightBitsBestScoreAndOwnScore)
{
  const struct {
    const char *what, *bases;
    bool fwd;
    long s, u, ub, ue;
    int score;
    unsigned depth;
    int best;
    options set;
    int expected;
  } rows[] = {
      // Two substitutions in a row: one level of edits cannot get past them,
      // two levels reach the repeat behind.
      {"two levels left", "ACACACGGACACACAC", true, 6, 0, 0, 2, 4, 299, 4, cheap_edits, 8},
      {"one level left", "ACACACGGACACACAC", true, 6, 0, 0, 2, 4, 300, 4, cheap_edits, 4},
      {"depth limit reached", "ACACACGGACACACAC", true, 6, 0, 0, 2, 4, 301, 4, cheap_edits, 4},
      {"two levels left, backward", "CACACACAGGCACACA", false, 10, 15, 14, 16, 4, 299, 4,
       cheap_edits, 8},
      {"one level left, backward", "CACACACAGGCACACA", false, 10, 15, 14, 16, 4, 300, 4,
       cheap_edits, 4},
      {"only worse options: the node keeps its own score", "ACGTCTTTTTTT", true, 5, 0, 0, 5, -2, 1,
       0, [] { global_indel_score = -2, global_maximum_recursion_depth = 2; }, -2},
      // The exact run lifts the score to 10: with a reduction of 3 no edit
      // may start from there, although one would from the caller's best of 0.
      {"threshold follows the best reached", "ACACACACACACGCACACACACAC", true, 2, 0, 0, 2, 0, 1, 0,
       [] { global_maximum_scorereduction = 3; }, 10},
      {"edit allowed under a larger reduction", "ACACACACACACGCACACACACAC", true, 2, 0, 0, 2, 0, 1,
       0, [] { global_maximum_scorereduction = 10; }, 16},
  };
  for (const auto &row : rows) {
    init_param();
    row.set();
    tight_record r(row.bases);
    CSearchController ctl(1, r.mol, setup_now(), test_pool());
    const char *b = r.begin(), *s = b + row.s, *u = b + row.u, *ub = b + row.ub, *ue = b + row.ue;
    const int L = static_cast<int>(row.ue - row.ub);
    const int got = row.fwd ? ctl.extend_imperfect_forward_leap_ahead(
                                  s, u, ub, ue, row.score, L, row.depth, r.end(), row.best)
                            : ctl.extend_imperfect_backward_leap_ahead(
                                  s, u, ub, ue, row.score, L, row.depth, b - 1, row.best);
    EXPECT_EQ(row.expected, got) << row.what;
  }
}

// The fast way is taken while no reachable score lifts the threshold off its
// floor, as under the infinite reduction; a reduction of n - 1 leaves the
// threshold at its floor (every best score at a mismatch point stays below
// n - L) but sends the same work down the general way.
TEST_F(ImperfectExtensionTest, FastPathBackwardAndDeepStartAlignExactlyLikeTheGeneralForwardPath)
{
  std::mt19937 rng(4242);
  int edited = 0;
  for (int round = 0; round < 1000; ++round) {
    init_param();
    draw_alignment_options(rng);
    // Long units compare eight bases at a time; repeats reach the sequence
    // ends, where fewer than eight bases are left.
    const unsigned L = 1 + rng() % 16;
    const std::string unit = random_bases(rng, L);
    std::string s = unit + planted_repeat(rng, unit, 1 + rng() % 12, rng() % 40);
    if (rng() % 2)
      s += random_bases(rng, rng() % 30);
    const int n = static_cast<int>(s.size());
    SCOPED_TRACE(s + " unit length " + std::to_string(L));

    const std::string general = grown(s, L, true, n - 1);
    ASSERT_EQ(general, grown(s, L, true, infinite_score_reduction));
    ASSERT_EQ(general, grown(s, L, false, n - 1));
    ASSERT_EQ(general, grown(s, L, false, infinite_score_reduction));
    // A record starting at depth d under a maximum of d + k aligns as one
    // starting at 0 under k, also where d does not fit in a byte.
    global_maximum_recursion_depth += 298;
    ASSERT_EQ(general, grown(s, L, true, infinite_score_reduction, 298));
    ASSERT_EQ(general, grown(s, L, true, n - 1, 298));
    global_maximum_recursion_depth -= 298;
    const int reduction = int(rng() % 12);
    ASSERT_EQ(grown(s, L, true, reduction), grown(s, L, false, reduction)) << reduction;
    edited += general.find("[]") == std::string::npos;
  }
  EXPECT_GT(edited, 250) << "too few alignments with edits to tell the paths apart";
}

// The first look-ahead of a walk is tried from bit masks of the sixteen bases
// ahead before it is evaluated base by base. A mask built on the wrong
// diagonal (an insertion taken for a deletion), a wrong phase in the unit's
// cycle, the backward masks read in the wrong bit order, a run let past the
// sixteen bases, or an N taken for a disagreement would keep or end a walk
// that the base-by-base look ends otherwise: every window of random records,
// grown with and without the masks, must come out the same.
TEST_F(ImperfectExtensionTest, WindowsGrowTheSameWithAndWithoutTheMaskedLook)
{
  std::mt19937 rng(1717);
  int edited = 0;
  for (int round = 0; round < 300; ++round) {
    init_param();
    // Half the rounds under the default scores, which most runs use.
    if (round % 2)
      draw_alignment_options(rng);
    const unsigned L = 1 + rng() % 20;
    std::string s = random_bases(rng, rng() % 40);
    while (s.size() < 300) {
      const std::string unit = random_bases(rng, L);
      s += planted_repeat(rng, unit, 1 + rng() % 8, rng() % 40) + random_bases(rng, rng() % 30);
    }
    SCOPED_TRACE(s + " unit length " + std::to_string(L));
    const search_setup &setup = setup_now();
    imperfect_extender masked(setup), plain(setup);
    plain.look_by_masks = false;
    edited += windows_grown_alike(s, L, masked, plain);
    if (HasFailure())
      return;
  }
  EXPECT_GT(edited, 5000) << "too few alignments with edits to tell the looks apart";
}

// Far enough above the threshold a choice is looked ahead by furthest reach,
// one furthest node per count of mismatches, insertions and deletions,
// instead of as a tree. A class entered from a nearer node than the
// furthest, an insertion or a deletion that moves the phase the wrong way,
// an edit let past the wrong cut, the depth limit one class off, a run
// through N scored as matches, a run near the sequence end not handed back
// to the tree, or the options' ties broken in another order would choose
// another edit or end the walk elsewhere: every window of records full of
// long diverged repeats, with N runs and repeats at both ends, must grow the
// same with and without the reach, at depths on both sides of its cap.
TEST_F(ImperfectExtensionTest, WindowsGrowTheSameByFurthestReachAsByTheTree)
{
  std::mt19937 rng(2468);
  int edited = 0;
  const int depths[] = {1, 2, 3, 4, 5, 5, 6, 8, 9};
  for (int round = 0; round < 80; ++round) {
    init_param();
    if (round % 2)
      draw_alignment_options(rng);
    global_maximum_recursion_depth = depths[rng() % 9];
    const unsigned L = 1 + rng() % 12;
    const std::string unit = random_bases(rng, L);
    // Runs of a hundred bases and more where the copies hardly differ.
    const unsigned rate = round % 4 == 1 ? rng() % 4 : rng() % 24;
    std::string s = round % 3 ? random_bases(rng, rng() % 20) : std::string();
    while (s.size() < 240)
      s += planted_repeat(rng, unit, 8 + rng() % 24, rate) + random_bases(rng, rng() % 12);
    if (round % 2 == 0)
      s += planted_repeat(rng, unit, 4 + rng() % 20, rate);
    SCOPED_TRACE(s + " unit length " + std::to_string(L) + " depth " +
                 std::to_string(global_maximum_recursion_depth));
    const search_setup &setup = setup_now();
    imperfect_extender reach(setup), tree(setup);
    reach.look_by_reach = true;
    tree.look_by_reach = false;
    edited += windows_grown_alike(s, L, reach, tree);
    if (HasFailure())
      return;
  }
  EXPECT_GT(edited, 5000) << "too few alignments with edits to tell the looks apart";
}

// The same comparison one choice at a time, value and horizon included:
// most wrong values (a run across the two words of a mask cut short, a run
// let past the sequence end, a level of classes taken without eligibility
// tests one level too deep) still choose the same edit on the way through
// a repeat. Boundaries anywhere in records of long, hardly diverged repeats,
// near both ends, scores from the reach score on, so that every number of
// untested levels occurs.
TEST_F(ImperfectExtensionTest, ChoicesWeighTheSameByFurthestReachAsByTheTree)
{
  std::mt19937 rng(1357);
  long by_reach = 0, long_runs = 0;
  for (int round = 0; round < 200; ++round) {
    init_param();
    if (round % 2)
      draw_alignment_options(rng);
    const int depths[] = {1, 2, 3, 5, 5, 8, 9};
    global_maximum_recursion_depth = depths[rng() % 7];
    const unsigned L = 1 + rng() % 12;
    const std::string unit = random_bases(rng, L);
    std::string s;
    while (s.size() < 400)
      s += planted_repeat(rng, unit, 8 + rng() % 40, rng() % 8) + random_bases(rng, rng() % 4);
    tight_record r(s);
    const search_setup &setup = setup_now();
    imperfect_extender reach(setup), tree(setup);
    reach.look_by_reach = true;
    tree.look_by_reach = false;
    reach.set_unit_length(static_cast<int>(L));
    const long long low = reach.reach_score;
    for (int k = 0; k < 200; ++k) {
      const long at = static_cast<long>(rng() % (s.size() - L));
      const std::string window = s.substr(static_cast<std::size_t>(at), L);
      if (window.find('N') != std::string::npos)
        continue;
      const char *ub = r.begin() + at, *ue = ub + L;
      const bool forward = rng() % 2;
      const char *p = r.begin() + rng() % (s.size() + 1);
      const char *u = ub + rng() % L;
      const int score = static_cast<int>(low + rng() % 300);
      const char *stop = forward ? r.end() : r.begin();
      if (p == stop)
        continue;
      SCOPED_TRACE(s + " unit " + window + " at " + std::to_string(p - r.begin()) +
                   (forward ? " forward" : " backward") + " score " + std::to_string(score) +
                   " depth " + std::to_string(global_maximum_recursion_depth));
      const imperfect_extender::choice a = reach.choose(ub, ue, p, u, score, forward, stop);
      const imperfect_extender::choice b = tree.choose(ub, ue, p, u, score, forward, stop);
      ASSERT_FALSE(b.by_reach);
      ASSERT_EQ(b.kind, a.kind);
      ASSERT_EQ(b.value, a.value);
      ASSERT_EQ(b.horizon, a.horizon);
      by_reach += a.by_reach;
      long_runs += a.by_reach && a.value > score + 64;
    }
  }
  EXPECT_GT(by_reach, 5000) << "too few choices decided by the reach";
  EXPECT_GT(long_runs, 1000) << "too few choices whose runs cross a mask's words";
}
