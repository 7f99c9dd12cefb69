// The exact search: which perfect repeats are found, how N runs are stepped
// over and trimmed, and how accepted shorter units keep longer units out --
// but only when the report will show them.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "engine/CSearchController.h"
#include "params/global-types-and-parameters.h"
#include "engine_test.h"

namespace {

struct found {
  long left, right, unit_start;
  unsigned unit_length;
  int score;
  unsigned Ns;
  bool operator==(const found &o) const
  {
    return left == o.left && right == o.right && unit_start == o.unit_start &&
           unit_length == o.unit_length && score == o.score && Ns == o.Ns;
  }
};

std::ostream &operator<<(std::ostream &os, const found &f)
{
  return os << "{[" << f.left << "," << f.right << ") unit@" << f.unit_start << " L" << f.unit_length
            << " score " << f.score << " Ns " << f.Ns << "}";
}

class ExactSearchTest : public EngineTest
{
protected:

  CSequence_Mol record;
  std::vector<float> perfections;

  // Every record the search appends, in the order it leaves the list; with
  // seed_tables the internal seed thresholds are active, as in the
  // extend-exact mode.
  std::vector<found> search(const char *text, bool seed_tables = false)
  {
    CSearchController::reset_minimum_arrays();
    record.seq.assign(text);
    record.name.assign("t");
    CSearchController c(1, record);
    if (seed_tables) {
      CSearchController::minScores = CSearchController::minScores_intern;
      CSearchController::minLengths = CSearchController::minLengths_intern;
    }
    c.exact_search_2();
    std::vector<found> v;
    perfections.clear();
    const char *b = record.seq.data;
    for (const Csat *s : c.exactSATList) {
      v.push_back({s->pos_left - b, s->pos_right - b, s->unit_begin - b, s->unit_length(), s->score, s->Ns});
      perfections.push_back(s->perfection());
      EXPECT_EQ(0u, s->mismatches + s->insertions + s->deletions);
      EXPECT_EQ(0u, s->alignment.size());
    }
    return v;
  }
};

using list = std::vector<found>;

} // namespace

TEST_F(ExactSearchTest, PerfectRepeatIsFoundOnceAndNotAgainAsLongerUnits)
{
  EXPECT_EQ((list{{0, 10, 0, 2, 8, 0}}), search("ACACACACAC"));
  EXPECT_EQ((list{{0, 7, 0, 1, 6, 0}}), search("AAAAAAA"));
  EXPECT_EQ(list{}, search("AAAAAAC")) << "six bases score 5, below the minimum of 6";
  EXPECT_EQ((list{{3, 12, 3, 3, 6, 0}}), search("GTTAGCAGCAGCTT"))
      << "the score counts the bases outside the seed window, whichever window seeded it";
  EXPECT_EQ((list{{0, 8, 0, 2, 6, 0}, {9, 18, 9, 1, 8, 0}}), search("ACACACACGTTTTTTTTTG"));
}

TEST_F(ExactSearchTest, AdmittedNRunsAreSteppedOverUnscoredAndTrimmedAtTheEnds)
{
  global_Ns_allowed_in_a_row = 1;
  EXPECT_EQ((list{{0, 10, 0, 2, 7, 1}}), search("ACACNCACAC"));
  global_N_and_perfection_mode = 0;
  search("ACACNCACAC");
  EXPECT_EQ((std::vector<float>{90.0f}), perfections);
  global_N_and_perfection_mode = 1;
  search("ACACNCACAC");
  EXPECT_EQ((std::vector<float>{100.0f}), perfections);
  global_N_and_perfection_mode = 2;
  search("ACACNCACAC");
  EXPECT_EQ((std::vector<float>{100.0f}), perfections);

  global_Ns_allowed_in_a_row = 0;
  EXPECT_EQ(list{}, search("ACACNCACAC"));
  global_Ns_allowed_in_a_row = 1;
  global_treat_Ns_as_missense = true;
  EXPECT_EQ(list{}, search("ACACNCACAC")) << "N as a mismatch ends the repeat there";
  global_treat_Ns_as_missense = false;

  global_Ns_allowed_in_a_row = 2;
  EXPECT_EQ((list{{0, 8, 0, 2, 6, 0}, {11, 19, 11, 2, 6, 0}}), search("ACACACACNNNCACACACA"))
      << "a run of three N ends the repeat when two are allowed";
  global_Ns_allowed_in_a_row = 3;
  EXPECT_EQ((list{{0, 19, 0, 2, 14, 3}}), search("ACACACACNNNCACACACA"));

  global_Ns_allowed_in_a_row = 2;
  EXPECT_EQ((list{{2, 12, 2, 2, 8, 0}}), search("NNACACACACACNN"))
      << "admitted runs at both borders are not part of the repeat";
  EXPECT_EQ((list{{0, 10, 0, 2, 8, 0}}), search("ACACACACACNA"))
      << "an N stepped over before a mismatch is given back, with its count";
  EXPECT_EQ((list{{0, 8, 0, 1, 6, 1}}), search("AAAANAAA"));
  EXPECT_EQ(list{}, search("ACNACNACNACNACNACNACN")) << "a window holding N is never a seed";
}

