// The report of one repeat where the whole-program cases do not reach: an
// alignment with events of every kind in every format, the gate that keeps
// repeats out of the report (and out of the masked file), and the internal
// errors.
#include <algorithm>
#include <random>
#include <vector>

#include "params/exit_status.h"
#include "engine_test.h"
#include "test_support.h"

namespace {

class ReportTest : public EngineTest
{
protected:
  Csat sat;

  // Repeat [left, right) whose unit is the `unit_length` bases at its start.
  void repeat(unsigned left, unsigned right, unsigned unit_length)
  {
    sat.init(at(left), at(left + unit_length));
    sat.pos_right = at(right);
  }

  std::string report()
  {
    unsigned gap_cursor = 0;
    return captured_output([&](FILE *f) { sat.report_sat(f, record, gap_cursor); });
  }
};

} // namespace

TEST_F(ReportTest, EveryFormatShowsTheEventsAndCountsOfAnImperfectRepeat)
{
  // The unit ACG over offsets 2..12 of CC ACG ATG N -C GAC TT: a mismatch, an
  // N, a deletion and an insertion at one position, and a deletion pending at
  // the repeat's end.
  load("CCACGATGNCGACTT");
  repeat(2, 13, 3);
  sat.score = 3;
  sat.mismatches = sat.insertions = sat.Ns = 1;
  sat.deletions = 2;
  for (auto e : std::initializer_list<alignment_event>{{at(6), 'M'}, {at(9), 'D'}, {at(9), 'I'}, {at(13), 'D'}})
    sat.alignment.push_back(e);
  const struct {
    int format;
    bool Ns_as_missense;
    std::string expected;
  } rows[] = {
      {1, false,
       "   trinucleotide         3 :        13 |     11 bp |     12 BP |      3 pt |  58.333 % |"
       "   1 mis |   1 ins |   2 del |   1 N |  unit ACG\nMissense: (5,M),(8,D),(8,I),(12,D),\n"
       "CC:ACGATGN-CGAC:TT\n"
       "   |||| |*  |||   \n"
       "   ACGACGAC-GAC   \n"},
      {3, true, "chr\t3\t58.333\t3\t13\t11\t  4.000\t3\t1\t1\t2\t.\tACG\tACGATGNCGAC\tCC\tTT\n"},
      {4, true, ">chr 3 13 3 3 13 4.000 3 58.333 1 1 2\nCCACGATGNCGACTT\n"},
      // BED: 0-based start, the end as the other formats give it.
      {5, false, "chr\t2\t13\tACG\t3\t.\t3\t4.000\t58.333\t1\t1\t2\t1\n"},
      {5, true, "chr\t2\t13\tACG\t3\t.\t3\t4.000\t58.333\t1\t1\t2\t.\n"},
      {6, false, "Internal error. Unknown output format. Please report this bug"},
  };
  global_print_sat_seq_mode = 2;
  global_flanking = 2;
  for (const auto &row : rows) {
    global_print_sat_mode = row.format;
    global_treat_Ns_as_missense = row.Ns_as_missense;
    EXPECT_EQ(row.expected, report()) << "format " << row.format;
  }
}

// Guards against BED lines that consumers split into the wrong columns or
// reject: a score outside 0-1000, a name holding a tab.
TEST_F(ReportTest, BedClampsTheScoreAndEndsTheNameAtTheFirstWhiteSpace)
{
  load("ACACACACAC");
  repeat(0, 10, 2);
  global_print_sat_mode = 5;
  const struct {
    const char *name;
    int score;
    std::string expected;
  } rows[] = {
      {"chr1\tlong", 10, "chr1\t0\t10\tAC\t10\t"},
      {"chr1", -7, "chr1\t0\t10\tAC\t0\t"},
      {"chr1", 1000, "chr1\t0\t10\tAC\t1000\t"},
      {"chr1\v", 1001, "chr1\t0\t10\tAC\t1000\t"},
  };
  for (const auto &row : rows) {
    record.name.assign(row.name);
    sat.score = row.score;
    EXPECT_EQ(report().rfind(row.expected, 0), 0u) << report();
  }
}

