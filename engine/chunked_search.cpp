#include "chunked_search.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <mutex>
#include <vector>

#include "CSearchController.h"
#include "imperfect_windows.h"
#include "params/global-types-and-parameters.h"

namespace {

// A repeat kept at the window starting at s, the look-ahead choices its
// walks make when aligned in full, and the last offset whose mark it sets
// (LONG_MIN when it sets none).
struct kept_window {
  Csat *sat;
  const char *s;
  unsigned long long steps;
  long reach;
};

// Window starts [first, end) cut into k chunks, chunk j from borders[j] to
// borders[j + 1]; chunks may be empty.
std::vector<const char *> chunk_borders(const char *first, const char *end, std::size_t k)
{
  std::vector<const char *> borders(k + 1);
  const long n = end > first ? end - first : 0;
  for (std::size_t j = 0; j <= k; ++j)
    borders[j] = first + n * static_cast<long>(j) / static_cast<long>(k);
  return borders;
}

// The last offset whose mark the imperfect repeat sat sets: its span, or an
// event past it. Events still held as paths are bounded by a node of their
// path: a forward path's events lie at or before the node it ends at, a
// backward path's at or before the node it starts from.
long imperfect_reach(const Csat &sat, const char *b)
{
  long reach = sat.pos_right - b - 1;
  if (sat.alignment.length)
    reach = std::max(reach, static_cast<long>(sat.alignment[sat.alignment.length - 1].pos - b));
  for (const walk_path &w : sat.paths) {
    const char *bound = forest_of(w).pos(w.forward() ? w.to : w.from);
    reach = std::max(reach, static_cast<long>(bound - b));
  }
  return reach;
}

// What one task of a chunked search owns: its own pool (not shared between
// threads) and what its chunk kept.
struct chunk_worker {
  Csat_garbagecollector pool;
  // The marks its windows read, set from the record's marks at each pass:
  // one array for the whole record, as repeats mark past the chunk, but
  // neither allocated nor cleared again (a long record's array is
  // megabytes, a pass has several chunks per thread).
  std::unique_ptr<CAnchorSeq> marks;
  std::vector<kept_window> kept;
  const char *end = nullptr; // where the exact search of unit length 1 would go on
  bool stopped = false;
  unsigned looks = 0;
  // Asked every 256 windows; the stop button is asked every 65,536.
  bool stop_now(search_observer &observer)
  {
    if (++looks % 256 != 0)
      return false;
    return stopped = observer.stop_requested();
  }
};

struct chunk_team {
  CSearchController &ctl;
  const char *const b;
  const char *const e;
  std::vector<chunk_worker> workers;

  explicit chunk_team(CSearchController &c)
      : ctl(c), b(c.seq.seq.data), e(c.seq.seq.data + c.seq.seq.length), workers(c.chunks)
  {
  }
  chunk_team(const chunk_team &) = delete;
  chunk_team &operator=(const chunk_team &) = delete;
  ~chunk_team()
  {
    for (chunk_worker &w : workers)
      ctl.pool.free_list.splice(ctl.pool.free_list.end(), w.pool.free_list);
    // The repeats the chunks found keep their events as paths in these
    // until the report.
    for (std::unique_ptr<walk_memos> &m : all_memos)
      if (m->forward.nodes.size() || m->backward.nodes.size())
        ctl.chunk_memos.push_back(std::move(m));
  }

  // Remembered walks for a task, one set for each task running at a time,
  // not shared between threads: inside an array the walks from a chunk's
  // windows run through the chunks after it, and a task that takes a set
  // another finished with meets them instead of aligning them again. Which
  // set a task takes changes only how much it meets, never what it finds.
  walk_memos *take_memos()
  {
    std::lock_guard<std::mutex> hold(memos_lock);
    if (idle_memos.empty()) {
      all_memos.emplace_back(new walk_memos);
      all_memos.back()->node_cap = walk_memos::cap_for(ctl.seq.seq.length) / ctl.chunks;
      return all_memos.back().get();
    }
    walk_memos *m = idle_memos.back();
    idle_memos.pop_back();
    return m;
  }
  void give_back(walk_memos *m)
  {
    std::lock_guard<std::mutex> hold(memos_lock);
    idle_memos.push_back(m);
  }

  void run(const std::function<void(std::size_t)> &task) { ctl.executor(workers.size(), task); }

  std::mutex memos_lock;
  std::vector<std::unique_ptr<walk_memos>> all_memos;
  std::vector<walk_memos *> idle_memos;

