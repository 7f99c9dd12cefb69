// The exact and the direct imperfect search under an observer whose clock
// and stop button the test drives:
// progress lines at the fixed window starts, and a stop request, honoured
// right after a progress line and between unit lengths, that ends the search
// with what it found, sorted, with no record lost.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine_test.h"

namespace {

class driven_observer : public search_observer
{
public:
  std::string lines; // unit length and state of every status line, as "1r2a"
  bool due = false;
  int stop_after_questions = -1; // stop_requested() answers true after this many calls; -1: never
  int questions = 0;

  bool progress_due() override { return due; }
  void progress(unsigned, const char *, unsigned unit_length, char state) override
  {
    lines += std::to_string(unit_length) + state;
  }
  bool stop_requested() override
  {
    return ++questions > stop_after_questions && stop_after_questions >= 0;
  }
  void message(const char *) override {}
};

class SearchStopTest : public EngineTest
{
protected:
  // 1000 bases holding exactly three repeats: TG x 6 at 100, C x 10 at 400
  // and AAG x 4 at 800. Elsewhere no base continues a period of up to 10 for
  // more than four bases, which keeps every other score below 6.
  void SetUp() override
  {
    EngineTest::SetUp();
    std::string s;
    for (std::mt19937 rng(2024); s.size() < 1000;) {
      const size_t n = s.size();
      s += n == 99 ? "ATGTGTGTGTGTG" : n == 399 ? "ACCCCCCCCCC" : n == 799 ? "TAAGAAGAAGAAG" : "";
      // A random base, or the next one in ACGT order while it would continue
      // the period of the last four bases; the first when all four would.
      const size_t i = s.size();
      const unsigned first = rng() % 4;
      unsigned k = 0;
      for (bool continues = true; continues && k < 4; k += continues) {
        continues = false;
        for (size_t d = 1; d <= 10 && d <= i; ++d) {
          size_t run = 0;
          while (run < 4 && i - run > d && s[i - run - 1] == s[i - run - 1 - d])
            ++run;
          continues = continues || (run == 4 && s[i - d] == "ACGT"[(first + k) % 4]);
        }
      }
      s += "ACGT"[(first + k % 4) % 4];
    }
    load(s.substr(0, 1000));
    // Enough spare records that the search never allocates: the pool and the
    // list together must hold all of them again afterwards.
    for (int i = 0; i < 50; ++i)
      test_pool().push_back(new Csat);
  }
};

} // namespace

TEST_F(SearchStopTest, ProgressComesAtFixedWindowStartsAndAStopKeepsWhatWasFoundSorted)
{
  const struct {
    const char *what;
    bool exact;
    unsigned max_unit_length;
    bool progress_due, N_first;
    int stop_after_questions;
    const char *lines;
    int questions;
    std::vector<long> starts;
  } rows[] = {
      {"exact: a line at window starts 0, 256, 512 and 768 of each pass, a question after each "
       "and before each pass",
       true, 3, true, false, -1, "1r1r1r1r2r2r2r2r3r3r3r3r", 15, {100, 400, 800}},
      {"exact: stopped at the line at 512 of the pass of unit length 2, after the repeat at 100",
       true, 3, true, false, 8, "1r1r1r1r2r2r2r2a", 9, {100, 400}},
      {"exact: stopped before the pass of unit length 3", true, 10, false, false, 2, "3a", 3,
       {100, 400}},
      {"imperfect: no line due", false, 10, false, false, -1, "", 9, {100, 400, 800}},
      {"imperfect: unit length 1 at starts 0, 256, 512, 768; the others before the pass and at "
       "256, 512, 768",
       false, 3, true, false, -1, "1r1r1r1r2r2r2r2r3r3r3r3r", 14, {100, 400, 800}},
      {"imperfect: the first start 1 is no multiple of 256", false, 1, true, true, -1, "1r1r1r", 3,
       {400}},
      {"imperfect: a stop in the mononucleotide pass ends each later pass at its first line",
       false, 10, true, false, 0, "1r1a2r2a2a", 3, {}},
      {"imperfect: stopped at the line at 512", false, 1, true, false, 2, "1r1r1r1a", 3, {400}},
      {"imperfect: stopped between unit lengths 2 and 3; the dinucleotide repeat, found later, "
       "comes first",
       false, 10, true, false, 8, "1r1r1r1r2r2r2r2r2a", 9, {100, 400}},
  };
  const char first_base = at(0)[0];
  for (const auto &row : rows) {
    SCOPED_TRACE(row.what);
    driven_observer observer;
    observer.due = row.progress_due;
    observer.stop_after_questions = row.stop_after_questions;
    global_max_unit_length = row.max_unit_length;
    record.seq.data[0] = row.N_first ? 'N' : first_base;
    const size_t pool_before = test_pool().size();
    CSearchController c(7, record, setup_now(), test_pool(), observer);
    if (row.exact)
      c.exact_search_2();
    else
      c.complete_imperfect_search(stdout);
    const CsatContainer &found = row.exact ? c.exactSATList : c.imperfectSATList;
    EXPECT_EQ(row.lines, observer.lines);
    EXPECT_EQ(row.questions, observer.questions);
    std::vector<long> starts;
    for (const Csat *s : found)
      starts.push_back(s->pos_left - at(0));
    EXPECT_EQ(row.starts, starts);
    EXPECT_EQ(pool_before, test_pool().size() + found.size()) << "records lost";
  }
}
