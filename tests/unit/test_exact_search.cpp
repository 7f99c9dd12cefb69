// The exact search: which perfect repeats are found, how N runs are stepped
// over and trimmed, and how accepted shorter units keep longer units out --
// but only when the report will show them.
#include <array>

#include "engine_test.h"

namespace {

using ExactSearchTest = EngineTest;

// A found record as [left, right), unit start, unit length, score, Ns.
using found = std::array<long, 6>;
using list = std::vector<found>;

void no_minimum_score()
{
  global_min_score = 0;
  global_min_score_bx = 0;
}

} // namespace

TEST_F(ExactSearchTest, EachPerfectRepeatIsFoundOnceInPositionOrder)
{
  const struct {
    const char *fault, *seq;
    void (*options)();
    list expected;
    bool seed_tables = false; // the internal seed thresholds, as in the extend-exact mode
  } rows[] = { // with the default options: a minimum score of max(6, L), up to 2 N in a row
      {"no repeat of unit 4, 6 or 8 in the same place", "ACACACACAC", nullptr, {{0, 10, 0, 2, 8, 0}}},
      {"", "AAAAAAA", nullptr, {{0, 7, 0, 1, 6, 0}}},
      {"six bases score 5, below the minimum of 6", "AAAAAAC", nullptr, {}},
      {"the score counts the bases outside the seed window", "GTTAGCAGCAGCTT", nullptr, {{3, 12, 3, 3, 6, 0}}},
      {"", "ACACACACGTTTTTTTTTG", nullptr, {{0, 8, 0, 2, 6, 0}, {9, 18, 9, 1, 8, 0}}},
      {"one N stepped over unscored", "ACACNCACAC", [] { global_Ns_allowed_in_a_row = 1; },
       {{0, 10, 0, 2, 7, 1}}},
      {"no N admitted", "ACACNCACAC", [] { global_Ns_allowed_in_a_row = 0; }, {}},
      {"N as a mismatch ends the repeat", "ACACNCACAC", [] { global_treat_Ns_as_missense = true; }, {}},
      {"a run of three N ends the repeat when two are allowed", "ACACACACNNNCACACACA", nullptr,
       {{0, 8, 0, 2, 6, 0}, {11, 19, 11, 2, 6, 0}}},
      {"", "ACACACACNNNCACACACA", [] { global_Ns_allowed_in_a_row = 3; }, {{0, 19, 0, 2, 14, 3}}},
      {"admitted runs at both borders are not part of the repeat", "NNACACACACACNN", nullptr,
       {{2, 12, 2, 2, 8, 0}}},
      {"an N stepped over before a mismatch is given back", "ACACACACACNA", nullptr, {{0, 10, 0, 2, 8, 0}}},
      {"", "AAAANAAA", nullptr, {{0, 8, 0, 1, 6, 1}}},
      {"a window holding N is never a seed", "ACNACNACNACNACNACNACN", nullptr, {}},
      {"", "", nullptr, {}},
      {"", "NNNNNNNNNNNNNNNNNNNN", nullptr, {}},
      {"", "A", nullptr, {}},
      {"a window needs one base after it", "ACGTACGT", [] { no_minimum_score(), global_min_unit_length = 8; }, {}},
      {"", "ACGTACGTA", [] { no_minimum_score(), global_min_unit_length = 8; }, {{0, 9, 0, 8, 1, 0}}},
      {"without the mononucleotide pass, one repeated base is never a unit", "AAAAAAAAAAAAAAAA",
       [] { global_min_unit_length = 2; }, {}},
      {"a repeat outside the perfection range is not marked and is found again from later windows", "ACACNCACAC",
       [] { global_Ns_allowed_in_a_row = 1, global_min_perfection = 95; },
       {{0, 10, 0, 2, 7, 1}, {0, 10, 1, 2, 7, 1}, {0, 10, 2, 2, 7, 1}, {0, 10, 5, 2, 7, 1}, {0, 10, 6, 2, 7, 1},
        {0, 10, 7, 2, 7, 1}}},
      {"exactly 90% is inside the range", "ACACNCACAC",
       [] { global_Ns_allowed_in_a_row = 1, global_min_perfection = 90; }, {{0, 10, 0, 2, 7, 1}}},
      {"a seed below the user's minimum score is kept but not marked", "ACACACA", nullptr,
       {{0, 7, 0, 2, 5, 0}, {0, 7, 1, 2, 5, 0}, {0, 7, 2, 2, 5, 0}, {0, 7, 3, 2, 5, 0}, {0, 7, 4, 2, 5, 0}}, true},
      {"", "ACACACA", nullptr, {}},
      {"sorted by position", "GGGGGACGACGACGATATATGGGG",
       [] { global_min_score = 4, global_min_score_bx = 0, global_max_unit_length = 4; },
       {{0, 5, 0, 1, 4, 0}, {4, 15, 4, 3, 8, 0}, {14, 20, 14, 2, 4, 0}}},
      {"a window that cannot grow is still a repeat of score 0", "ACGTTGCA",
       [] { no_minimum_score(), global_min_unit_length = global_max_unit_length = 3; },
       {{0, 3, 0, 3, 0, 0}, {2, 6, 3, 3, 1, 0}}},
  };
  for (const auto &row : rows) {
    init_param();
    if (row.options)
      row.options();
    load(row.seq);
    CSearchController c(1, record, setup_now(), test_pool());
    c.exact_search_2(row.seed_tables ? c.setup.intern : c.setup.user);
    list got;
    for (const Csat *s : c.exactSATList) {
      got.push_back(
          {s->pos_left - at(0), s->pos_right - at(0), s->unit_begin - at(0), s->unit_length(), s->score, s->Ns});
      EXPECT_EQ(0u, s->mismatches + s->insertions + s->deletions + s->alignment.size());
    }
    EXPECT_EQ(row.expected, got) << row.seq << ": " << row.fault;
  }
}