  // After a stop request: what the chunks kept goes back to the pool.
  bool any_stopped()
  {
    bool stopped = false;
    for (chunk_worker &w : workers) {
      stopped = stopped || w.stopped;
      w.stopped = false;
    }
    if (stopped)
      for (chunk_worker &w : workers)
        drop(w.kept, 0);
    return stopped;
  }
  // Gives the records of kept from index i on back to the pool.
  void drop(std::vector<kept_window> &kept, std::size_t i)
  {
    for (; i < kept.size(); ++i)
      ctl.pool.push_back(kept[i].sat);
    kept.clear();
  }
};

// The confirmation of one chunk's speculative result against the repeats
// the sequential search kept before it. Both searches look at the marks
// from one position left of a window on. Where no repeat that only one of
// them kept marks a position from there on, both see the same marks, now
// and at every window after: the chunk's own result stands from there.
// `differs` is the last offset such a repeat marks.
struct confirmation {
  std::vector<kept_window> &truth;
  Csat_garbagecollector &pool;
  long reach = LONG_MIN; // of every repeat of the pass kept so far
  // The repeats of the pass that may still mark a position at the next
  // border, in the order kept.
  std::vector<std::size_t> reaching;
  const std::size_t first;

  confirmation(std::vector<kept_window> &t, Csat_garbagecollector &p)
      : truth(t), pool(p), first(t.size())
  {
  }

  void take(const kept_window &x)
  {
    truth.push_back(x);
    reach = std::max(reach, x.reach);
    if (x.reach != LONG_MIN)
      reaching.push_back(truth.size() - 1);
  }
  void passed_border(long border)
  {
    std::size_t n = 0;
    for (std::size_t i : reaching)
      if (truth[i].reach >= border - 1)
        reaching[n++] = i;
    reaching.resize(n);
  }
  // The windows from cur on were searched again up to stop_at and kept
  // again; guess holds the chunk's own result from index si on. Settles
  // both, and returns the last offset marked by a repeat that only one of
  // the two kept (or differs as it was).
  long settle(std::vector<kept_window> &guess, std::size_t &si, std::vector<kept_window> &again,
              const char *stop_at, long differs)
  {
    std::size_t a = 0;
    for (; si < guess.size() && guess[si].s < stop_at; ++si) {
      while (a < again.size() && again[a].s < guess[si].s)
        differs = std::max(differs, again[a++].reach);
      if (a < again.size() && again[a].s == guess[si].s)
        ++a; // the same window grows the same repeat
      else
        differs = std::max(differs, guess[si].reach);
      pool.push_back(guess[si].sat);
    }
    for (; a < again.size(); ++a)
      differs = std::max(differs, again[a].reach);
    for (const kept_window &x : again)
      take(x);
    again.clear();
    return differs;
  }
  void take_rest(std::vector<kept_window> &guess, std::size_t si)
  {
    for (; si < guess.size(); ++si)
      take(guess[si]);
    guess.clear();
  }
};

// The imperfect search's hooks in a chunk (worker set) and when searching
// again (no stop request: the chunks already looked).
struct imperfect_chunk_hooks {
  std::vector<kept_window> &kept;
  imperfect_extender &extender;
  chunk_worker *worker;
  search_observer &observer;
  const char *b;

