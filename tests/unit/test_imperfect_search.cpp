// The direct imperfect search: which windows become seeds, which repeats are
// kept, and how the marking array keeps longer units out of found repeats.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/CSearchController.h"
#include "imperfect_support.h"
#include "params/global-types-and-parameters.h"
#include "engine_test.h"

namespace {

class ImperfectSearchTest : public EngineTest
{
protected:

  // The records the search leaves in its list, in list order, each as
  // "unit length:unit offset summary".
  static std::vector<std::string> search(const std::string &bases)
  {
    tight_record r(bases);
    CSearchController::reset_minimum_arrays(); // tables sized by the options in force
    CSearchController ctl(1, r.mol);
    ctl.complete_imperfect_search(stdout);
    EXPECT_TRUE(ctl.exactSATList.empty());
    std::vector<std::string> found;
    for (const Csat *s : ctl.imperfectSATList)
      found.push_back("L" + std::to_string(s->unit_length()) + "@" +
                      std::to_string(s->unit_begin - r.begin()) + " " + summary(*s, r.begin()));
    return found;
  }
};

using list = std::vector<std::string>;

} // namespace

TEST_F(ImperfectSearchTest, DinucleotideWithOneMismatchIsFoundOnceWithoutLongerUnits)
{
  EXPECT_EQ(list{"L2@3 3-18 s8 m1 i0 d0 n0 [M11]"}, search("GGTACACACACGCACACACTTG"));
}

TEST_F(ImperfectSearchTest, TrinucleotideWithOneMismatchIsFoundOnce)
{
  EXPECT_EQ(list{"L3@0 0-23 s15 m1 i0 d0 n0 [M12]"}, search("CAGCAGCAGCAGTAGCAGCAGCAGGT"));
}

TEST_F(ImperfectSearchTest, MononucleotideRunIsFoundOnceByItsOwnPass)
{
  EXPECT_EQ(list{"L1@0 0-7 s7 m0 i0 d0 n0 []"}, search("AAAAAAAA"));
  EXPECT_EQ(list{"L1@1 1-8 s7 m0 i0 d0 n0 []"}, search("CAAAAAAAAC"));
  EXPECT_EQ(list{}, search("AAAAAA")) << "a run of 6 scores 5 beside its unit copy";
}

TEST_F(ImperfectSearchTest, UnitRangeOfOneRunsOnlyTheMononucleotidePass)
{
  global_min_unit_length = global_max_unit_length = 1;
  EXPECT_EQ(list{"L1@0 0-7 s7 m0 i0 d0 n0 []"}, search("AAAAAAAAGTCACACACACACACACAC"));
  global_min_unit_length = 2;
  global_max_unit_length = 2;
  EXPECT_EQ(list{"L2@10 10-26 s15 m0 i0 d0 n0 []"}, search("AAAAAAAAGTCACACACACACACACAC"));
}

TEST_F(ImperfectSearchTest, WindowNeedsABaseAfterIt)
{
  global_min_score = 0;
  global_min_score_bx = 0;
  global_min_unit_length = global_max_unit_length = 4;
  EXPECT_EQ(list{}, search("ACGT"));
  EXPECT_EQ(list{}, search("ACG"));
  EXPECT_EQ(list{"L4@0 0-4 s1 m0 i0 d0 n0 []"}, search("ACGTA"));
  // GCAT ends at the sequence end and is free, but is no window.
  EXPECT_EQ(list{"L4@0 0-3 s0 m0 i0 d0 n0 []"}, search("ACGTGCAT"));
  global_min_unit_length = global_max_unit_length = 1;
  EXPECT_EQ(list{}, search("A"));
  EXPECT_EQ(list{"L1@0 0-0 s0 m0 i0 d0 n0 []"}, search("AC"))
      << "the last base is never a window start";
}

TEST_F(ImperfectSearchTest, NOnlyAndEmptyRecordsYieldNothing)
{
  EXPECT_EQ(list{}, search(""));
  EXPECT_EQ(list{}, search("N"));
  EXPECT_EQ(list{}, search("NNNNNNNNNNNNNNNNNNNNNNNN"));
  global_min_score = 0;
  global_min_score_bx = 0;
  EXPECT_EQ(list{}, search("NNNNNNNNNNNNNNNNNNNNNNNN"));
}

TEST_F(ImperfectSearchTest, WindowsHoldingNAreNotSeedsButRepeatsSpanShortNRuns)
{
  // Every window holding the N is skipped; the repeat is grown over it from
  // the windows beside it and trimmed where an N run touches its ends.
  EXPECT_EQ(list{"L2@0 0-15 s13 m0 i0 d0 n1 []"}, search("ACACACACNCACACACNNNN"));
  EXPECT_EQ(list{"L2@3 3-16 s12 m0 i0 d0 n0 []"}, search("NNNACACACACACACACNN"));
  global_min_score = 0;
  global_min_score_bx = 0;
  global_min_unit_length = global_max_unit_length = 2;
  EXPECT_EQ(list{"L2@2 2-3 s0 m0 i0 d0 n0 []"}, search("GNTCA"));
}

TEST_F(ImperfectSearchTest, RepeatsTouchingBothEndsAreFoundWholeInBothPasses)
{
  EXPECT_EQ(list{"L1@0 0-11 s11 m0 i0 d0 n0 []"}, search("TTTTTTTTTTTT"));
  EXPECT_EQ(list{"L3@0 0-17 s15 m0 i0 d0 n0 []"}, search("GATGATGATGATGATGAT"));
  EXPECT_EQ(list{"L2@0 0-13 s7 m0 i0 d1 n0 [D8]"}, search("ACACACACCACACA"));
}

TEST_F(ImperfectSearchTest, FoundRepeatKeepsLongerUnitWindowsOutOfItsStretch)
{
  // Without the marking, AC-repeat windows would seed ACAC, ACACAC, ... too.
  EXPECT_EQ(list{"L2@2 2-25 s22 m0 i0 d0 n0 []"}, search("TTACACACACACACACACACACACACTT"));
}

TEST_F(ImperfectSearchTest, MononucleotideMarksAreClearedBeforeLongerUnits)
{
  // The dinucleotide window at the end of the A run lies inside the run's
  // marks; it must be tried so that the repeat gets the unit of its first
  // window (AC at 7), not that of a later one (CA at 8).
  EXPECT_EQ((list{"L1@0 0-7 s7 m0 i0 d0 n0 []", "L2@7 7-19 s11 m0 i0 d0 n0 []"}),
            search("AAAAAAAACACACACACACA"));
}

TEST_F(ImperfectSearchTest, EventPositionsOfAFoundRepeatStayOpenForWindows)
{
  // The mismatch inside the A run leaves its position free: with no minimum
  // score the G there becomes a repeat of its own.
  global_min_score = 0;
  global_min_score_bx = 0;
  global_max_unit_length = 1;
  EXPECT_EQ((list{"L1@0 0-16 s10 m1 i0 d0 n0 [M8]", "L1@8 8-8 s0 m0 i0 d0 n0 []"}),
            search("AAAAAAAAGAAAAAAAA"));
}

TEST_F(ImperfectSearchTest, EventsOfBothDirectionsAreSortedByPosition)
{
  // No window of the left flank is free of N, so the repeat is seeded in the
  // middle and meets one mismatch on each side.
  EXPECT_EQ(list{"L3@10 0-33 s16 m2 i0 d0 n3 [M9 M27]"},
            search("ANGANGANG" "T" "CGACGACGACGACGACG" "T" "CGACGA"));
}
