// Marking array over one record: 'a' where a window may start or end, ' '
// where an accepted repeat covers the sequence. Guard bytes before the first
// and after the last position keep the window test free of bound checks.
#ifndef TORVIX_ENGINE_CANCHORSEQ_H
#define TORVIX_ENGINE_CANCHORSEQ_H

#include <cstdlib>
#include <cstring>

#include "input/CSequence_Mol.h"
#include "input/growable.h"

class CAnchorSeq
{
public:
  const char *seq_begin;
  unsigned seq_len;
  char *anchor_buffer;
  char *anchors;     // anchors[k] marks sequence offset k, for k = -1 .. seq_len
  char *anchors_end;

  explicit CAnchorSeq(CSequence_Mol &s)
      : seq_begin(s.seq.data), seq_len(s.seq.length),
        anchor_buffer(static_cast<char *>(checked_realloc(nullptr, size_t(s.seq.length) + 3)))
  {
    anchors = anchor_buffer + 1;
    anchors_end = anchor_buffer + seq_len + 1;
    reset();
    anchor_buffer[seq_len + 2] = 0;
  }
  CAnchorSeq(const CAnchorSeq &) = delete;
  CAnchorSeq &operator=(const CAnchorSeq &) = delete;
  ~CAnchorSeq() { std::free(anchor_buffer); }

  // Frees every position, the guards included.
  void reset() { std::memset(anchor_buffer, 'a', size_t(seq_len) + 2); }

  // The window [i, i + L) may be tried when it starts and ends on free
  // positions, or starts free with a free position after it, or ends free
  // with a free position before it.
  bool window_is_free(long i, unsigned L) const
  {
    const long j = i + L;
    return (anchors[i] == 'a' && (anchors[j - 1] == 'a' || anchors[j] == 'a')) ||
           (anchors[i - 1] == 'a' && anchors[j - 1] == 'a');
  }

  void cover(long from, long to) { std::memset(anchors + from, ' ', size_t(to - from)); }
  void free_position(long k) { anchors[k] = 'a'; }
};

#endif
