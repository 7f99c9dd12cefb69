// Walks of the imperfect extension that have been seen before. Far enough
// above the threshold, every option the look-ahead weighs is eligible, so the
// choice at a mismatch point depends only on the position and on the unit
// read cyclically from the cursor, not on the score: two walks that meet in
// such a state go on along one path, their scores a constant apart. The
// mismatch points of walks in that state are kept as a forest, each pointing
// to the next point of its walk; a later walk that reaches one of them takes
// the rest of the path from the forest with a few range queries instead of
// aligning it again, and its events there stay a reference into the forest.
#ifndef TORVIX_ENGINE_WALK_MEMO_H
#define TORVIX_ENGINE_WALK_MEMO_H

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "Csat.h"

// The repeat units of a record, up to rotation: two units are one class when
// one is a rotation of the other. A phase is counted from the class's least
// rotation, so one state of two walks has one phase whatever their units.
class unit_classes
{
public:
  struct unit_class {
    const char *unit; // the first unit seen of the class
    unsigned length;
    unsigned least;   // its least rotation starts here
    std::uint64_t hash;
  };
  std::vector<unit_class> classes;

  // What identifies the unit [b, b + L) up to rotation: where its least
  // rotation starts, and a hash of that rotation.
  struct key {
    unsigned least;
    std::uint64_t hash;
  };
  static key key_of(const char *b, unsigned L);
  // The shortest p that divides L and repeats through the unit [b, b + L):
  // its root, of which it is L / p copies.
  static unsigned shortest_period(const char *b, unsigned L);
  // Its class, or -1 when none has been added.
  int find(const char *b, unsigned L, const key &k) const;
  unsigned add(const char *b, unsigned L, const key &k);

private:
  std::vector<std::uint32_t> by_hash; // open addressing, class index + 1
};

// Adds the change o to a, field by field: the score and the four counts, of
// a step and of the narrower counts of an edge alike.
template <class A, class B> inline void add_change(A &a, const B &o)
{
  a.score += o.score;
  a.mismatches += o.mismatches;
  a.insertions += o.insertions;
  a.deletions += o.deletions;
  a.Ns += o.Ns;
}

class walk_memo
{
public:
  // What a walk's score and counts change by from one state to another.
  struct step {
    std::int64_t score;
    std::uint32_t mismatches, insertions, deletions, Ns;
    // The change from state a to state b.
    static step between(const step &a, const step &b)
    {
      return step{b.score - a.score, b.mismatches - a.mismatches, b.insertions - a.insertions,
                  b.deletions - a.deletions, b.Ns - a.Ns};
    }
    void add(const step &o) { add_change(*this, o); }
  };
  // A record is shorter than max_record bases (see cap_for), so that along
  // any path the positions, the scores relative to one another and the
  // counts all fit 32 bits. Every edge is one walk step: the edit chosen at
  // the node, then a run of matches and admitted Ns.
  static constexpr std::size_t max_record = std::size_t(1) << 30;
  struct counts {
    std::int32_t score;
    std::uint32_t mismatches, insertions, deletions, Ns;
    void add(const counts &o) { add_change(*this, o); }
    step wide() const { return step{score, mismatches, insertions, deletions, Ns}; }
  };
  struct node {
    std::uint32_t at;      // the boundary of the walk at this mismatch point, from base
    std::int32_t parent;   // the walk's next mismatch point; -1 at a root
    std::uint32_t cls;
    // The phase, the edit chosen here (kind_code) and the edit of the edge
    // to the parent, nothing at a root, packed: phase << 4 | edit << 2 | kind.
    std::uint32_t phase_edits;
    std::int32_t edge_score; // the change to the parent; 0 at a root
    std::uint32_t edge_Ns;
    // The forest is kept as a link-cut tree, so that a root can still get a
    // parent when a later walk goes on past it: each path of preferred
    // children is a splay tree ordered from the root end to the leaf end,
    // and `up` is the splay parent, or for a splay root the node its path
    // hangs from. Over the stretch of path in a splay subtree, taken in
    // walk order, span is the change from its first node to the node after
    // its last, high and low the extremes of the score relative to its first
    // node. Where high lies is found again from the top when asked
    // (best_in), which is rare next to the updates.
    std::int32_t child[2];
    std::int32_t up;
    counts span;
    std::int32_t high, low;