TEST_F(ExactSearchTest, RecordsWithoutWindowsFindNothing)
{
  EXPECT_EQ(list{}, search(""));
  EXPECT_EQ(list{}, search("N"));
  EXPECT_EQ(list{}, search("NNNNNNNNNNNNNNNNNNNN"));
  EXPECT_EQ(list{}, search("A"));

  global_min_score = 0;
  global_min_score_bx = 0.0f;
  global_min_unit_length = 8;
  global_max_unit_length = 8;
  EXPECT_EQ(list{}, search("ACGTACGT")) << "a window needs one base after it";
  EXPECT_EQ((list{{0, 9, 0, 8, 1, 0}}), search("ACGTACGTA"));

  global_min_unit_length = 2;
  global_max_unit_length = 10;
  global_min_score = 6;
  global_min_score_bx = 1.0f;
  EXPECT_EQ(list{}, search("AAAAAAAAAAAAAAAA"))
      << "without the mononucleotide pass, units of one repeated base are never seeds";
}

TEST_F(ExactSearchTest, OnlyRepeatsInsideTheReportedRangeKeepOtherWindowsOut)
{
  global_Ns_allowed_in_a_row = 1;
  global_min_perfection = 95;
  EXPECT_EQ((list{{0, 10, 0, 2, 7, 1},
                  {0, 10, 1, 2, 7, 1},
                  {0, 10, 2, 2, 7, 1},
                  {0, 10, 5, 2, 7, 1},
                  {0, 10, 6, 2, 7, 1},
                  {0, 10, 7, 2, 7, 1}}),
            search("ACACNCACAC"))
      << "a 90% repeat outside the range is not marked and is found again from every later window, "
         "in window order";

  global_min_perfection = 90;
  EXPECT_EQ((list{{0, 10, 0, 2, 7, 1}}), search("ACACNCACAC")) << "exactly 90% is inside the range";

  global_min_perfection = 0;
  EXPECT_EQ((list{{0, 7, 0, 2, 5, 0},
                  {0, 7, 1, 2, 5, 0},
                  {0, 7, 2, 2, 5, 0},
                  {0, 7, 3, 2, 5, 0},
                  {0, 7, 4, 2, 5, 0}}),
            search("ACACACA", true))
      << "a seed below the user's minimum score is kept but not marked";
  EXPECT_EQ(list{}, search("ACACACA"));
}

TEST_F(ExactSearchTest, ResultIsSortedByPositionWithShorterUnitsFirst)
{
  global_min_score = 4;
  global_min_score_bx = 0.0f;
  global_max_unit_length = 4;
  const list l = search("GGGGGACGACGACGATATATGGGG");
  ASSERT_FALSE(l.empty());
  for (size_t i = 1; i < l.size(); ++i) {
    EXPECT_TRUE(l[i - 1].left < l[i].left ||
                (l[i - 1].left == l[i].left &&
                 (l[i - 1].right < l[i].right ||
                  (l[i - 1].right == l[i].right && l[i - 1].unit_length <= l[i].unit_length))))
        << l[i - 1] << " before " << l[i];
  }
  EXPECT_EQ((list{{0, 5, 0, 1, 4, 0},
                  {4, 15, 4, 3, 8, 0},
                  {14, 20, 14, 2, 4, 0}}),
            l);
}

TEST_F(ExactSearchTest, BareWindowsBecomeRepeatsWhenTheThresholdsAllowIt)
{
  global_min_score = 0;
  global_min_score_bx = 0.0f;
  global_min_unit_length = 3;
  global_max_unit_length = 3;
  EXPECT_EQ((list{{0, 3, 0, 3, 0, 0}, {2, 6, 3, 3, 1, 0}}), search("ACGTTGCA"))
      << "a window that cannot grow is still a repeat of score 0";
}
