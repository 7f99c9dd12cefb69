// The two imperfect search modes: which windows or exact seeds are grown,
// which repeats are kept, how the marking array keeps longer units out of
// found repeats, and the work budget that gives up a pathological record.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine_test.h"
#include "imperfect_support.h"
#include "test_support.h"

namespace {

using list = std::vector<std::string>;
using options = void (*)();

const char both_stages[] = "  Searching for exact repeats.\n  Extend exact to imperfect repeats.\n";

class ImperfectSearchTest : public EngineTest
{
protected:
  // The records the search of mode 1 (extendExact) or 2 (imperfect) leaves in
  // its list, in list order, each as "Lunit length@unit offset summary";
  // messages holds the console texts it gave its observer. With remember false
  // every walk is aligned in full; joins counts the walks that took a
  // remembered path.
  list search(const std::string &bases, int mode, bool remember = true)
  {
    tight_record r(bases);
    struct : silent_observer {
      std::string texts;
      void message(const char *text) override { texts += text; }
    } observer;
    CSearchController ctl(1, r.mol, setup_now(), test_pool(), observer);
    ctl.remember_walks = remember;
    ctl.pass_settled_windows = pass_settled;
    if (mode == 1)
      ctl.search_exact_and_extend_to_imperfect_repeats();
    else
      ctl.complete_imperfect_search(stdout);
    messages = observer.texts;
    EXPECT_TRUE(ctl.exactSATList.empty());
    joins += ctl.memos.forward.joins + ctl.memos.backward.joins;
    ctl.write_out_events(ctl.imperfectSATList);
    list found;
    for (const Csat *s : ctl.imperfectSATList)
      found.push_back("L" + std::to_string(s->unit_length()) + "@" +
                      std::to_string(s->unit_begin - r.begin()) + " " + summary(*s, r.begin()) +
                      (remember_tests_cursors
                           ? " cursors " + std::to_string(s->unit_cursor_left - s->unit_begin) +
                                 "," + std::to_string(s->unit_cursor_right - s->unit_begin)
                           : std::string()));
    return found;
  }

  std::string messages;
  std::size_t joins = 0;
  // Off, the direct search grows every window.
  bool pass_settled = true;
  // The comparisons of remembered and plain walks also compare where each
  // repeat's unit cursors stand: the alignment is printed from them.
  bool remember_tests_cursors = false;
};

// No minimum score, and only the unit length given.
void any_score() { global_min_score = global_min_score_bx = 0; }
void any_score_L1() { any_score(), global_max_unit_length = 1; }
void any_score_L2() { any_score(), global_min_unit_length = global_max_unit_length = 2; }
void any_score_L4() { any_score(), global_min_unit_length = global_max_unit_length = 4; }

} // namespace

