// The alignment that grows a repeat candidate: which edit it picks at each
// disagreement, where it records the event, how far the repeat reaches, and
// that the backward direction is the exact mirror of the forward one.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "engine/CSearchController.h"
#include "imperfect_support.h"
#include "params/global-types-and-parameters.h"
#include "engine_test.h"

namespace {

class ImperfectExtensionTest : public EngineTest
{
protected:

  // One unit copy [offset, offset + L) grown forward, then backward.
  static std::string extend(const std::string &bases, long offset, unsigned L,
                            unsigned start_depth = 0)
  {
    tight_record r(bases);
    CSearchController ctl(1, r.mol);
    Csat sat;
    sat.init(r.begin() + offset, r.begin() + offset + L);
    sat.recursion_depth = start_depth;
    ctl.extend_imperfect_forward(sat, r.end());
    ctl.extend_imperfect_backward(sat, r.begin() - 1);
    return summary(sat, r.begin());
  }
};

std::string reversed(std::string s)
{
  std::reverse(s.begin(), s.end());
  return s;
}

} // namespace

TEST_F(ImperfectExtensionTest, ExtraBaseBecomesInsertionAtAnyDepth)
{
  EXPECT_EQ("0-18 s10 m0 i1 d0 n0 [I9]", extend("ACGACGACGTACGACGACG", 0, 3));
  global_maximum_recursion_depth = 1;
  EXPECT_EQ("0-18 s10 m0 i1 d0 n0 [I9]", extend("ACGACGACGTACGACGACG", 0, 3));
}

TEST_F(ImperfectExtensionTest, ReplacedBaseBecomesMismatch)
{
  EXPECT_EQ("0-17 s9 m1 i0 d0 n0 [M9]", extend("ACGACGACGTCGACGACG", 0, 3));
}

TEST_F(ImperfectExtensionTest, MissingBaseBecomesDeletionRecordedRightOfTheGap)
{
  // The A of the fourth copy is missing: the event sits on the C after the gap.
  EXPECT_EQ("0-16 s9 m0 i0 d1 n0 [D9]", extend("ACGACGACGCGACGACG", 0, 3));
}

TEST_F(ImperfectExtensionTest, ShortNRunsAreAdmittedAndLongOnesEndTheRepeat)
{
  EXPECT_EQ("3-16 s10 m0 i0 d0 n2 []", extend("TTTACACACNNACACACGGG", 3, 2));
  EXPECT_EQ("3-8 s4 m0 i0 d0 n0 []", extend("TTTACACACNNNACACACGGG", 3, 2));
  // Backward the same rule applies, counted down from the unit copy.
  EXPECT_EQ("3-16 s10 m0 i0 d0 n2 []", extend("TTTACACACNNACACACGGG", 13, 2));
  EXPECT_EQ("12-17 s4 m0 i0 d0 n0 []", extend("TTTACACACNNNACACACGGG", 14, 2));
}

TEST_F(ImperfectExtensionTest, WithoutAdmittedNsEveryNIsAMismatchPoint)
{
  global_Ns_allowed_in_a_row = 0;
  EXPECT_EQ("0-15 s8 m1 i0 d0 n0 [M8]", extend("ACACACACNCACACAC", 0, 2));
  init_param();
  global_treat_Ns_as_missense = true;
  EXPECT_EQ("0-15 s8 m1 i0 d0 n0 [M8]", extend("ACACACACNCACACAC", 0, 2));
}

TEST_F(ImperfectExtensionTest, EqualScoreAtTheSequenceEndKeepsTheLongerRepeatOnlyWhenPreferred)
{
  EXPECT_EQ("0-13 s6 m1 i0 d0 n0 [M8]", extend("ACACACACGCACAC", 0, 2));
  global_prefer_longer_repeat = 0;
  EXPECT_EQ("0-7 s6 m0 i0 d0 n0 []", extend("ACACACACGCACAC", 0, 2));
}

