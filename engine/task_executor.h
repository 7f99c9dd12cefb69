// How a search hands out work that may run in parallel.
#ifndef TORVIX_ENGINE_TASK_EXECUTOR_H
#define TORVIX_ENGINE_TASK_EXECUTOR_H

#include <cstddef>
#include <functional>

// Runs task(0) .. task(n - 1), perhaps in parallel, and returns when all of
// them are done.
using task_executor =
    std::function<void(std::size_t n, const std::function<void(std::size_t)> &task)>;

// Runs the tasks one after the other on the calling thread.
inline void run_tasks_in_order(std::size_t n, const std::function<void(std::size_t)> &task)
{
  for (std::size_t i = 0; i < n; ++i)
    task(i);
}

#endif