TEST_F(ImperfectSearchTest, EachModeKeepsExactlyTheRepeatsItsWindowsAndSeedsGrowInto)
{
  const struct {
    const char *what;
    int mode;
    const char *bases;
    options set;
    list expected;
  } rows[] = {
      {"dinucleotide with a mismatch, once, no longer unit", 2, "GGTACACACACGCACACACTTG", nullptr,
       {"L2@3 3-18 s8 m1 i0 d0 n0 [M11]"}},
      {"trinucleotide with a mismatch, once", 2, "CAGCAGCAGCAGTAGCAGCAGCAGGT", nullptr,
       {"L3@0 0-23 s15 m1 i0 d0 n0 [M12]"}},
      {"run of eight A, once by its pass", 2, "AAAAAAAA", nullptr, {"L1@0 0-7 s7 m0 i0 d0 n0 []"}},
      {"run of eight A inside", 2, "CAAAAAAAAC", nullptr, {"L1@1 1-8 s7 m0 i0 d0 n0 []"}},
      {"run of six A scores 5", 2, "AAAAAA", nullptr, {}},
      {"unit range 1: only the mononucleotide pass", 2, "AAAAAAAAGTCACACACACACACACAC",
       [] { global_min_unit_length = global_max_unit_length = 1; }, {"L1@0 0-7 s7 m0 i0 d0 n0 []"}},
      {"unit range 2", 2, "AAAAAAAAGTCACACACACACACACAC",
       [] { global_min_unit_length = global_max_unit_length = 2; },
       {"L2@10 10-26 s15 m0 i0 d0 n0 []"}},
      {"sequence of one window: nothing", 2, "ACGT", any_score_L4, {}},
      {"shorter than a window", 2, "ACG", any_score_L4, {}},
      {"one base after the window", 2, "ACGTA", any_score_L4, {"L4@0 0-4 s1 m0 i0 d0 n0 []"}},
      {"free window at the end", 2, "ACGTGCAT", any_score_L4, {"L4@0 0-3 s0 m0 i0 d0 n0 []"}},
      {"one base: nothing", 2, "A", any_score_L1, {}},
      {"the last base starts no window", 2, "AC", any_score_L1, {"L1@0 0-0 s0 m0 i0 d0 n0 []"}},
      {"empty", 2, "", nullptr, {}},
      {"only N", 2, "NNNNNNNNNNNNNNNNNNNNNNNN", any_score, {}},
      {"windows holding N are skipped, the repeat spans them", 2, "ACACACACNCACACACNNNN", nullptr,
       {"L2@0 0-15 s13 m0 i0 d0 n1 []"}},
      {"N runs at the ends are trimmed", 2, "NNNACACACACACACACNN", nullptr,
       {"L2@3 3-16 s12 m0 i0 d0 n0 []"}},
      {"only the window between the Ns", 2, "GNTCA", any_score_L2, {"L2@2 2-3 s0 m0 i0 d0 n0 []"}},
      {"run touching both ends", 2, "TTTTTTTTTTTT", nullptr, {"L1@0 0-11 s11 m0 i0 d0 n0 []"}},
      {"trinucleotide touching both ends", 2, "GATGATGATGATGATGAT", nullptr,
       {"L3@0 0-17 s15 m0 i0 d0 n0 []"}},
      {"deletion, both ends", 2, "ACACACACCACACA", nullptr, {"L2@0 0-13 s7 m0 i0 d1 n0 [D8]"}},
      {"a found repeat keeps longer units out", 2, "TTACACACACACACACACACACACACTT", nullptr,
       {"L2@2 2-25 s22 m0 i0 d0 n0 []"}},
      // The dinucleotide window at the end of the A run must be tried, so that
      // the repeat gets the unit of its first window (AC at 7, not CA at 8).
      {"mononucleotide marks cleared before longer units", 2, "AAAAAAAACACACACACACA", nullptr,
       {"L1@0 0-7 s7 m0 i0 d0 n0 []", "L2@7 7-19 s11 m0 i0 d0 n0 []"}},
      {"event positions stay open for windows", 2, "AAAAAAAAGAAAAAAAA", any_score_L1,
       {"L1@0 0-16 s10 m1 i0 d0 n0 [M8]", "L1@8 8-8 s0 m0 i0 d0 n0 []"}},
      // No window of the left flank is free of N: the seed lies in the middle.
      {"events of both directions sorted", 2, "ANGANGANGTCGACGACGACGACGACGTCGACGA", nullptr,
       {"L3@10 0-33 s16 m2 i0 d0 n3 [M9 M27]"}},
      {"no seed", 1, "ACGTTGCA", nullptr, {}},
      {"empty", 1, "", nullptr, {}},
      {"a seed below the user score is dropped", 1, "GGACACACTT", nullptr, {}},
      {"the same seed under a lower score", 1, "GGACACACTT", [] { global_min_score = 4; },
       {"L2@2 2-7 s4 m0 i0 d0 n0 []"}},
      {"Ns at both ends trimmed", 1, "NNACACACACACACNN", nullptr, {"L2@2 2-13 s10 m0 i0 d0 n0 []"}},
      {"Ns at the end trimmed", 1, "TTACACACACACACNN", nullptr, {"L2@2 2-13 s10 m0 i0 d0 n0 []"}},
      {"Ns inside counted", 1, "TTACACANNCACACACGG", nullptr, {"L2@2 2-15 s10 m0 i0 d0 n2 []"}},
      {"events sorted by position", 1, "ACGACGTCGACGACGACGACGACGTCGACGA", nullptr,
       {"L3@7 0-30 s16 m2 i0 d0 n0 [M6 M24]"}},
      {"every seed below the user score grows across the mismatch", 1, "ACACACGCACACAC", nullptr,
       {"L2@0 0-13 s6 m1 i0 d0 n0 [M6]", "L2@1 0-13 s6 m1 i0 d0 n0 [M6]",
        "L2@2 0-13 s6 m1 i0 d0 n0 [M6]", "L2@3 0-13 s6 m1 i0 d0 n0 [M6]",
        "L2@4 0-13 s6 m1 i0 d0 n0 [M6]", "L2@7 0-13 s6 m1 i0 d0 n0 [M6]",
        "L2@8 0-13 s6 m1 i0 d0 n0 [M6]", "L2@9 0-13 s6 m1 i0 d0 n0 [M6]",
        "L2@10 0-13 s6 m1 i0 d0 n0 [M6]", "L2@11 0-13 s6 m1 i0 d0 n0 [M6]"}},
  };
  for (const auto &row : rows) {
    init_param();
    if (row.set)
      row.set();
    EXPECT_EQ(row.expected, search(row.bases, row.mode)) << row.what;
    EXPECT_EQ(row.mode == 1 ? both_stages : messages, messages) << row.what;
  }
}

