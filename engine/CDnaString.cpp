#include "CDnaString.h"

#include <cstring>

const char *const REPEAT_NAMES[7] = {"***  ERROR  ***", "mononucleotide", "dinucleotide",
                                     "trinucleotide",   "tetranucleotide", "pentanucleotide",
                                     "hexanucleotide"};

namespace {

// Complements of the upper-case IUPAC codes; '?' for everything else, S and W
// included, so that an unexpected character shows in the unit text.
struct complement_table {
  char c[256];
};

constexpr complement_table build_complement_table()
{
  complement_table t{};
  for (int i = 0; i < 256; ++i)
    t.c[i] = '?';
  const char from[] = "ACGTNRYKMBVDH";
  const char to[] = "TGCANYRMKVBHD";
  for (unsigned i = 0; from[i]; ++i)
    t.c[static_cast<unsigned char>(from[i])] = to[i];
  return t;
}

constexpr complement_table complement = build_complement_table();

} // namespace

bool CDnaString::setToMinAlphaRepModCyclicPermOf(const CDnaString &s)
{
  const unsigned n = s.length;
  // Every rotation of s is n consecutive bytes of s written twice.
  faststring doubled_s;
  doubled_s.reserve(2 * n);
  doubled_s.append(s.data, s.data + n);
  doubled_s.append(s.data, s.data + n);

  // Two equal rotations at different offsets exist exactly when s is a power
  // of a shorter string; the earlier of them stays the least one.
  unsigned best = 0;
  bool not_primitive = false;
  for (unsigned i = 1; i < n; ++i) {
    int c = std::memcmp(doubled_s.data + i, doubled_s.data + best, n);
    if (c < 0)
      best = i;
    else if (c == 0)
      not_primitive = true;
  }
  assign(doubled_s.data + best, doubled_s.data + best + n);
  return not_primitive;
}

unsigned CDnaString::setToReverseComplementOf(const CDnaString &s)
{
  if (&s == this) {
    const CDnaString copy(s);
    return setToReverseComplementOf(copy);
  }
  const unsigned n = s.length;
  reserve(n);
  length = 0;
  unsigned without_complement = 0;
  for (const char *p = s.data + n; p != s.data;) {
    const char c = complement.c[static_cast<unsigned char>(*--p)];
    without_complement += c == '?';
    data[length++] = c;
  }
  return without_complement;
}

bool CDnaString::setToMinAlphaRepModRevCompAndCyclicPermOf(const CDnaString &s)
{
  if (&s == this) {
    const CDnaString copy(s);
    return setToMinAlphaRepModRevCompAndCyclicPermOf(copy);
  }
  CDnaString r;
  r.setToReverseComplementOf(s);
  const bool not_primitive = setToMinAlphaRepModCyclicPermOf(r);
  r.setToMinAlphaRepModCyclicPermOf(s);
  if (std::strcmp(c_str(), r.c_str()) > 0)
    *this = r;
  return not_primitive;
}
