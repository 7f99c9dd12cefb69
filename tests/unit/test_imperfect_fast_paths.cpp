// The imperfect extension takes a faster way whenever no score it can reach
// lifts the threshold off its floor, which is always so under the default
// infinite score reduction: it compares eight bases at a time and skips the
// look-ahead bookkeeping that only a finite reduction needs. A finite
// reduction above every reachable score sends the same work down the general
// way, under the same thresholds, so both must align alike, base for base.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/CSearchController.h"
#include "engine_test.h"
#include "imperfect_support.h"
#include "params/global-types-and-parameters.h"

namespace {

const char bases[] = "ACGT";

// A repeat of unit with substitutions, insertions, deletions and short N
// runs at the given rate in percent.
std::string planted_repeat(std::mt19937 &rng, const std::string &unit, unsigned copies,
                           unsigned rate)
{
  std::string s;
  for (unsigned c = 0; c < copies; ++c)
    for (char x : unit) {
      const unsigned dice = rng() % 100;
      if (dice < rate / 4)
        continue;
      if (dice < rate / 2)
        s += bases[rng() % 4];
      else if (dice < 3 * rate / 4)
        s += std::string(1 + rng() % 3, 'N');
      else if (dice < rate)
        s += x, s += bases[rng() % 4];
      else
        s += x;
    }
  return s;
}

std::string random_bases(std::mt19937 &rng, unsigned n)
{
  std::string s;
  for (unsigned k = 0; k < n; ++k)
    s += bases[rng() % 4];
  return s;
}

void draw_alignment_options(std::mt19937 &rng)
{
  global_mismatch_score = -2 - int(rng() % 6);
  global_indel_score = -2 - int(rng() % 6);
  global_maximum_recursion_depth = 1 + int(rng() % 6);
  global_prefer_longer_repeat = int(rng() % 2);
  global_Ns_allowed_in_a_row = int(rng() % 4);
  global_treat_Ns_as_missense = rng() % 5 == 0;
}

class ImperfectFastPathTest : public EngineTest
{
};

} // namespace

// The threshold is consulted only at mismatch points, where some base of the
// n has not been matched: every best score there stays below n - L, so a
// reduction of n - 1 leaves the threshold at its floor, yet it is too small
// for the fast path.
TEST_F(ImperfectFastPathTest, FloorPathAlignsLikeTheGeneralPathInBothDirections)
{
  std::mt19937 rng(4242);
  int edited = 0;
  for (int round = 0; round < 1000; ++round) {
    init_param();
    draw_alignment_options(rng);
    // Long units compare eight bases at a time; repeats reach the sequence
    // ends, where fewer than eight bases are left.
    const unsigned L = 1 + rng() % 16;
    const std::string unit = random_bases(rng, L);
    std::string s = planted_repeat(rng, unit, 1 + rng() % 12, rng() % 40);
    if (rng() % 2)
      s += random_bases(rng, rng() % 30);
    s = unit + s;
    s += s.substr(s.size() - L); // a last unit copy to extend backward from
    tight_record r(s);
    const int n = static_cast<int>(s.size());
    std::string result[2][2]; // [general][direction]
    for (int general = 0; general < 2; ++general) {
      global_maximum_scorereduction = general ? n - 1 : infinite_score_reduction;
      CSearchController ctl(1, r.mol);
      Csat a, b;
      a.init(r.begin(), r.begin() + L);
      ctl.extend_imperfect_forward(a, r.end());
      b.init(r.end() - L, r.end());
      ctl.extend_imperfect_backward(b, r.begin() - 1);
      result[general][0] = summary(a, r.begin());
      result[general][1] = summary(b, r.begin());
      edited += !a.alignment.empty() + !b.alignment.empty();
    }
    SCOPED_TRACE(s + " unit length " + std::to_string(L));
    EXPECT_EQ(result[1][0], result[0][0]);
    EXPECT_EQ(result[1][1], result[0][1]);
  }
  EXPECT_GT(edited, 500) << "too few alignments with edits to tell the paths apart";
}

TEST_F(ImperfectFastPathTest, BothSearchModesFindTheSameRepeatsOnEitherPath)
{
  std::mt19937 rng(977);
  size_t found = 0;
  for (int round = 0; round < 150; ++round) {
    init_param();
    draw_alignment_options(rng);
    global_max_unit_length = 14;
    std::string s;
    for (unsigned part = 1 + rng() % 5; part > 0; --part) {
      s += random_bases(rng, rng() % 40);
      s += planted_repeat(rng, random_bases(rng, 1 + rng() % 14), 2 + rng() % 10, rng() % 30);
    }
    tight_record r(s);
    const int n = static_cast<int>(s.size());
    for (int mode = 1; mode <= 2; ++mode) {
      std::vector<std::string> lists[2];
      for (int general = 0; general < 2; ++general) {
        global_maximum_scorereduction = general ? n - 1 : infinite_score_reduction;
        CSearchController::reset_minimum_arrays();
        CSearchController ctl(1, r.mol);
        if (mode == 1)
          ctl.search_exact_and_extend_to_imperfect_repeats();
        else
          ctl.complete_imperfect_search(stdout);
        for (const Csat *sat : ctl.imperfectSATList)
          lists[general].push_back(std::to_string(sat->unit_length()) + ":" +
                                   summary(*sat, r.begin()));
      }
      SCOPED_TRACE(s + " mode " + std::to_string(mode));
      EXPECT_EQ(lists[1], lists[0]);
      found += lists[0].size();
    }
  }
  EXPECT_GT(found, 500u) << "too few repeats found to compare the paths";
}

TEST_F(ImperfectFastPathTest, HopelessWalkGivesBackTheNsBeforeItsFirstMismatchUnlessLongerIsPreferred)
{
  // The admitted N after the window scores nothing: with shorter repeats
  // preferred the state behind it is no better than the window, and the
  // walk, finding nothing beyond the G, falls back to the window itself.
  const std::string s = "ACGTTGCA" "N" "GTTTTTTTTTTTTTTTT";
  const std::string m(s.rbegin(), s.rend());
  for (int reduction : {infinite_score_reduction, 30}) {
    global_maximum_scorereduction = reduction;
    global_prefer_longer_repeat = 0;
    tight_record r(s), q(m);
    CSearchController ctl(1, r.mol);
    Csat a, b;
    a.init(r.begin(), r.begin() + 8);
    ctl.extend_imperfect_forward(a, r.end());
    EXPECT_EQ("0-7 s0 m0 i0 d0 n0 []", summary(a, r.begin()));
    b.init(q.end() - 8, q.end());
    ctl.extend_imperfect_backward(b, q.begin() - 1);
    EXPECT_EQ("18-25 s0 m0 i0 d0 n0 []", summary(b, q.begin()));
    global_prefer_longer_repeat = 1;
    a.init(r.begin(), r.begin() + 8);
    ctl.extend_imperfect_forward(a, r.end());
    EXPECT_EQ("0-8 s0 m0 i0 d0 n1 []", summary(a, r.begin()));
  }
}