TEST_F(ImperfectSearchTest, UnmarkedExactSeedsOutsideThePerfectionRangeAddLongerUnitSeeds)
{
  // With a maximum perfection below 100 no exact seed is marked, so the
  // tetranucleotide and hexanucleotide windows inside the run seed too.
  global_max_perfection = 99;
  const list found = search("ACACACACACAC", 1);
  ASSERT_FALSE(found.empty());
  EXPECT_EQ("L2@0 0-11 s10 m0 i0 d0 n0 []", found.front());
  bool longer = false;
  for (const std::string &f : found)
    longer = longer || f.compare(0, 2, "L4") == 0 || f.compare(0, 2, "L6") == 0;
  EXPECT_TRUE(longer);
}

// A dinucleotide repeat with a substitution, insertion or deletion every 7
// to 12 bases: windows of longer units inside it are grown again and again.
TEST_F(ImperfectSearchTest, PastTheWorkBoundTheRecordIsReportedToItsEndWithOneNoteAndNoTrace)
{
  std::mt19937 rng(3);
  std::string array;
  for (size_t phase = 0; array.size() < 3000;) {
    for (unsigned k = 7 + rng() % 6; k > 0; --k)
      array += "AC"[phase++ % 2];
    const unsigned edit = rng() % 3; // substitution, insertion or deletion
    if (edit == 0)
      array += "GT"[rng() % 2];
    if (edit == 1)
      array += "ACGT"[rng() % 4];
    else
      ++phase;
  }
  array.resize(3000);
  std::string ordinary = random_bases(rng, 20000);
  ordinary.replace(5000, 40, "CAGCAGCAGCAGTAGCAGCAGCAGCAGCAGCTGCAGCAGC");
  tight_record r(array, "array"), o(ordinary, "random");
  for (int mode = 1; mode <= 2; ++mode) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    global_search_mode = mode;
    struct noting_observer : silent_observer {
      std::string notes;
      void message(const char *text) override { notes += text; }
    };
    auto run = [&](unsigned long long budget, bool past, std::string &notes) {
      return captured_output([&](FILE *out) {
        noting_observer heard;
        CSearchController c(1, r.mol, setup_now(), test_pool(), heard);
        if (budget)
          c.step_budget = budget;
        c.search_filter_and_report(out);
        EXPECT_EQ(past, c.past_work_bound);
        notes = heard.notes;
      });
    };
    std::string notes, bound_notes, again_notes;
    const std::string full = run(0, false, notes);
    EXPECT_EQ(std::string::npos, notes.find("Note:"));
    EXPECT_NE(std::string::npos, full.find("dinucleotide"));
    const std::string bound = run(200, true, bound_notes);
    EXPECT_NE(std::string::npos, bound.find("dinucleotide"))
        << "past the bound the array must still be reported";
    const size_t note =
        bound_notes.find("Note: the search of sequence \"array\" passed its work bound in the "
                         "repeat at ");
    ASSERT_NE(std::string::npos, note) << bound_notes;
    EXPECT_EQ(std::string::npos, bound_notes.find("Note:", note + 1)) << "one note per record";
    EXPECT_EQ(bound, run(200, true, again_notes)) << "the rule past the bound must be deterministic";
    EXPECT_EQ(bound_notes, again_notes);
    EXPECT_EQ(full, run(0, false, notes)) << "a search past the bound must leave no trace in the next one";

    CSearchController c(1, o.mol, setup_now(), test_pool());
    captured_output([&](FILE *out) { c.search_filter_and_report(out); });
    EXPECT_FALSE(c.past_work_bound);
    EXPECT_GT(c.step_budget, CSearchController::step_budget_for(20000) - 20000)
        << "real sequence charges less than one choice per base";
  }
}

