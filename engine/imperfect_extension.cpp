#include "CSearchController.h"

void CSearchController::extend_imperfect_forward(Csat &, const char *) {}
void CSearchController::extend_imperfect_backward(Csat &, const char *) {}
int CSearchController::extend_imperfect_forward_leap_ahead(const char *, const char *,
                                                           const char *, const char *, int score,
                                                           int, unsigned, const char *, int)
{
  return score;
}
int CSearchController::extend_imperfect_backward_leap_ahead(const char *, const char *,
                                                            const char *, const char *, int score,
                                                            int, unsigned, const char *, int)
{
  return score;
}
