// The exact search under a console whose clock and stop button the test
// controls: progress lines at the fixed window starts, and a stop request
// that ends the search with what it found, sorted, with nothing lost.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/CSearchController.h"
#include "params/global-types-and-parameters.h"
#include "scripted_console.h"

using namespace scripted_console;

namespace {

class ExactSearchStopTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    init_param();
    CSearchController::reset_minimum_arrays();
    scripted_console::reset();
  }
  void TearDown() override { CSearchController::reset_minimum_arrays(); }

  CSequence_Mol record;

  // 1000 bases holding exactly three repeats: C x 10 at 100, TG x 6 at 400 and
  // AAG x 4 at 800. Elsewhere no base continues a period of up to 10 for
  // more than four bases, so nothing else reaches a score of 6.
  void load_sequence()
  {
    std::string s;
    std::mt19937 rng(12345);
    auto add_block = [&](char guard, const char *block) {
      s += guard;
      s += block;
    };
    while (s.size() < 1000) {
      if (s.size() == 99)
        add_block('A', "CCCCCCCCCC");
      else if (s.size() == 399)
        add_block('C', "TGTGTGTGTGTG");
      else if (s.size() == 799)
        add_block('T', "AAGAAGAAGAAG");
      if (s.size() >= 1000)
        break;
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

  // Pool records are returned in full: what the list holds plus what is back
  // in the pool is what the pool had.
  void expect_nothing_lost(const CSearchController &c, size_t pool_before)
  {
    EXPECT_EQ(pool_before, sat_alloc.size() + c.exactSATList.size());
  }

  void fill_pool(size_t n)
  {
    std::vector<Csat *> taken;
    for (size_t i = 0; i < n; ++i)
      taken.push_back(sat_alloc.get_new(nullptr, nullptr));
    for (Csat *s : taken)
      sat_alloc.push_back(s);
  }
};

} // namespace

TEST_F(ExactSearchStopTest, ProgressComesBeforeEveryPassAndEvery256WindowStarts)
{
  load_sequence();
  progress_due = true;
  global_min_unit_length = 2;
  global_max_unit_length = 3;
  CSearchController c(7, record);
  c.exact_search_2();
  EXPECT_EQ((std::vector<status_line>{{2, 'r'}, {2, 'r'}, {2, 'r'}, {2, 'r'}, {3, 'r'}, {3, 'r'}, {3, 'r'}, {3, 'r'}}),
            lines)
      << "window starts 0, 256, 512 and 768 of each pass";
  EXPECT_EQ(2u, c.exactSATList.size());
}

TEST_F(ExactSearchStopTest, StopAfterAProgressLineEndsTheSearchWithWhatWasFound)
{
  load_sequence();
  fill_pool(50);
  const size_t pool_before = sat_alloc.size();
  progress_due = true;
  global_min_unit_length = 2;
  global_max_unit_length = 3;
  stop_after_questions = 3; // the pass question, then the lines at 0 and 256; stop at 512
  CSearchController c(7, record);
  c.exact_search_2();
  EXPECT_EQ((std::vector<status_line>{{2, 'r'}, {2, 'r'}, {2, 'r'}, {2, 'a'}}), lines);
  ASSERT_EQ(1u, c.exactSATList.size()) << "the dinucleotide repeat at 400 was found before the stop";
  EXPECT_EQ(400, c.exactSATList.front()->pos_left - record.seq.data);
  expect_nothing_lost(c, pool_before);
}

TEST_F(ExactSearchStopTest, StopBetweenUnitLengthsEndsTheSearchSorted)
{
  load_sequence();
  fill_pool(50);
  const size_t pool_before = sat_alloc.size();
  global_min_unit_length = 1;
  global_max_unit_length = 10;
  stop_after_questions = 2; // asked before the passes of unit lengths 1, 2 and 3
  CSearchController c(7, record);
  c.exact_search_2();
  EXPECT_EQ((std::vector<status_line>{{3, 'a'}}), lines);
  EXPECT_EQ(3, questions);
  std::vector<long> starts;
  for (const Csat *s : c.exactSATList)
    starts.push_back(s->pos_left - record.seq.data);
  EXPECT_EQ((std::vector<long>{100, 400}), starts)
      << "mononucleotide and dinucleotide repeats, in position order, and no trinucleotide";
  expect_nothing_lost(c, pool_before);
}
