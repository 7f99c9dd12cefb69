// The report of one repeat where the exact search cannot reach: imperfect
// alignments with their event columns, the gate that keeps repeats out of the
// report, units beyond the prime-factor table, and the internal errors.
#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

#include "engine/CSearchController.h"
#include "params/exit_status.h"
#include "params/global-types-and-parameters.h"
#include "test_support.h"

namespace {

class ReportTest : public ::testing::Test
{
protected:
  void SetUp() override { init_param(); }

  CSequence_Mol record;
  Csat sat;

  void load(const std::string &seq)
  {
    record.seq.assign(seq.data(), seq.data() + seq.size());
    record.name.assign("chr");
    record.full_name.assign("chr test");
  }
  const char *at(unsigned offset) const { return record.seq.data + offset; }

  // Repeat [left, right) whose unit is the `unit_length` bases at its start.
  void repeat(unsigned left, unsigned right, unsigned unit_length)
  {
    sat.init(at(left), at(left + unit_length));
    sat.pos_right = at(right);
  }

  std::string report(unsigned &gap_cursor)
  {
    return captured_output([&](FILE *f) { sat.report_sat(f, record, gap_cursor); });
  }
  std::string report()
  {
    unsigned gap_cursor = 0;
    return report(gap_cursor);
  }

  // An imperfect repeat of the unit ACG over offsets 2..12 of
  // CC ACG ATG N -C GAC TT: a mismatch, an N, a deletion and an insertion
  // at one position, and a deletion pending at the repeat's end.
  void imperfect_repeat()
  {
    load("CCACGATGNCGACTT");
    repeat(2, 13, 3);
    sat.score = 3;
    sat.mismatches = 1;
    sat.insertions = 1;
    sat.deletions = 2;
    sat.Ns = 1;
    sat.alignment.push_back({at(6), 'M'});
    sat.alignment.push_back({at(9), 'D'});
    sat.alignment.push_back({at(9), 'I'});
    sat.alignment.push_back({at(13), 'D'});
  }
};

} // namespace

TEST_F(ReportTest, AlignmentShowsEventColumnsAndFlanksInExtendedFormat)
{
  imperfect_repeat();
  global_flanking = 2;
  EXPECT_EQ("   trinucleotide         3 :        13 |     11 bp |     12 BP |      3 pt |  58.333 % |"
            "   1 mis |   1 ins |   2 del |   1 N |  unit ACG\n"
            "Missense: (5,M),(8,D),(8,I),(12,D),\n"
            "CC:ACGATGN-CGAC:TT\n"
            "   |||| |*  |||   \n"
            "   ACGACGAC-GAC   \n",
            report());

  global_flanking = 0;
  global_print_sat_mode = 0;
  EXPECT_EQ("   trinucleotide         3 :        13 |     11 bp |     12 BP |      3 pt |  58.333 % | unit ACG\n"
            "ACGATGN-CGAC\n"
            "|||| |*  |||\n"
            "ACGACGAC-GAC\n",
            report());

  global_print_sat_mode = 1;
  global_treat_Ns_as_missense = true;
  global_print_sat_seq_mode = 1;
  EXPECT_EQ("   trinucleotide         3 :        13 |     11 bp |     12 BP |      3 pt |  58.333 % |"
            "   1 mis |   1 ins |   2 del |  unit ACG\n"
            "Missense: (5,M),(8,D),(8,I),(12,D),\n"
            "ACGATGNCGAC\n",
            report());
}

TEST_F(ReportTest, OnePerLineAndFastaCarryTheAlignmentCounts)
{
  imperfect_repeat();
  global_flanking = 2;
  global_treat_Ns_as_missense = true;
  global_print_sat_mode = 3;
  EXPECT_EQ("chr\t3\t58.333\t3\t13\t11\t  4.000\t3\t1\t1\t2\t.\tACG\tACGATGNCGAC\tCC\tTT\n", report());
  global_print_sat_mode = 4;
  EXPECT_EQ(">chr 3 13 3 3 13 4.000 3 58.333 1 1 2\nCCACGATGNCGACTT\n", report());
}