TEST_F(ReportTest, UnitAndPerfectionGateDropsTheRightRepeatsAndGffShowsUnitsOfUpToFiftyBases)
{
  const std::string unit50 = std::string(49, 'A') + "C";
  load("ACACACACACACACACACACAAAAAAAACACACA" + unit50 + unit50);
  const struct {
    int unit_mode;
    unsigned left, right, L;
    const char *unit; // nullptr: dropped
    unsigned Ns;
    float min_perfection, max_perfection;
  } rows[] = {
      {0, 0, 12, 4, nullptr, 0, 0, 100}, // ACAC is AC twice
      {0, 0, 12, 6, nullptr, 0, 0, 100}, // ACACAC: only the second prime factor, 3, shows it
      {0, 20, 28, 2, "AA", 0, 0, 100},   // length 2 is prime: no test
      {0, 1, 12, 2, "CA", 0, 0, 100},    // as found
      {1, 0, 12, 4, nullptr, 0, 0, 100},
      {1, 1, 12, 2, "AC", 0, 0, 100},
      {2, 0, 12, 4, nullptr, 0, 0, 100},
      {2, 20, 28, 2, nullptr, 0, 0, 100}, // AA, TT: powers of A
      {2, 28, 34, 2, "AC", 0, 0, 100},    // CA on the other strand is TG
      {2, 0, 20, 2, nullptr, 2, 90.5f, 100},
      {2, 0, 20, 2, "AC", 2, 90, 90}, // 18/20 = 90: both bounds are inclusive
  };
  global_print_sat_mode = global_print_sat_seq_mode = 0;
  for (const auto &row : rows) {
    global_report_unit_mode = row.unit_mode;
    global_min_perfection = row.min_perfection;
    global_max_perfection = row.max_perfection;
    repeat(row.left, row.right, row.L);
    sat.Ns = row.Ns;
    const std::string out = report();
    SCOPED_TRACE("mode " + std::to_string(row.unit_mode) + " at " + std::to_string(row.left));
    EXPECT_EQ(row.unit != nullptr, sat.is_reported());
    EXPECT_EQ(row.unit ? std::string(" unit ") + row.unit + "\n" : "",
              out.substr(std::min(out.size(), out.rfind(" unit "))));
  }
  init_param();
  global_print_sat_mode = 2;
  repeat(34, 134, 50);
  const std::string out = report();
  EXPECT_EQ("unit " + unit50 + "\"\n", out.substr(out.rfind("unit ")));
}

TEST_F(ReportTest, ABadPerfectionModeEndsTheProcessBeforeAnythingIsWritten)
{
  load("ACACACACAC");
  repeat(0, 10, 2);
  global_N_and_perfection_mode = 3;
  scratch_file out("");
  unsigned gap_cursor = 0;
  EXPECT_EXIT(sat.report_sat(std::fopen(out.c_str(), "w"), record, gap_cursor),
              ::testing::ExitedWithCode(exit_bad_perfection_mode), "");
  EXPECT_EQ(EOF, std::ifstream(out.path).peek());
}

TEST_F(ReportTest, MaskingJudgesEveryRepeatBeforeOverwritingAnySoOverlappingReportedRepeatsAreAllMasked)
{
  // Fault guarded: the second repeat's unit lies inside the first repeat;
  // judged after the first was masked, its unit read as X or lower case and
  // the repeat stayed unmasked although it was reported.
  const std::string bases = "GGACTGGGACTGGACTG";
  const struct {
    bool mask_X, mask_lower;
    std::string expected;
  } rows[] = {
      {true, false, std::string(17, 'X') + "ACACACAC"},
      {false, true, "ggactgggactggactgACACACAC"},
      {true, true, "ggactgggactggactgACACACAC"},
  };
  for (const auto &row : rows) {
    load(bases + "ACACACAC");
    global_mask_X = row.mask_X;
    global_mask_lower = row.mask_lower;
    Csat_garbagecollector pool;
    CsatContainer list(pool);
    const struct {
      unsigned left, right, L;
    } repeats[] = {{0, 13, 6}, {6, 17, 5}, {17, 25, 4}}; // the last, ACAC, is AC twice: not reported
    for (const auto &r : repeats) {
      list.push_back(pool.get_new(at(r.left), at(r.left + r.L)));
      list.back()->pos_right = at(r.right);
    }
    CSearchController(1, record, setup_now(), test_pool()).maskSATList(list);
    EXPECT_EQ(row.expected, text(record.seq)) << "maskX " << row.mask_X << ", maskLower " << row.mask_lower;
  }
}

