#include "walk_memo.h"

#include <algorithm>
#include <cstring>

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

unit_classes::key unit_classes::key_of(const char *b, unsigned L)
{
  const unsigned least = least_rotation(b, L);
  std::uint64_t h = L;
  for (unsigned k = 0; k < L; ++k)
    h = h * 1099511628211ull + static_cast<unsigned char>(b[(least + k) % L]);
  return key{least, mix(h)};
}

unsigned unit_classes::shortest_period(const char *b, unsigned L)
{
  for (unsigned p = 1; p < L; ++p)
    if (L % p == 0 && std::memcmp(b, b + p, L - p) == 0)
      return p;
  return L;
}

int unit_classes::find(const char *b, unsigned L, const key &k) const
{
  if (by_hash.empty())
    return -1;
  for (std::size_t at = k.hash & (by_hash.size() - 1); by_hash[at];
       at = (at + 1) & (by_hash.size() - 1)) {
    const unit_class &c = classes[by_hash[at] - 1];
    if (c.hash != k.hash || c.length != L)
      continue;
    unsigned i = 0;
    while (i < L && c.unit[(c.least + i) % L] == b[(k.least + i) % L])
      ++i;
    if (i == L)
      return static_cast<int>(by_hash[at] - 1);
  }
  return -1;
}

unsigned unit_classes::add(const char *b, unsigned L, const key &k)
{
  if (by_hash.size() < 2 * classes.size() + 2) {
    std::size_t size = 16;
    while (size < 4 * classes.size() + 4)
      size *= 2;
    by_hash.assign(size, 0);
    for (std::uint32_t c = 0; c < classes.size(); ++c) {
      std::size_t at = classes[c].hash & (by_hash.size() - 1);
      while (by_hash[at])
        at = (at + 1) & (by_hash.size() - 1);
      by_hash[at] = c + 1;
    }
  }
  std::size_t at = k.hash & (by_hash.size() - 1);
  while (by_hash[at])
    at = (at + 1) & (by_hash.size() - 1);
  classes.push_back(unit_class{b, L, k.least, k.hash});
  by_hash[at] = static_cast<std::uint32_t>(classes.size());
  return static_cast<unsigned>(classes.size() - 1);
}

void walk_memo::clear()
{
  nodes.clear();
  base = 0;
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
    const std::int32_t v = table[at] - 1;
    if (this->pos(v) == pos && nodes[v].cls == cls && nodes[v].phase() == phase)
      return v;
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
  std::size_t at = key_hash(pos(v), x.cls, x.phase()) & mask;
  for (; table[at]; at = (at + 1) & mask) {
    const node &y = nodes[table[at] - 1];
    if (y.at == x.at && y.cls == x.cls && y.phase() == x.phase())
      return; // a walk that came back to a state it had passed: the first stays
  }
  table[at] = v + 1;
  ++used;
}

bool walk_memo::is_splay_root(std::int32_t v) const
{
  const std::int32_t u = nodes[v].up;
  return u < 0 || (nodes[u].child[0] != v && nodes[u].child[1] != v);
}

// A splay subtree is a stretch of one path: its right part lies deeper, so
// it comes first in the walk, then the node, then its left part.
void walk_memo::pull(std::int32_t v)
{
  node &x = nodes[v];
  const std::int32_t r = x.child[1], l = x.child[0];
  x.span = counts{0, 0, 0, 0, 0};
  x.high = x.low = 0;
  if (r >= 0) {
    const node &y = nodes[r];
    x.span = y.span;
    x.low = y.low < 0 ? y.low : 0;
    x.high = beats(x.span.score, y.high) ? x.span.score : y.high;
    if (x.span.score < x.low)
      x.low = x.span.score;
  }
  x.span.add(x.to_parent());
  if (l >= 0) {
    const node &y = nodes[l];
    if (beats(x.span.score + y.high, x.high))
      x.high = x.span.score + y.high;
    if (x.span.score + y.low < x.low)
      x.low = x.span.score + y.low;
    x.span.add(y.span);
  }
}

// The node of t's splay subtree where its high lies: pull's choices made
// again from the top down.
std::int32_t walk_memo::best_in(std::int32_t t) const
{
  for (;;) {
    const node &x = nodes[t];
    const std::int32_t r = x.child[1], l = x.child[0];
    std::int64_t before = 0, high = 0;
    bool in_r = false;
    if (r >= 0) {
      before = nodes[r].span.score;
      in_r = !beats(before, nodes[r].high);
      high = in_r ? nodes[r].high : before;
    }
    if (l >= 0 && beats(before + x.edge_score + nodes[l].high, high))
      t = l;
    else if (in_r)
      t = r;
    else
      return t;
  }
}

void walk_memo::rotate(std::int32_t v)
{
  const std::int32_t p = nodes[v].up, g = nodes[p].up;
  const int side = nodes[p].child[1] == v;
  const std::int32_t moved = nodes[v].child[!side];
  if (!is_splay_root(p))
    nodes[g].child[nodes[g].child[1] == p] = v;
  nodes[v].up = g;
  nodes[v].child[!side] = p;
  nodes[p].up = v;
  nodes[p].child[side] = moved;
  if (moved >= 0)
    nodes[moved].up = p;
  pull(p);
  pull(v);
}

