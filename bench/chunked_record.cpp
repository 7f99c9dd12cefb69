// Searches every record of a FASTA file with its passes cut into a given
// number of chunks, searched by a given number of threads that each take the
// next chunk not yet taken, and prints the bases, the search time, the rate
// and a digest of the report, so that a script can set chunk counts side by
// side and check that the bytes agree.
//
//   chunked_record [--project] CHUNKS THREADS [torvix options] INPUT.fa
//
// With --project the chunks run one after the other on one thread, each
// timed by the processor time it takes, and the time printed is what the
// given number of threads would take if each took the next chunk as soon as
// it is free: the time outside the chunks plus, for every pass, the span of
// its chunks so scheduled. On a machine that other jobs load, this projects
// the speed-up better than the wall clock.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>
#include <vector>

#include "cli/parameters.h"
#include "run/run_files.h"
#include "engine/CSearchController.h"
#include "input/CFile.h"
#include "params/global-types-and-parameters.h"

namespace {

unsigned thread_count = 1;
double projected_chunks = 0; // the spans of the passes' chunks, projected
double chunk_seconds = 0;    // the processor time of all chunks

double thread_seconds()
{
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The tasks one after the other, each timed; every task goes to the thread
// that is free first.
void project_threads(std::size_t n, const std::function<void(std::size_t)> &task)
{
  std::vector<double> free_at(thread_count, 0.0);
  for (std::size_t i = 0; i < n; ++i) {
    const double start = thread_seconds();
    task(i);
    const double took = thread_seconds() - start;
    chunk_seconds += took;
    *std::min_element(free_at.begin(), free_at.end()) += took;
  }
  projected_chunks += *std::max_element(free_at.begin(), free_at.end());
}

// The calling thread and thread_count - 1 others take the tasks in order.
void run_on_threads(std::size_t n, const std::function<void(std::size_t)> &task)
{
  std::atomic<std::size_t> next{0};
  auto work = [&]() {
    for (std::size_t i; (i = next++) < n;)
      task(i);
  };
  std::vector<std::thread> threads;
  for (unsigned t = 1; t < thread_count; ++t)
    threads.emplace_back(work);
  work();
  for (std::thread &t : threads)
    t.join();
}

} // namespace

int main(int argc, char **argv)
{
  const bool project = argc > 1 && std::strcmp(argv[1], "--project") == 0;
  if (project) {
    --argc;
    ++argv;
  }
  if (argc < 4) {
    std::fputs("usage: chunked_record [--project] CHUNKS THREADS [torvix options] INPUT.fa\n",
               stderr);
    return 1;
  }
  const unsigned chunks = static_cast<unsigned>(std::atoi(argv[1]));
  thread_count = static_cast<unsigned>(std::atoi(argv[2]));
  std::vector<char *> args(argv + 2, argv + argc);
  args[0] = const_cast<char *>("torvix");
  if (read_and_init_parameters(static_cast<int>(args.size()), args.data()) != 0)
    return 1;
  CFile input(global_input_filename.c_str());
  if (input.fail())
    return 1;
  FILE *report = std::tmpfile();
  CSequence_Mol record;
  const search_setup setup = search_setup::from_parameters();
  Csat_garbagecollector pool;
  unsigned long long bases = 0;
  double seconds = 0;
  int past_bound = 0; // 1 when a record's work passed the bound
  for (unsigned counter = 1; !input.eof(); ++counter) {
    read_record(input, record);
    if (input.fail() && !input.eof())
      return 1;
    const auto start = std::chrono::steady_clock::now();
    const double cpu_start = thread_seconds();
    CSearchController ctl(counter, record, setup, pool);
    ctl.chunks = chunks;
    if (project)
      ctl.executor = project_threads;
    else
      ctl.executor = run_on_threads;
    ctl.search_filter_and_report(report);
    if (ctl.past_work_bound)
      past_bound = 1;
    if (project)
      seconds += thread_seconds() - cpu_start;
    else
      seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    bases += record.seq.length;
  }
  if (project)
    seconds = seconds - chunk_seconds + projected_chunks;
  // FNV-1a over the report's bytes.
  std::rewind(report);
  unsigned long long digest = 1469598103934665603ull;
  for (int ch; (ch = std::fgetc(report)) != EOF;)
    digest = (digest ^ static_cast<unsigned char>(ch)) * 1099511628211ull;
  std::printf("%llu %.3f %.2f %016llx %d\n", bases, seconds, bases / seconds / 1e6, digest,
              past_bound);
  return 0;
}
