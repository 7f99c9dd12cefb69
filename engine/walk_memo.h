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

#include <cstdint>
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

  // The class of the unit [b, b + L) and where its least rotation starts.
  unsigned class_of(const char *b, unsigned L, unsigned &least);

private:
  std::vector<std::uint32_t> by_hash; // open addressing, class index + 1
};

class walk_memo
{
public:
  struct node {
    const char *pos;       // the boundary of the walk at this mismatch point
    std::int64_t phi;      // score, up to a constant per tree
    std::uint32_t mismatches, insertions, deletions, Ns; // counts, likewise
    std::int32_t parent;   // the walk's next mismatch point; -1 at a root
    std::int32_t jump;     // an ancestor; [node, jump) is summarised below
    std::uint32_t depth;
    std::int32_t root;
    std::uint32_t cls;
    std::uint32_t phase;
    char kind;             // the edit chosen here
    std::int64_t span_min, span_max; // of phi over [node, jump)
    std::int32_t span_best;          // where span_max lies, by the tie rule
  };
  std::vector<node> nodes;
  // Of two equal scores the later one is the best (the longer repeat kept).
  bool later_wins = true;
  // Walks that took a path from here.
  std::size_t joins = 0;

  void clear();
  // The node of this state, or -1.
  std::int32_t find(const char *pos, std::uint32_t cls, std::uint32_t phase) const;
  // A walk's consecutive mismatch points, each with the walk's own score and
  // counts there, become nodes. The last points to join (whose state the walk
  // reached with score join_score and counts join_counts), or is a root when
  // join is -1.
  struct pending {
    const char *pos;
    std::int64_t score;
    std::uint32_t mismatches, insertions, deletions, Ns;
    std::uint32_t cls, phase;
    char kind;
  };
  void add_chain(const std::vector<pending> &chain, std::int32_t join, const pending &at_join);

  // The first node from v towards its root whose phi is below floor, or -1.
  std::int32_t first_below(std::int32_t v, std::int64_t floor) const;
  // The best node (highest phi, ties by the rule) from v up to, not
  // including, its ancestor end (-1: up to the root, included).
  std::int32_t best_between(std::int32_t v, std::int32_t end) const;
  // The events of the path from v up to, not including, end.
  template <class F> void for_each_event(std::int32_t v, std::int32_t end, bool forward, F f) const
  {
    // A mismatch or an insertion sits on the base it consumes, a deletion on
    // the base right of the gap.
    for (; v != end; v = nodes[v].parent) {
      const node &x = nodes[v];
      f(x.kind == 'D' || forward ? x.pos : x.pos - 1, x.kind);
    }
  }

private:
  std::vector<std::int32_t> table; // open addressing, node index + 1
  std::size_t used = 0;
  static std::uint64_t key_hash(const char *pos, std::uint32_t cls, std::uint32_t phase);
  void insert(std::int32_t v);
  void link(std::int32_t v, std::int32_t parent);
  bool beats(std::int64_t later, std::int64_t earlier) const
  {
    return later_wins ? later >= earlier : later > earlier;
  }
};

// The forests of one record, one per direction, and its unit classes. The
// events of repeats that joined a walk stay references into these until the
// record is reported.
struct walk_memos {
  unit_classes units;
  walk_memo forward, backward;
  // The consecutive points a walk has recorded and not yet added.
  std::vector<walk_memo::pending> chain;
  void clear()
  {
    chain.clear();
    units = unit_classes();
    forward.clear();
    backward.clear();
  }
  // Writes the events of sat's paths into its alignment, sorted.
  void write_out_events(Csat &sat) const;
};

#endif
