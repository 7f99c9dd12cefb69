// Every engine test starts from the default parameters, whatever the tests
// before it changed, and has a record to search or report, and the set-up
// and pool that its controllers need.
#ifndef TORVIX_TESTS_ENGINE_TEST_H
#define TORVIX_TESTS_ENGINE_TEST_H

#include <gtest/gtest.h>

#include <string>

#include "engine/CSearchController.h"
#include "params/global-types-and-parameters.h"

class EngineTest : public ::testing::Test
{
protected:
  void SetUp() override { init_param(); }

  // The set-up of a run under the options in force now, as a run builds it
  // once its options are read; a controller made before the next call reads
  // it.
  static const search_setup &setup_now()
  {
    static search_setup setup;
    setup = search_setup::from_parameters();
    return setup;
  }
  static Csat_garbagecollector &test_pool()
  {
    static Csat_garbagecollector pool;
    return pool;
  }

  CSequence_Mol record;

  void load(const std::string &bases)
  {
    record.seq.assign(bases.data(), bases.data() + bases.size());
    record.name.assign("chr");
    record.full_name.assign("chr test");
  }
  const char *at(long offset) const { return record.seq.data + offset; }
};

#endif
