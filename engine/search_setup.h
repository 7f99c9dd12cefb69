// What every search of a run reads besides its record: the threshold tables
// per unit length and the options of the imperfect extension, worked out once
// from the global parameters after the options are read and never changed
// afterwards, so that any number of searches may share one.
#ifndef TORVIX_ENGINE_SEARCH_SETUP_H
#define TORVIX_ENGINE_SEARCH_SETUP_H

#include <vector>

// Minimum score and minimum normalised length for unit lengths
// 0 .. global_max_unit_length.
struct threshold_tables {
  std::vector<int> scores;
  std::vector<int> lengths;
};

// The options of the imperfect extension.
struct extension_options {
  int mismatch;
  int indel;
  int prefer;
  unsigned max_depth;
  unsigned Ns_allowed; // 0 when no N is admitted
  long long reduction;
};

class search_setup
{
public:
  // From the global parameters in force.
  static search_setup from_parameters();

  // The user's thresholds: what the report shows.
  threshold_tables user;
  // Seeds of the extend-exact mode: max(4, unit length), any length. Short
  // exact stretches are worth extending: a seed need not reach the user's
  // thresholds before its mismatches and indels are taken in.
  threshold_tables intern;
  extension_options extension;
};

#endif