// Kept repeats hold their events packed until the report; an event lost,
// moved or given another kind there would change the printed alignment.
// Random sorted events (before, inside and past the span, several at one
// position, gaps from none to far beyond a byte's reach) come back exactly,
// and the report of the unpacked repeat is that of the original.
TEST_F(ReportTest, PackedEventsComeBackExactlyAsTheyWereKept)
{
  std::mt19937 rng(2024);
  std::string bases;
  for (int k = 0; k < 400000; ++k)
    bases += "ACGT"[rng() % 4];
  load(bases);
  global_print_sat_mode = 1;
  global_print_sat_seq_mode = 2;
  global_flanking = 3;
  for (int round = 0; round < 300; ++round) {
    const unsigned left = 1000 + rng() % 200000, length = 10 + rng() % (round % 3 ? 2000 : 150000);
    repeat(left, left + length, 1 + rng() % 12);
    std::vector<alignment_event> events;
    const unsigned n = rng() % 4 ? rng() % 600 : 0;
    long pos = static_cast<long>(left) - (rng() % 2 ? static_cast<long>(rng() % 900) : 0);
    for (unsigned k = 0; k < n; ++k) {
      const unsigned kind = rng() % 3;
      events.push_back(alignment_event{at(pos), "MID"[kind]});
      const unsigned draw = rng() % 10;
      pos += draw == 0 ? 0 : draw < 7 ? rng() % 30 : draw < 9 ? rng() % 3000 : rng() % 200000;
      if (pos >= static_cast<long>(bases.size()))
        break;
    }
    std::sort(events.begin(), events.end(), Csat::lessThan_missense);
    sat.alignment.assign(events.data(), static_cast<unsigned>(events.size()));
    sat.mismatches = sat.insertions = sat.deletions = 0;
    for (const alignment_event &e : events)
      ++(e.kind == 'M' ? sat.mismatches : e.kind == 'I' ? sat.insertions : sat.deletions);
    const std::string before = report();
    sat.pack_events();
    EXPECT_TRUE(sat.alignment.empty());
    EXPECT_LE(sat.packed.size(), 4 * events.size()) << "round " << round;
    sat.unpack_events();
    ASSERT_EQ(events.size(), sat.alignment.length) << "round " << round;
    for (unsigned k = 0; k < events.size(); ++k) {
      ASSERT_EQ(events[k].pos, sat.alignment[k].pos) << "round " << round << " event " << k;
      ASSERT_EQ(events[k].kind, sat.alignment[k].kind) << "round " << round << " event " << k;
    }
    EXPECT_TRUE(sat.packed.empty());
    EXPECT_EQ(before, report()) << "round " << round;
  }
}

