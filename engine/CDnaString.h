// Repeat units in normal form: least rotation, reverse complement, and least
// rotation over both strands.
#ifndef TORVIX_ENGINE_CDNASTRING_H
#define TORVIX_ENGINE_CDNASTRING_H

#include "input/growable.h"

class CDnaString : public faststring
{
public:
  using faststring::faststring;

  // this := least rotation of s; true when s is a power of a shorter string.
  bool setToMinAlphaRepModCyclicPermOf(const CDnaString &s);
  // this := reverse complement of s; returns the number of characters without complement.
  unsigned setToReverseComplementOf(const CDnaString &s);
  // this := least rotation over s and its reverse complement; true when not primitive.
  bool setToMinAlphaRepModRevCompAndCyclicPermOf(const CDnaString &s);
};

// Names of unit lengths 0 to 6.
extern const char *const REPEAT_NAMES[7];

#endif
