// The exact search's windows passed over in bulk, and the marking bits: each
// fast form against its plain one on generated sequences with N runs,
// one-letter stretches, planted repeats and windows at both ends.
#include <array>
#include <random>
#include <string>
#include <vector>

#include "engine_test.h"
#include "engine/period_scan.h"
#include "engine/sequence_scan.h"

namespace {

using BulkScanTest = EngineTest;

// Random bases with planted perfect and nearly perfect repeats of unit
// lengths 1 to 12, one-letter stretches and runs of 1 to 4 N (now and then
// a long one), also at both ends.
std::string generated(std::mt19937 &rng, std::size_t length)
{
  std::string s;
  const char *const bases = "ACGT";
  while (s.size() < length) {
    const unsigned what = rng() % 10;
    if (what < 4) {
      s += bases[rng() % 4];
    } else if (what < 7) {
      const unsigned L = 1 + rng() % 12;
      std::string unit;
      for (unsigned i = 0; i < L; ++i)
        unit += bases[rng() % 4];
      const unsigned n = L + rng() % 40;
      for (unsigned i = 0; i < n; ++i)
        s += rng() % 25 == 0 ? bases[rng() % 4] : unit[i % L];
    } else if (what < 8) {
      s.append(1 + rng() % 30, bases[rng() % 4]);
    } else {
      s.append(rng() % 20 == 0 ? 70 + rng() % 100 : 1 + rng() % 4, 'N');
    }
  }
  s.resize(length);
  return s;
}

// One stretch of period-continuing bases per k, the reference for the
// windows that open_windows lets through: a window may be kept when it
// starts in a stretch of at least run bases or right after one.
std::vector<bool> open_plain(const std::string &s, unsigned L, unsigned run)
{
  const long n = static_cast<long>(s.size());
  std::vector<bool> open(s.size() + 64, false);
  long a = 0;
  for (long k = 0; k <= n; ++k) {
    const bool continues = k + long(L) < n &&
                           (s[k] == s[k + L] || s[k] == 'N' || s[k + L] == 'N');
    if (continues)
      continue;
    if (k - a >= long(run))
      for (long q = a; q <= k; ++q)
        open[q] = true;
    a = k + 1;
  }
  return open;
}

} // namespace

TEST_F(BulkScanTest, PeriodWordsAgreeWithTheBaseByBaseCompareAtEveryOffsetAndBothEnds)
{
  std::mt19937 rng(11);
  for (int round = 0; round < 40; ++round) {
    const std::string s = generated(rng, 1 + rng() % 700);
    const long n = static_cast<long>(s.size());
    for (unsigned L = 1; L <= 40; ++L)
      for (long k0 = -70; k0 < n + 10; k0 += 1 + rng() % 9)
        ASSERT_EQ(period_word_plain(s.data(), n, L, k0), period_word(s.data(), n, L, k0))
            << "a wrong bit in the SSE2 compare (or a base read past an end): L " << L
            << ", k0 " << k0 << ", n " << n;
  }
}

TEST_F(BulkScanTest, OpenWindowsAreExactlyThoseInOrRightAfterALongEnoughStretch)
{
  std::mt19937 rng(12);
  const struct {
    const char *fault;
    unsigned run;
  } rows[] = {
      {"a stretch of one base must open its two windows", 1},
      {"a stretch that crosses a block border must open the windows of both blocks", 6},
      {"the default minimum score of 10 for unit length 10", 10},
      {"longer requirements read the next block to its end", 40},
      {"the largest requirement read exactly", 63},
  };
  for (const auto &row : rows)
    for (int round = 0; round < 30; ++round) {
      const std::string s = generated(rng, 1 + rng() % 900);
      const long n = static_cast<long>(s.size());
      for (unsigned L = 1; L <= 14; ++L) {
        const std::vector<bool> want = open_plain(s, L, row.run);
        open_windows in_order(s.data(), n, L, row.run);
        open_windows jumping(s.data(), n, L, row.run);
        for (long b = 0; 64 * b < n; ++b) {
          // Blocks in order use the words of the block before; a jump
          // must not.
          const long other = rng() % (n / 64 + 1);
          const std::uint64_t jumped = jumping.block(other);
          const std::uint64_t got = in_order.block(b);
          for (unsigned j = 0; j < 64 && 64 * b + j < n - long(L); ++j) {
            ASSERT_EQ(bool(want[64 * b + j]), bool(got >> j & 1))
                << row.fault << ": L " << L << ", window " << 64 * b + j << " of " << n;
            ASSERT_EQ(bool(want[64 * other + j]) || 64 * other + j >= n - long(L),
                      bool(jumped >> j & 1) || 64 * other + j >= n - long(L))
                << row.fault << " (after a jump): L " << L << ", window " << 64 * other + j;
          }
        }
      }
    }
  // Requirements above 63 are read as 63: more windows, never fewer.
  const std::string s = generated(rng, 600);
  open_windows capped(s.data(), long(s.size()), 2, 500);
  const std::vector<bool> want = open_plain(s, 2, 63);
  for (long b = 0; 64 * b < long(s.size()) - 2; ++b) {
    const std::uint64_t got = capped.block(b);
    for (unsigned j = 0; j < 64 && 64 * b + j < long(s.size()) - 2; ++j)
      ASSERT_EQ(bool(want[64 * b + j]), bool(got >> j & 1)) << "a long requirement must be capped";
  }
}

