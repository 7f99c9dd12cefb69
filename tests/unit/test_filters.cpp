// The overlap and perfection filters: which record of an overlapping pair
// survives, and which perfections are kept, with the rejected records back in
// the pool.
#include <gtest/gtest.h>

#include <vector>

#include "engine/CSearchController.h"
#include "params/global-types-and-parameters.h"
#include "engine_test.h"

namespace {

class FiltersTest : public EngineTest
{
protected:

  CSequence_Mol record;
  Csat_garbagecollector pool;
  char seq[64] = {};

  // A repeat [left, right) with the unit at its start.
  Csat *repeat(CsatContainer &list, int left, int right, unsigned unit_length, int score,
               unsigned Ns = 0)
  {
    Csat *s = pool.get_new(seq + left, seq + left + unit_length);
    s->pos_right = seq + right;
    s->score = score;
    s->Ns = Ns;
    list.push_back(s);
    return s;
  }
};

std::vector<Csat *> contents(const CsatContainer &list) { return {list.begin(), list.end()}; }

} // namespace

TEST_F(FiltersTest, OfTwoMostlyOverlappingRepeatsTheHigherScoreSurvives)
{
  CSearchController c(1, record);
  {
    CsatContainer list(pool);
    Csat *a = repeat(list, 0, 20, 2, 14);
    Csat *b = repeat(list, 1, 20, 4, 12);
    c.remove_hidden(list);
    EXPECT_EQ(std::vector<Csat *>{a}, contents(list)) << "A adds only 1 base < 2 outside the overlap";
    EXPECT_EQ(b, pool.free_list.back());
  }
  {
    CsatContainer list(pool);
    Csat *a = repeat(list, 0, 20, 2, 10);
    Csat *b = repeat(list, 1, 20, 4, 12);
    Csat *d = repeat(list, 2, 21, 3, 11);
    Csat *e = repeat(list, 30, 40, 2, 8);
    c.remove_hidden(list);
    EXPECT_EQ((std::vector<Csat *>{b, e}), contents(list))
        << "a removed A hands its turn to the next record, which goes on removing";
    EXPECT_EQ(d, pool.free_list.back());
    EXPECT_EQ(a, *std::prev(pool.free_list.end(), 2));
  }
  {
    CsatContainer list(pool);
    Csat *a = repeat(list, 0, 20, 2, 14);
    Csat *b = repeat(list, 15, 40, 2, 20);
    Csat *t = repeat(list, 40, 41, 1, 0);
    c.remove_hidden(list);
    EXPECT_EQ((std::vector<Csat *>{a, b, t}), contents(list))
        << "15 and 20 bases outside a 5-base overlap, and a record touching the end, all stay";
  }
  {
    CsatContainer list(pool);
    Csat *first = repeat(list, 5, 25, 2, 14);
    repeat(list, 5, 25, 4, 14);
    c.remove_hidden(list);
    EXPECT_EQ(std::vector<Csat *>{first}, contents(list)) << "on equal scores the earlier record stays";
  }
}

TEST_F(FiltersTest, OverlapFilterSwitchedOffLeavesTheListAlone)
{
  CSearchController c(1, record);
  global_remove_mostly_hidden = false;
  CsatContainer list(pool);
  Csat *a = repeat(list, 0, 20, 2, 14);
  Csat *b = repeat(list, 1, 20, 4, 12);
  c.remove_hidden(list);
  EXPECT_EQ((std::vector<Csat *>{a, b}), contents(list));
  EXPECT_EQ(0u, pool.size());
}

TEST_F(FiltersTest, PerfectionFilterKeepsBothBoundsAndSkipsTheFullRange)
{
  CSearchController c(1, record);
  {
    CsatContainer list(pool);
    global_N_and_perfection_mode = 1;
    Csat *only_N = repeat(list, 0, 4, 2, 0, 4);
    c.filter_perfection(list);
    EXPECT_EQ(std::vector<Csat *>{only_N}, contents(list))
        << "the full range computes no perfection, so a zero denominator stays";
  }
  {
    CsatContainer list(pool);
    global_N_and_perfection_mode = 0;
    global_min_perfection = 90;
    Csat *at_bound = repeat(list, 0, 20, 2, 16, 2);
    Csat *below = repeat(list, 20, 40, 2, 15, 3);
    Csat *perfect = repeat(list, 40, 50, 2, 8);
    c.filter_perfection(list);
    EXPECT_EQ((std::vector<Csat *>{at_bound, perfect}), contents(list));
    EXPECT_EQ(below, pool.free_list.back());

    global_min_perfection = 0;
    global_max_perfection = 90;
    c.filter_perfection(list);
    EXPECT_EQ(std::vector<Csat *>{at_bound}, contents(list)) << "the upper bound is inclusive too";
    EXPECT_EQ(perfect, pool.free_list.back());
  }
}
