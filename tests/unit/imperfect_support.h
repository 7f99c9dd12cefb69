// Helpers for the tests of the imperfect extension and searches: a record
// whose sequence buffer ends exactly at its last base, so that the sanitizer
// catches any read past either end, a readable summary of a repeat, and
// random repeats to align.
#ifndef TORVIX_TESTS_IMPERFECT_SUPPORT_H
#define TORVIX_TESTS_IMPERFECT_SUPPORT_H

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "engine/Csat.h"
#include "input/CSequence_Mol.h"
#include "params/global-types-and-parameters.h"

// A record holding exactly the given bases.
struct tight_record {
  explicit tight_record(const std::string &bases, const char *name = "seq")
  {
    std::free(mol.seq.data);
    mol.seq.data = static_cast<char *>(std::malloc(bases.empty() ? 1 : bases.size()));
    std::memcpy(mol.seq.data, bases.data(), bases.size());
    mol.seq.length = mol.seq.capacity = static_cast<unsigned>(bases.size());
    mol.name.assign(name);
    mol.full_name.assign(name);
  }
  const char *begin() const { return mol.seq.data; }
  const char *end() const { return mol.seq.data + mol.seq.length; }

  CSequence_Mol mol;
};

// Offsets of a repeat (last base inclusive), its counts and its events, as
// one comparable text: "3-18 s8 m1 i0 d0 n0 [M11]".
inline std::string summary(const Csat &s, const char *seq_begin)
{
  std::string t = std::to_string(s.pos_left - seq_begin) + "-" +
                  std::to_string(s.pos_right - seq_begin - 1) + " s" + std::to_string(s.score) +
                  " m" + std::to_string(s.mismatches) + " i" + std::to_string(s.insertions) +
                  " d" + std::to_string(s.deletions) + " n" + std::to_string(s.Ns) + " [";
  for (unsigned k = 0; k < s.alignment.size(); ++k)
    t += (k ? " " : "") + std::string(1, s.alignment[k].kind) +
         std::to_string(s.alignment[k].pos - seq_begin);
  return t + "]";
}

// Random scores, depth, tie rule and N rules for the alignment.
inline void draw_alignment_options(std::mt19937 &rng)
{
  global_mismatch_score = -2 - int(rng() % 6);
  global_indel_score = -2 - int(rng() % 6);
  global_maximum_recursion_depth = 1 + int(rng() % 6);
  global_prefer_longer_repeat = int(rng() % 2);
  global_Ns_allowed_in_a_row = int(rng() % 4);
  global_treat_Ns_as_missense = rng() % 5 == 0;
}

inline std::string random_bases(std::mt19937 &rng, unsigned n)
{
  std::string s;
  for (unsigned k = 0; k < n; ++k)
    s += "ACGT"[rng() % 4];
  return s;
}

// Copies of unit with substitutions, insertions, deletions and short N runs
// at the given rate in percent.
inline std::string planted_repeat(std::mt19937 &rng, const std::string &unit, unsigned copies,
                                  unsigned rate)
{
  std::string s;
  for (unsigned c = 0; c < copies; ++c)
    for (char x : unit) {
      const unsigned dice = rng() % 100;
      if (dice < rate / 4)
        continue;
      if (dice < rate / 2)
        s += "ACGT"[rng() % 4];
      else if (dice < 3 * rate / 4)
        s += std::string(1 + rng() % 3, 'N');
      else if (dice < rate)
        s += x, s += "ACGT"[rng() % 4];
      else
        s += x;
    }
  return s;
}

#endif
