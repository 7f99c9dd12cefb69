// The overlap and perfection filters: which record of an overlapping pair
// survives, and which perfections are kept, with the rejected records back in
// the pool in the order they were removed.
#include <algorithm>

#include "engine_test.h"

using FiltersTest = EngineTest;

TEST_F(FiltersTest, FiltersKeepTheRightRecordsAndReturnTheOthersToThePool)
{
  struct repeat {
    int left, right;
    unsigned unit_length;
    int score;
    unsigned Ns;
  };
  const struct {
    const char *fault;
    std::vector<repeat> list; // named A, B, C... in this order
    const char *kept, *removed;
    bool perfection_filter = false;
    int mode = 0;
    float min_perfection = 0, max_perfection = 100;
    bool remove_mostly_hidden = true;
  } rows[] = {
      {"A has 1 base < 2 outside the overlap: the lower score goes", {{0, 20, 2, 14, 0}, {1, 20, 4, 12, 0}}, "A", "B"},
      {"a removed A hands its turn to the next record, which goes on removing",
       {{0, 20, 2, 10, 0}, {1, 20, 4, 12, 0}, {2, 21, 3, 11, 0}, {30, 40, 2, 8, 0}}, "BD", "AC"},
      {"15 and 20 bases outside a 5-base overlap, and a record touching the end, all stay",
       {{0, 20, 2, 14, 0}, {15, 40, 2, 20, 0}, {40, 41, 1, 0, 0}}, "ABC", ""},
      {"exactly one unit of each outside the overlap is enough for both to stay",
       {{0, 20, 2, 14, 0}, {2, 24, 4, 12, 0}}, "AB", ""},
      {"on equal scores the earlier record stays", {{5, 25, 2, 14, 0}, {5, 25, 4, 14, 0}}, "A", "B"},
      {"the overlap filter switched off", {{0, 20, 2, 14, 0}, {1, 20, 4, 12, 0}}, "AB", "", false, 0, 0, 100, false},
      {"the full range computes no perfection, so a zero denominator stays", {{0, 4, 2, 0, 4}}, "A", "", true, 1},
      {"both bounds keep: 18/20 = 90 stays, 17/20 goes",
       {{0, 20, 2, 16, 2}, {20, 40, 2, 15, 3}, {40, 50, 2, 8, 0}}, "AC", "B", true, 0, 90},
      {"the upper bound keeps 90 and removes 100", {{0, 20, 2, 16, 2}, {20, 40, 2, 15, 3}, {40, 50, 2, 8, 0}},
       "AB", "C", true, 0, 0, 90},
  };
  static const char seq[64] = {};
  CSearchController c(1, record, setup_now(), test_pool());
  for (const auto &row : rows) {
    global_N_and_perfection_mode = row.mode;
    global_min_perfection = row.min_perfection;
    global_max_perfection = row.max_perfection;
    global_remove_mostly_hidden = row.remove_mostly_hidden;
    Csat_garbagecollector pool;
    CsatContainer list(pool);
    std::vector<Csat *> made;
    for (const repeat &r : row.list) {
      list.push_back(made.emplace_back(pool.get_new(seq + r.left, seq + r.left + r.unit_length)));
      made.back()->pos_right = seq + r.right;
      made.back()->score = r.score;
      made.back()->Ns = r.Ns;
    }
    row.perfection_filter ? c.filter_perfection(list) : c.remove_hidden(list);
    auto names = [&](const std::list<Csat *> &l) {
      std::string s;
      for (Csat *r : l)
        s += static_cast<char>('A' + (std::find(made.begin(), made.end(), r) - made.begin()));
      return s;
    };
    SCOPED_TRACE(row.fault);
    EXPECT_EQ(row.kept, names(list));
    EXPECT_EQ(row.removed, names(pool.free_list));
  }
}
