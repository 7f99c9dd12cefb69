// The exact search under a console whose clock and stop button the test
// controls: progress lines at the fixed window starts, and a stop request
// that ends the search with what it found, sorted, with nothing lost.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_test.h"
#include "scripted_console.h"

namespace {

class ExactSearchStopTest : public EngineTest
{
protected:
  void SetUp() override
  {
    EngineTest::SetUp();
    scripted_console::reset();
    // 1000 bases holding exactly three repeats, C x 10 at 100, TG x 6 at 400
    // and AAG x 4 at 800, in a background that no unit of up to three bases
    // continues for long.
    std::string s;
    while (s.size() < 1000)
      s += "ACGGTCATTGCAGTAC";
    s.replace(100, 10, "CCCCCCCCCC").replace(400, 12, "TGTGTGTGTGTG").replace(800, 12, "AAGAAGAAGAAG");
    load(s.substr(0, 1000));
    // Enough spare records that the search never allocates: the pool and the
    // list together must hold all of them again afterwards.
    std::vector<Csat *> taken(50);
    for (Csat *&t : taken)
      t = sat_alloc.get_new(nullptr, nullptr);
    for (Csat *t : taken)
      sat_alloc.push_back(t);
  }
};

} // namespace

TEST_F(ExactSearchStopTest, ProgressComesAtFixedWindowStartsAndAStopKeepsWhatWasFoundSorted)
{
  const struct {
    const char *what;
    unsigned min_unit_length, max_unit_length;
    bool progress_due;
    int stop_after_questions;
    std::vector<status_line> lines;
    int questions;
    std::vector<long> starts;
  } rows[] = {
      {"a line at window starts 0, 256, 512 and 768 of each pass, a question after each and before each pass",
       2, 3, true, -1, {{2, 'r'}, {2, 'r'}, {2, 'r'}, {2, 'r'}, {3, 'r'}, {3, 'r'}, {3, 'r'}, {3, 'r'}}, 10,
       {400, 800}},
      {"stopped at the line at 512, after the dinucleotide repeat at 400", 2, 3, true, 3,
       {{2, 'r'}, {2, 'r'}, {2, 'r'}, {2, 'a'}}, 4, {400}},
      {"stopped before the pass of unit length 3", 1, 10, false, 2, {{3, 'a'}}, 3, {100, 400}},
  };
  for (const auto &row : rows) {
    scripted_console::reset();
    scripted_console::progress_due = row.progress_due;
    scripted_console::stop_after_questions = row.stop_after_questions;
    global_min_unit_length = row.min_unit_length;
    global_max_unit_length = row.max_unit_length;
    CSearchController::reset_minimum_arrays();
    const size_t pool_before = sat_alloc.size();
    CSearchController c(7, record);
    c.exact_search_2();
    EXPECT_EQ(row.lines, scripted_console::lines) << row.what;
    EXPECT_EQ(row.questions, scripted_console::questions) << row.what;
    std::vector<long> starts;
    for (const Csat *s : c.exactSATList)
      starts.push_back(s->pos_left - at(0));
    EXPECT_EQ(row.starts, starts) << row.what;
    EXPECT_EQ(pool_before, sat_alloc.size() + c.exactSATList.size()) << "records lost: " << row.what;
  }
}
