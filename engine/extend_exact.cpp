// The extend-exact search: exact repeats found with low internal thresholds
// are the seeds that the alignment grows into imperfect repeats.
#include <iterator>

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
  for (auto it = exactSATList.begin(); it != exactSATList.end();) {
    Csat &seed = **it;
    extender.grow(seed, b, e);
    trim_Ns(seed);
    if (!reaches_thresholds(seed, setup.user)) {
      // Only the look-ahead choices of kept repeats count against the bound.
      extender.explicit_steps = 0;
      it = exactSATList.remove_to_pool(it);
      continue;
    }
    if (!charge_steps(extender.explicit_steps))
      break;
    sort_alignment_events(seed);
    auto next = std::next(it);
    imperfectSATList.splice(imperfectSATList.end(), exactSATList, it);
    it = next;
  }
  imperfectSATList.sort_by_position();
}
