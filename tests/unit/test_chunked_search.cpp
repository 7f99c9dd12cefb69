// The search of one record in chunks confirmed in order: for every number of
// chunks, in every mode and under every option, the repeats, their order and
// events, and the work bound's verdict are those of the sequential search.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "chunked_support.h"
#include "engine_test.h"

namespace {

class ChunkedSearchTest : public EngineTest
{
};

const struct shape {
  const char *fault; // what goes wrong when a record of this shape differs
  std::string (*make)(std::mt19937 &);
} shapes[] = {
    {"a repeat seeded left of a border lost, doubled or its marks ignored right of it",
     repeats_on_borders},
    {"an array across several chunks searched again from each border, its marks not carried, "
     "or a record given over to the sequential search when mostly searched again left half done",
     satellites_across_chunks},
    {"a window holding N tried, or the scan past an N run leaving the chunk", N_runs_on_borders},
    {"empty chunks, or chunks of one window, losing or repeating a window", very_short},
};

TEST_F(ChunkedSearchTest, EveryChunkCountGivesTheSequentialRepeatsInEveryMode)
{
  std::mt19937 rng(11);
  for (const shape &sh : shapes)
    for (int round = 0; round < 25; ++round) {
      draw_search_options(rng);
      const std::string s = sh.make(rng);
      for (int mode = 0; mode <= 2; ++mode) {
        SCOPED_TRACE(std::string(sh.fault) + ": round " + std::to_string(round) + " mode " +
                     std::to_string(mode) + " length " + std::to_string(s.size()));
        const auto sequential = search_in_chunks(s, mode, 1, run_tasks_in_order);
        for (unsigned k : {2u, 3u, 5u, 8u})
          ASSERT_EQ(sequential, search_in_chunks(s, mode, k, run_tasks_in_order)) << k << " chunks";
      }
    }
}

// The chunks remember other walks than the sequential search and so make
// other explicit choices; the search must pass the work bound exactly where
// the sequential search does, including just below and above its count, and
// report what the sequential search reports past it.
TEST_F(ChunkedSearchTest, WorkBoundIsPassedExactlyWhereTheSequentialSearchPassesIt)
{
  std::mt19937 rng(5);
  int past = 0, within = 0;
  for (int round = 0; round < 12; ++round) {
    draw_search_options(rng);
    global_min_unit_length = 1;
    const std::string s = satellites_across_chunks(rng);
    for (int mode = 1; mode <= 2; ++mode) {
      tight_record r(s);
      CSearchController probe(1, r.mol, setup_now(), test_pool());
      if (mode == 1)
        probe.search_exact_and_extend_to_imperfect_repeats();
      else
        probe.complete_imperfect_search(nullptr);
      const unsigned long long used =
          CSearchController::step_budget_for(s.size()) - probe.step_budget;
      for (unsigned long long budget : {used / 2, used - 1, used, used + 1, 3 * used, 20 * used}) {
        if (budget == 0)
          continue;
        SCOPED_TRACE("round " + std::to_string(round) + " mode " + std::to_string(mode) +
                     " budget " + std::to_string(budget) + " used " + std::to_string(used));
        const auto sequential = search_in_chunks(s, mode, 1, run_tasks_in_order, budget);
        (!sequential.empty() && sequential[0] == "past the bound" ? past : within)++;
        for (unsigned k : {2u, 5u})
          ASSERT_EQ(sequential, search_in_chunks(s, mode, k, run_tasks_in_order, budget))
              << k << " chunks";
      }
    }
  }
  EXPECT_GT(past, 10);
  EXPECT_GT(within, 10);
}

// The walks a chunk takes from its remembered ones count as if aligned in
// full: the bound it checks is never below what any search of the same
// windows charges, or a record the sequential search searches past the
// bound would be reported as if within it.
TEST_F(ChunkedSearchTest, ChoicesTakenFromRememberedWalksCountAsAlignedInFull)
{
  std::mt19937 rng(8);
  for (int round = 0; round < 20; ++round) {
    draw_search_options(rng);
    const std::string s = satellites_across_chunks(rng);
    auto charged = [&](bool remember) {
      tight_record r(s);
      CSearchController ctl(1, r.mol, setup_now(), test_pool());
      ctl.remember_walks = remember;
      ctl.complete_imperfect_search(nullptr);
      return CSearchController::step_budget_for(s.size()) - ctl.step_budget;
    };
    SCOPED_TRACE("round " + std::to_string(round));
    const unsigned long long plain = charged(false);
    EXPECT_LE(charged(true), plain);
    // At the plain count the bound is never passed.
    if (plain > 1) {
      const auto at = search_in_chunks(s, 2, 3, run_tasks_in_order, plain);
      EXPECT_TRUE(at.empty() || at[0] != "past the bound");
      EXPECT_EQ(search_in_chunks(s, 2, 1, run_tasks_in_order, plain), at);
    }
  }
}

} // namespace
