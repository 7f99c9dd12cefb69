#include "CSearchController.h"

#include <cmath>
#include <vector>

#include "params/global-types-and-parameters.h"

int *CSearchController::minScores_user = nullptr;
int *CSearchController::minLengths_user = nullptr;
int *CSearchController::minScores_intern = nullptr;
int *CSearchController::minLengths_intern = nullptr;
int *CSearchController::minScores = nullptr;
int *CSearchController::minLengths = nullptr;

// max(floor_value, ceil(a + L * b)) for every unit length, in single precision
// as the options are stored.
static int *new_threshold_table(int floor_value, int a, float b)
{
  int *t = new int[global_max_unit_length + 1];
  for (unsigned L = 0; L <= global_max_unit_length; ++L) {
    float sum = static_cast<float>(a) + static_cast<float>(L) * b;
    int v = static_cast<int>(ceilf(sum));
    t[L] = v < floor_value ? floor_value : v;
  }
  return t;
}

CSearchController::CSearchController(unsigned seq_number_, CSequence_Mol &seq_)
    : seq_number(seq_number_), seq(seq_), exactSATList(sat_alloc), imperfectSATList(sat_alloc),
      step_budget(step_budget_for(seq_.seq.length))
{
  memos.node_cap = 4 * std::size_t(seq_.seq.length) + (std::size_t(1) << 22);
  if (!minScores_user)
    minScores_user = new_threshold_table(global_min_score, global_min_score_a, global_min_score_bx);
  if (!minLengths_user)
    minLengths_user =
        new_threshold_table(global_min_length, global_min_length_a, global_min_length_bx);
  if (!minScores_intern) {
    minScores_intern = new int[global_max_unit_length + 1];
    for (unsigned L = 0; L <= global_max_unit_length; ++L)
      minScores_intern[L] = L < 4 ? 4 : static_cast<int>(L);
  }
  if (!minLengths_intern) {
    minLengths_intern = new int[global_max_unit_length + 1];
    for (unsigned L = 0; L <= global_max_unit_length; ++L)
      minLengths_intern[L] = 0;
  }
  minScores = minScores_user;
  minLengths = minLengths_user;
}

void CSearchController::reset_minimum_arrays()
{
  delete[] minScores_user;
  delete[] minLengths_user;
  delete[] minScores_intern;
  delete[] minLengths_intern;
  minScores_user = minLengths_user = minScores_intern = minLengths_intern = nullptr;
  minScores = minLengths = nullptr;
}

CsatContainer *CSearchController::search_filter_and_report(FILE *output)
{
  CsatContainer *result = &imperfectSATList;
  if (global_search_mode == 0) {
    exact_search_2();
    result = &exactSATList;
  } else if (global_search_mode == 1) {
    search_exact_and_extend_to_imperfect_repeats();
  } else {
    complete_imperfect_search(output);
  }
  if (abandoned)
    return nullptr;
  remove_hidden(*result);
  // The exact mode keeps repeats outside the perfection range in its list;
  // the report and the masking skip them.
  if (global_search_mode != 0)
    filter_perfection(*result);
  write_out_events(*result);
  report_SATList(output, std::list<Csat *>(result->begin(), result->end()));
  return result;
}

void CSearchController::write_out_events(std::list<Csat *> &list)
{
  for (Csat *s : list)
    memos.write_out_events(*s);
}

void CSearchController::maskSATList(CsatContainer &list)
{
  if (!global_mask_lower && !global_mask_X)
    return;
  // Whether a repeat is reported depends on its unit's letters, which an
  // overlapping repeat masked earlier would already have overwritten.
  std::vector<const Csat *> reported;
  for (const Csat *s : list)
    if (s->is_reported())
      reported.push_back(s);
  char *base = seq.seq.data;
  for (const Csat *s : reported) {
    char *b = base + (s->pos_left - base);
    char *e = base + (s->pos_right - base);
    if (global_mask_lower)
      for (char *p = b; p != e; ++p)
        *p = static_cast<char>(*p | 0x20); // the sequence holds upper-case A, C, G, T, N only
    else
      for (char *p = b; p != e; ++p)
        *p = 'X';
  }
}

bool CSearchController::stop_here(unsigned L)
{
  if (!stop_requested())
    return false;
  report_status(seq_number, seq.name.c_str(), L, 'a');
  return true;
}

bool CSearchController::progress_then_stop(unsigned L)
{
  if (!check_report_status())
    return false;
  report_status(seq_number, seq.name.c_str(), L, 'r');
  return stop_here(L);
}