void walk_memo::splay(std::int32_t v)
{
  while (!is_splay_root(v)) {
    const std::int32_t p = nodes[v].up;
    if (!is_splay_root(p)) {
      const std::int32_t g = nodes[p].up;
      rotate((nodes[g].child[1] == p) == (nodes[p].child[1] == v) ? p : v);
    }
    rotate(v);
  }
}

// Makes the path from v's root to v one splay tree, with v at its top and
// nothing deeper in it.
void walk_memo::access(std::int32_t v)
{
  for (std::int32_t deeper = -1, x = v; x >= 0; deeper = x, x = nodes[x].up) {
    splay(x);
    nodes[x].child[1] = deeper;
    pull(x);
  }
  splay(v);
}

walk_memo::counts walk_memo::below(std::int32_t v) const
{
  const std::int32_t r = nodes[v].child[1];
  return r >= 0 ? nodes[r].span : counts{0, 0, 0, 0, 0};
}

void walk_memo::set_edge(node &x, const step &by)
{
  const unsigned edit = by.mismatches ? 1 : by.insertions ? 2 : by.deletions ? 3 : 0;
  x.phase_edits = (x.phase_edits & ~std::uint32_t(12)) | edit << 2;
  x.edge_score = static_cast<std::int32_t>(by.score);
  x.edge_Ns = by.Ns;
}

std::int32_t walk_memo::root_of(std::int32_t v, step &from_v)
{
  access(v);
  from_v = nodes[v].span.wide();
  while (nodes[v].child[0] >= 0)
    v = nodes[v].child[0];
  splay(v);
  return v;
}

void walk_memo::link(std::int32_t r, std::int32_t v, const step &by)
{
  step ignored;
  if (nodes[r].parent >= 0 || !is_edge(by) || root_of(v, ignored) == r)
    return;
  access(r);
  set_edge(nodes[r], by);
  nodes[r].parent = v;
  nodes[r].up = v;
  pull(r);
}

void walk_memo::add_chain(const std::vector<pending> &chain, std::int32_t join, const step &at_join)
{
  if (chain.empty())
    return;
  const std::int32_t first = static_cast<std::int32_t>(nodes.size());
  if (nodes.size() == 0)
    base = reinterpret_cast<std::uintptr_t>(chain.front().pos) - (std::uintptr_t(1) << 31);
  for (std::size_t k = 0; k < chain.size(); ++k) {
    const pending &c = chain[k];
    node x{};
    x.at = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(c.pos) - base);
    x.cls = c.cls;
    x.phase_edits = c.phase << 4 | kind_code(c.kind);
    x.child[0] = x.child[1] = -1;
    const std::int32_t v = static_cast<std::int32_t>(nodes.size());
    x.parent = x.up = -1;
    // A step that does not fit an edge leaves the walk's points before it
    // a tree of their own.
    if (k + 1 < chain.size()) {
      const step by = step::between(c.at, chain[k + 1].at);
      if (is_edge(by)) {
        x.parent = x.up = v + 1;
        set_edge(x, by);
      }
    }
    x.span = x.to_parent();
    nodes.push_back(x);
  }
  const std::int32_t last = static_cast<std::int32_t>(nodes.size()) - 1;
  for (std::int32_t v = first; v <= last; ++v)
    insert(v);
  if (join >= 0)
    link(last, join, step::between(chain.back().at, at_join));
}

std::int32_t walk_memo::first_below(std::int32_t v, std::int64_t floor)
{
  access(v);
  if (floor > 0)
    return v;
  std::int32_t t = nodes[v].child[0];
  std::int64_t off = nodes[v].edge_score;
  if (t < 0 || off + nodes[t].low >= floor)
    return -1;
  // The deepest such node of the path above v: the first the walk meets.
  for (;;) {
    const std::int32_t r = nodes[t].child[1];
    if (r >= 0 && off + nodes[r].low < floor)
      t = r;
    else {
      if (r >= 0)
        off += nodes[r].span.score;
      if (off < floor)
        break;
      off += nodes[t].edge_score;
      t = nodes[t].child[0];
    }
  }
  splay(t);
  return t;
}

std::int32_t walk_memo::first_reaching(std::int32_t v, std::int32_t end, const char *x,
                                       bool forward)
{
  access(v);
  splay(end);
  // Positions never turn back along a walk, so the nodes that have reached
  // x are the shallower part of the stretch: the deepest of them is sought.
  std::int32_t found = end;
  for (std::int32_t t = nodes[end].child[1]; t >= 0;) {
    if (forward ? pos(t) >= x : pos(t) <= x) {
      found = t;
      t = nodes[t].child[1];
    } else {
      t = nodes[t].child[0];
    }
  }
  if (found != end)
    splay(found);
  return found;
}

std::int32_t walk_memo::best_between(std::int32_t v, std::int32_t end, step &to_best,
                                     step &to_end)
{
  access(v);
  splay(end);
  const std::int32_t best = best_in(nodes[end].child[1]);
  to_end = below(end).wide();
  splay(best);
  to_best = below(best).wide();
  return best;
}

void walk_memos::write_out_events(Csat &sat)
{
  sat.unpack_events();
  if (sat.paths.empty())
    return;
  for (const walk_path &w : sat.paths)
    forest_of(w).for_each_event(w.from, w.to, w.forward(), [&](const char *pos, char kind) {
          sat.alignment.push_back(alignment_event{pos, kind});
        });
  sat.paths.clear();
  std::sort(sat.alignment.begin(), sat.alignment.end(), Csat::event_order());
}
