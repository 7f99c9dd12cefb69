// Repeat records and their pool, their order, their perfection, the
// per-unit-length threshold tables and the prime-factor table.
#include <gtest/gtest.h>

#include <vector>

#include "engine/CSearchController.h"
#include "engine/Csat.h"
#include "engine/primeFactors.h"
#include "params/exit_status.h"
#include "params/global-types-and-parameters.h"
#include "engine_test.h"

namespace {

class PoolAndThresholdsTest : public EngineTest
{
};

std::vector<int> table(const int *t, unsigned from, unsigned to)
{
  return std::vector<int>(t + from, t + to + 1);
}

} // namespace

TEST_F(PoolAndThresholdsTest, PoolHandsOutTheLastReturnedRecordFirstWithEmptiedEvents)
{
  static const char seq[] = "ACGTACGT";
  Csat_garbagecollector pool;
  Csat *r1 = pool.get_new(seq, seq + 2);
  Csat *r2 = pool.get_new(seq + 2, seq + 5);
  ASSERT_NE(r1, r2);
  for (int i = 0; i < 5; ++i)
    r1->alignment.push_back({seq + i, 'M'});
  r1->score = 17;
  r1->Ns = 3;
  const unsigned capacity = r1->alignment.capacity;
  pool.push_back(r1);
  pool.push_back(r2);

  EXPECT_EQ(r2, pool.get_new(seq + 1, seq + 3));
  Csat *again = pool.get_new(seq + 4, seq + 7);
  ASSERT_EQ(r1, again);
  EXPECT_EQ(0u, again->alignment.size());
  EXPECT_EQ(capacity, again->alignment.capacity) << "a reused record keeps its event storage";
  EXPECT_EQ(seq + 4, again->pos_left);
  EXPECT_EQ(seq + 7, again->pos_right);
  EXPECT_EQ(seq + 4, again->unit_cursor_right);
  EXPECT_EQ(seq + 6, again->unit_cursor_left);
  EXPECT_EQ(seq + 4, again->unit_begin);
  EXPECT_EQ(seq + 7, again->unit_end);
  EXPECT_EQ(0, again->score);
  EXPECT_EQ(0u, again->Ns);
  EXPECT_EQ(0u, pool.size());
  pool.push_back(r1);
  pool.push_back(r2);
}

TEST_F(PoolAndThresholdsTest, SortingByPositionIsStableAndContainersReturnRecordsInOrder)
{
  static const char seq[64] = {};
  Csat_garbagecollector pool;
  std::vector<Csat *> made;
  {
    CsatContainer list(pool);
    for (auto range : {std::pair<int, int>{10, 20}, {5, 30}, {10, 15}, {10, 20}}) {
      made.push_back(pool.get_new(seq + range.first, seq + range.second));
      list.push_back(made.back());
    }
    list.sort_by_position();
    EXPECT_EQ((std::vector<Csat *>{made[1], made[2], made[0], made[3]}),
              std::vector<Csat *>(list.begin(), list.end()));

    auto it = list.remove_to_pool(list.begin());
    EXPECT_EQ(made[2], *it);
    EXPECT_EQ(1u, pool.size());
  }
  EXPECT_EQ((std::vector<Csat *>{made[1], made[2], made[0], made[3]}),
            std::vector<Csat *>(pool.free_list.begin(), pool.free_list.end()))
      << "a destroyed container appends its records to the pool in list order";

  const alignment_event m{seq + 3, 'M'}, d{seq + 3, 'D'}, i{seq + 3, 'I'}, later{seq + 4, 'D'};
  EXPECT_TRUE(Csat::lessThan_missense(d, m));
  EXPECT_TRUE(Csat::lessThan_missense(d, i));
  EXPECT_TRUE(Csat::lessThan_missense(i, m));
  EXPECT_FALSE(Csat::lessThan_missense(m, d));
  EXPECT_TRUE(Csat::lessThan_missense(m, later));
}

TEST_F(PoolAndThresholdsTest, PerfectionFollowsTheNModeInSinglePrecision)
{
  static const char seq[32] = {};
  Csat s;
  s.init(seq, seq + 2);
  s.pos_right = seq + 20;
  s.Ns = 2;
  global_N_and_perfection_mode = 0;
  EXPECT_EQ(90.0f, s.perfection()) << "18/20 must be exactly 90 so that --minPerfection 90 keeps it";
  global_N_and_perfection_mode = 1;
  EXPECT_EQ(100.0f, s.perfection());
  global_N_and_perfection_mode = 2;
  EXPECT_EQ(100.0f, s.perfection());

  s.Ns = 3;
  global_N_and_perfection_mode = 0;
  EXPECT_EQ(85.0f, s.perfection());

  s.Ns = 0;
  s.mismatches = 1;
  s.insertions = 1;
  s.deletions = 3;
  global_N_and_perfection_mode = 1;
  EXPECT_EQ(static_cast<float>(17) / static_cast<float>(22) * 100.0f, s.perfection())
      << "the normalised length counts deletions in and insertions out";
}