  bool keep(Csat *sat, const char *s)
  {
    kept.push_back(kept_window{sat, s, extender.explicit_steps + extender.remembered_steps,
                               imperfect_reach(*sat, b)});
    extender.explicit_steps = 0;
    extender.remembered_steps = 0;
    return true;
  }
  bool look_in(unsigned) { return worker && worker->stop_now(observer); }
};

template <class Hooks>
void imperfect_windows(unsigned L, const char *b, const char *e, const char *from, const char *to,
                       const threshold_tables &user, imperfect_extender &extender,
                       pass_marks &marks, Csat_garbagecollector &pool, Hooks &hooks)
{
  if (L == 1)
    windows_of_length_1(b, e, from, to, user, extender, marks, pool, hooks);
  else
    windows_of_length(L, b, e, from, to, user, extender, marks, pool, hooks);
}

// One pass of the direct imperfect search over the marks T that the passes
// before left; appends its repeats to truth in the order the sequential
// search keeps them and leaves T as that search leaves it (for unit lengths
// from 2 on). False on a stop request, with nothing appended, and when the
// windows to search again pass half the record (in_array set): in a record
// that is mostly one array the repeats of a chunk reach across the borders
// after it, so the chunks after it are searched twice, in the passes that
// follow too. (In ordinary sequence the marks at a border hardly ever
// differ: nothing in human chr22 or in the 36 records of U. maydis is
// searched again but for 49 bases of one pass.)
bool chunked_imperfect_pass(chunk_team &team, unsigned L, CAnchorSeq &T,
                            std::vector<kept_window> &truth, bool &in_array)
{
  CSearchController &ctl = team.ctl;
  const char *const b = team.b;
  const char *const e = team.e;
  const long n = e - b;
  const std::size_t k = team.workers.size();
  const std::vector<const char *> c = chunk_borders(b, L == 1 ? e - 1 : e - L, k);

  team.run([&](std::size_t j) {
    chunk_worker &w = team.workers[j];
    // A window reads the marks from its left neighbour to the base after it.
    const long lo = std::max(c[j] - b - 1, -1L), hi = std::min(c[j + 1] - b + L + 1, n + 1);
    if (w.marks)
      w.marks->take_marks(T, lo, hi);
    else
      w.marks.reset(new CAnchorSeq(T, lo, hi));
    CAnchorSeq &marks = *w.marks;
    imperfect_extender extender(ctl.setup);
    extender.start_windows(L, b, e);
    walk_memos *const memos = team.take_memos();
    extender.memos = ctl.remember_walks ? memos : nullptr;
    extender.pass_settled = ctl.pass_settled_windows;
    deferred_marks deferred(marks);
    pass_marks pm{marks, &deferred};
    imperfect_chunk_hooks hooks{w.kept, extender, &w, ctl.observer, b};
    imperfect_windows(L, b, e, c[j], c[j + 1], ctl.setup.user, extender, pm, w.pool, hooks);
    team.give_back(memos);
  });
  if (team.any_stopped())
    return false;

  imperfect_extender extender(ctl.setup);
  extender.start_windows(L, b, e);
  extender.memos = ctl.remember_walks ? &ctl.memos : nullptr;
  extender.pass_settled = ctl.pass_settled_windows;
  confirmation conf(truth, ctl.pool);
  std::vector<kept_window> again;
  imperfect_chunk_hooks hooks{again, extender, nullptr, ctl.observer, b};
  // The marks of the sequential search from where the windows are searched
  // again, up to where the chunk's own result stands.
  std::unique_ptr<deferred_marks> redo;
  long redone = 0;
  for (std::size_t j = 0; j < k; ++j) {
    std::vector<kept_window> &guess = team.workers[j].kept;
    const long border = c[j] - b;
    if (!redo && conf.reach < border - 1) {
      conf.take_rest(guess, 0);
      conf.passed_border(c[j + 1] - b);
      continue;
    }
    if (!redo) {
      // From the border on, T holds the marks of the passes before, except
      // where an earlier search again wrote them; those positions belong to
      // repeats that reach the border and are accepted again first, so each
      // is written again before a window reads it.
      redo.reset(new deferred_marks(T));
      redo->start_at(border - 1);
      for (std::size_t i : conf.reaching)
        if (truth[i].reach >= border - 1)
          redo->accept(*truth[i].sat, truth[i].s - b);
    }
    pass_marks pm{T, redo.get()};
    long differs = conf.reach;
    std::size_t si = 0;
    for (const char *cur = c[j]; cur < c[j + 1];) {
      if (differs < cur - b - 1) {
        conf.take_rest(guess, si);
        redo.reset();
        break;
      }
      const char *const stop_at = std::min(c[j + 1], b + differs + 2);
      redone += stop_at - cur;
      if (2 * redone > n) {
        team.drop(guess, si);
        for (std::size_t r = j + 1; r < k; ++r)
          team.drop(team.workers[r].kept, 0);
        in_array = true;
        return false;
      }
      imperfect_windows(L, b, e, cur, stop_at, ctl.setup.user, extender, pm, ctl.pool, hooks);
      differs = conf.settle(guess, si, again, stop_at, differs);
      cur = stop_at;
    }
    guess.clear();
    conf.passed_border(c[j + 1] - b);
  }
  redo.reset();

  if (L >= 2) {
    // Every position a repeat of the pass marks is written again, each
    // from the last repeat that marks it.
    deferred_marks all(T);
    for (std::size_t i = conf.first; i < truth.size(); ++i)
      all.accept(*truth[i].sat, truth[i].s - b);
    all.finish_pass();
  }
  return true;
}

// The exact search's hooks in a chunk and when searching again.
struct exact_chunk_hooks final : exact_hooks {
  std::vector<kept_window> &kept;
  chunk_worker *worker;
  search_observer &observer;
  const char *b;
  exact_chunk_hooks(std::vector<kept_window> &k, chunk_worker *w, search_observer &o,
                    const char *b_)
      : kept(k), worker(w), observer(o), b(b_)
  {
  }
  void keep(Csat *sat, const char *s, bool covers) override
  {
    kept.push_back(kept_window{sat, s, 0, covers ? sat->pos_right - b - 1 : LONG_MIN});
  }
  bool look_in(unsigned) override { return worker && worker->stop_now(observer); }
};

// The exact pass for unit length 1. It has no marks, but a kept repeat moves
// the scan to its end: a chunk's own result stands from the first position
// on that both scans visit.
bool chunked_exact_pass_1(chunk_team &team, const threshold_tables &active,
                          std::vector<kept_window> &truth)
{
  CSearchController &ctl = team.ctl;
  const char *const b = team.b;
  const char *const e = team.e;
  const std::size_t k = team.workers.size();
  const std::vector<const char *> c = chunk_borders(b, e - 1, k);
  team.run([&](std::size_t j) {
    chunk_worker &w = team.workers[j];
    exact_chunk_hooks hooks(w.kept, &w, ctl.observer, b);
    w.end = exact_windows_of_length_1(b, e, c[j], c[j + 1], active, ctl.skip_in_bulk, w.pool,
                                      hooks);
  });
  if (team.any_stopped())
    return false;

  std::vector<kept_window> again;
  exact_chunk_hooks hooks(again, nullptr, ctl.observer, b);
  const char *q = past_N_run(b, e); // where the sequential scan goes on
  for (std::size_t j = 0; j < k; ++j) {
    chunk_worker &w = team.workers[j];
    std::vector<kept_window> &guess = w.kept;
    while (q < c[j + 1] && e - q > 1) {
      // The chunk's scan visits every base that is not N from the start of
      // its chunk on, except those a kept repeat jumped over.
      const auto after = std::lower_bound(
          guess.begin(), guess.end(), q, [](const kept_window &x, const char *p) { return x.s < p; });
      if (after == guess.begin() || q >= past_N_run(std::prev(after)->sat->pos_right, e)) {
        const std::size_t i = static_cast<std::size_t>(after - guess.begin());
        for (std::size_t d = 0; d < i; ++d)
          ctl.pool.push_back(guess[d].sat);
        for (std::size_t d = i; d < guess.size(); ++d)
          truth.push_back(guess[d]);
        guess.clear();
        q = w.end;
        break;
      }
      q = exact_windows_of_length_1(b, e, q, q + 1, active, ctl.skip_in_bulk, ctl.pool, hooks);
      truth.insert(truth.end(), again.begin(), again.end());
      again.clear();
    }
    team.drop(guess, 0);
  }
  return true;
}

// An exact pass for a unit length L >= 2. Its marks only ever cover, so T
// holds at every moment the union of the covers kept so far.
bool chunked_exact_pass(chunk_team &team, unsigned L, const threshold_tables &active,
                        CAnchorSeq &T, std::vector<kept_window> &truth)
{
  CSearchController &ctl = team.ctl;
  const char *const b = team.b;
  const char *const e = team.e;
  const long n = e - b;
  const std::size_t k = team.workers.size();
  const std::vector<const char *> c = chunk_borders(b, e - L, k);
  team.run([&](std::size_t j) {
    chunk_worker &w = team.workers[j];
    CAnchorSeq marks(T, std::max(c[j] - b - 1, -1L), std::min(c[j + 1] - b + L + 1, n + 1));
    exact_chunk_hooks hooks(w.kept, &w, ctl.observer, b);
    exact_windows_of_length(L, b, e, c[j], c[j + 1], active, ctl.setup.user, ctl.skip_in_bulk,
                            marks, w.pool, hooks);
  });
  if (team.any_stopped())
    return false;

  confirmation conf(truth, ctl.pool);
  std::vector<kept_window> again;
  exact_chunk_hooks hooks(again, nullptr, ctl.observer, b);
  auto cover_from = [&](std::size_t i) {
    for (; i < truth.size(); ++i)
      if (truth[i].reach != LONG_MIN)
        T.cover(truth[i].sat->pos_left - b, truth[i].sat->pos_right - b);
  };
  for (std::size_t j = 0; j < k; ++j) {
    std::vector<kept_window> &guess = team.workers[j].kept;
    long differs = conf.reach;
    std::size_t si = 0;
    for (const char *cur = c[j]; cur < c[j + 1];) {
      if (differs < cur - b - 1) {
        const std::size_t from = truth.size();
        conf.take_rest(guess, si);
        cover_from(from);
        break;
      }
      const char *const stop_at = std::min(c[j + 1], b + differs + 2);
      exact_windows_of_length(L, b, e, cur, stop_at, active, ctl.setup.user, ctl.skip_in_bulk, T,
                              ctl.pool, hooks);
      differs = conf.settle(guess, si, again, stop_at, differs);
      cur = stop_at;
    }
    guess.clear();
  }
  return true;
}

// Hands the repeats of a finished search to list in the order kept.
void hand_over(std::vector<kept_window> &truth, std::list<Csat *> &list)
{
  for (const kept_window &x : truth)
    list.push_back(x.sat);
  truth.clear();
}

} // namespace

