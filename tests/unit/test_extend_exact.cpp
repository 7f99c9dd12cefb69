// The extend-exact search: exact seeds found with the internal thresholds,
// grown by the alignment, trimmed and kept by the user's thresholds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/CSearchController.h"
#include "imperfect_support.h"
#include "params/global-types-and-parameters.h"
#include "engine_test.h"

namespace {

class ExtendExactTest : public EngineTest
{
protected:

  // The records of the result list, as "unit length:unit offset summary";
  // messages holds what the search wrote to standard error.
  std::vector<std::string> search(const std::string &bases)
  {
    tight_record r(bases);
    CSearchController::reset_minimum_arrays();
    CSearchController ctl(1, r.mol);
    testing::internal::CaptureStderr();
    ctl.search_exact_and_extend_to_imperfect_repeats();
    messages = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(ctl.exactSATList.empty());
    EXPECT_EQ(CSearchController::minScores_user, CSearchController::minScores);
    EXPECT_EQ(CSearchController::minLengths_user, CSearchController::minLengths);
    std::vector<std::string> found;
    for (const Csat *s : ctl.imperfectSATList)
      found.push_back("L" + std::to_string(s->unit_length()) + "@" +
                      std::to_string(s->unit_begin - r.begin()) + " " + summary(*s, r.begin()));
    return found;
  }

  std::string messages;
};

using list = std::vector<std::string>;

const char both_stages[] = "  Searching for exact repeats.\n  Extend exact to imperfect repeats.\n";

} // namespace

TEST_F(ExtendExactTest, WithoutSeedsBothStagesAreAnnouncedAndNothingIsFound)
{
  EXPECT_EQ(list{}, search("ACGTTGCA"));
  EXPECT_EQ(both_stages, messages);
  EXPECT_EQ(list{}, search(""));
  EXPECT_EQ(both_stages, messages);
}

TEST_F(ExtendExactTest, SeedsBelowTheUserScoreAreGrownAcrossAMismatch)
{
  // Neither half reaches the minimum score 6 on its own; joined they do.
  // Unmarked seeds are found again from every window inside them, and every
  // one grows into the same repeat, which stays once per seed.
  list expected;
  for (int unit : {0, 1, 2, 3, 4, 7, 8, 9, 10, 11})
    expected.push_back("L2@" + std::to_string(unit) + " 0-13 s6 m1 i0 d0 n0 [M6]");
  EXPECT_EQ(expected, search("ACACACGCACACAC"));
  EXPECT_EQ(both_stages, messages);
}

TEST_F(ExtendExactTest, SeedThatStaysBelowTheUserScoreIsDropped)
{
  EXPECT_EQ(list{}, search("GGACACACTT"));
  global_min_score = 4;
  EXPECT_EQ(list{"L2@2 2-7 s4 m0 i0 d0 n0 []"}, search("GGACACACTT"));
}

TEST_F(ExtendExactTest, TrailingAndLeadingNsAreTrimmedAndUncounted)
{
  EXPECT_EQ(list{"L2@2 2-13 s10 m0 i0 d0 n0 []"}, search("NNACACACACACACNN"));
  EXPECT_EQ(list{"L2@2 2-13 s10 m0 i0 d0 n0 []"}, search("TTACACACACACACNN"));
  EXPECT_EQ(list{"L2@2 2-15 s10 m0 i0 d0 n2 []"}, search("TTACACANNCACACACGG"));
}

TEST_F(ExtendExactTest, EventsAreSortedByPositionThenKind)
{
  // The backward extension appends its events in decreasing order; the
  // accepted repeat carries them sorted.
  EXPECT_EQ(list{"L3@7 0-30 s16 m2 i0 d0 n0 [M6 M24]"},
            search("ACGACG" "T" "CGACGACGACGACGACG" "T" "CGACGA"));
}

TEST_F(ExtendExactTest, UnmarkedSeedsOutsideThePerfectionRangeAddLongerUnitSeeds)
{
  // With a maximum perfection below 100 no exact seed is marked, so the
  // tetranucleotide and hexanucleotide windows inside the dinucleotide run
  // become seeds of their own.
  EXPECT_EQ(list{"L2@0 0-11 s10 m0 i0 d0 n0 []"}, search("ACACACACACAC"));
  global_max_perfection = 99;
  const list found = search("ACACACACACAC");
  ASSERT_FALSE(found.empty());
  EXPECT_EQ("L2@0 0-11 s10 m0 i0 d0 n0 []", found.front());
  bool longer = false;
  for (const std::string &f : found)
    longer = longer || f.compare(0, 2, "L4") == 0 || f.compare(0, 2, "L6") == 0;
  EXPECT_TRUE(longer);
}