TEST_F(PoolAndThresholdsTest, PerfectionModeOutsideTheKnownOnesEndsTheProcessWithStatusTwo)
{
  static const char seq[] = "ACACAC";
  Csat s;
  s.init(seq, seq + 2);
  s.pos_right = seq + 6;
  global_N_and_perfection_mode = 3;
  EXPECT_EXIT(s.perfection(), ::testing::ExitedWithCode(exit_bad_perfection_mode), "");
}

TEST_F(PoolAndThresholdsTest, ThresholdTablesFollowTheOptionsAndAreBuiltOnce)
{
  CSequence_Mol record;
  {
    CSearchController c(1, record);
    EXPECT_EQ((std::vector<int>{6, 6, 6, 6, 6, 6, 6, 7, 8, 9, 10}),
              table(CSearchController::minScores_user, 0, 10));
    EXPECT_EQ(std::vector<int>(11, 0), table(CSearchController::minLengths_user, 0, 10));
    EXPECT_EQ((std::vector<int>{4, 4, 4, 4, 4, 5, 6, 7, 8, 9, 10}),
              table(CSearchController::minScores_intern, 0, 10));
    EXPECT_EQ(std::vector<int>(11, 0), table(CSearchController::minLengths_intern, 0, 10));
    EXPECT_EQ(CSearchController::minScores_user, CSearchController::minScores);
    EXPECT_EQ(CSearchController::minLengths_user, CSearchController::minLengths);
  }

  global_min_score_bx = 1.5f;
  global_min_length = 3;
  global_min_length_a = 2;
  global_min_length_bx = 0.25f;
  {
    CSearchController c(2, record);
    EXPECT_EQ((std::vector<int>{6, 6, 6, 6, 6, 6, 6, 7, 8, 9, 10}),
              table(CSearchController::minScores_user, 0, 10))
        << "a later controller must not rebuild the tables";
  }

  CSearchController::reset_minimum_arrays();
  EXPECT_EQ(nullptr, CSearchController::minScores_user);
  EXPECT_EQ(nullptr, CSearchController::minLengths_user);
  EXPECT_EQ(nullptr, CSearchController::minScores_intern);
  EXPECT_EQ(nullptr, CSearchController::minLengths_intern);
  EXPECT_EQ(nullptr, CSearchController::minScores);
  EXPECT_EQ(nullptr, CSearchController::minLengths);
  {
    CSearchController c(3, record);
    EXPECT_EQ((std::vector<int>{6, 6, 6, 6, 6, 8, 9, 11, 12, 14, 15}),
              table(CSearchController::minScores_user, 0, 10))
        << "1.5 x 5 = 7.5 rounds up to 8";
    EXPECT_EQ((std::vector<int>{3, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5}),
              table(CSearchController::minLengths_user, 0, 10));
  }

  CSearchController::reset_minimum_arrays();
  global_min_score = 0;
  global_min_score_a = -5;
  global_min_score_bx = 0.0f;
  global_max_unit_length = 3;
  {
    CSearchController c(4, record);
    EXPECT_EQ((std::vector<int>{0, 0, 0, 0}), table(CSearchController::minScores_user, 0, 3))
        << "a negative sum is raised to the constant part";
  }
}

TEST_F(PoolAndThresholdsTest, PrimeFactorTableHoldsTheDistinctSmallerPrimeFactorsOfEveryLength)
{
  for (unsigned n = 0; n < primeFactors_size; ++n) {
    std::vector<unsigned> expected;
    unsigned rest = n;
    for (unsigned p = 2; n > 1 && p * p <= rest; ++p) {
      if (rest % p == 0) {
        expected.push_back(p);
        while (rest % p == 0)
          rest /= p;
      }
    }
    if (n > 1 && rest > 1 && rest < n)
      expected.push_back(rest);
    ASSERT_LE(expected.size(), primeFactors_width - 1) << n;
    expected.resize(primeFactors_width, 0);
    ASSERT_EQ(expected, std::vector<unsigned>(primeFactors[n], primeFactors[n] + primeFactors_width))
        << "entry " << n;
  }
  EXPECT_EQ((std::vector<unsigned>{2, 3, 5, 7, 11, 0}),
            std::vector<unsigned>(primeFactors[2310], primeFactors[2310] + 6));
  EXPECT_EQ((std::vector<unsigned>{3, 11, 101, 0, 0, 0}),
            std::vector<unsigned>(primeFactors[9999], primeFactors[9999] + 6));
}
