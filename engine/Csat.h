// One tandem repeat found in the current record, the pool that recycles
// repeat records, and the lists that hold them.
#ifndef TORVIX_ENGINE_CSAT_H
#define TORVIX_ENGINE_CSAT_H

#include <cstdint>
#include <cstdio>
#include <list>

#include "input/CSequence_Mol.h"
#include "input/growable.h"

// One event of an imperfect alignment: 'M' mismatch, 'I' insertion (an extra
// sequence character), 'D' deletion (a unit character missing from the sequence).
struct alignment_event {
  const char *pos;
  char kind;
};

struct walk_memos;

// Events of a repeat that are still a path through the walks the search
// remembers (walk_memo.h): those of the nodes from `from` up to, not
// including, `to`, in the forest of the direction given of memos. A repeat
// found in a chunk of a record keeps its paths in that chunk's walks.
struct walk_path {
  walk_path() = default;
  walk_path(walk_memos *m, int from_, int to_, bool forward_)
      : from(from_), to(to_), tagged(reinterpret_cast<std::uintptr_t>(m) | forward_)
  {
  }
  int from, to;
  walk_memos *memos() const { return reinterpret_cast<walk_memos *>(tagged & ~std::uintptr_t(1)); }
  bool forward() const { return tagged & 1; }

private:
  // The walks, with the direction in the low bit of their aligned address:
  // a long array keeps millions of paths.
  std::uintptr_t tagged;
};

class Csat
{
public:
  const char *pos_left;          // first base of the repeat
  const char *pos_right;         // one past the last base
  const char *unit_cursor_right; // unit character expected at pos_right
  const char *unit_cursor_left;  // unit character expected at pos_left - 1
  const char *unit_begin;        // the unit is a stretch of the sequence itself
  const char *unit_end;
  int score;
  unsigned mismatches;
  unsigned insertions;
  unsigned deletions;
  unsigned Ns;
  // Start depth of the look-ahead. Wider than a byte so that any depth the
  // options admit is honoured exactly.
  unsigned recursion_depth;
  fastvector<alignment_event> alignment;
  // Events not yet in alignment; the report needs them written out first.
  // Behind one pointer, as few repeats hold any, to keep the record small.
  slimvector<walk_path> paths;
  // The sorted events of a repeat that only the report still reads, packed
  // (pack_events): a long array keeps many repeats, each with an event every
  // few bases, and the packed form takes a byte or two per event. Behind one
  // pointer too: most repeats are perfect and hold none.
  slimvector<unsigned char> packed;

  Csat()
      : pos_left(nullptr), pos_right(nullptr), unit_cursor_right(nullptr),
        unit_cursor_left(nullptr), unit_begin(nullptr), unit_end(nullptr), score(0),
        mismatches(0), insertions(0), deletions(0), Ns(0), recursion_depth(0)
  {
  }
  Csat(const Csat &) = delete;
  Csat &operator=(const Csat &) = delete;

  // One copy of the unit b..e (b < e), not yet extended; keeps the event
  // storage. Only the report's records hold packed events, and those come
  // back through the pool (Csat_garbagecollector::get_new), which empties
  // them: the window loops set up a record per window.
  void init(const char *b, const char *e)
  {
    pos_left = b;
    pos_right = e;
    unit_cursor_right = b;
    unit_cursor_left = e - 1;
    unit_begin = b;
    unit_end = e;
    score = 0;
    mismatches = insertions = deletions = Ns = 0;
    recursion_depth = 0;
    alignment.clear();
    paths.clear();
  }

  // Moves the events of alignment into packed, in their order, and gives
  // the storage of alignment back; unpack_events restores them.
  void pack_events();
  void unpack_events();

  unsigned unit_length() const { return static_cast<unsigned>(unit_end - unit_begin); }
  unsigned length() const { return static_cast<unsigned>(pos_right - pos_left); }
  // Length of the ideal run of unit copies the repeat is aligned to.
  int normalised_length() const
  {
    return static_cast<int>(length()) - static_cast<int>(insertions) + static_cast<int>(deletions);
  }
  // Perfection in percent by the N mode in force; ends the process with
  // status 2 for a mode outside 0-2.
  float perfection() const;

  static bool lessThan_missense(const alignment_event &x, const alignment_event &y)
  {
    return x.pos < y.pos || (x.pos == y.pos && static_cast<signed char>(x.kind) < static_cast<signed char>(y.kind));
  }
  // The same order as a function object: a sort inlines it, where it calls a
  // function pointer for every comparison.
  struct event_order {
    bool operator()(const alignment_event &x, const alignment_event &y) const
    {
      return lessThan_missense(x, y);
    }
  };

  // True when the report prints this repeat: perfection inside the requested
  // range and a unit that is not a repetition of a shorter unit.
  bool is_reported() const;
  // Writes the repeat in the output format in force; gap_cursor runs over the
  // record's removed gaps and belongs to the caller.
  void report_sat(FILE *out, CSequence_Mol &sequence, unsigned &gap_cursor) const;
  void print_repeat_name(FILE *out) const;
  const char *get_repeat_name() const;
};

// The extendExact mode holds millions of records on a chromosome; at 104
// bytes malloc hands each a 112-byte chunk, past that a 128-byte one.
static_assert(sizeof(void *) != 8 || sizeof(Csat) <= 104, "a repeat record outgrew its malloc chunk");

bool lessThan_sat(const Csat *a, const Csat *b);

// A pool of free repeat records, one per thread that searches. The record
// returned last is handed out first, which keeps the working set small.
class Csat_garbagecollector
{
public:
  std::list<Csat *> free_list;

  Csat_garbagecollector() = default;
  Csat_garbagecollector(const Csat_garbagecollector &) = delete;
  Csat_garbagecollector &operator=(const Csat_garbagecollector &) = delete;
  ~Csat_garbagecollector();

  Csat *get_new(const char *b, const char *e);
  void push_back(Csat *s) { free_list.push_back(s); }
  size_t size() const { return free_list.size(); }
};

class CBasicSatContainer : public std::list<Csat *>
{
public:
  CBasicSatContainer() = default;
  CBasicSatContainer(const CBasicSatContainer &) = delete;
  CBasicSatContainer &operator=(const CBasicSatContainer &) = delete;
  ~CBasicSatContainer();
};

// A list of repeats that gives its records back to the pool when destroyed.
class CsatContainer : public CBasicSatContainer
{
public:
  Csat_garbagecollector *pool;
  explicit CsatContainer(Csat_garbagecollector &p) : pool(&p) {}
  ~CsatContainer();
  // Gives the record at it back to the pool; returns the next position.
  iterator remove_to_pool(iterator it)
  {
    pool->push_back(*it);
    return erase(it);
  }
  void sort_by_position() { sort(lessThan_sat); }
};

#endif
