#include "worker_pool.h"

#include <atomic>
#include <memory>

worker_pool::worker_pool(unsigned workers)
{
  for (unsigned w = 0; w < workers; ++w)
    threads.emplace_back([this, w] { work(w); });
}

worker_pool::~worker_pool()
{
  {
    std::lock_guard<std::mutex> lock(mutex);
    closing = true;
  }
  work_ready.notify_all();
  for (std::thread &t : threads)
    t.join();
}

void worker_pool::submit(job j)
{
  {
    std::lock_guard<std::mutex> lock(mutex);
    jobs.push_back(std::move(j));
  }
  work_ready.notify_one();
}

void worker_pool::work(unsigned worker)
{
  for (;;) {
    job j;
    {
      std::unique_lock<std::mutex> lock(mutex);
      work_ready.wait(lock, [this] { return closing || !jobs.empty(); });
      if (jobs.empty())
        return;
      j = std::move(jobs.front());
      jobs.pop_front();
    }
    j(worker);
  }
}

void worker_pool::run_tasks(unsigned n, const std::function<void(unsigned task)> &task)
{
  struct batch {
    std::atomic<unsigned> next{0};
    unsigned ended = 0;
    std::mutex mutex;
    std::condition_variable all_ended;
  };
  auto b = std::make_shared<batch>();
  // Takes tasks until none is left; whoever ends the last one wakes the caller.
  auto take = [b, n, &task] {
    for (unsigned i; (i = b->next++) < n;) {
      task(i);
      std::lock_guard<std::mutex> lock(b->mutex);
      if (++b->ended == n)
        b->all_ended.notify_all();
    }
  };
  // A helper that starts after the caller took the last task finds none, and
  // never touches task.
  for (unsigned w = 1; w < n && w <= size(); ++w)
    submit([take](unsigned) { take(); });
  take();
  std::unique_lock<std::mutex> lock(b->mutex);
  b->all_ended.wait(lock, [&] { return b->ended == n; });
}
