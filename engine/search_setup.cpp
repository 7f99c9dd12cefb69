#include "search_setup.h"

#include <cmath>

#include "params/global-types-and-parameters.h"

namespace {

// max(floor_value, ceil(a + L * b)) for every unit length, in single precision
// as the options are stored.
std::vector<int> threshold_table(int floor_value, int a, float b)
{
  std::vector<int> t(global_max_unit_length + 1);
  for (unsigned L = 0; L <= global_max_unit_length; ++L) {
    float sum = static_cast<float>(a) + static_cast<float>(L) * b;
    int v = static_cast<int>(ceilf(sum));
    t[L] = v < floor_value ? floor_value : v;
  }
  return t;
}

} // namespace

search_setup search_setup::from_parameters()
{
  search_setup s;
  s.user.scores = threshold_table(global_min_score, global_min_score_a, global_min_score_bx);
  s.user.lengths = threshold_table(global_min_length, global_min_length_a, global_min_length_bx);
  s.intern.scores.resize(global_max_unit_length + 1);
  for (unsigned L = 0; L <= global_max_unit_length; ++L)
    s.intern.scores[L] = L < 4 ? 4 : static_cast<int>(L);
  s.intern.lengths.assign(global_max_unit_length + 1, 0);
  s.extension.mismatch = global_mismatch_score;
  s.extension.indel = global_indel_score;
  s.extension.prefer = global_prefer_longer_repeat;
  s.extension.max_depth = static_cast<unsigned>(global_maximum_recursion_depth);
  s.extension.Ns_allowed = global_treat_Ns_as_missense || global_Ns_allowed_in_a_row <= 0
                               ? 0u
                               : static_cast<unsigned>(global_Ns_allowed_in_a_row);
  s.extension.reduction = global_maximum_scorereduction;
  return s;
}
