#include "Csat.h"

#include <cstdlib>

#include "params/exit_status.h"
#include "params/global-types-and-parameters.h"

float Csat::perfection() const
{
  const int ln = normalised_length();
  const int edits = static_cast<int>(mismatches + insertions + deletions);
  int numerator, denominator;
  switch (global_N_and_perfection_mode) {
  case 0:
    numerator = ln - edits - static_cast<int>(Ns);
    denominator = ln;
    break;
  case 1:
    numerator = ln - edits - static_cast<int>(Ns);
    denominator = ln - static_cast<int>(Ns);
    break;
  case 2:
    numerator = ln - edits;
    denominator = ln;
    break;
  default:
    std::exit(exit_bad_perfection_mode);
  }
  return static_cast<float>(numerator) / static_cast<float>(denominator) * 100.0f;
}

bool lessThan_sat(const Csat *a, const Csat *b)
{
  return a->pos_left < b->pos_left || (a->pos_left == b->pos_left && a->pos_right < b->pos_right);
}

Csat *Csat_garbagecollector::get_new(const char *b, const char *e)
{
  Csat *s;
  if (free_list.empty()) {
    s = new Csat;
  } else {
    s = free_list.back();
    free_list.pop_back();
  }
  s->init(b, e);
  return s;
}

Csat_garbagecollector::~Csat_garbagecollector()
{
  for (Csat *s : free_list)
    delete s;
}

CBasicSatContainer::~CBasicSatContainer()
{
  for (Csat *s : *this)
    delete s;
}

CsatContainer::~CsatContainer()
{
  pool->free_list.splice(pool->free_list.end(), *this);
}