TEST_F(ImperfectExtensionTest, NoOptionExitKeepsAScoreOneBelowTheBest)
{
  global_maximum_scorereduction = 5;
  EXPECT_EQ("0-12 s5 m1 i0 d0 n0 [M8]", extend("ACACACACGCACAGTTTT", 0, 2));
  global_prefer_longer_repeat = 0;
  // Without the preference the same state is one below the best and dropped.
  EXPECT_EQ("0-7 s6 m0 i0 d0 n0 []", extend("ACACACACGCACAGTTTT", 0, 2));
  init_param();
  EXPECT_EQ("0-7 s6 m0 i0 d0 n0 []", extend("ACACACACGCACAGTTTT", 0, 2));
}

TEST_F(ImperfectExtensionTest, TiesGoToMismatchThenInsertionThenDeletion)
{
  // Unit length 1: mismatch and insertion lead to the same continuation.
  EXPECT_EQ("0-16 s10 m1 i0 d0 n0 [M8]", extend("AAAAAAAAGAAAAAAAA", 0, 1));
  // With mismatches out of reach, insertion-then-deletion and
  // deletion-then-insertion score alike; the insertion comes first.
  global_mismatch_score = -20;
  EXPECT_EQ("0-27 s15 m0 i1 d1 n0 [I10 D11]",
            extend("ACACACACAC" "G" "CACACACACACACACAC", 0, 2));
}

TEST_F(ImperfectExtensionTest, UnitCopyAtEitherEndReadsNothingBeyondTheSequence)
{
  EXPECT_EQ("0-1 s0 m0 i0 d0 n0 []", extend("AC", 0, 2));
  EXPECT_EQ("0-9 s8 m0 i0 d0 n0 []", extend("ACACACACAC", 0, 2));
  EXPECT_EQ("0-9 s8 m0 i0 d0 n0 []", extend("ACACACACAC", 8, 2));
  EXPECT_EQ("0-0 s0 m0 i0 d0 n0 []", extend("A", 0, 1));
  // N runs touching both ends are measured up to the ends and no further.
  EXPECT_EQ("0-13 s8 m0 i0 d0 n4 []", extend("NNACACACACACNN", 4, 2));
}

TEST_F(ImperfectExtensionTest, EventsOnBothSidesSurviveTheBackwardSnapshot)
{
  // The forward event is in the record when the backward extension takes its
  // first snapshot; the backward event is appended after it, unsorted.
  EXPECT_EQ("0-31 s18 m2 i0 d0 n0 [M25 M7]", extend("ACACACAGACACACACACACACACAGACACAC", 12, 2));
}

TEST_F(ImperfectExtensionTest, BackwardIsTheMirrorOfForward)
{
  // Forward from the first copy of s and backward from the last copy of the
  // reversed s must find mirrored repeats: M and I at p map to n - 1 - p, D at
  // p (right of its gap) to n - p, and the unit cursors mirror each other.
  std::mt19937 rng(20240611);
  const char bases[] = "ACGT";
  for (int round = 0; round < 400; ++round) {
    const unsigned L = 1 + rng() % 6;
    std::string unit;
    for (unsigned k = 0; k < L; ++k)
      unit += bases[rng() % 4];
    std::string s;
    const unsigned copies = 3 + rng() % 8;
    for (unsigned c = 0; c < copies; ++c)
      for (char x : unit) {
        const unsigned dice = rng() % 40;
        if (dice == 0)
          continue; // deletion
        if (dice == 1)
          s += bases[rng() % 4]; // insertion
        if (dice == 2)
          s += 'N';
        else if (dice == 3)
          s += bases[rng() % 4]; // substitution
        else
          s += x;
      }
    for (unsigned k = rng() % 5; k > 0; --k)
      s += bases[rng() % 4];
    s = unit + s;
    global_maximum_recursion_depth = 1 + rng() % 5;
    global_prefer_longer_repeat = rng() % 2;
    global_maximum_scorereduction = rng() % 3 ? infinite_score_reduction : int(rng() % 12);

    tight_record fwd(s), bwd(reversed(s));
    const long n = static_cast<long>(s.size());
    CSearchController ctl(1, fwd.mol);
    Csat a, b;
    a.init(fwd.begin(), fwd.begin() + L);
    b.init(bwd.end() - L, bwd.end());
    ctl.extend_imperfect_forward(a, fwd.end());
    ctl.extend_imperfect_backward(b, bwd.begin() - 1);

    SCOPED_TRACE(s + " unit length " + std::to_string(L));
    EXPECT_EQ(a.pos_right - fwd.begin(), n - (b.pos_left - bwd.begin()));
    EXPECT_EQ(a.unit_cursor_right - a.unit_begin,
              static_cast<long>(L) - 1 - (b.unit_cursor_left - b.unit_begin));
    EXPECT_EQ(a.score, b.score);
    EXPECT_EQ(a.mismatches, b.mismatches);
    EXPECT_EQ(a.insertions, b.insertions);
    EXPECT_EQ(a.deletions, b.deletions);
    EXPECT_EQ(a.Ns, b.Ns);
    ASSERT_EQ(a.alignment.size(), b.alignment.size());
    for (unsigned k = 0; k < a.alignment.size(); ++k) {
      const long p = a.alignment[k].pos - fwd.begin();
      const long q = b.alignment[k].pos - bwd.begin();
      EXPECT_EQ(a.alignment[k].kind, b.alignment[k].kind);
      EXPECT_EQ(a.alignment[k].kind == 'D' ? n - p : n - 1 - p, q);
    }
  }
}

