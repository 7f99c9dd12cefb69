#include "primeFactors.h"

namespace {

struct prime_factor_table {
  unsigned row[primeFactors_size][primeFactors_width];
};

// A sieve fills the table in the compiler: each prime p is appended to the rows
// of its proper multiples, which therefore receive their factors in ascending
// order. Primes themselves, 0 and 1 keep empty rows.
constexpr prime_factor_table build_prime_factor_table()
{
  prime_factor_table t{};
  unsigned filled[primeFactors_size] = {};
  for (unsigned p = 2; p < primeFactors_size; ++p) {
    if (filled[p] != 0)
      continue; // p has a smaller prime factor: not prime
    for (unsigned m = 2 * p; m < primeFactors_size; m += p)
      t.row[m][filled[m]++] = p;
  }
  return t;
}

constexpr prime_factor_table table = build_prime_factor_table();

} // namespace

const unsigned (&primeFactors)[primeFactors_size][primeFactors_width] = table.row;