// Long diverged arrays make later walks meet the remembered ones again and
// again, in both directions: every join, every path taken to its best point
// and every walk that leaves a path must give the repeats, counts and events
// of the walk aligned in full, under both tie rules, N rules, finite
// reductions and arrays that reach the sequence ends.
TEST_F(ImperfectSearchTest, RememberedWalksGiveThePlainWalksRepeatsOnLongArrays)
{
  std::mt19937 rng(2024);
  remember_tests_cursors = true;
  for (int round = 0; round < 60; ++round) {
    init_param();
    draw_alignment_options(rng);
    if (rng() % 4 == 0)
      global_maximum_scorereduction = 20 + int(rng() % 200);
    const unsigned L = 1 + rng() % 12;
    global_min_unit_length = L > 2 ? L - 2 : 1;
    global_max_unit_length = L + 2;
    const std::string unit = random_bases(rng, L);
    const std::string s = random_bases(rng, rng() % 3 ? 30 + rng() % 200 : 0) +
                          planted_repeat(rng, unit, 700 / L + rng() % 100, rng() % 25) +
                          random_bases(rng, rng() % 3 ? 30 + rng() % 200 : 0);
    for (int mode = 1; mode <= 2; ++mode) {
      SCOPED_TRACE("round " + std::to_string(round) + " mode " + std::to_string(mode) +
                   " unit " + unit);
      const list plain = search(s, mode, false);
      ASSERT_EQ(plain, search(s, mode, true));
    }
  }
  EXPECT_GT(joins, 2000u) << joins << ": too few walks met a remembered one to test the paths";
}

// The marks a pass leaves decide which windows the next passes try. A repeat
// that took its path from remembered walks holds its events as references
// into them, and the marking looks them up in ranges (the events outside its
// span, those behind the scan); a range taken too short leaves a mark that
// the plain walk does not, which shows only where a later window happens to
// read it. Faults guarded: an event of a path outside its span left covered,
// an event behind the scan not freed, an event at a path's end missed.
TEST_F(ImperfectSearchTest, EveryPassLeavesThePlainWalksMarks)
{
  std::mt19937 rng(77);
  for (int round = 0; round < 40; ++round) {
    init_param();
    draw_alignment_options(rng);
    const unsigned L = 1 + rng() % 12;
    global_min_unit_length = L > 2 ? L - 2 : 1;
    global_max_unit_length = L + 2 + rng() % 6;
    const std::string unit = random_bases(rng, L);
    std::string s = random_bases(rng, rng() % 3 ? 30 + rng() % 200 : 0);
    for (unsigned a = 1 + rng() % 3; a > 0; --a)
      s += planted_repeat(rng, unit, 400 / L + rng() % 100, rng() % 25) +
           random_bases(rng, rng() % 3 ? rng() % 100 : 0);
    SCOPED_TRACE("round " + std::to_string(round) + " unit " + unit);
    tight_record r(s);
    CSearchController remembered(1, r.mol, setup_now(), test_pool());
    CSearchController plain(1, r.mol, setup_now(), test_pool());
    plain.remember_walks = false;
    CAnchorSeq marks_remembered(r.mol), marks_plain(r.mol);
    std::list<Csat *> found_remembered, found_plain;
    for (unsigned k = global_min_unit_length; k <= global_max_unit_length; ++k) {
      if (k == 1) {
        remembered.unit_len_1_complete_imperfect_search(marks_remembered, found_remembered);
        plain.unit_len_1_complete_imperfect_search(marks_plain, found_plain);
      } else {
        remembered.one_unit_len_complete_imperfect_search(k, marks_remembered, found_remembered);
        plain.one_unit_len_complete_imperfect_search(k, marks_plain, found_plain);
      }
      std::string differ;
      for (long x = -1; x <= long(s.size()); ++x)
        if (marks_remembered.is_free(x) != marks_plain.is_free(x))
          differ += " " + std::to_string(x);
      ASSERT_EQ("", differ) << "marks after the pass of unit length " << k;
      if (k == 1) {
        marks_remembered.reset();
        marks_plain.reset();
      }
    }
    for (Csat *x : found_remembered)
      test_pool().push_back(x);
    for (Csat *x : found_plain)
      test_pool().push_back(x);
  }
}

