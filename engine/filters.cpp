#include "CSearchController.h"

void CSearchController::remove_hidden(CsatContainer &) {}
void CSearchController::filter_perfection(CsatContainer &) {}
