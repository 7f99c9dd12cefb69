#include "walk_memo.h"

#include <algorithm>

namespace {

// Where the least rotation of the cyclic word [s, s + n) starts.
unsigned least_rotation(const char *s, unsigned n)
{
  unsigned i = 0, j = 1, k = 0;
  while (i < n && j < n && k < n) {
    const char a = s[(i + k) % n], b = s[(j + k) % n];
    if (a == b) {
      ++k;
      continue;
    }
    if (a > b)
      i += k + 1;
    else
      j += k + 1;
    if (i == j)
      ++j;
    k = 0;
  }
  return i < j ? i : j;
}

std::uint64_t mix(std::uint64_t x)
{
  x ^= x >> 33;
  x *= 0xff51afd7ed558ccdull;
  x ^= x >> 33;
  x *= 0xc4ceb9fe1a85ec53ull;
  return x ^ (x >> 33);
}

} // namespace

unsigned unit_classes::class_of(const char *b, unsigned L, unsigned &least)
{
  least = least_rotation(b, L);
  std::uint64_t h = L;
  for (unsigned k = 0; k < L; ++k)
    h = h * 1099511628211ull + static_cast<unsigned char>(b[(least + k) % L]);
  h = mix(h);
  if (by_hash.size() < 2 * classes.size() + 2) {
    std::size_t size = 16;
    while (size < 4 * classes.size() + 4)
      size *= 2;
    by_hash.assign(size, 0);
    for (std::uint32_t k = 0; k < classes.size(); ++k) {
      std::size_t at = classes[k].hash & (by_hash.size() - 1);
      while (by_hash[at])
        at = (at + 1) & (by_hash.size() - 1);
      by_hash[at] = k + 1;
    }
  }
  std::size_t at = h & (by_hash.size() - 1);
  for (; by_hash[at]; at = (at + 1) & (by_hash.size() - 1)) {
    const unit_class &c = classes[by_hash[at] - 1];
    if (c.hash != h || c.length != L)
      continue;
    unsigned k = 0;
    while (k < L && c.unit[(c.least + k) % L] == b[(least + k) % L])
      ++k;
    if (k == L)
      return by_hash[at] - 1;
  }
  classes.push_back(unit_class{b, L, least, h});
  by_hash[at] = static_cast<std::uint32_t>(classes.size());
  return static_cast<unsigned>(classes.size() - 1);
}

void walk_memo::clear()
{
  nodes.clear();
  table.clear();
  used = 0;
  joins = 0;
}

std::uint64_t walk_memo::key_hash(const char *pos, std::uint32_t cls, std::uint32_t phase)
{
  return mix(reinterpret_cast<std::uintptr_t>(pos) * 0x9e3779b97f4a7c15ull ^
             (static_cast<std::uint64_t>(cls) << 24) ^ phase);
}

std::int32_t walk_memo::find(const char *pos, std::uint32_t cls, std::uint32_t phase) const
{
  if (table.empty())
    return -1;
  const std::size_t mask = table.size() - 1;
  for (std::size_t at = key_hash(pos, cls, phase) & mask; table[at]; at = (at + 1) & mask) {
    const node &x = nodes[table[at] - 1];
    if (x.pos == pos && x.cls == cls && x.phase == phase)
      return table[at] - 1;
  }
  return -1;
}

void walk_memo::insert(std::int32_t v)
{
  if (2 * (used + 1) > table.size()) {
    std::vector<std::int32_t> old(table.empty() ? 1024 : 2 * table.size(), 0);
    old.swap(table);
    used = 0;
    for (std::int32_t k : old)
      if (k)
        insert(k - 1);
  }
  const node &x = nodes[v];
  const std::size_t mask = table.size() - 1;
  std::size_t at = key_hash(x.pos, x.cls, x.phase) & mask;
  for (; table[at]; at = (at + 1) & mask) {
    const node &y = nodes[table[at] - 1];
    if (y.pos == x.pos && y.cls == x.cls && y.phase == x.phase)
      return; // a walk that came back to a state it had passed: the first stays
  }
  table[at] = v + 1;
  ++used;
}

