#include "CSearchController.h"

void CSearchController::complete_imperfect_search(FILE *) {}
void CSearchController::unit_len_1_complete_imperfect_search(CAnchorSeq &, std::list<Csat *> &) {}
void CSearchController::one_unit_len_complete_imperfect_search(unsigned, CAnchorSeq &,
                                                               std::list<Csat *> &)
{
}
