#include "Csat.h"

#include <cstdint>
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
    s->packed.clear();
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

// Each event is one varint: the distance from the one before (the first from
// pos_left, zigzag-coded, as an event may lie before it) times four plus its
// kind.
namespace {

unsigned event_code(char kind)
{
  return kind == 'M' ? 0 : kind == 'I' ? 1 : kind == 'D' ? 2 : 3;
}

} // namespace

void Csat::pack_events()
{
  if (alignment.empty())
    return;
  fastvector<unsigned char> out;
  out.set_capacity(2 * alignment.length + 16);
  const char *last = pos_left;
  bool first = true;
  for (const alignment_event &e : alignment) {
    const long long d = e.pos - last;
    const std::uint64_t gap = first ? (static_cast<std::uint64_t>(d) << 1) ^
                                          static_cast<std::uint64_t>(d >> 63)
                                    : static_cast<std::uint64_t>(d);
    std::uint64_t v = gap << 2 | event_code(e.kind);
    // A kind outside the three is kept whole after its code.
    while (v >= 0x80) {
      out.push_back(static_cast<unsigned char>(v | 0x80));
      v >>= 7;
    }
    out.push_back(static_cast<unsigned char>(v));
    if (event_code(e.kind) == 3)
      out.push_back(static_cast<unsigned char>(e.kind));
    last = e.pos;
    first = false;
  }
  packed.assign(out.data, out.length);
  alignment.release();
}

void Csat::unpack_events()
{
  if (packed.empty())
    return;
  static const char kinds[3] = {'M', 'I', 'D'};
  const char *last = pos_left;
  bool first = true;
  for (const unsigned char *k = packed.begin(); k != packed.end();) {
    std::uint64_t v = 0;
    for (unsigned shift = 0;; shift += 7) {
      const unsigned char c = *k++;
      v |= static_cast<std::uint64_t>(c & 0x7f) << shift;
      if (c < 0x80)
        break;
    }
    const std::uint64_t gap = v >> 2;
    const long long d = first ? static_cast<long long>(gap >> 1) ^ -static_cast<long long>(gap & 1)
                              : static_cast<long long>(gap);
    const unsigned code = static_cast<unsigned>(v & 3);
    const char kind = code == 3 ? static_cast<char>(*k++) : kinds[code];
    last += d;
    alignment.push_back(alignment_event{last, kind});
    first = false;
  }
  packed.release();
}