    std::uint32_t phase() const { return phase_edits >> 4; }
    char kind() const { return kind_of(phase_edits & 3); }
    counts to_parent() const
    {
      const unsigned e = (phase_edits >> 2) & 3;
      return counts{edge_score, e == 1, e == 2, e == 3, edge_Ns};
    }
  };
  static unsigned kind_code(char kind)
  {
    return kind == 'M' ? 1 : kind == 'I' ? 2 : kind == 'D' ? 3 : 0;
  }
  static char kind_of(unsigned code) { return "\0MID"[code]; }
  // The nodes in blocks of fixed size: a forest of a long array holds
  // millions of them, and a vector's doubling would need half as much again
  // while it copies.
  class node_store
  {
    static constexpr unsigned block_bits = 14;
    static constexpr std::size_t block_size = std::size_t(1) << block_bits;
    std::vector<std::unique_ptr<node[]>> blocks;
    std::size_t count = 0;

  public:
    node &operator[](std::int32_t v)
    {
      return blocks[static_cast<std::size_t>(v) >> block_bits][v & (block_size - 1)];
    }
    const node &operator[](std::int32_t v) const
    {
      return blocks[static_cast<std::size_t>(v) >> block_bits][v & (block_size - 1)];
    }
    std::size_t size() const { return count; }
    void push_back(const node &x)
    {
      if (count == blocks.size() * block_size)
        blocks.emplace_back(new node[block_size]);
      (*this)[static_cast<std::int32_t>(count++)] = x;
    }
    void clear()
    {
      blocks.clear();
      count = 0;
    }
  };
  node_store nodes;
  // Of two equal scores the later one is the best (the longer repeat kept).
  bool later_wins = true;
  // Walks that took a path from here.
  std::size_t joins = 0;

  void clear();
  const char *pos(std::int32_t v) const
  {
    return reinterpret_cast<const char *>(base + nodes[v].at);
  }
  // The node of this state, or -1.
  std::int32_t find(const char *pos, std::uint32_t cls, std::uint32_t phase) const;
  // A mismatch point of a walk, with the walk's own score and counts there.
  struct pending {
    const char *pos;
    step at;
    std::uint32_t cls, phase;
    char kind;
  };
  // Adds a walk's consecutive points as nodes, each the parent of the one
  // before; the last becomes a child of join (whose state the walk reached
  // with at_join) unless join is -1.
  void add_chain(const std::vector<pending> &chain, std::int32_t join, const step &at_join);
  // Makes root r a child of v, unless v lies in r's tree; by is what the walk
  // that went from r to v changed by.
  void link(std::int32_t r, std::int32_t v, const step &by);

  // From node v towards its root: the first node whose score relative to v
  // is below floor (-1 when none), then the root and its relative change.
  std::int32_t first_below(std::int32_t v, std::int64_t floor);
  std::int32_t root_of(std::int32_t v, step &from_v);
  // The best node (highest score, ties by the rule) from v up to, not
  // including, its ancestor end; the change from v to it and to end.
  std::int32_t best_between(std::int32_t v, std::int32_t end, step &to_best, step &to_end);

  // The first node from v up to, not including, its ancestor end whose
  // position has reached x in the walk's direction (at or after x forward,
  // at or before x backward), or end.
  std::int32_t first_reaching(std::int32_t v, std::int32_t end, const char *x, bool forward);

