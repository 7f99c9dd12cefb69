#include "period_scan.h"

#include <emmintrin.h>

std::uint64_t period_word_plain(const char *s, long n, unsigned L, long k0)
{
  std::uint64_t w = 0;
  for (unsigned j = 0; j < 64; ++j) {
    const long k = k0 + j;
    if (k < 0 || k + long(L) >= n)
      continue;
    if (s[k] == s[k + L] || s[k] == 'N' || s[k + L] == 'N')
      w |= std::uint64_t(1) << j;
  }
  return w;
}

std::uint64_t period_word(const char *s, long n, unsigned L, long k0)
{
  // Near the ends of the record the bases past them must not be read.
  if (k0 < 0 || k0 + 64 + long(L) > n)
    return period_word_plain(s, n, L, k0);
  const __m128i N = _mm_set1_epi8('N');
  std::uint64_t w = 0;
  for (unsigned c = 0; c < 64; c += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + k0 + c));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + k0 + c + L));
    const __m128i m = _mm_or_si128(_mm_cmpeq_epi8(a, b),
                                   _mm_or_si128(_mm_cmpeq_epi8(a, N), _mm_cmpeq_epi8(b, N)));
    w |= std::uint64_t(static_cast<unsigned>(_mm_movemask_epi8(m))) << c;
  }
  return w;
}

open_windows::open_windows(const char *s_, long n_, unsigned L_, unsigned run_)
    : s(s_), n(n_), L(L_), run(run_ < 1 ? 1 : run_ > 63 ? 63 : run_)
{
}

// Bit j set when all of the run bits from j on are set in the 128 bits lo, hi.
std::uint64_t open_windows::stretch_starts(std::uint64_t lo, std::uint64_t hi) const
{
  // Most blocks hold no stretch at all: they run out of bits in a step or two.
  for (unsigned have = 1; have < run && lo;) {
    const unsigned step = have < run - have ? have : run - have;
    lo &= (lo >> step) | (hi << (64 - step));
    hi &= hi >> step;
    have += step;
  }
  return lo;
}

std::uint64_t open_windows::block(long b)
{
  if (b == cached + 1) {
    period[0] = period[1];
    period[1] = period[2];
    period[2] = period_word(s, n, L, 64 * (b + 1));
    starts[0] = starts[1];
  } else if (b != cached) {
    period[0] = period_word(s, n, L, 64 * (b - 1));
    period[1] = period_word(s, n, L, 64 * b);
    period[2] = period_word(s, n, L, 64 * (b + 1));
    starts[0] = stretch_starts(period[0], period[1]);
  }
  if (b != cached)
    starts[1] = stretch_starts(period[1], period[2]);
  cached = b;
  // A window may be kept when a long enough stretch starts at most run
  // places before it.
  std::uint64_t lo = starts[0], hi = starts[1];
  if (!(lo | hi))
    return 0;
  for (unsigned have = 1; have < run + 1;) {
    const unsigned step = have < run + 1 - have ? have : run + 1 - have;
    hi |= (hi << step) | (lo >> (64 - step));
    lo |= lo << step;
    have += step;
  }
  return hi;
}
