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

class DnaStringTest : public ::testing::Test
{
protected:
  void SetUp() override { init_param(); }
};

std::string text(const faststring &s) { return std::string(s.begin(), s.end()); }

struct normal_form {
  std::string text;
  bool not_primitive;
};

normal_form least_rotation(const char *unit)
{
  CDnaString s(unit), r;
  bool flag = r.setToMinAlphaRepModCyclicPermOf(s);
  EXPECT_EQ(unit, text(s)) << "the argument must stay unchanged";
  return {text(r), flag};
}

normal_form least_over_both_strands(const char *unit)
{
  CDnaString s(unit), r;
  bool flag = r.setToMinAlphaRepModRevCompAndCyclicPermOf(s);
  EXPECT_EQ(unit, text(s)) << "the argument must stay unchanged";
  return {text(r), flag};
}

} // namespace

TEST_F(DnaStringTest, LeastRotationIsFoundAndNonPrimitiveUnitsAreFlagged)
{
  EXPECT_EQ("AC", least_rotation("CA").text);
  EXPECT_FALSE(least_rotation("CA").not_primitive);
  EXPECT_EQ("ACAC", least_rotation("ACAC").text);
  EXPECT_TRUE(least_rotation("ACAC").not_primitive);
  EXPECT_EQ("AGC", least_rotation("CAG").text);
  EXPECT_FALSE(least_rotation("CAG").not_primitive);
  EXPECT_EQ("G", least_rotation("G").text);
  EXPECT_FALSE(least_rotation("G").not_primitive) << "a single base is primitive";
  EXPECT_EQ("AA", least_rotation("AA").text);
  EXPECT_TRUE(least_rotation("AA").not_primitive);
  EXPECT_EQ("AACAAC", least_rotation("CAACAA").text);
  EXPECT_TRUE(least_rotation("CAACAA").not_primitive);
  EXPECT_EQ("AACAG", least_rotation("CAGAA").text);
  EXPECT_FALSE(least_rotation("CAGAA").not_primitive);
}

TEST_F(DnaStringTest, LeastRotationOverBothStrandsPicksTheSmallerStrand)
{
  EXPECT_EQ("AC", least_over_both_strands("TG").text);
  EXPECT_FALSE(least_over_both_strands("TG").not_primitive);
  EXPECT_EQ("AC", least_over_both_strands("GT").text);
  EXPECT_EQ("AGC", least_over_both_strands("AGC").text);
  EXPECT_EQ("AGC", least_over_both_strands("GCT").text);
  EXPECT_EQ("AGC", least_over_both_strands("CTG").text);
  EXPECT_EQ("AAT", least_over_both_strands("TTA").text);
  EXPECT_TRUE(least_over_both_strands("TGTG").not_primitive);
  EXPECT_FALSE(least_over_both_strands("TGTGA").not_primitive);
  EXPECT_EQ("A", least_over_both_strands("T").text);
}

TEST_F(DnaStringTest, NormalFormsMayBeComputedIntoTheirOwnArgument)
{
  CDnaString s("TG");
  EXPECT_FALSE(s.setToMinAlphaRepModRevCompAndCyclicPermOf(s));
  EXPECT_EQ("AC", text(s));
  CDnaString t("CACA");
  EXPECT_TRUE(t.setToMinAlphaRepModCyclicPermOf(t));
  EXPECT_EQ("ACAC", text(t));
  CDnaString u("AACG");
  EXPECT_EQ(0u, u.setToReverseComplementOf(u));
  EXPECT_EQ("CGTT", text(u));
}

TEST_F(DnaStringTest, ReverseComplementCoversIupacCodesAndCountsTheRest)
{
  CDnaString s("ACGTNRYKMBVDH"), r;
  EXPECT_EQ(0u, r.setToReverseComplementOf(s));
  EXPECT_EQ("DHBVKMRYNACGT", text(r));

  CDnaString sw("ASWa"), r2("a longer previous content");
  EXPECT_EQ(3u, r2.setToReverseComplementOf(sw)) << "S, W and lower case have no complement";
  EXPECT_EQ("???T", text(r2));

  CDnaString empty, r3("XYZ");
  EXPECT_EQ(0u, r3.setToReverseComplementOf(empty));
  EXPECT_EQ("", text(r3));
}

TEST_F(DnaStringTest, RepeatNamesFillSixteenColumns)
{
  static const char seq[] = "ACGTACGTACGTACGTACGT";
  Csat s;
  auto name_of = [&](unsigned L) {
    s.init(seq + 1, seq + 1 + L);
    return captured_output([&](FILE *f) { s.print_repeat_name(f); });
  };
  EXPECT_EQ("  mononucleotide", name_of(1));
  EXPECT_EQ("    dinucleotide", name_of(2));
  EXPECT_EQ("   trinucleotide", name_of(3));
  EXPECT_EQ(" tetranucleotide", name_of(4));
  EXPECT_EQ(" pentanucleotide", name_of(5));
  EXPECT_EQ("  hexanucleotide", name_of(6));
  EXPECT_EQ("    7-nucleotide", name_of(7));
  EXPECT_EQ("   10-nucleotide", name_of(10));
  EXPECT_EQ(" ***  ERROR  ***", name_of(0));

  s.init(seq, seq + 2);
  EXPECT_STREQ("dinucleotide", s.get_repeat_name());
  s.init(seq, seq + 12);
  EXPECT_STREQ("12-nucleotide", s.get_repeat_name());
}
