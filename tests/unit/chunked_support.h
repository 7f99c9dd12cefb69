// Helpers for the tests of the search of one record in chunks: the search of
// a record under the options in force with a given number of chunks and
// executor, records whose repeats, satellite arrays and N runs lie across
// the chunk borders, and options drawn at random.
#ifndef TORVIX_TESTS_CHUNKED_SUPPORT_H
#define TORVIX_TESTS_CHUNKED_SUPPORT_H

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/CSearchController.h"
#include "imperfect_support.h"

// What a search left: its repeats in list order, with their events and unit
// cursors, after "past the bound" when its work passed the work bound.
inline std::vector<std::string> search_in_chunks(const std::string &bases, int mode,
                                                 unsigned chunks, const task_executor &executor,
                                                 unsigned long long budget = 0)
{
  tight_record r(bases);
  const search_setup setup = search_setup::from_parameters();
  Csat_garbagecollector pool;
  CSearchController ctl(1, r.mol, setup, pool);
  ctl.chunks = chunks;
  ctl.executor = executor;
  if (budget)
    ctl.step_budget = budget;
  CsatContainer *list = &ctl.imperfectSATList;
  if (mode == 0) {
    ctl.exact_search_2();
    list = &ctl.exactSATList;
  } else if (mode == 1) {
    ctl.search_exact_and_extend_to_imperfect_repeats();
  } else {
    ctl.complete_imperfect_search(nullptr);
  }
  ctl.write_out_events(*list);
  std::vector<std::string> found;
  if (ctl.past_work_bound)
    found.push_back("past the bound");
  for (const Csat *s : *list)
    found.push_back("L" + std::to_string(s->unit_length()) + "@" +
                    std::to_string(s->unit_begin - r.begin()) + " " + summary(*s, r.begin()) +
                    " cursors " + std::to_string(s->unit_cursor_left - s->unit_begin) + "," +
                    std::to_string(s->unit_cursor_right - s->unit_begin));
  return found;
}

// Every task on a thread of its own.
inline void run_tasks_on_threads(std::size_t n, const std::function<void(std::size_t)> &task)
{
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < n; ++i)
    threads.emplace_back(task, i);
  for (std::thread &t : threads)
    t.join();
}

// Where the borders of k chunks of a record of n bases lie, roughly: the
// windows of every unit length are cut at the same fractions.
inline std::vector<unsigned> border_guesses(unsigned n)
{
  std::vector<unsigned> at;
  for (unsigned k : {2u, 3u, 5u, 8u})
    for (unsigned j = 1; j < k; ++j)
      at.push_back(static_cast<unsigned>(std::uint64_t(n) * j / k));
  return at;
}

inline void put(std::string &s, unsigned at, const std::string &piece)
{
  if (at < s.size())
    s.replace(at, std::min(piece.size(), s.size() - at), piece.substr(0, s.size() - at));
}

// Short imperfect repeats centred on the borders, a few bases off.
inline std::string repeats_on_borders(std::mt19937 &rng)
{
  std::string s = random_bases(rng, 200 + rng() % 2500);
  for (unsigned b : border_guesses(static_cast<unsigned>(s.size()))) {
    const std::string unit = random_bases(rng, 1 + rng() % 8);
    const unsigned copies = 3 + rng() % (60 / unit.size() + 1);
    const std::string rep = planted_repeat(rng, unit, copies, rng() % 16);
    const long at = long(b) - long(rep.size() / 2) + long(rng() % 21) - 10;
    put(s, static_cast<unsigned>(std::max(0L, at)), rep);
  }
  return s;
}

// Diverged satellite arrays longer than a chunk.
inline std::string satellites_across_chunks(std::mt19937 &rng)
{
  std::string s = random_bases(rng, rng() % 3 ? rng() % 150 : 0);
  for (unsigned a = 1 + rng() % 2; a > 0; --a) {
    const std::string unit = random_bases(rng, 2 + rng() % 11);
    s += planted_repeat(rng, unit, static_cast<unsigned>((400 + rng() % 1600) / unit.size()),
                        3 + rng() % 18);
    s += random_bases(rng, rng() % 3 ? rng() % 150 : 0);
  }
  return s;
}

// Runs of N on the borders, across them and beside repeats.
inline std::string N_runs_on_borders(std::mt19937 &rng)
{
  std::string s = repeats_on_borders(rng);
  for (unsigned b : border_guesses(static_cast<unsigned>(s.size()))) {
    const unsigned len = 1 + rng() % (rng() % 2 ? 3 : 40);
    const long at = long(b) - long(rng() % (len + 12)) + 6;
    put(s, static_cast<unsigned>(std::max(0L, at)), std::string(len, 'N'));
  }
  if (rng() % 3 == 0)
    put(s, 0, std::string(1 + rng() % 20, 'N'));
  if (rng() % 3 == 0)
    s += std::string(1 + rng() % 20, 'N');
  return s;
}

// Fewer bases than the chunks have windows, and runs of one base.
inline std::string very_short(std::mt19937 &rng)
{
  std::string s =
      rng() % 4 ? random_bases(rng, rng() % 14) : std::string(rng() % 14, "ACN"[rng() % 3]);
  if (!s.empty() && rng() % 3 == 0)
    s[rng() % s.size()] = 'N';
  return s;
}

// Scores, depth (-r), score reduction (-R), tie rule, N rules, perfection
// mode and unit range.
inline void draw_search_options(std::mt19937 &rng)
{
  init_param();
  draw_alignment_options(rng);
  if (rng() % 3 == 0)
    global_maximum_scorereduction = 10 + int(rng() % 200);
  global_N_and_perfection_mode = int(rng() % 3);
  global_min_unit_length = 1 + rng() % 4;
  global_max_unit_length = global_min_unit_length + rng() % 10;
  if (rng() % 4 == 0)
    global_min_score = 4 + int(rng() % 20);
  if (rng() % 5 == 0)
    global_min_perfection = float(rng() % 90);
}

#endif
