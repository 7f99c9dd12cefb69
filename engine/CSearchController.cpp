#include "CSearchController.h"

#include <cstdio>
#include <string>
#include <vector>

#include "params/global-types-and-parameters.h"

silent_observer CSearchController::quiet;

CSearchController::CSearchController(unsigned seq_number_, CSequence_Mol &seq_,
                                     const search_setup &setup_, Csat_garbagecollector &pool_,
                                     search_observer &observer_)
    : seq_number(seq_number_), seq(seq_), setup(setup_), pool(pool_), observer(observer_),
      exactSATList(pool_), imperfectSATList(pool_), step_budget(step_budget_for(seq_.seq.length))
{
  memos.node_cap = walk_memos::cap_for(seq_.seq.length);
  pass_free_nodes = walk_memos::pass_free_nodes_for(seq_.seq.length);
}

CsatContainer &CSearchController::search_and_filter()
{
  CsatContainer *result = &imperfectSATList;
  if (global_search_mode == 0) {
    exact_search_2();
    result = &exactSATList;
  } else if (global_search_mode == 1) {
    search_exact_and_extend_to_imperfect_repeats();
  } else {
    complete_imperfect_search(nullptr);
  }
  remove_hidden(*result);
  // The exact mode keeps repeats outside the perfection range in its list;
  // the report and the masking skip them.
  if (global_search_mode != 0)
    filter_perfection(*result);
  write_out_events(*result);
  return *result;
}

CsatContainer &CSearchController::search_filter_and_report(FILE *output)
{
  CsatContainer &result = search_and_filter();
  report_SATList(output, std::list<Csat *>(result.begin(), result.end()));
  return result;
}

void CSearchController::write_out_events(std::list<Csat *> &list)
{
  for (Csat *s : list)
    walk_memos::write_out_events(*s);
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

void CSearchController::pass_work_bound(const Csat &kept)
{
  past_work_bound = true;
  const char *const b = seq.seq.data;
  char text[160];
  std::snprintf(text, sizeof text,
                "\" passed its work bound in the repeat at %ld-%ld (unit length %u).\n",
                static_cast<long>(kept.pos_left - b) + 1, static_cast<long>(kept.pos_right - b),
                kept.unit_length());
  std::string note = "Note: the search of sequence \"";
  note += seq.name.c_str();
  note += text;
  note += "From there on, windows and seeds inside a repeat already found are not searched "
          "again:\na long array of copies that all differ from one another is reported as the "
          "first repeat\nfound in it, and the repeats reported from there may differ from those "
          "of a search\nwithout the bound.\n";
  observer.note(note.c_str());
}

bool CSearchController::stop_here(unsigned L)
{
  if (!observer.stop_requested())
    return false;
  observer.progress(seq_number, seq.name.c_str(), L, 'a');
  return true;
}

bool CSearchController::progress_then_stop(unsigned L)
{
  if (!observer.progress_due())
    return false;
  observer.progress(seq_number, seq.name.c_str(), L, 'r');
  return stop_here(L);
}
