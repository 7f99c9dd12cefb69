// Scans of the record's bases that both the exact and the imperfect searches
// make for every window.
#ifndef TORVIX_ENGINE_SEQUENCE_SCAN_H
#define TORVIX_ENGINE_SEQUENCE_SCAN_H

#include <cstdint>
#include <cstring>

// The first N at or after from, or e.
inline const char *next_N(const char *from, const char *e)
{
  const void *hit = std::memchr(from, 'N', size_t(e - from));
  return hit ? static_cast<const char *>(hit) : e;
}

// The first base after the run of N that starts at p (p itself when no N).
// Eight bases at a time while the sequence end e is that far: runs of N
// between the pieces of a genome's assembly can be millions long.
inline const char *past_N_run(const char *p, const char *e)
{
  static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "little-endian words expected");
  const std::uint64_t all_N = 0x4E4E4E4E4E4E4E4Eu;
  for (; e - p >= 8; p += 8) {
    std::uint64_t x;
    std::memcpy(&x, p, 8);
    if (x != all_N)
      return p + (__builtin_ctzll(x ^ all_N) >> 3);
  }
  while (p != e && *p == 'N')
    ++p;
  return p;
}

// A unit made of one repeated base is the mononucleotide repeat's business.
// Eight bases at a time while the sequence end e is that far.
inline bool one_letter(const char *s, unsigned L, const char *e)
{
  // The mask of the last word keeps the bases first in memory, the low bytes.
  static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "little-endian words expected");
  const std::uint64_t all = static_cast<unsigned char>(s[0]) * 0x0101010101010101u;
  unsigned k = 0;
  std::uint64_t x;
  for (; k + 8 <= L; k += 8) {
    std::memcpy(&x, s + k, 8);
    if (x != all)
      return false;
  }
  if (k == L)
    return true;
  if (e - (s + k) >= 8) {
    std::memcpy(&x, s + k, 8);
    return ((x ^ all) & (~std::uint64_t(0) >> (64 - 8 * (L - k)))) == 0;
  }
  for (; k < L; ++k)
    if (s[k] != s[0])
      return false;
  return true;
}

// one_letter for the windows of one length up to 16 with sixteen bases to
// read from their start, in two words and no branch: in ordinary sequence
// the first two bases of a window agree about one time in four, at random.
class one_letter_words
{
  std::uint64_t low, high; // the window's bytes in the first and second word
public:
  explicit one_letter_words(unsigned L)
      : low(L >= 8 ? ~std::uint64_t(0) : (std::uint64_t(1) << 8 * L) - 1),
        high(L >= 16 ? ~std::uint64_t(0) : L > 8 ? (std::uint64_t(1) << 8 * (L - 8)) - 1 : 0)
  {
  }
  bool holds(const char *s) const
  {
    const std::uint64_t all = static_cast<unsigned char>(s[0]) * 0x0101010101010101u;
    std::uint64_t x, y;
    std::memcpy(&x, s, 8);
    std::memcpy(&y, s + 8, 8);
    return (((x ^ all) & low) | ((y ^ all) & high)) == 0;
  }
};

#endif
