// The workers that search records: every job and every task of a batch runs
// exactly once, a batch returns only when all its tasks have ended, and a job
// that waits for a batch of its own cannot tie up the pool.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "params/global-types-and-parameters.h"
#include "run/run.h"
#include "run/worker_pool.h"

namespace {

class WorkerPoolTest : public ::testing::Test
{
protected:
  void SetUp() override { init_param(); }
};

TEST_F(WorkerPoolTest, EveryJobRunsOnceOnAWorkerOfThePoolBeforeThePoolEnds)
{
  std::vector<std::atomic<int>> runs(200);
  std::atomic<bool> worker_out_of_range{false};
  {
    worker_pool pool(3);
    for (size_t i = 0; i < runs.size(); ++i)
      pool.submit([&, i](unsigned worker) {
        worker_out_of_range = worker_out_of_range || worker >= 3;
        ++runs[i];
      });
  }
  for (const std::atomic<int> &r : runs)
    EXPECT_EQ(1, r.load()) << "a job was lost or run twice";
  EXPECT_FALSE(worker_out_of_range);
}

TEST_F(WorkerPoolTest, ABatchEndsAfterAllItsTasksEvenWhenEveryWorkerWaitsForABatchOfItsOwn)
{
  worker_pool pool(2);
  std::atomic<int> done{0};
  std::atomic<int> jobs_ended{0};
  for (int j = 0; j < 4; ++j)
    pool.submit([&](unsigned) {
      std::vector<int> seen(50, 0);
      pool.run_tasks(50, [&](unsigned task) {
        ++seen[task];
        ++done;
      });
      for (int s : seen)
        EXPECT_EQ(1, s) << "a task was lost or run twice";
      ++jobs_ended;
    });
  pool.run_tasks(0, [](unsigned) { FAIL() << "an empty batch ran a task"; });
  while (jobs_ended < 4)
    std::this_thread::yield();
  EXPECT_EQ(200, done.load());
}

TEST_F(WorkerPoolTest, ThreadCountZeroMeansEveryCoreAndOthersAreTakenAsGiven)
{
  EXPECT_GE(threads_for(0), 1u);
  EXPECT_EQ(5u, threads_for(5));
}

} // namespace
