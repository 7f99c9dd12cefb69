#include "CDnaString.h"

const char *const REPEAT_NAMES[7] = {"***  ERROR  ***", "mononucleotide", "dinucleotide",
                                     "trinucleotide",   "tetranucleotide", "pentanucleotide",
                                     "hexanucleotide"};

bool CDnaString::setToMinAlphaRepModCyclicPermOf(const CDnaString &) { return false; }
unsigned CDnaString::setToReverseComplementOf(const CDnaString &) { return 0; }
bool CDnaString::setToMinAlphaRepModRevCompAndCyclicPermOf(const CDnaString &) { return false; }