TEST_F(ReportTest, UnitGateDropsPowersOfShorterUnitsByUnitMode)
{
  load("ACACACACACACAAAAAAAACACACA");
  struct {
    int mode;
    unsigned left, right, L;
    bool reported;
    const char *unit;
  } cases[] = {
      {0, 0, 12, 4, false, ""},    // ACAC is AC twice
      {0, 12, 20, 2, true, "AA"},  // length 2 is prime: no test
      {0, 1, 12, 2, true, "CA"},   // as found
      {1, 0, 12, 4, false, ""},
      {1, 1, 12, 2, true, "AC"},
      {2, 0, 12, 4, false, ""},
      {2, 12, 20, 2, false, ""},   // AA, TT: powers of A
      {2, 20, 26, 2, true, "AC"},  // CA on the other strand is TG
  };
  global_print_sat_mode = 0;
  global_print_sat_seq_mode = 0;
  for (const auto &c : cases) {
    global_report_unit_mode = c.mode;
    repeat(c.left, c.right, c.L);
    EXPECT_EQ(c.reported, sat.is_reported()) << "mode " << c.mode << " at " << c.left;
    const std::string out = report();
    if (c.reported)
      EXPECT_EQ(std::string("unit ") + c.unit + "\n", out.substr(out.rfind("unit "))) << c.mode;
    else
      EXPECT_EQ("", out) << "mode " << c.mode << " at " << c.left;
  }
}

TEST_F(ReportTest, UnitsBeyondThePrimeFactorTableAreStillTestedForPowers)
{
  std::string ac;
  for (int i = 0; i < 5001; ++i)
    ac += "AC";
  load(ac + ac + "G");
  global_report_unit_mode = 0;
  repeat(0, 20004, 10002);
  EXPECT_FALSE(sat.is_reported());
  repeat(10003, 20005, 10002);
  EXPECT_TRUE(sat.is_reported()) << "CA...CAG is primitive";
}

TEST_F(ReportTest, RepeatsOutsideThePerfectionRangeWriteNothingAndKeepTheGapCursor)
{
  load("ACACACACACACACACACAC");
  record.gap_positions.push_back(0);
  record.gap_positions.push_back(1);
  repeat(0, 20, 2);
  sat.score = 16;
  sat.Ns = 2; // 90% in mode 0
  global_print_sat_mode = 3;

  global_min_perfection = 90.5f;
  unsigned gap_cursor = 0;
  EXPECT_FALSE(sat.is_reported());
  EXPECT_EQ("", report(gap_cursor));
  EXPECT_EQ(0u, gap_cursor);

  global_min_perfection = 90;
  global_max_perfection = 90;
  EXPECT_TRUE(sat.is_reported());
  EXPECT_EQ("chr\t2\t90.000\t3\t22\t20\t 10.000\t16\t0\t0\t0\t2\tAC\tACACACACACACACACACAC\n",
            report(gap_cursor))
      << "both bounds are inclusive; the two gaps before the repeat shift both ends";
  EXPECT_EQ(2u, gap_cursor);
}

TEST_F(ReportTest, LongUnitsLeaveTheGffUnitOut)
{
  std::string unit50, unit51;
  for (int i = 0; i < 50; ++i)
    unit50 += "ACGT"[i % 4 == 3 ? 3 : i % 3];
  unit51 = unit50 + "G";
  load(unit51 + unit51 + unit51);
  global_print_sat_mode = 2;
  global_report_unit_mode = 0;
  repeat(0, 153, 51);
  const std::string out51 = report();
  EXPECT_EQ("unit .\"\n", out51.substr(out51.size() - 8)) << out51;
  EXPECT_EQ(0u, out51.find("chr\tTorvix\ttandem-repeat\t1\t153\t100.00\t.\t.\tName=\"repeat_region 1-153 "
                           "unit_size 51 repeat_number 3.000 perfection 100.000 unit ."))
      << out51;
  repeat(0, 100, 50);
  const std::string out50 = report();
  EXPECT_EQ("unit " + unit50 + "\"\n", out50.substr(out50.rfind("unit ")));
}

TEST_F(ReportTest, InternalErrorsEndTheRepeatOrTheProcess)
{
  load("ACACACACAC");
  repeat(0, 10, 2);
  global_print_sat_mode = 5;
  EXPECT_EQ("Internal error. Unknown output format. Please report this bug", report());

  global_print_sat_mode = 1;
  global_N_and_perfection_mode = 3;
  scratch_file out("");
  EXPECT_EXIT(
      {
        unsigned gap_cursor = 0;
        FILE *f = std::fopen(out.c_str(), "w");
        sat.report_sat(f, record, gap_cursor);
      },
      ::testing::ExitedWithCode(exit_bad_perfection_mode), "");
  struct stat st;
  ASSERT_EQ(0, stat(out.c_str(), &st));
  EXPECT_EQ(0, st.st_size) << "nothing may be written before the process ends";
}