  template <class F> void for_each_event(std::int32_t v, std::int32_t end, bool forward, F f) const
  {
    // A mismatch or an insertion sits on the base it consumes, a deletion on
    // the base right of the gap.
    for (; v != end; v = nodes[v].parent) {
      const char kind = nodes[v].kind();
      f(kind == 'D' || forward ? pos(v) : pos(v) - 1, kind);
    }
  }

private:
  // Positions are kept as offsets from base, which lies 2^31 before the
  // first position remembered: every position of the record is then in reach.
  std::uintptr_t base = 0;
  std::vector<std::int32_t> table; // open addressing, node index + 1
  std::size_t used = 0;
  static std::uint64_t key_hash(const char *pos, std::uint32_t cls, std::uint32_t phase);
  void insert(std::int32_t v);
  bool beats(std::int64_t later, std::int64_t earlier) const
  {
    return later_wins ? later >= earlier : later > earlier;
  }
  bool is_splay_root(std::int32_t v) const;
  std::int32_t best_in(std::int32_t t) const;
  void pull(std::int32_t v);
  void rotate(std::int32_t v);
  void splay(std::int32_t v);
  void access(std::int32_t v);
  // The change over the deeper part of the splay tree below v's place in it.
  counts below(std::int32_t v) const;
  // Whether the change by fits an edge: one walk step.
  static bool is_edge(const step &by)
  {
    return by.mismatches + by.insertions + by.deletions <= 1 && by.score >= INT32_MIN &&
           by.score <= INT32_MAX;
  }
  void set_edge(node &x, const step &by);
};

// The forests of one record, one per direction, and its unit classes. The
// events of repeats that joined a walk stay references into these until the
// record is reported.
struct walk_memos {
  unit_classes units;
  walk_memo forward, backward;
  // The consecutive points a walk has recorded and not yet added.
  std::vector<walk_memo::pending> chain;
  // The most nodes the two forests may take in one pass (all of a search
  // that has no passes), which bounds their memory by the record's length;
  // walks go on meeting remembered ones past it, but remember no more.
  std::size_t node_cap = ~std::size_t(0);
  // The cap for a record of this many bases: none are remembered in a
  // record too long for the compact nodes.
  static std::size_t cap_for(std::size_t bases)
  {
    return bases < walk_memo::max_record ? 4 * bases + (std::size_t(1) << 22) : 0;
  }
  // Choices that walks took from remembered ones instead of aligning them.
  // Past the first nodes, a walk starts being remembered only while walks
  // save at least one choice for every four nodes stored: an array of
  // copies that all differ from one another gives walks that never meet,
  // and remembering them would only cost memory. A walk already being
  // remembered (continuing) goes on to its end: the first walk along a long
  // array passes the first nodes before any other could meet it, and cut
  // short it would leave every later walk to align the rest again.
  std::uint64_t reused = 0;
  std::size_t free_nodes = std::size_t(1) << 16;
  bool full(bool continuing = false) const
  {
    const std::size_t n =
        forward.nodes.size() + backward.nodes.size() + chain.size() - nodes_before_pass;
    return n >= node_cap || (!continuing && n >= free_nodes && 4 * reused < n);
  }
  // A pass of one unit length begins, which may remember free nodes before
  // it must show that its walks meet. Its walks never meet those of another
  // unit length, and what it remembers is decided from its own walks alone:
  // the choices a pass aligns do not depend on the passes before it, so a
  // search in chunks can count them for one pass by searching it again.
  void start_pass(std::size_t free)
  {
    nodes_before_pass = forward.nodes.size() + backward.nodes.size();
    reused = 0;
    free_nodes = free;
  }
  // The first walks along an array are long and the walks that meet them
  // come later: a pass over a record of this many bases may remember a
  // quarter of them in nodes (at least 65,536, at most 1,048,576).
  static std::size_t pass_free_nodes_for(std::size_t bases)
  {
    return std::min(std::max(bases / 4, std::size_t(1) << 16), std::size_t(1) << 20);
  }
  std::size_t nodes_before_pass = 0;
  void clear()
  {
    chain.clear();
    reused = 0;
    nodes_before_pass = 0;
    units = unit_classes();
    forward.clear();
    backward.clear();
  }
  // Writes the events of sat's paths, and its packed ones, into its
  // alignment, sorted.
  static void write_out_events(Csat &sat);
};

// The forest that the path w lies in.
inline walk_memo &forest_of(const walk_path &w)
{
  return w.forward() ? w.memos()->forward : w.memos()->backward;
}

#endif
