// A fixed set of threads that run jobs, and an executor for batches of tasks
// that the caller helps to run, so that a job may wait for a batch of its own
// without tying up the pool.
#ifndef TORVIX_RUN_WORKER_POOL_H
#define TORVIX_RUN_WORKER_POOL_H

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class worker_pool
{
public:
  // A job gets the number of the worker that runs it, 0 .. size() - 1.
  using job = std::function<void(unsigned worker)>;

  explicit worker_pool(unsigned workers);
  ~worker_pool(); // runs the jobs still queued, then joins the workers
  worker_pool(const worker_pool &) = delete;
  worker_pool &operator=(const worker_pool &) = delete;

  unsigned size() const { return static_cast<unsigned>(threads.size()); }
  void submit(job j);

  // Runs task(0) .. task(n - 1) on the workers and on the calling thread,
  // and returns when all have ended.
  void run_tasks(unsigned n, const std::function<void(unsigned task)> &task);

private:
  std::vector<std::thread> threads;
  std::mutex mutex;
  std::condition_variable work_ready;
  std::deque<job> jobs;
  bool closing = false;
  void work(unsigned worker);
};

#endif
