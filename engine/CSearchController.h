// The search of one FASTA record: its two result lists, the three search
// modes, the filters, the report and the masking. Everything it changes is
// its own or its caller's (the record, the pool of repeat records, the
// observer); the set-up of the run is shared and read only.
#ifndef TORVIX_ENGINE_CSEARCHCONTROLLER_H
#define TORVIX_ENGINE_CSEARCHCONTROLLER_H

#include <cstdio>
#include <list>
#include <memory>
#include <vector>

#include "CAnchorSeq.h"
#include "Csat.h"
#include "search_observer.h"
#include "search_setup.h"
#include "task_executor.h"
#include "walk_memo.h"
#include "input/CSequence_Mol.h"

class CSearchController
{
public:
  unsigned seq_number;
  CSequence_Mol &seq;
  const search_setup &setup;
  Csat_garbagecollector &pool;
  search_observer &observer;
  CsatContainer exactSATList;
  CsatContainer imperfectSATList;

  // Walks that meet a remembered walk cost little, but a walk whose unit is
  // met nowhere else (a long array of copies that each differ from the
  // others, grown from window after window) is aligned in full every time,
  // so the work can still grow with the square of an array's length. Such
  // work is counted in look-ahead choices against a bound far above what
  // real genomes and ordinary satellites need. Past it the record is still
  // searched to the end, but every repeat kept from then on marks the whole
  // of its span, so that no window inside it is grown again (in the
  // extend-exact mode: a seed inside a kept repeat of its unit length is
  // dropped); a note names the record and the repeat where that began.
  unsigned long long step_budget;
  bool past_work_bound = false;
  static unsigned long long step_budget_for(unsigned long long sequence_length)
  {
#ifdef TORVIX_PLAIN_WALK
    // The reference search aligns every walk, however long it takes.
    (void)sequence_length;
    return ~0ull;
#else
    return 12 * sequence_length + (1ull << 26);
#endif
  }
  // Charges the choices an extender has made since the last charge, for the
  // repeat kept; true once the work is past the bound.
  bool charge_steps(unsigned long long &steps, const Csat &kept)
  {
    if (!past_work_bound) {
      if (steps > step_budget)
        pass_work_bound(kept);
      else
        step_budget -= steps;
    }
    steps = 0;
    return past_work_bound;
  }
  void pass_work_bound(const Csat &kept);

  // The walks of the imperfect extension seen so far in this record. With
  // remember_walks off every walk is aligned in full: the plain reference.
  walk_memos memos;
  // The walks that the chunks of a search in chunks remembered, where the
  // repeats they found keep their events until the report.
  std::vector<std::unique_ptr<walk_memos>> chunk_memos;
  // The nodes each pass of the direct imperfect search may remember before
  // its walks must show that they meet.
  std::size_t pass_free_nodes;
#ifdef TORVIX_PLAIN_WALK
  bool remember_walks = false;
#else
  bool remember_walks = true;
#endif
  // The exact search passes over, in bulk, the windows that cannot grow
  // into a repeat reaching the thresholds; with skip_in_bulk off it tries
  // every window: the plain reference.
  bool skip_in_bulk = true;
  // The direct imperfect search passes over the windows that turn the unit
  // of a rejected window inside its first forward run, rejected as well;
  // with pass_settled_windows off it grows every window: the plain
  // reference.
  bool pass_settled_windows = true;
  // The search may cut the record into chunks of windows, searched by tasks
  // that executor may run in parallel and then confirmed in order against
  // the marks the sequential search would have seen, so that the result is
  // the same for every number of chunks; 1 is the sequential search itself.
  unsigned chunks = 1;
  task_executor executor = run_tasks_in_order;

  // Writes out the events still held as paths of the repeats in list.
  void write_out_events(std::list<Csat *> &list);

  CSearchController(unsigned seq_number, CSequence_Mol &seq, const search_setup &setup,
                    Csat_garbagecollector &pool, search_observer &observer = quiet);
  ~CSearchController() = default; // imperfectSATList, then exactSATList, back to the pool
  CSearchController(const CSearchController &) = delete;
  CSearchController &operator=(const CSearchController &) = delete;

  static silent_observer quiet;

  // Search modes.
  // The searches hear the stop button right after a progress report and
  // between unit lengths; each reports the stop and is true when it came.
  bool progress_then_stop(unsigned L);
  bool stop_here(unsigned L);

  // With the user's thresholds, or with the table pair given (the seeds of
  // the extend-exact mode); the report's perfection test always uses the
  // user's.
  void exact_search_2();
  void exact_search_2(const threshold_tables &active);
  void search_exact_and_extend_to_imperfect_repeats();
  void complete_imperfect_search(FILE *out);
  void unit_len_1_complete_imperfect_search(CAnchorSeq &anchor_seq, std::list<Csat *> &result);
  void one_unit_len_complete_imperfect_search(unsigned L, CAnchorSeq &anchor_seq,
                                              std::list<Csat *> &result);

  // Imperfect extension by recursive alignment.
  void extend_imperfect_forward(Csat &sat, const char *stop);
  void extend_imperfect_backward(Csat &sat, const char *stop);
  int extend_imperfect_forward_leap_ahead(const char *s, const char *u, const char *unit_begin,
                                          const char *unit_end, int score, int unit_length,
                                          unsigned depth, const char *stop, int best);
  int extend_imperfect_backward_leap_ahead(const char *s, const char *u, const char *unit_begin,
                                           const char *unit_end, int score, int unit_length,
                                           unsigned depth, const char *stop, int best);

  // Filters.
  void remove_hidden(CsatContainer &list);
  void filter_perfection(CsatContainer &list);

  // Output.
  void report_SATList(FILE *output, std::list<Csat *> repeats);
  // Fewer repeats are written in one go: formatting them costs less than a
  // task.
  static constexpr std::size_t min_repeats_per_part = 4096;
  void report_in_parts(FILE *output, const std::list<Csat *> &repeats);
  void report_seq_name(FILE *output);
  // Overwrites the reported repeats of list in seq with lower case or X.
  void maskSATList(CsatContainer &list);

  // The search mode in force and its filters; returns the list to report,
  // its events written out.
  CsatContainer &search_and_filter();
  // Both, and the report of the record; returns the list that was reported.
  CsatContainer &search_filter_and_report(FILE *output);
};

#endif
