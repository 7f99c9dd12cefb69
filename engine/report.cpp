#include "CSearchController.h"

bool Csat::is_reported() const { return true; }
void Csat::report_sat(FILE *, CSequence_Mol &, unsigned &) const {}
void Csat::print_repeat_name(FILE *) const {}
const char *Csat::get_repeat_name() const { return ""; }
void CSearchController::report_SATList(FILE *, std::list<Csat *>) {}
void CSearchController::report_seq_name(FILE *) {}
