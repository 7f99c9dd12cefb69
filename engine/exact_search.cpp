#include "CSearchController.h"

void CSearchController::exact_search_2() {}
