// Unit normal forms and unit-length names: the same repeat must get the same
// unit text from every phase and strand, non-primitive units must be
// recognised, and the name column must keep its width.
#include <gtest/gtest.h>

#include <string>

#include "engine/CDnaString.h"
#include "engine/Csat.h"
#include "params/global-types-and-parameters.h"
#include "test_support.h"

namespace {
struct DnaStringTest : ::testing::Test {
  void SetUp() override { init_param(); }
};
} // namespace

TEST_F(DnaStringTest, NormalFormsAreTheLeastRotationOnOneOrBothStrandsAndFlagPowers)
{
  const struct {
    const char *unit, *least;
    bool power; // the same for both forms: a unit and its reverse complement are powers together
    const char *least_of_both_strands;
  } rows[] = {
      {"CA", "AC", false, "AC"},         {"ACAC", "ACAC", true, "ACAC"},    {"CAG", "AGC", false, "AGC"},
      {"G", "G", false, "C"},            {"AA", "AA", true, "AA"},          {"CAACAA", "AACAAC", true, "AACAAC"},
      {"CAGAA", "AACAG", false, "AACAG"}, {"TG", "GT", false, "AC"},        {"GT", "GT", false, "AC"},
      {"AGC", "AGC", false, "AGC"},      {"GCT", "CTG", false, "AGC"},      {"TTA", "ATT", false, "AAT"},
      {"TGTG", "GTGT", true, "ACAC"},    {"TGTGA", "ATGTG", false, "ACATC"}, {"T", "T", false, "A"},
  };
  for (const auto &row : rows) {
    const CDnaString unit(row.unit);
    CDnaString one, both;
    EXPECT_EQ(row.power, one.setToMinAlphaRepModCyclicPermOf(unit)) << row.unit;
    EXPECT_EQ(row.least, text(one)) << row.unit;
    EXPECT_EQ(row.power, both.setToMinAlphaRepModRevCompAndCyclicPermOf(unit)) << row.unit;
    EXPECT_EQ(row.least_of_both_strands, text(both)) << row.unit;
  }
}

TEST_F(DnaStringTest, ReverseComplementCoversIupacCodesAndCountsTheRest)
{
  const struct {
    const char *in, *out;
    unsigned without_complement;
  } rows[] = {{"ACGTNRYKMBVDH", "DHBVKMRYNACGT", 0}, {"ASWa", "???T", 3}, {"", "", 0}};
  for (const auto &row : rows) {
    CDnaString r("a longer previous content");
    EXPECT_EQ(row.without_complement, r.setToReverseComplementOf(CDnaString(row.in))) << row.in;
    EXPECT_EQ(row.out, text(r));
  }
  CDnaString self("AACG");
  EXPECT_EQ(0u, self.setToReverseComplementOf(self));
  EXPECT_EQ("CGTT", text(self));
}

TEST_F(DnaStringTest, RepeatNamesFillSixteenColumns)
{
  static const char seq[] = "ACGTACGTACGT";
  const char *names[] = {" ***  ERROR  ***", "  mononucleotide", "    dinucleotide", "   trinucleotide",
                         " tetranucleotide", " pentanucleotide", "  hexanucleotide", "    7-nucleotide",
                         "    8-nucleotide", "    9-nucleotide", "   10-nucleotide"};
  Csat s;
  for (unsigned L = 0; L <= 10; ++L) {
    s.init(seq + 1, seq + 1 + L);
    EXPECT_EQ(names[L], captured_output([&](FILE *f) { s.print_repeat_name(f); }));
  }
}
