// Writes one FASTA record holding a diverged tandem array between two random
// flanks, for benchmarks and tests of long satellites. Deterministic for a
// given seed.
//   satellite_array UNIT ARRAY_BASES SUBST_PERMILLE INDEL_PERMILLE [FLANK_BASES [SEED]]
// UNIT is the repeat unit, or a number: a random unit of that many bases.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

int main(int argc, char **argv)
{
  if (argc < 5) {
    std::fprintf(stderr, "usage: satellite_array UNIT ARRAY_BASES SUBST_PERMILLE INDEL_PERMILLE "
                         "[FLANK_BASES [SEED]]\n");
    return 1;
  }
  const unsigned long length = std::strtoul(argv[2], nullptr, 10);
  const unsigned subst = static_cast<unsigned>(std::atoi(argv[3]));
  const unsigned indel = static_cast<unsigned>(std::atoi(argv[4]));
  const unsigned long flank = argc > 5 ? std::strtoul(argv[5], nullptr, 10) : 20000;
  std::mt19937_64 rng(argc > 6 ? std::strtoull(argv[6], nullptr, 10) : 1);
  const auto base = [&] { return "ACGT"[rng() % 4]; };
  std::string unit = argv[1];
  if (unit.find_first_not_of("0123456789") == std::string::npos) {
    const unsigned long n = std::strtoul(argv[1], nullptr, 10);
    unit.clear();
    for (unsigned long k = 0; k < n; ++k)
      unit += base();
  }
  std::string s;
  s.reserve(length + 2 * flank + 16);
  for (unsigned long k = 0; k < flank; ++k)
    s += base();
  // Substitutions and indels at the given rates per thousand unit bases;
  // half the indels insert a base, half delete one.
  for (unsigned long k = 0; s.size() < flank + length; ++k) {
    const char x = unit[k % unit.size()];
    const unsigned dice = static_cast<unsigned>(rng() % 1000);
    if (dice < indel / 2)
      continue;
    if (dice < indel)
      s += base();
    if (dice >= indel && dice < indel + subst)
      s += "ACGT"[(std::string("ACGT").find(x) + 1 + rng() % 3) % 4];
    else
      s += x;
  }
  for (unsigned long k = 0; k < flank; ++k)
    s += base();
  std::printf(">array unit=%s length=%lu subst=%u/1000 indel=%u/1000\n", argv[1], length, subst,
              indel);
  for (size_t k = 0; k < s.size(); k += 80)
    std::printf("%s\n", s.substr(k, 80).c_str());
  return 0;
}