// In an array of copies that all differ from one another no walk meets
// another, so remembering them would only cost memory (hundreds of MB on
// half a megabase): past the first nodes no walk starts being remembered,
// with the plain walk's repeats. Walks that keep meeting remembered ones,
// as in a CATTC array, must still be remembered past that point, or their
// work grows with the square of the array again.
TEST_F(ImperfectSearchTest, WalksThatNeverMeetStopBeingRememberedAndWalksThatMeetDoNot)
{
  std::mt19937 rng(171);
  global_min_unit_length = global_max_unit_length = 30;
  const std::string unit = random_bases(rng, 30);
  std::string copies;
  while (copies.size() < 16000)
    for (char x : unit)
      copies += rng() % 100 < 3 ? "ACGT"[rng() % 4] : x;
  const std::string distinct = random_bases(rng, 500) + copies + random_bases(rng, 500);
  const std::size_t first_nodes = 2000;
  auto nodes_after = [&](const std::string &s, list &found) {
    tight_record r(s);
    CSearchController ctl(1, r.mol, setup_now(), test_pool());
    ctl.pass_free_nodes = first_nodes;
    ctl.complete_imperfect_search(nullptr);
    ctl.write_out_events(ctl.imperfectSATList);
    for (const Csat *x : ctl.imperfectSATList)
      found.push_back(summary(*x, r.begin()));
    return ctl.memos.forward.nodes.size() + ctl.memos.backward.nodes.size();
  };
  list remembered, plain;
  const std::size_t kept = nodes_after(distinct, remembered);
  // The walk remembered when the first nodes are passed is remembered to its
  // end (a mismatch point every 33 bases or so), no walk after it.
  EXPECT_LE(kept, first_nodes + copies.size() / 16) << "walks that never meet were remembered";
  {
    tight_record r(distinct);
    CSearchController ctl(1, r.mol, setup_now(), test_pool());
    ctl.remember_walks = false;
    ctl.complete_imperfect_search(nullptr);
    ctl.write_out_events(ctl.imperfectSATList);
    for (const Csat *x : ctl.imperfectSATList)
      plain.push_back(summary(*x, r.begin()));
  }
  EXPECT_EQ(plain, remembered);

  EXPECT_GE(kept, first_nodes) << "too few walks to pass the first nodes";

  init_param();
  list broken;
  const std::string array = random_bases(rng, 500) + planted_repeat(rng, "AC", 50000, 12);
  EXPECT_GT(nodes_after(array, broken), 4 * first_nodes)
      << "walks that meet remembered ones were no longer remembered";
}

