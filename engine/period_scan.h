// Bulk scans for the exact search: which windows of one unit length can grow
// into a repeat that reaches the thresholds, 64 window starts at a time.
//
// A perfect repeat [l, r) of unit length L has s[k] == s[k + L] for every k
// in [l, r - L), N standing for any base. Its score is at most r - l - L, the
// length of that stretch, and every window it can be grown from starts in
// [l, r - L]. So a window starting at p can only be kept when p lies in, or
// just after, a stretch of such k at least as long as both thresholds ask.
#ifndef TORVIX_ENGINE_PERIOD_SCAN_H
#define TORVIX_ENGINE_PERIOD_SCAN_H

#include <cstdint>

// Bit j is set when k = k0 + j lies in [0, n - L) and base k + L may continue
// the period of base k: the two are equal, or one of them is N.
std::uint64_t period_word(const char *s, long n, unsigned L, long k0);
// The same, one base at a time: the reference for period_word.
std::uint64_t period_word_plain(const char *s, long n, unsigned L, long k0);

// The window starts of one unit length that may lie in a stretch long
// enough, read block by block; reading blocks in increasing order, one after
// the other, costs one period_word per block.
class open_windows
{
public:
  // run: the length a stretch needs, at least 1. Stretches need only be this
  // long up to 63: a shorter requirement lets more windows through, never fewer.
  open_windows(const char *s, long n, unsigned L, unsigned run);

  // Bit j is set when the window starting at 64 * b + j may be kept. Bits of
  // starts at or past n - L may be set.
  std::uint64_t block(long b);

private:
  const char *s;
  long n;
  unsigned L;
  unsigned run;
  long cached = -2;              // the block the words below belong to
  std::uint64_t period[3] = {};  // blocks cached - 1, cached, cached + 1
  std::uint64_t starts[2] = {};  // where a long enough stretch starts: blocks cached - 1, cached

  std::uint64_t stretch_starts(std::uint64_t lo, std::uint64_t hi) const;
};

#endif
