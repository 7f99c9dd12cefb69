// Unit normal forms and unit-length names: the same repeat must get the same
// unit text from every phase and strand, non-primitive units must be
// recognised, and the name column must keep its width.
#include "engine/CDnaString.h"
#include "engine_test.h"
#include "test_support.h"

using DnaStringTest = EngineTest;

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
    SCOPED_TRACE(row.unit);
    EXPECT_EQ(row.power, one.setToMinAlphaRepModCyclicPermOf(unit));
    EXPECT_EQ(row.least, text(one));
    EXPECT_EQ(row.power, both.setToMinAlphaRepModRevCompAndCyclicPermOf(unit));
    EXPECT_EQ(row.least_of_both_strands, text(both));
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
  const char *names[] = {" ***  ERROR  ***", "  mononucleotide", "    dinucleotide", "   trinucleotide",
                         " tetranucleotide", " pentanucleotide", "  hexanucleotide", "    7-nucleotide",
                         "    8-nucleotide", "    9-nucleotide", "   10-nucleotide"};
  load("ACGTACGTAC");
  Csat s;
  for (unsigned L = 0; L <= 10; ++L) {
    s.init(at(0), at(L));
    EXPECT_EQ(names[L], captured_output([&](FILE *f) { s.print_repeat_name(f); }));
  }
}
