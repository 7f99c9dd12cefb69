// The imperfect extension with its options read once, for searches that grow
// many candidates under the same options: everything that depends only on the
// options and the unit length is worked out when the unit length changes, not
// for every candidate.
#ifndef TORVIX_ENGINE_IMPERFECT_EXTENSION_H
#define TORVIX_ENGINE_IMPERFECT_EXTENSION_H

#include <cstdint>
#include <vector>

#include "Csat.h"
#include "search_setup.h"
#include "walk_memo.h"
#include "input/growable.h"

class imperfect_extender : public extension_options
{
public:
  // Takes the alignment options and the user's score thresholds of the run.
  explicit imperfect_extender(const search_setup &setup);

  // The same as CSearchController::extend_imperfect_forward and _backward.
  void forward(Csat &sat, const char *stop);
  void backward(Csat &sat, const char *stop);
  // forward to seq_end, then backward to seq_begin.
  void grow(Csat &sat, const char *seq_begin, const char *seq_end);

  // The same for a search that grows bare unit copies of length L, one after
  // the other, in the sequence from seq_begin to seq_end: start_windows once,
  // then grow_window for each record just set to one copy by Csat::init.
  void start_windows(unsigned L, const char *seq_begin, const char *seq_end);
  void grow_window(Csat &sat);

  // The choice of a walk at the floor at boundary p with the unit cursor u
  // of the unit [unit_begin, unit_end) and score, from a look-ahead starting
  // at depth 1, the walk going forward or backward up to limit: the edit,
  // its value and the horizon, and whether the furthest reach decided it
  // (else the tree). For comparing the two looks.
  struct choice {
    char kind;
    int value, horizon;
    bool by_reach;
  };
  choice choose(const char *unit_begin, const char *unit_end, const char *p, const char *u,
                int score, bool forward, const char *limit);
  const char *windows_begin = nullptr;
  const char *windows_end = nullptr;
  bool windows_at_floor = false;
  // What grow_window saw, for passing over the windows that follow a
  // rejected one: 2 when each direction's walk ended where the copy's first
  // run met a base other than N, shown hopeless there or without options;
  // and where the forward run met it.
  unsigned settled_sides = 0;
  const char *forward_stop = nullptr;
  // Passing over such windows is on; off, every window is grown: the
  // reference.
  bool pass_settled = true;

  // The candidate being extended and the boundary value at which nothing is
  // left to examine.
  const char *unit_begin = nullptr;
  const char *unit_end = nullptr;
  const char *limit = nullptr;

  // The user's minimum score per unit length 0 .. min_scores_size - 1.
  const int *min_scores;
  unsigned min_scores_size;

  // For the unit length L in force: while the threshold sits at its floor
  // -L - prefer, an option is eligible exactly when the score is above its
  // cut.
  int unit_length = -1;
  long long floor_threshold = 0;
  int mismatch_cut = 0;
  int indel_cut = 0;
  int option_cut = 0; // the lower of the two: some option is eligible
  // The quick look at a walk's first choice is tried from a first depth
  // below quick_depth_cap, for best scores from quick_best_low to
  // quick_best_low + quick_best_span.
  unsigned quick_depth_cap = 0;
  int quick_best_low = 0;
  unsigned quick_best_span = 0;

  void set_unit_length(int L);
  // The phase after a run of k bases from phase 0, for runs shorter than
  // run_phases.
  static constexpr int run_phases = 64;
  unsigned char run_phase[run_phases] = {};

  // Mismatch points at which a walk chose its edit by a look-ahead of its
  // own: the work that remembered walks do not save.
  mutable unsigned long long explicit_steps = 0;
  // Mismatch points that a walk took from the remembered walks instead. Every
  // point is one edit, so explicit_steps plus these are the choices a walk
  // aligned in full makes, whatever was remembered: a bound on the explicit
  // choices of any search of the same windows.
  mutable unsigned long long remembered_steps = 0;

  // The walks of the record seen so far, or null: every walk aligned in
  // full, the reference that the remembered walks must agree with.
  walk_memos *memos = nullptr;
  // From this score on, at a mismatch point of a walk whose look-ahead
  // starts at depth 1, every option the look-ahead weighs is eligible.
  long long safe_score = 0;

  // Above the safe score a look-ahead node's outcome, relative to its score,
  // depends only on its state, so the many paths of edits that reach one
  // state share it: a direct-mapped cache, valid for one choice (stamp).
  struct look_entry {
    const char *pos;
    unsigned phase, depth, stamp;
    int value, horizon; // relative to the node's score; horizon INT_MIN: none
  };
  mutable std::vector<look_entry> look_cache;
  mutable unsigned look_stamp = 0;

  // From this score on a choice is looked ahead by furthest reach: two
  // levels of its tree are then whole, more nodes than the reach has
  // classes to follow. Off, every choice is looked ahead as a tree: the
  // reference, which the plain build keeps.
  long long reach_score = 0;
#ifdef TORVIX_PLAIN_WALK
  bool look_by_reach = false;
#else
  bool look_by_reach = true;
#endif
  // The classes of a look-ahead by furthest reach, for reach_edits edits
  // after an option's own: for each, the classes one mismatch, insertion or
  // deletion fewer (none: the node after the last class), its diagonal
  // relative to the option's, and its score less its offset relative to the
  // option's node (k). The plan lists the classes level by level, those at
  // the depth limit last.
  struct reach_step {
    short m, i, d;
    signed char shift;
    int k;
  };
  mutable std::vector<reach_step> reach_plan;
  mutable unsigned reach_edits = ~0u;
  // The unit read cyclically around phase 0 for the reach's masks, built
  // for a unit when first needed.
  mutable std::vector<char> reach_store;
  mutable const char *reach_cycle = nullptr;
  mutable bool reach_ready = false;

  // The unit read cyclically, for comparing eight or sixteen bases at a
  // time: cycle[i] is the unit character of phase i mod L for i from
  // -cycle_head to L + cycle_tail - 1, so that sixteen bases may be read from
  // two phases before or after any phase in either direction. phase_of[i] is
  // the phase (i - 8) mod L, for i from 0 to L + 15. Built for a unit when
  // first needed; the sequence may be read up to readable_end.
  static constexpr int cycle_head = 24;
  static constexpr int cycle_tail = 17;
  fastvector<char> periodic; // holds cycle, with room for wide stores around it
  const char *cycle = nullptr;
  fastvector<unsigned> phase_of;
  // For units of fewer than eight bases: the unit's bases of a word, and the
  // factor that repeats them through the word, and the shift in bits that
  // brings the phase of the word's ninth base to its start.
  std::uint64_t unit_mask = 0, unit_repeat = 0;
  unsigned unit_shift = 0;
  // For units of up to sixteen bases: the sixteen-base stores that build the
  // cycle, where the first goes and how far apart they lie.
  int cycle_start = 0, cycle_stride = 0;
  unsigned cycle_stores = 0;
  bool periodic_ready = false;
  const char *readable_end = nullptr;
  // The first two levels of a walk's first look-ahead are tried from bit
  // masks of the bases ahead; off, base by base: the reference.
  bool look_by_masks = true;
  void build_periodic();
  // The cycle of a unit of up to sixteen bases with sixteen bases readable,
  // once its layout is set up; false, doing nothing, otherwise.
  bool build_short_cycle();
};

#endif
