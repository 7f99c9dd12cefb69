// Filters that thin out a record's sorted repeat list before it is reported;
// rejected records go back to the pool.
#include "CSearchController.h"

#include "params/global-types-and-parameters.h"

void CSearchController::remove_hidden(CsatContainer &list)
{
  if (!global_remove_mostly_hidden)
    return;
  // The list is sorted by start, so the records that overlap A from the right
  // are exactly those after A that start inside it.
  auto a = list.begin();
  while (a != list.end()) {
    const Csat *A = *a;
    bool a_removed = false;
    auto b = std::next(a);
    while (b != list.end() && (*b)->pos_left < A->pos_right) {
      const Csat *B = *b;
      const unsigned overlap =
          static_cast<unsigned>((A->pos_right < B->pos_right ? A->pos_right : B->pos_right) - B->pos_left);
      if (overlap == 0)
        break;
      // One of the two adds less than a unit of its own outside the overlap.
      const bool mostly_hidden =
          A->length() - overlap < A->unit_length() || B->length() - overlap < B->unit_length();
      if (!mostly_hidden) {
        ++b;
      } else if (A->score < B->score) {
        a = list.remove_to_pool(a);
        a_removed = true;
        break;
      } else {
        b = list.remove_to_pool(b);
      }
    }
    if (!a_removed)
      ++a;
  }
}

void CSearchController::filter_perfection(CsatContainer &list)
{
  if (global_min_perfection <= 0 && global_max_perfection >= 100)
    return;
  for (auto it = list.begin(); it != list.end();) {
    const float perfection = (*it)->perfection();
    if (perfection < global_min_perfection || perfection > global_max_perfection)
      it = list.remove_to_pool(it);
    else
      ++it;
  }
}
