// The imperfect modes give up a record whose long imperfect tandem repeats
// would take them hours, and write nothing for it, rather than hanging; any
// record within the budget is searched exactly as without one.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/CSearchController.h"
#include "imperfect_support.h"
#include "params/global-types-and-parameters.h"
#include "test_support.h"

namespace {

// A dinucleotide repeat with a substitution, insertion or deletion every 7 to
// 12 bases: every longer unit also aligns across the whole of it.
std::string imperfect_dinucleotide_repeat(size_t n)
{
  std::mt19937 rng(3);
  std::string s;
  size_t phase = 0;
  while (s.size() < n) {
    for (unsigned k = 7 + rng() % 6; k > 0; --k)
      s += "AC"[phase++ % 2];
    switch (rng() % 3) {
    case 0: s += "GT"[rng() % 2]; ++phase; break;
    case 1: s += "ACGT"[rng() % 4]; break;
    default: ++phase; break;
    }
  }
  s.resize(n);
  return s;
}

class SearchBudgetTest : public ::testing::TestWithParam<int>
{
protected:
  void SetUp() override
  {
    init_param();
    global_search_mode = GetParam();
    CSearchController::reset_minimum_arrays();
  }
  void TearDown() override { CSearchController::reset_minimum_arrays(); }
};

} // namespace

TEST_P(SearchBudgetTest, ExhaustedBudgetAbandonsTheRecordAndWritesNothing)
{
  tight_record r(imperfect_dinucleotide_repeat(3000), "array");

  std::string full = captured_output([&](FILE *out) {
    CSearchController c(1, r.mol);
    EXPECT_NE(nullptr, c.search_filter_and_report(out));
    EXPECT_FALSE(c.abandoned);
    EXPECT_LT(c.extension_budget, CSearchController::extension_budget_for(3000))
        << "grown repeats are charged";
  });
  EXPECT_NE(std::string::npos, full.find("dinucleotide"));

  std::string abandoned = captured_output([&](FILE *out) {
    CSearchController c(1, r.mol);
    c.extension_budget = 20000; // a few times the record: far too little here
    EXPECT_EQ(nullptr, c.search_filter_and_report(out));
    EXPECT_TRUE(c.abandoned);
  });
  EXPECT_EQ("", abandoned) << "an abandoned record must not be reported in part";

  std::string again = captured_output([&](FILE *out) {
    CSearchController c(1, r.mol);
    c.search_filter_and_report(out);
  });
  EXPECT_EQ(full, again) << "an abandoned search must leave no trace in the next one";
}

TEST_P(SearchBudgetTest, OrdinarySequenceStaysFarBelowTheBudget)
{
  std::mt19937 rng(11);
  std::string bases;
  for (int i = 0; i < 20000; ++i)
    bases += "ACGT"[rng() % 4];
  bases.replace(5000, 40, "CAGCAGCAGCAGTAGCAGCAGCAGCAGCAGCTGCAGCAGC");
  tight_record r(bases, "random");
  CSearchController c(1, r.mol);
  FILE *sink = std::tmpfile();
  EXPECT_NE(nullptr, c.search_filter_and_report(sink));
  std::fclose(sink);
  EXPECT_GT(c.extension_budget, CSearchController::extension_budget_for(20000) - 20000)
      << "real sequence charges less than one base per base";
}

INSTANTIATE_TEST_SUITE_P(ImperfectModes, SearchBudgetTest, ::testing::Values(1, 2),
                         [](const ::testing::TestParamInfo<int> &i) {
                           return std::string(i.param == 1 ? "extendExact" : "imperfect");
                         });