// A walk of a unit made of copies of a shorter root (CATTCCATTC) shares the
// remembered states of the root's walks; where it leaves a path, its cursor
// must stand where the plain walk's would in the longer unit, or the
// alignment is printed from the wrong unit base.
TEST_F(ImperfectSearchTest, WalksOfAUnitsMultiplesJoinItsRememberedWalksWithTheirOwnCursor)
{
  std::mt19937 rng(515);
  remember_tests_cursors = true;
  std::size_t multiples = 0;
  for (int round = 0; round < 40; ++round) {
    init_param();
    draw_alignment_options(rng);
    global_maximum_scorereduction = infinite_score_reduction;
    const unsigned root = 1 + rng() % 5;
    global_min_unit_length = 1;
    global_max_unit_length = root * (2 + rng() % 3);
    const std::string s = random_bases(rng, rng() % 2 ? 50 : 0) +
                          planted_repeat(rng, random_bases(rng, root), 900 / root, 8 + rng() % 15) +
                          random_bases(rng, rng() % 2 ? 50 : 0);
    for (int mode = 1; mode <= 2; ++mode) {
      SCOPED_TRACE("round " + std::to_string(round) + " mode " + std::to_string(mode));
      const list plain = search(s, mode, false);
      const list remembered = search(s, mode, true);
      ASSERT_EQ(plain, remembered);
      for (const std::string &f : remembered)
        multiples += std::stoul(f.substr(1)) > root;
    }
  }
  EXPECT_GT(multiples, 40u) << "too few repeats of a multiple of the root to test its cursor";
}

// The searches grow candidates with the set-up for a whole pass; the fast way
// must find what the general way, taken under a reduction that leaves the
// threshold at its floor, finds.
TEST_F(ImperfectSearchTest, BothModesFindTheSameRepeatsOnTheFastAndTheGeneralPath)
{
  std::mt19937 rng(977);
  size_t found = 0;
  for (int round = 0; round < 150; ++round) {
    init_param();
    draw_alignment_options(rng);
    global_max_unit_length = 14;
    std::string s;
    for (unsigned part = 1 + rng() % 5; part > 0; --part)
      s += random_bases(rng, rng() % 40) +
           planted_repeat(rng, random_bases(rng, 1 + rng() % 14), 2 + rng() % 10, rng() % 30);
    for (int mode = 1; mode <= 2; ++mode) {
      SCOPED_TRACE(s + " mode " + std::to_string(mode) + " mismatch " +
                   std::to_string(global_mismatch_score) + " indel " +
                   std::to_string(global_indel_score) + " depth " +
                   std::to_string(global_maximum_recursion_depth) + " prefer " +
                   std::to_string(global_prefer_longer_repeat) + " Ns " +
                   std::to_string(global_Ns_allowed_in_a_row) + " missense " +
                   std::to_string(global_treat_Ns_as_missense));
      global_maximum_scorereduction = infinite_score_reduction;
      const list fast = search(s, mode);
      global_maximum_scorereduction = static_cast<int>(s.size()) - 1;
      EXPECT_EQ(search(s, mode), fast);
      found += fast.size();
    }
  }
  EXPECT_GT(found, 500u) << "too few repeats found to compare the paths";
}

// The direct search passes over the windows inside a rejected window's first
// forward run. Passing over them after a window whose forward walk went on
// past its first mismatch point, where a turn's lower score can walk
// otherwise, or passing over one window too many, would lose or move a
// repeat: every random record, under random scores, depths, thresholds and
// unit ranges, must give the same repeats with and without it.
TEST_F(ImperfectSearchTest, PassingOverTurnsOfRejectedWindowsKeepsEveryRepeat)
{
  std::mt19937 rng(3131);
  std::size_t found = 0;
  for (int round = 0; round < 1500; ++round) {
    init_param();
    if (round % 2)
      draw_alignment_options(rng);
    if (rng() % 3 == 0)
      global_min_score = int(rng() % 30);
    global_min_unit_length = 1 + rng() % 6;
    global_max_unit_length = global_min_unit_length + rng() % 10;
    std::string s = random_bases(rng, rng() % 50);
    while (s.size() < 600) {
      const std::string unit = random_bases(rng, 1 + rng() % 12);
      s += planted_repeat(rng, unit, 1 + rng() % 6, rng() % 40) + random_bases(rng, rng() % 40);
    }
    SCOPED_TRACE("round " + std::to_string(round) + ": " + s);
    pass_settled = false;
    const list every = search(s, 2);
    pass_settled = true;
    ASSERT_EQ(every, search(s, 2));
    found += every.size();
  }
  EXPECT_GT(found, 4000u) << "too few repeats to tell the searches apart";
}