// Jump pointers of a skew-binary shape: from any node, the ancestors that
// meet a condition monotone along the path are found in logarithmically
// many steps, and each jump carries the minimum and the best of phi over the
// nodes it passes.
void walk_memo::link(std::int32_t v, std::int32_t parent)
{
  node &x = nodes[v];
  x.parent = parent;
  x.span_min = x.span_max = x.phi;
  x.span_best = v;
  if (parent < 0) {
    x.depth = 0;
    x.root = v;
    x.jump = -1;
    return;
  }
  const node &p = nodes[parent];
  x.depth = p.depth + 1;
  x.root = p.root;
  x.jump = parent;
  if (p.jump < 0)
    return;
  const node &q = nodes[p.jump];
  const long long below_q = q.jump < 0 ? -1 : static_cast<long long>(nodes[q.jump].depth);
  if (static_cast<long long>(p.depth) - q.depth != static_cast<long long>(q.depth) - below_q)
    return;
  x.jump = q.jump;
  for (const node *s : {&p, &q}) {
    if (s->span_min < x.span_min)
      x.span_min = s->span_min;
    if (beats(s->span_max, x.span_max)) {
      x.span_max = s->span_max;
      x.span_best = s->span_best;
    }
  }
}

void walk_memo::add_chain(const std::vector<pending> &chain, std::int32_t join,
                          const pending &at_join)
{
  if (chain.empty())
    return;
  std::int64_t dphi = 0;
  std::uint32_t dm = 0, di = 0, dd = 0, dn = 0;
  if (join >= 0) {
    const node &j = nodes[join];
    dphi = j.phi - at_join.score;
    dm = j.mismatches - at_join.mismatches;
    di = j.insertions - at_join.insertions;
    dd = j.deletions - at_join.deletions;
    dn = j.Ns - at_join.Ns;
  }
  const std::int32_t first = static_cast<std::int32_t>(nodes.size());
  for (const pending &c : chain) {
    node x{};
    x.pos = c.pos;
    x.phi = c.score + dphi;
    x.mismatches = c.mismatches + dm;
    x.insertions = c.insertions + di;
    x.deletions = c.deletions + dd;
    x.Ns = c.Ns + dn;
    x.cls = c.cls;
    x.phase = c.phase;
    x.kind = c.kind;
    nodes.push_back(x);
  }
  const std::int32_t last = static_cast<std::int32_t>(nodes.size()) - 1;
  for (std::int32_t v = last; v >= first; --v)
    link(v, v == last ? join : v + 1);
  for (std::int32_t v = first; v <= last; ++v)
    insert(v);
}

std::int32_t walk_memo::first_below(std::int32_t v, std::int64_t floor) const
{
  while (v >= 0) {
    const node &x = nodes[v];
    if (x.span_min >= floor)
      v = x.jump;
    else if (x.phi < floor)
      return v;
    else
      v = x.parent;
  }
  return -1;
}

std::int32_t walk_memo::best_between(std::int32_t v, std::int32_t end) const
{
  const long long end_depth = end < 0 ? -1 : static_cast<long long>(nodes[end].depth);
  std::int32_t best = -1;
  std::int64_t best_phi = 0;
  while (v != end) {
    const node &x = nodes[v];
    const long long jump_depth = x.jump < 0 ? -1 : static_cast<long long>(nodes[x.jump].depth);
    std::int64_t phi = x.phi;
    std::int32_t at = v;
    if (jump_depth >= end_depth) {
      phi = x.span_max;
      at = x.span_best;
      v = x.jump;
    } else {
      v = x.parent;
    }
    if (best < 0 || beats(phi, best_phi)) {
      best = at;
      best_phi = phi;
    }
  }
  return best;
}

void walk_memos::write_out_events(Csat &sat) const
{
  if (sat.paths.empty())
    return;
  for (const walk_path &w : sat.paths)
    (w.forward ? forward : backward)
        .for_each_event(w.from, w.to, w.forward, [&](const char *pos, char kind) {
          sat.alignment.push_back(alignment_event{pos, kind});
        });
  sat.paths.clear();
  std::sort(sat.alignment.begin(), sat.alignment.end(), Csat::lessThan_missense);
}