void chunked_exact_search(CSearchController &ctl, const threshold_tables &active)
{
  std::vector<kept_window> truth;
  {
    chunk_team team(ctl);
    const unsigned long n = ctl.seq.seq.length;
    bool stopped = false;
    if (global_min_unit_length <= 1 && global_max_unit_length >= 1)
      stopped = ctl.stop_here(1) || ctl.progress_then_stop(1) ||
                !chunked_exact_pass_1(team, active, truth);
    CAnchorSeq T(ctl.seq);
    for (unsigned L = global_min_unit_length > 2 ? global_min_unit_length : 2;
         !stopped && L <= global_max_unit_length; ++L) {
      if (ctl.stop_here(L))
        break;
      if (n <= L)
        continue;
      stopped = ctl.progress_then_stop(L) || !chunked_exact_pass(team, L, active, T, truth);
    }
  }
  hand_over(truth, ctl.exactSATList);
  ctl.exactSATList.sort_by_position();
}

// What the sequential search keeps in a pass, counted but not kept. A stop
// request ends the count, and the search after it.
struct counting_hooks {
  imperfect_extender &extender;
  std::vector<Csat *> &kept;
  search_observer &observer;
  unsigned long long choices = 0;

  bool keep(Csat *sat, const char *)
  {
    kept.push_back(sat);
    choices += extender.explicit_steps;
    extender.explicit_steps = 0;
    extender.remembered_steps = 0;
    return true;
  }
  bool look_in(unsigned) { return observer.stop_requested(); }
};

