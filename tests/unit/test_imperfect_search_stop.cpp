// The direct imperfect search under a console whose clock and stop button the
// test controls: progress lines at the fixed window starts, and a stop
// request that ends the search with what it found, sorted, with no record
// lost.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/CSearchController.h"
#include "params/global-types-and-parameters.h"
#include "scripted_console.h"

using namespace scripted_console;

namespace {

using status = std::vector<status_line>;

class ImperfectSearchStopTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    init_param();
    CSearchController::reset_minimum_arrays();
    scripted_console::reset();
    load_sequence();
    // Enough spare records that the search never allocates; then the pool
    // and the list together must hold all of them again afterwards.
    std::vector<Csat *> taken;
    for (int i = 0; i < 50; ++i)
      taken.push_back(sat_alloc.get_new(nullptr, nullptr));
    for (Csat *s : taken)
      sat_alloc.push_back(s);
    pool_before = sat_alloc.size();
  }
  void TearDown() override { CSearchController::reset_minimum_arrays(); }

  CSequence_Mol record;
  size_t pool_before = 0;

  // 1000 bases holding exactly three repeats: TG x 6 at 100, C x 10 at 400
  // and AAG x 4 at 800. Elsewhere no base continues a period of up to 10 for
  // more than four bases, which keeps every other score below 6.
  void load_sequence()
  {
    std::string s;
    std::mt19937 rng(2024);
    while (s.size() < 1000) {
      if (s.size() == 99)
        s += std::string("A") + "TGTGTGTGTGTG";
      else if (s.size() == 399)
        s += std::string("A") + "CCCCCCCCCC";
      else if (s.size() == 799)
        s += std::string("T") + "AAGAAGAAGAAG";
      const size_t i = s.size();
      const unsigned first = rng() % 4;
      char chosen = "ACGT"[first];
      for (unsigned k = 0; k < 4; ++k) {
        const char b = "ACGT"[(first + k) % 4];
        bool continues_a_period = false;
        for (size_t d = 1; d <= 10 && d <= i; ++d) {
          size_t run = 0;
          while (run < 4 && i - run > d && s[i - run - 1] == s[i - run - 1 - d])
            ++run;
          continues_a_period = continues_a_period || (run == 4 && s[i - d] == b);
        }
        if (!continues_a_period) {
          chosen = b;
          break;
        }
      }
      s += chosen;
    }
    s.resize(1000);
    record.seq.assign(s.data(), s.data() + s.size());
    record.name.assign("r");
  }

  std::vector<long> starts(const CSearchController &c) const
  {
    std::vector<long> v;
    for (const Csat *s : c.imperfectSATList)
      v.push_back(s->pos_left - record.seq.data);
    return v;
  }

  void expect_nothing_lost(const CSearchController &c) const
  {
    EXPECT_EQ(pool_before, sat_alloc.size() + c.imperfectSATList.size());
  }
};

} // namespace

TEST_F(ImperfectSearchStopTest, WholeSearchFindsExactlyThePlantedRepeats)
{
  CSearchController c(3, record);
  c.complete_imperfect_search(stdout);
  EXPECT_EQ((std::vector<long>{100, 400, 800}), starts(c));
  EXPECT_EQ(status{}, lines) << "no progress line is due";
  expect_nothing_lost(c);
}

TEST_F(ImperfectSearchStopTest, ProgressComesAtThePassStartAndEvery256WindowStarts)
{
  progress_due = true;
  global_max_unit_length = 3;
  CSearchController c(3, record);
  c.complete_imperfect_search(stdout);
  EXPECT_EQ((status{{1, 'r'}, {1, 'r'}, {1, 'r'}, {1, 'r'},
                    {2, 'r'}, {2, 'r'}, {2, 'r'}, {2, 'r'},
                    {3, 'r'}, {3, 'r'}, {3, 'r'}, {3, 'r'}}),
            lines)
      << "unit length 1 at window starts 0, 256, 512, 768; the others before the pass and at "
         "256, 512, 768";
  EXPECT_EQ((std::vector<long>{100, 400, 800}), starts(c));
}

TEST_F(ImperfectSearchStopTest, MononucleotidePassChecksOnlyAtMultiplesOf256)
{
  progress_due = true;
  global_max_unit_length = 1;
  record.seq.data[0] = 'N';
  CSearchController c(3, record);
  c.complete_imperfect_search(stdout);
  EXPECT_EQ((status{{1, 'r'}, {1, 'r'}, {1, 'r'}}), lines)
      << "the first window start is 1, not a multiple of 256";
}

TEST_F(ImperfectSearchStopTest, StopInTheMononucleotidePassEndsEachLaterPassAtItsFirstLine)
{
  progress_due = true;
  stop_after_questions = 0;
  CSearchController c(3, record);
  c.complete_imperfect_search(stdout);
  EXPECT_EQ((status{{1, 'r'}, {1, 'a'}, {2, 'r'}, {2, 'a'}, {2, 'a'}}), lines);
  EXPECT_TRUE(c.imperfectSATList.empty());
  expect_nothing_lost(c);
}

TEST_F(ImperfectSearchStopTest, StopInsideAPassKeepsWhatWasFoundBeforeIt)
{
  progress_due = true;
  stop_after_questions = 2; // the lines at 0 and 256 pass; the one at 512 stops
  global_max_unit_length = 1;
  CSearchController c(3, record);
  c.complete_imperfect_search(stdout);
  EXPECT_EQ((status{{1, 'r'}, {1, 'r'}, {1, 'r'}, {1, 'a'}}), lines);
  EXPECT_EQ((std::vector<long>{400}), starts(c));
  expect_nothing_lost(c);
}

TEST_F(ImperfectSearchStopTest, StopBetweenUnitLengthsEndsTheSearchSorted)
{
  progress_due = true;
  stop_after_questions = 8; // four lines of each of the first two passes
  CSearchController c(3, record);
  c.complete_imperfect_search(stdout);
  EXPECT_EQ((status{{1, 'r'}, {1, 'r'}, {1, 'r'}, {1, 'r'},
                    {2, 'r'}, {2, 'r'}, {2, 'r'}, {2, 'r'}, {2, 'a'}}),
            lines);
  EXPECT_EQ(9, questions);
  EXPECT_EQ((std::vector<long>{100, 400}), starts(c))
      << "the dinucleotide repeat found after the mononucleotide one comes first";
  expect_nothing_lost(c);
}
