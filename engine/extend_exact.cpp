// The extend-exact search: exact repeats found with low internal thresholds
// are the seeds that the alignment grows into imperfect repeats.
#include <algorithm>
#include <iterator>
#include <vector>

#include "CSearchController.h"
#include "chunked_search.h"
#include "imperfect_candidate.h"
#include "imperfect_extension.h"

void CSearchController::search_exact_and_extend_to_imperfect_repeats()
{
  observer.message("  Searching for exact repeats.\n");
  exact_search_2(setup.intern);

  observer.message("  Extend exact to imperfect repeats.\n");
  if (chunks > 1 && chunked_seed_extension(*this, setup.intern)) {
    imperfectSATList.sort_by_position();
    return;
  }
  const char *const b = seq.seq.data;
  const char *const e = b + seq.seq.length;
  imperfect_extender extender(setup);
  extender.memos = remember_walks ? &memos : nullptr;
  // Past the work bound: the end of the kept repeats of each unit length.
  // The seeds come in order of position, so a seed before that end lies
  // inside a kept repeat.
  std::vector<const char *> reach;
  for (auto it = exactSATList.begin(); it != exactSATList.end();) {
    Csat &seed = **it;
    const unsigned L = seed.unit_length();
    if (past_work_bound && L < reach.size() && seed.pos_left < reach[L]) {
      it = exactSATList.remove_to_pool(it);
      continue;
    }
    extender.grow(seed, b, e);
    trim_Ns(seed);
    if (!reaches_thresholds(seed, setup.user)) {
      // Only the look-ahead choices of kept repeats count against the bound.
      extender.explicit_steps = 0;
      it = exactSATList.remove_to_pool(it);
      continue;
    }
    if (charge_steps(extender.explicit_steps, seed)) {
      if (reach.size() <= L)
        reach.resize(L + 1, b);
      reach[L] = std::max(reach[L], seed.pos_right);
    }
    sort_alignment_events(seed);
    // Only the report reads the events from here on.
    seed.pack_events();
    auto next = std::next(it);
    imperfectSATList.splice(imperfectSATList.end(), exactSATList, it);
    it = next;
  }
  imperfectSATList.sort_by_position();
}
