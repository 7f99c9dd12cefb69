// Marking array over one record: free where a window may start or end,
// covered where an accepted repeat covers the sequence. One bit a position,
// set when covered, so that a record's marks take an eighth of its bases;
// guard positions before the first and after the last keep the window test
// free of bound checks.
#ifndef TORVIX_ENGINE_CANCHORSEQ_H
#define TORVIX_ENGINE_CANCHORSEQ_H

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "input/CSequence_Mol.h"
#include "input/growable.h"

class CAnchorSeq
{
public:
  const char *seq_begin;
  unsigned seq_len;
  // Bit k + 1 marks sequence offset k, for k = -1 .. seq_len. Zeroed
  // memory is all free, and the pages of a long record's marks are touched
  // only where repeats are marked.
  unsigned char *anchor_buffer;

  explicit CAnchorSeq(CSequence_Mol &s)
      : seq_begin(s.seq.data), seq_len(s.seq.length),
        anchor_buffer(static_cast<unsigned char *>(std::calloc(bytes(s.seq.length), 1)))
  {
    if (!anchor_buffer)
      abort_on_failed_realloc();
  }
  // The marks of from over offsets [lo, hi) only, for a search of a stretch
  // of the record that looks at no others.
  CAnchorSeq(const CAnchorSeq &from, long lo, long hi)
      : seq_begin(from.seq_begin), seq_len(from.seq_len),
        anchor_buffer(static_cast<unsigned char *>(std::calloc(bytes(seq_len), 1)))
  {
    if (!anchor_buffer)
      abort_on_failed_realloc();
    take_marks(from, lo, hi);
  }
  // Sets the marks over offsets [lo, hi) to those of from, a marking array
  // of the same record, and leaves the others as they are: a search of a
  // stretch that looks at no others can use the same array pass after pass
  // without clearing it.
  void take_marks(const CAnchorSeq &from, long lo, long hi)
  {
    // Bit k + 1 marks offset k; the bytes holding the bits of [lo, hi).
    const long from_bit = std::max(lo, -1L) + 1;
    const long to_bit = std::min(hi, long(seq_len) + 1) + 1;
    const std::size_t first = std::size_t(from_bit) >> 3;
    const std::size_t last = (std::size_t(to_bit) + 7) >> 3;
    if (first < last)
      std::memcpy(anchor_buffer + first, from.anchor_buffer + first, last - first);
  }
  CAnchorSeq(const CAnchorSeq &) = delete;
  CAnchorSeq &operator=(const CAnchorSeq &) = delete;
  ~CAnchorSeq() { std::free(anchor_buffer); }

  // Frees every position, the guards included.
  void reset() { std::memset(anchor_buffer, 0, bytes(seq_len)); }

  bool is_free(long k) const { return !(anchor_buffer[(k + 1) >> 3] >> ((k + 1) & 7) & 1); }

  // The window [i, i + L) may be tried when it starts and ends on free
  // positions, or starts free with a free position after it, or ends free
  // with a free position before it.
  bool window_is_free(long i, unsigned L) const
  {
    if (L > max_word_window) {
      const long j = i + L;
      return (is_free(i) && (is_free(j - 1) || is_free(j))) || (is_free(i - 1) && is_free(j - 1));
    }
    // One load holds the four bits, i - 1 and i at the bottom, i + L - 1
    // and i + L at L and L + 1: the test runs on every window start.
    std::uint64_t w;
    std::memcpy(&w, anchor_buffer + (i >> 3), 8);
    // In bit operations: whether a window is free is a toss-up wherever
    // repeats lie close together, and a branch on it would be missed.
    const std::uint64_t f = ~(w >> (i & 7));
    const std::uint64_t ends = f >> L;
    return (((f >> 1) & (ends | ends >> 1)) | (f & ends)) & 1;
  }

  // Covers the offsets from .. to - 1.
  void cover(long from, long to)
  {
    unsigned long b = from + 1, e = to + 1;
    for (; b < e && (b & 7); ++b)
      anchor_buffer[b >> 3] |= static_cast<unsigned char>(1u << (b & 7));
    if (e - b >= 8) {
      std::memset(anchor_buffer + (b >> 3), 0xFF, (e >> 3) - (b >> 3));
      b = e & ~7ul;
    }
    for (; b < e; ++b)
      anchor_buffer[b >> 3] |= static_cast<unsigned char>(1u << (b & 7));
  }
  void free_position(long k)
  {
    anchor_buffer[(k + 1) >> 3] &= static_cast<unsigned char>(~(1u << ((k + 1) & 7)));
  }
  void set_position(long k, bool free)
  {
    if (free)
      free_position(k);
    else
      cover(k, k + 1);
  }

private:
  // The window test loads a word from the byte of a window's first bit; the
  // padding keeps the last word inside the buffer.
  static constexpr unsigned max_word_window = 64 - 7 - 2;
  static std::size_t bytes(unsigned n) { return (std::size_t(n) + 2 + 7) / 8 + 8; }
};

#endif
