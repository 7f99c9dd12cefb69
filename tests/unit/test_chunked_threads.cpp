// The chunks of one record searched on threads of their own: the same
// repeats as the sequential search, and no data race between the chunks'
// pools, remembered walks and marks (run under ThreadSanitizer).
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <string>

#include "chunked_support.h"
#include "engine_test.h"
#include "input/CFile.h"
#include "test_support.h"

namespace {

class ChunkedThreadsTest : public EngineTest
{
};

TEST_F(ChunkedThreadsTest, ChunksOnThreadsGiveTheSequentialRepeatsWithoutRaces)
{
  std::mt19937 rng(29);
  std::string (*const makers[])(std::mt19937 &) = {repeats_on_borders, satellites_across_chunks,
                                                    N_runs_on_borders, very_short};
  for (int round = 0; round < 24; ++round) {
    draw_search_options(rng);
    const std::string s = makers[round % 4](rng);
    for (int mode = 0; mode <= 2; ++mode) {
      SCOPED_TRACE("round " + std::to_string(round) + " mode " + std::to_string(mode));
      const auto sequential = search_in_chunks(s, mode, 1, run_tasks_in_order);
      for (unsigned k : {2u, 3u, 8u})
        ASSERT_EQ(sequential, search_in_chunks(s, mode, k, run_tasks_on_threads)) << k << " chunks";
    }
  }
}

// Records one after the other reuse the pool the chunks' records went back to.
TEST_F(ChunkedThreadsTest, RecordsAfterAThreadedSearchReuseItsRecordsUnchanged)
{
  std::mt19937 rng(30);
  for (int round = 0; round < 6; ++round) {
    const std::string s = repeats_on_borders(rng);
    const auto first = search_in_chunks(s, 2, 4, run_tasks_on_threads);
    EXPECT_EQ(first, search_in_chunks(s, 2, 4, run_tasks_on_threads));
    EXPECT_EQ(first, search_in_chunks(s, 2, 1, run_tasks_in_order));
  }
}

// A stop request reaches the chunks on every thread: each ends its chunk,
// the pass is dropped whole, no later pass starts, and every record goes
// back to the pool (the sanitizer build reports any that is lost).
TEST_F(ChunkedThreadsTest, StopRequestEndsEveryChunkAndLosesNoRecord)
{
  struct stopping_observer : silent_observer {
    std::atomic<unsigned> asked{0};
    // The first question comes from the search before its chunks start.
    bool stop_requested() override { return ++asked > 1; }
  };
  std::mt19937 rng(31);
  std::string s;
  while (s.size() < 600000)
    s += random_bases(rng, 500) + planted_repeat(rng, random_bases(rng, 1 + rng() % 6), 12, 5);
  tight_record r(s);
  for (int mode = 0; mode <= 2; ++mode) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    stopping_observer observer;
    CSearchController ctl(1, r.mol, setup_now(), test_pool(), observer);
    ctl.chunks = 4;
    ctl.executor = run_tasks_on_threads;
    if (mode == 0)
      ctl.exact_search_2();
    else if (mode == 1)
      ctl.search_exact_and_extend_to_imperfect_repeats();
    else
      ctl.complete_imperfect_search(nullptr);
    EXPECT_GE(observer.asked.load(), 2u);
    EXPECT_TRUE(ctl.exactSATList.empty());
    EXPECT_TRUE(ctl.imperfectSATList.empty()) << "a stopped pass must not be kept in part";
  }
}

// A record searched in chunks is also reported in parts, each part by a task
// with its own gap cursor. Faults guarded: a part starting its positions from
// the wrong removed gap, parts joined out of order, a repeat lost or written
// twice at a part border, a format or unit mode whose line depends on the
// repeat before it.
TEST_F(ChunkedThreadsTest, AReportWrittenInPartsIsTheReportWrittenInOneGo)
{
  std::mt19937 rng(5);
  // Short repeats every few dozen bases, with gaps removed from the record
  // now and then, so that the parts start between gaps and on them.
  std::string text = ">parts of a report\n";
  std::size_t column = 0;
  std::size_t repeats = 0;
  for (; repeats < 3 * CSearchController::min_repeats_per_part; ++repeats) {
    std::string piece = random_bases(rng, 10 + rng() % 30) +
                        planted_repeat(rng, random_bases(rng, 1 + rng() % 6), 8 + rng() % 6, 4);
    if (rng() % 3 == 0)
      piece.insert(rng() % piece.size(), std::string(1 + rng() % 3, '-'));
    for (char c : piece) {
      text += c;
      if (++column % 60 == 0)
        text += '\n';
    }
  }
  text += '\n';
  scratch_file f(text);
  CFile in(f.c_str());
  CSequence_Mol r;
  r.readFastaSequence_toupper_ambig2N_removegaps(in);
  ASSERT_GT(r.gap_positions.length, 1000u);
  const search_setup setup = search_setup::from_parameters();
  Csat_garbagecollector pool;
  CSearchController ctl(1, r, setup, pool);
  ctl.executor = run_tasks_on_threads;
  // The extension of exact seeds finds imperfect repeats, with events to
  // print, fast enough for the thread checker.
  ctl.search_exact_and_extend_to_imperfect_repeats();
  ctl.remove_hidden(ctl.imperfectSATList);
  ctl.filter_perfection(ctl.imperfectSATList);
  ctl.write_out_events(ctl.imperfectSATList);
  const std::list<Csat *> found(ctl.imperfectSATList.begin(), ctl.imperfectSATList.end());
  ASSERT_GT(found.size(), 2 * CSearchController::min_repeats_per_part);
  // Every format with the unit as found, and the unit modes in one format.
  const std::pair<int, int> formats_and_unit_modes[] = {{0, 0}, {1, 0}, {2, 0}, {3, 0},
                                                        {4, 0}, {1, 1}, {1, 2}};
  for (const auto &fu : formats_and_unit_modes) {
    global_print_sat_mode = fu.first;
    global_report_unit_mode = fu.second;
    SCOPED_TRACE("format " + std::to_string(fu.first) + " unit mode " + std::to_string(fu.second));
    auto report = [&](unsigned chunks) {
      ctl.chunks = chunks;
      return captured_output([&](FILE *out) { ctl.report_SATList(out, found); });
    };
    const std::string whole = report(1);
    for (unsigned chunks : {3u, 8u})
      ASSERT_TRUE(report(chunks) == whole) << chunks << " chunks";
  }
}

} // namespace