TEST_F(BulkScanTest, ExactSearchInBulkFindsWhatTryingEveryWindowFinds)
{
  const struct {
    const char *fault;
    void (*options)();
    bool seed_tables;
  } rows[] = {
      {"defaults: a kept repeat missed or an extra one", [] {}, false},
      {"every unit length from 1 to 20", [] { global_max_unit_length = 20; }, false},
      {"a minimum score of 0 accepts the bare window: every free window must be tried",
       [] { global_min_score = 0, global_min_score_bx = 0; }, false},
      {"a minimum length alone decides which stretches are long enough",
       [] { global_min_score = 0, global_min_score_bx = 0, global_min_length = 9; }, false},
      {"a minimum length below the unit length with a minimum score of 0",
       [] { global_min_score = 0, global_min_score_bx = 0, global_min_length = 3; }, false},
      {"no N admitted", [] { global_Ns_allowed_in_a_row = 0; }, false},
      {"N as a mismatch", [] { global_treat_Ns_as_missense = true; }, false},
      {"long N runs admitted inside repeats", [] { global_Ns_allowed_in_a_row = 4; }, false},
      {"repeats outside the perfection range are found again from later windows",
       [] { global_Ns_allowed_in_a_row = 3, global_min_perfection = 99; }, false},
      {"a large minimum score, read as a stretch of 63", [] { global_min_score = 80; }, false},
      {"unit lengths 3 to 7 only, without the mononucleotide pass",
       [] { global_min_unit_length = 3, global_max_unit_length = 7; }, false},
      {"the seed thresholds of the extend-exact mode", [] {}, true},
  };
  std::mt19937 rng(13);
  for (const auto &row : rows)
    for (int round = 0; round < 25; ++round) {
      init_param();
      row.options();
      const search_setup &setup = setup_now();
      load(generated(rng, 1 + rng() % 3000));
      std::vector<std::array<long, 6>> found[2];
      for (int bulk = 0; bulk < 2; ++bulk) {
        CSearchController c(1, record, setup, test_pool());
        c.skip_in_bulk = bulk != 0;
        c.exact_search_2(row.seed_tables ? setup.intern : setup.user);
        for (const Csat *s : c.exactSATList)
          found[bulk].push_back({s->pos_left - at(0), s->pos_right - at(0), s->unit_begin - at(0),
                                 long(s->unit_length()), s->score, long(s->Ns)});
      }
      ASSERT_EQ(found[0], found[1]) << row.fault << "\n" << std::string(record.seq.begin(), record.seq.end());
    }
}

TEST_F(BulkScanTest, MarkingBitsAgreeWithOneMarkAPositionAtTheGuardsAndAcrossBytes)
{
  std::mt19937 rng(14);
  for (int round = 0; round < 200; ++round) {
    load(std::string(1 + rng() % 140, 'A'));
    const long n = static_cast<long>(record.seq.length);
    CAnchorSeq marks(record);
    std::vector<bool> free(n + 2, true); // offsets -1 .. n
    for (int step = 0; step < 30; ++step) {
      const long a = long(rng() % (n + 2)) - 1, b = a + long(rng() % (n + 2 - (a + 1)));
      switch (rng() % 4) {
      case 0:
        marks.cover(a, b);
        for (long k = a; k < b; ++k)
          free[k + 1] = false;
        break;
      case 1:
        marks.free_position(a);
        free[a + 1] = true;
        break;
      case 2: {
        const bool f = rng() % 2;
        marks.set_position(a, f);
        free[a + 1] = f;
        break;
      }
      default:
        if (rng() % 8 == 0) {
          marks.reset();
          free.assign(n + 2, true);
        }
      }
      for (long k = -1; k <= n; ++k)
        ASSERT_EQ(bool(free[k + 1]), marks.is_free(k))
            << "a mark lost or set beside its place: offset " << k << " of " << n;
      // Short units read their four bits from one word, long ones bit by
      // bit: both sides of the switch, at every offset within a byte.
      for (unsigned L : {1u, 2u, 3u, 5u, 7u, 8u, 9u, 12u, 31u, 54u, 55u, 56u, 57u, 64u, 70u})
        for (long i = 0; i + long(L) <= n; ++i) {
          const long j = i + L;
          const bool want = (free[i + 1] && (free[j] || free[j + 1])) || (free[i] && free[j]);
          ASSERT_EQ(want, marks.window_is_free(i, L)) << "window test: " << i << ", L " << L;
        }
    }
  }
}

TEST_F(BulkScanTest, OneLetterWindowsAreTheSameInTwoWordsAsBaseByBase)
{
  // A second word's mask one base too wide or too narrow would search a
  // one-letter unit or pass over a unit whose last base differs.
  std::mt19937 rng(23);
  for (int round = 0; round < 40; ++round) {
    const std::string s = generated(rng, 300 + rng() % 200);
    const char *const b = s.data(), *const e = b + s.size();
    for (unsigned L = 1; L <= 16; ++L) {
      const one_letter_words words(L);
      for (const char *w = b; e - w >= 16; ++w) {
        bool plain = true;
        for (unsigned k = 1; k < L; ++k)
          plain = plain && w[k] == w[0];
        ASSERT_EQ(plain, one_letter(w, L, e)) << "offset " << w - b << ", L " << L;
        ASSERT_EQ(plain, words.holds(w)) << "offset " << w - b << ", L " << L;
      }
    }
  }
}