// The look-ahead choices that the sequential search aligns for the repeats
// it keeps in the pass of unit length L, searched again from the marks the
// passes before left (marks, which it changes): the chunks remember other
// walks than the sequential search, so theirs is only a bound, and what a
// pass remembers depends on its own walks alone. Its repeats go back to
// the pool.
unsigned long long sequential_pass_choices(CSearchController &ctl, unsigned L, CAnchorSeq &marks)
{
  const char *const b = ctl.seq.seq.data;
  const char *const e = b + ctl.seq.seq.length;
  walk_memos memos;
  memos.node_cap = ctl.memos.node_cap;
  memos.start_pass(ctl.pass_free_nodes);
  imperfect_extender extender(ctl.setup);
  extender.start_windows(L, b, e);
  extender.memos = ctl.remember_walks ? &memos : nullptr;
  extender.pass_settled = ctl.pass_settled_windows;
  deferred_marks deferred(marks);
  pass_marks pm{marks, ctl.remember_walks ? &deferred : nullptr};
  std::vector<Csat *> kept;
  counting_hooks hooks{extender, kept, ctl.observer};
  if (L == 1)
    windows_of_length_1(b, e, b, e, ctl.setup.user, extender, pm, ctl.pool, hooks);
  else
    windows_of_length(L, b, e, b, e - L, ctl.setup.user, extender, pm, ctl.pool, hooks);
  deferred.finish_pass();
  for (Csat *sat : kept)
    ctl.pool.push_back(sat);
  return hooks.choices;
}

