#include "deferred_marks.h"

#include <algorithm>
#include <climits>

template <class F> void deferred_marks::for_each_event_in(const repeat &r, long from, long to, F f)
{
  const Csat &sat = *r.sat;
  const char *const b = anchors.seq_begin;
  const alignment_event *e =
      std::lower_bound(sat.alignment.begin(), sat.alignment.end(), b + from,
                       [](const alignment_event &x, const char *p) { return x.pos < p; });
  for (; e != sat.alignment.end() && e->pos < b + to; ++e)
    f(e->pos - b);
  // Along a forward path the events sit on the nodes' positions, which rise;
  // along a backward one they fall, and a mismatch or an insertion sits one
  // base before its node.
  for (const walk_path &w : sat.paths) {
    walk_memo &t = forest_of(w);
    // A path's events lie between its two ends: the walk reaches its next
    // point at or past an event's base, so a forward path's events lie from
    // its first node's position up to its last one's, and a backward path's
    // from its last node's position up to its first one's. Most queries
    // (the events outside a repeat's span, those behind the scan) hold none
    // of them or begin at the first: those need no search of the forest,
    // which on a long array costs more than the rest of accepting a repeat.
    const long start = t.pos(w.from) - b;
    const long stop = w.to >= 0 ? t.pos(w.to) - b : (w.forward() ? LONG_MAX : LONG_MIN);
    if (w.forward() ? start >= to || stop < from : start < from || stop >= to)
      continue;
    const bool from_first = w.forward() ? start >= from : start <= to;
    for (std::int32_t v = from_first ? w.from
                                     : t.first_reaching(w.from, w.to, w.forward() ? b + from : b + to,
                                                        w.forward());
         v != w.to; v = t.nodes[v].parent) {
      const long k = (t.nodes[v].kind() == 'D' || w.forward() ? t.pos(v) : t.pos(v) - 1) - b;
      if (w.forward() ? k >= to : k < from)
        break;
      if (k >= from && k < to)
        f(k);
    }
  }
}

void deferred_marks::accept(const Csat &sat, long s)
{
  const char *const b = anchors.seq_begin;
  const auto id = static_cast<std::uint32_t>(repeats.size());
  repeats.push_back(repeat{&sat, sat.pos_left - b, sat.pos_right - b, {}, {}});
  repeat &r = repeats.back();
  const auto keep_loose = [&](long k) { r.loose.push_back(k); };
  for_each_event_in(r, 0, r.left, keep_loose);
  for_each_event_in(r, r.right, long(anchors.seq_len) + 1, keep_loose);

  // The scan has passed the window's left neighbour and what lies below the
  // frontier: marked now, as the window test may still look there.
  const long lo = std::max(r.left, s - 1), hi = std::min(r.right, frontier);
  if (lo < hi)
    anchors.cover(lo, hi);
  for_each_event_in(r, s - 1, frontier, [&](long k) { anchors.free_position(k); });

  if (r.right > frontier) {
    while (!reaching.empty() && repeats[reaching.back()].right <= r.right)
      reaching.pop_back();
    reaching.push_back(id);
  }
  for (long k : r.loose)
    if (k >= frontier)
      loose_ahead.emplace(k, id);
}

// Whether the repeat frees offset k; k only grows from call to call.
bool deferred_marks::frees(repeat &r, long k)
{
  const Csat &sat = *r.sat;
  const char *const x = anchors.seq_begin + k;
  event_cursor &c = r.ahead;
  const alignment_event *const ev = sat.alignment.data;
  const unsigned n = sat.alignment.length;
  if (c.event < n && ev[c.event].pos < x)
    c.event = static_cast<unsigned>(
        std::lower_bound(ev + c.event, ev + n, x,
                         [](const alignment_event &a, const char *p) { return a.pos < p; }) -
        ev);
  bool hit = c.event < n && ev[c.event].pos == x;
  while (c.path < sat.paths.size()) {
    const walk_path &w = sat.paths[c.path];
    if (!w.forward()) {
      ++c.path;
      continue;
    }
    walk_memo &t = forest_of(w);
    if (c.node < 0)
      c.node = w.from;
    // A few steps along the path, or a search when the scan has moved far.
    for (int steps = 0; c.node != w.to && t.pos(c.node) < x; ++steps) {
      if (steps == 16) {
        c.node = t.first_reaching(c.node, w.to, x, true);
        break;
      }
      c.node = t.nodes[c.node].parent;
    }
    if (c.node == w.to) {
      ++c.path;
      c.node = -1;
      continue;
    }
    hit = hit || t.pos(c.node) == x;
    break;
  }
  return hit;
}

void deferred_marks::advance_to(long end)
{
  if (reaching.empty() && loose_ahead.empty()) {
    frontier = end;
    return;
  }
  for (long k = frontier; k < end; ++k) {
    while (!reaching.empty() && repeats[reaching.back()].right <= k)
      reaching.pop_back();
    const long winner = reaching.empty() ? -1 : long(reaching.back());
    if (winner >= 0)
      anchors.set_position(k, frees(repeats[winner], k));
    for (auto it = loose_ahead.begin(); it != loose_ahead.end() && it->first <= k;
         it = loose_ahead.erase(it))
      if (it->first == k && long(it->second) > winner)
        anchors.free_position(k);
  }
  frontier = end;
}

void deferred_marks::finish_pass()
{
  // From the last repeat back: each writes only where no later one has.
  std::map<long, long> written; // disjoint stretches, start to end
  const auto is_written = [&](long k) {
    auto it = written.upper_bound(k);
    return it != written.begin() && std::prev(it)->second > k;
  };
  for (std::size_t id = repeats.size(); id-- > 0;) {
    repeat &r = repeats[id];
    const auto write = [&](long from, long to) {
      anchors.cover(from, to);
      for_each_event_in(r, from, to, [&](long k) { anchors.free_position(k); });
    };
    long start = r.left, stop = r.right, at = r.left;
    auto it = written.upper_bound(r.left);
    if (it != written.begin() && std::prev(it)->second > r.left)
      --it;
    while (it != written.end() && it->first < r.right) {
      if (it->first > at)
        write(at, it->first);
      at = std::max(at, it->second);
      start = std::min(start, it->first);
      stop = std::max(stop, it->second);
      it = written.erase(it);
    }
    if (at < r.right)
      write(at, r.right);
    if (r.left < r.right)
      written[start] = stop;
    for (long k : r.loose)
      if (!is_written(k)) {
        anchors.free_position(k);
        written[k] = k + 1;
      }
  }
  repeats.clear();
  reaching.clear();
  loose_ahead.clear();
  frontier = 0;
}