// The packed events and the paths keep their counts in their heap block. A
// record the pool hands out again keeps that block: a count left from the
// last use would bring its events or paths back, and a room larger than the
// block would let a longer list write past it; a block given back by
// unpacking must be made anew, not written through. Records drawn from a
// small pool, some returned packed, take lists of no events, of a few, and
// of more than 65536 packed bytes, and paths that grow and shrink; all come
// back as they were put in.
TEST_F(ReportTest, RecordsReusedAfterPackingHoldOnlyTheirOwnEventsAndPaths)
{
  std::mt19937 rng(77);
  load(std::string(400000, 'A'));
  Csat_garbagecollector pool;
  std::vector<Csat *> held;
  for (int round = 0; round < 120; ++round) {
    Csat *s = pool.get_new(at(1000), at(1004));
    ASSERT_TRUE(s->alignment.empty() && s->paths.empty() && s->packed.empty()) << "round " << round;
    s->pos_right = at(2000);
    const unsigned draw = rng() % 8;
    const unsigned n = draw == 0 ? 0 : draw == 1 ? 70000 + rng() % 10000 : rng() % 60;
    std::vector<alignment_event> events;
    for (long pos = 1000; events.size() < n; pos += rng() % (draw == 1 ? 4 : 3000))
      events.push_back(alignment_event{at(pos), "MID"[rng() % 3]});
    std::sort(events.begin(), events.end(), Csat::lessThan_missense);
    std::vector<walk_path> paths;
    for (unsigned k = rng() % 3 ? 0 : rng() % 40; k > 0; --k) {
      if (!paths.empty() && rng() % 3 == 0) {
        paths.pop_back();
        s->paths.pop_back();
      } else {
        paths.push_back(walk_path{nullptr, static_cast<int>(rng() % 1000), -1, rng() % 2 == 0});
        s->paths.push_back(paths.back());
      }
    }
    for (int packings = 1 + rng() % 2; packings > 0; --packings) {
      s->alignment.assign(events.data(), n);
      s->pack_events();
      ASSERT_TRUE(s->alignment.empty()) << "round " << round;
      EXPECT_TRUE(draw != 1 || s->packed.size() > 65536u) << "round " << round;
      s->unpack_events();
      ASSERT_TRUE(s->packed.empty()) << "round " << round;
      ASSERT_EQ(n, s->alignment.size()) << "round " << round;
      for (unsigned k = 0; k < n; ++k) {
        ASSERT_EQ(events[k].pos, s->alignment[k].pos) << "round " << round << " event " << k;
        ASSERT_EQ(events[k].kind, s->alignment[k].kind) << "round " << round << " event " << k;
      }
    }
    if (rng() % 2)
      s->pack_events();
    ASSERT_EQ(paths.size(), s->paths.size()) << "round " << round;
    for (unsigned k = 0; k < paths.size(); ++k)
      ASSERT_TRUE(paths[k].from == s->paths[k].from && paths[k].to == s->paths[k].to &&
                  paths[k].forward() == s->paths[k].forward())
          << "round " << round << " path " << k;
    if (rng() % 4 == 0)
      held.push_back(s);
    else
      pool.push_back(s);
    if (rng() % 8 == 0) {
      for (Csat *h : held)
        pool.push_back(h);
      held.clear();
    }
  }
  for (Csat *h : held)
    pool.push_back(h);
}

// A kept repeat's events are trimmed to their count and given back once
// packed; a vector left with storage but no room, or none at all, must grow
// again when events are written into it, not write past its storage.
TEST_F(ReportTest, EventsTrimmedToNothingOrGivenBackTakeEventsAgain)
{
  load("ACGTACGTACGTACGT");
  for (int way = 0; way < 3; ++way) {
    repeat(0, 16, 4);
    for (int k = 0; k < 40; ++k)
      sat.alignment.push_back(alignment_event{at(0), 'M'});
    sat.alignment.clear();
    if (way == 0)
      sat.alignment.set_capacity(0);
    else if (way == 1)
      sat.alignment.release();
    else
      sat.pack_events();
    for (int k = 0; k < 100; ++k)
      sat.alignment.push_back(alignment_event{at(k % 16), "MID"[k % 3]});
    ASSERT_EQ(100u, sat.alignment.length) << "way " << way;
    EXPECT_GE(sat.alignment.capacity, 100u) << "way " << way;
    for (int k = 0; k < 100; ++k)
      EXPECT_EQ(at(k % 16), sat.alignment[k].pos) << "way " << way << " event " << k;
  }
}