void chunked_imperfect_search(CSearchController &ctl)
{
  std::vector<kept_window> truth;
  unsigned long long steps = 0;
  bool over_budget = false;
  bool in_array = false;
  {
    chunk_team team(ctl);
    const unsigned long n = ctl.seq.seq.length;
    CAnchorSeq T(ctl.seq);
    // The marks before the pass, for counting it again.
    CAnchorSeq before(T, -1, long(n) + 1);
    // Past the work bound, counted in the look-ahead choices of the kept
    // repeats, kept repeats mark their whole span. The chunks remember other
    // walks than the sequential search, so they count every choice a walk
    // aligned in full makes, which the sequential search's choices never
    // exceed. A pass whose count would pass the bound is counted again as
    // the sequential search aligns it; past the bound even so, the
    // sequential search decides.
    auto count = [&](unsigned L, std::size_t from) {
      unsigned long long pass = 0;
      for (std::size_t i = from; i < truth.size(); ++i)
        pass += truth[i].steps;
      if (steps + pass > ctl.step_budget)
        pass = sequential_pass_choices(ctl, L, before);
      steps += pass;
      over_budget = steps > ctl.step_budget;
    };
    unsigned L = global_min_unit_length;
    bool stopped = false;
    if (L == 1) {
      stopped = ctl.progress_then_stop(1) || !chunked_imperfect_pass(team, 1, T, truth, in_array);
      if (!stopped)
        count(1, 0);
      // Mononucleotide runs must not hide the repeats of longer units.
      T.reset();
      L = 2;
    }
    for (; !stopped && !over_budget && !in_array && L <= global_max_unit_length; ++L) {
      const std::size_t from = truth.size();
      before.take_marks(T, -1, long(n) + 1);
      if (L < n && !ctl.progress_then_stop(L)) {
        chunked_imperfect_pass(team, L, T, truth, in_array);
        if (!in_array)
          count(L, from);
      }
      stopped = ctl.stop_here(L);
    }
  }
  if (over_budget || in_array) {
    for (const kept_window &x : truth)
      ctl.pool.push_back(x.sat);
    ctl.memos.clear();
    ctl.chunk_memos.clear();
    const unsigned k = ctl.chunks;
    ctl.chunks = 1;
    ctl.complete_imperfect_search(nullptr);
    ctl.chunks = k;
    return;
  }
  hand_over(truth, ctl.imperfectSATList);
  ctl.imperfectSATList.sort_by_position();
}

bool chunked_seed_extension(CSearchController &ctl, const threshold_tables &active)
{
  const char *const b = ctl.seq.seq.data;
  const char *const e = b + ctl.seq.seq.length;
  CsatContainer &seeds = ctl.exactSATList;
  // The seeds cut into chunks of consecutive seeds.
  const std::size_t k = ctl.chunks;
  std::vector<CsatContainer::iterator> c(k + 1, seeds.end());
  {
    const std::size_t n = seeds.size();
    auto it = seeds.begin();
    for (std::size_t j = 0, i = 0; j < k; ++j) {
      for (; i < n * j / k; ++i)
        ++it;
      c[j] = it;
    }
  }
  std::vector<unsigned long long> steps(k, 0);
  {
    chunk_team team(ctl);
    team.run([&](std::size_t j) {
      imperfect_extender extender(ctl.setup);
      walk_memos *const memos = team.take_memos();
      extender.memos = ctl.remember_walks ? memos : nullptr;
      for (auto it = c[j]; it != c[j + 1]; ++it) {
        Csat &seed = **it;
        extender.grow(seed, b, e);
        trim_Ns(seed);
        if (reaches_thresholds(seed, ctl.setup.user)) {
          steps[j] += extender.explicit_steps + extender.remembered_steps;
          sort_alignment_events(seed);
        }
        extender.explicit_steps = 0;
        extender.remembered_steps = 0;
      }
      team.give_back(memos);
    });
  }
  unsigned long long total = 0;
  for (unsigned long long x : steps)
    total += x;
  if (total > ctl.step_budget) {
    // The seeds again as the exact search finds them, for the sequential
    // extension.
    while (!seeds.empty())
      seeds.remove_to_pool(seeds.begin());
    ctl.chunk_memos.clear();
    ctl.exact_search_2(active);
    return false;
  }
  for (auto it = seeds.begin(); it != seeds.end();) {
    if (!reaches_thresholds(**it, ctl.setup.user)) {
      it = seeds.remove_to_pool(it);
      continue;
    }
    auto next = std::next(it);
    ctl.imperfectSATList.splice(ctl.imperfectSATList.end(), seeds, it);
    it = next;
  }
  return true;
}
