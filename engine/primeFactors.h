// Distinct prime factors p < n of every n from 0 to 10000, ascending and
// zero-padded to six entries; used to recognise units that are repetitions of
// a shorter unit.
#ifndef TORVIX_ENGINE_PRIMEFACTORS_H
#define TORVIX_ENGINE_PRIMEFACTORS_H

const unsigned primeFactors_size = 10001;
const unsigned primeFactors_width = 6;

extern const unsigned (&primeFactors)[primeFactors_size][primeFactors_width];

#endif