TEST_F(ImperfectExtensionTest, LookAheadDepthIsHonouredBeyondEightBits)
{
  // Two substitutions in a row: one level of edits cannot get past them,
  // two levels reach the repeat behind.
  tight_record r("ACACACGGACACACAC");
  CSearchController ctl(1, r.mol);
  global_mismatch_score = global_indel_score = -2;
  const char *s = r.begin() + 6;
  const char *u = r.begin(); // the unit character A is expected at offset 6
  global_maximum_recursion_depth = 301;
  EXPECT_EQ(8, ctl.extend_imperfect_forward_leap_ahead(s, u, r.begin(), r.begin() + 2, 4, 2,
                                                       299, r.end(), 4));
  EXPECT_EQ(4, ctl.extend_imperfect_forward_leap_ahead(s, u, r.begin(), r.begin() + 2, 4, 2,
                                                       300, r.end(), 4));
  EXPECT_EQ(4, ctl.extend_imperfect_forward_leap_ahead(s, u, r.begin(), r.begin() + 2, 4, 2,
                                                       301, r.end(), 4));
  // The same from the other side, mirrored.
  tight_record m("CACACACAGGCACACA");
  const char *ms = m.begin() + 10;
  const char *mu = m.begin() + 15; // unit CA at 14: its A is expected at offset 9
  EXPECT_EQ(8, ctl.extend_imperfect_backward_leap_ahead(ms, mu, m.begin() + 14, m.end(), 4, 2,
                                                        299, m.begin() - 1, 4));
  EXPECT_EQ(4, ctl.extend_imperfect_backward_leap_ahead(ms, mu, m.begin() + 14, m.end(), 4, 2,
                                                        300, m.begin() - 1, 4));
}

TEST_F(ImperfectExtensionTest, LookAheadCountsFromTheRecordDepthBeyondEightBits)
{
  // A record starting at depth d under a maximum of d + k must align as one
  // starting at 0 under k, also where d does not fit in a byte.
  std::mt19937 rng(7);
  const char bases[] = "ACGT";
  int depth_mattered = 0;
  for (int round = 0; round < 300; ++round) {
    std::string unit, s;
    const unsigned L = 2 + rng() % 4;
    for (unsigned k = 0; k < L; ++k)
      unit += bases[rng() % 4];
    for (unsigned c = 0; c < 8; ++c)
      for (char x : unit)
        s += rng() % 6 ? x : bases[rng() % 4];
    global_mismatch_score = -2 - int(rng() % 3);
    global_indel_score = -2 - int(rng() % 3);
    std::string by_depth[3];
    for (unsigned k = 1; k <= 2; ++k) {
      global_maximum_recursion_depth = int(k);
      by_depth[k] = extend(unit + s, 0, L);
      global_maximum_recursion_depth = int(298 + k);
      EXPECT_EQ(by_depth[k], extend(unit + s, 0, L, 298)) << unit + s;
    }
    depth_mattered += by_depth[1] != by_depth[2];
  }
  EXPECT_GT(depth_mattered, 0) << "no sequence told depth 1 from depth 2";
}

