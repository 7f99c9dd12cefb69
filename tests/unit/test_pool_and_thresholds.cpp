// Repeat records and their pool, their order, their perfection, the
// per-unit-length threshold tables and the prime-factor table.
#include "engine/primeFactors.h"
#include "engine_test.h"

namespace {

using PoolAndThresholdsTest = EngineTest;
using records = std::vector<Csat *>;
using table = std::vector<int>;

// The values for unit lengths 0 to 10.
table first(const int *t) { return table(t, t + 11); }

} // namespace

TEST_F(PoolAndThresholdsTest, RecordsSortStablyAndComeBackFromThePoolLastReturnedFirst)
{
  static const char seq[64] = {};
  Csat_garbagecollector pool;
  records made;
  {
    CsatContainer list(pool);
    for (auto range : {std::pair<int, int>{10, 20}, {5, 30}, {10, 15}, {10, 20}}) {
      made.push_back(pool.get_new(seq + range.first, seq + range.second));
      list.push_back(made.back());
    }
    list.sort_by_position();
    EXPECT_EQ((records{made[1], made[2], made[0], made[3]}), records(list.begin(), list.end()));
    EXPECT_EQ(made[2], *list.remove_to_pool(list.begin()));
    made[3]->alignment.push_back({seq, 'M'});
  }
  EXPECT_EQ((records{made[1], made[2], made[0], made[3]}), records(pool.free_list.begin(), pool.free_list.end()))
      << "removed and left-over records go to the back of the pool in list order";
  EXPECT_EQ(made[3], pool.get_new(seq, seq + 2));
  EXPECT_EQ(made[0], pool.get_new(seq, seq + 2));
  EXPECT_EQ(0u, made[3]->alignment.size()) << "a reused record kept the events of its last use";
  pool.push_back(made[3]);
  pool.push_back(made[0]);

  const alignment_event m{seq + 3, 'M'}, d{seq + 3, 'D'}, i{seq + 3, 'I'}, later{seq + 4, 'D'};
  EXPECT_TRUE(Csat::lessThan_missense(d, i) && Csat::lessThan_missense(i, m) && Csat::lessThan_missense(m, later));
  EXPECT_FALSE(Csat::lessThan_missense(m, d));
}

TEST_F(PoolAndThresholdsTest, PerfectionFollowsTheNModeInSinglePrecision)
{
  static const char seq[32] = {};
  const struct {
    int mode;
    unsigned mismatches, insertions, deletions, Ns;
    float perfection;
  } rows[] = {
      {0, 0, 0, 0, 2, 90.0f}, // 18/20 must be exactly 90, so that a minimum of 90 keeps it
      {1, 0, 0, 0, 2, 100.0f},
      {2, 0, 0, 0, 2, 100.0f},
      {1, 1, 1, 3, 0, 17.0f / 22.0f * 100.0f}, // the normalised length counts deletions in, insertions out
  };
  for (const auto &row : rows) {
    Csat s;
    s.init(seq, seq + 2);
    s.pos_right = seq + 20;
    s.mismatches = row.mismatches;
    s.insertions = row.insertions;
    s.deletions = row.deletions;
    s.Ns = row.Ns;
    global_N_and_perfection_mode = row.mode;
    EXPECT_EQ(row.perfection, s.perfection()) << "mode " << row.mode << ", " << row.Ns << " N";
  }
}

TEST_F(PoolAndThresholdsTest, ThresholdTablesFollowTheOptionsTheSetUpWasBuiltFrom)
{
  const search_setup defaults = search_setup::from_parameters();
  EXPECT_EQ((table{6, 6, 6, 6, 6, 6, 6, 7, 8, 9, 10}), first(defaults.user.scores.data()));
  EXPECT_EQ(table(11, 0), first(defaults.user.lengths.data()));
  EXPECT_EQ((table{4, 4, 4, 4, 4, 5, 6, 7, 8, 9, 10}), first(defaults.intern.scores.data()));
  EXPECT_EQ(table(11, 0), first(defaults.intern.lengths.data()));
  global_min_score_bx = 1.5f;
  global_min_length = 3;
  global_min_length_a = 2;
  global_min_length_bx = 0.25f;
  const search_setup changed = search_setup::from_parameters();
  EXPECT_EQ((table{6, 6, 6, 6, 6, 6, 6, 7, 8, 9, 10}), first(defaults.user.scores.data()))
      << "a set-up changed after it was built";
  EXPECT_EQ((table{6, 6, 6, 6, 6, 8, 9, 11, 12, 14, 15}), first(changed.user.scores.data()))
      << "1.5 x 5 = 7.5 rounds up to 8";
  EXPECT_EQ((table{3, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5}), first(changed.user.lengths.data()));
  global_min_score = 0;
  global_min_score_a = -5;
  global_min_score_bx = 0.0f;
  EXPECT_EQ(table(11, 0), first(search_setup::from_parameters().user.scores.data()))
      << "a negative sum is raised to the constant part";
  global_max_unit_length = 3;
  EXPECT_EQ(4u, search_setup::from_parameters().intern.scores.size())
      << "tables cover unit lengths 0 to the maximum";
}

TEST_F(PoolAndThresholdsTest, PrimeFactorTableHoldsTheDistinctSmallerPrimeFactorsOfEveryLength)
{
  for (unsigned n = 0; n < primeFactors_size; ++n) {
    std::vector<unsigned> expected;
    unsigned rest = n;
    for (unsigned p = 2; n > 1 && p * p <= rest; ++p) {
      if (rest % p == 0)
        expected.push_back(p);
      while (rest % p == 0)
        rest /= p;
    }
    if (n > 1 && rest > 1 && rest < n)
      expected.push_back(rest);
    ASSERT_LE(expected.size(), primeFactors_width - 1) << n;
    expected.resize(primeFactors_width, 0);
    ASSERT_EQ(expected, std::vector<unsigned>(primeFactors[n], primeFactors[n] + primeFactors_width)) << "entry " << n;
  }
}
