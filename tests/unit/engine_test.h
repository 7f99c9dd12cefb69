// Every engine test starts from the default parameters and from threshold
// tables built from them, whatever the tests before it changed, and has a
// record to search or report.
#ifndef TORVIX_TESTS_ENGINE_TEST_H
#define TORVIX_TESTS_ENGINE_TEST_H

#include <gtest/gtest.h>

#include <string>

#include "engine/CSearchController.h"
#include "params/global-types-and-parameters.h"

class EngineTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    init_param();
    CSearchController::reset_minimum_arrays();
  }
  void TearDown() override { CSearchController::reset_minimum_arrays(); }

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