TEST_F(ImperfectExtensionTest, DepthLimitsHowManyEditsTheChoiceLooksAhead)
{
  // At the A of offset 6 one level of look-ahead sees only the mismatch
  // reach far; two levels see that an insertion and a deletion reach further.
  global_indel_score = -2;
  global_maximum_recursion_depth = 1;
  EXPECT_EQ("0-13 s6 m1 i0 d0 n0 [M6]", extend("TGTGTGAGTGTGTGA", 0, 2));
  global_maximum_recursion_depth = 2;
  EXPECT_EQ("0-13 s7 m0 i1 d1 n0 [I6 D7]", extend("TGTGTGAGTGTGTGA", 0, 2));
}

TEST_F(ImperfectExtensionTest, WalkGoesOnBeyondALookAheadThatSeesNoGain)
{
  // One level of look-ahead sees every option of the GG end below the best;
  // the walk must still go on, since from there a further edit is allowed,
  // and it reaches the repeat behind.
  global_maximum_recursion_depth = 1;
  global_mismatch_score = global_indel_score = -2;
  EXPECT_EQ("0-15 s8 m2 i0 d0 n0 [M6 M7]", extend("ACACACGGACACACAC", 0, 2));
  // With the default scores no edit is allowed from there: the walk ends.
  init_param();
  global_maximum_recursion_depth = 1;
  EXPECT_EQ("0-5 s4 m0 i0 d0 n0 []", extend("ACACACGGACACACAC", 0, 2));
}

TEST_F(ImperfectExtensionTest, ScoreFloorEndsTheWalkBeforeADistantRepeat)
{
  // With the infinite reduction the walk stops once the score would fall to
  // about minus the unit length; it must not bridge to the run far away.
  std::string s = "ACACACAC" "GTTGTTGT";
  for (int k = 0; k < 40; ++k)
    s += "AC";
  EXPECT_EQ("0-7 s6 m0 i0 d0 n0 []", extend(s, 0, 2));
}

TEST_F(ImperfectExtensionTest, LookAheadNodeWithOnlyWorseOptionsKeepsItsOwnScore)
{
  // Both indels from a score of -2 end at -4: the node is worth -2, not the
  // value an empty option set would suggest.
  tight_record r("ACGTCTTTTTTT");
  CSearchController ctl(1, r.mol);
  global_indel_score = -2;
  global_maximum_recursion_depth = 2;
  EXPECT_EQ(-2, ctl.extend_imperfect_forward_leap_ahead(r.begin() + 5, r.begin(), r.begin(),
                                                        r.begin() + 5, -2, 5, 1, r.end(), 0));
}

TEST_F(ImperfectExtensionTest, LookAheadThresholdFollowsTheBestScoreItReaches)
{
  // The exact run lifts the score from 0 to 10; with a reduction of 3 no edit
  // may start from there, although one would from the caller's best of 0.
  tight_record r("ACACACACACAC" "G" "CACACACACAC");
  CSearchController ctl(1, r.mol);
  global_maximum_scorereduction = 3;
  EXPECT_EQ(10, ctl.extend_imperfect_forward_leap_ahead(r.begin() + 2, r.begin(), r.begin(),
                                                        r.begin() + 2, 0, 2, 1, r.end(), 0));
  global_maximum_scorereduction = 10;
  EXPECT_EQ(16, ctl.extend_imperfect_forward_leap_ahead(r.begin() + 2, r.begin(), r.begin(),
                                                        r.begin() + 2, 0, 2, 1, r.end(), 0));
}

TEST_F(ImperfectExtensionTest, LargestScoreReductionDoesNotOverflowTheThreshold)
{
  global_maximum_scorereduction = 2147483647;
  EXPECT_EQ("0-7 s6 m0 i0 d0 n0 []", extend("ACACACACGCACAGTTTT", 0, 2));
  global_maximum_scorereduction = -2147483647 - 1;
  // A negative reduction puts the threshold above the best score: no edit.
  EXPECT_EQ("0-7 s6 m0 i0 d0 n0 []", extend("ACACACACGCACACACACAC", 0, 2));
}
