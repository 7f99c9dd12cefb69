// Every engine test starts from the default parameters and from threshold
// tables built from them, whatever the tests before it changed.
#ifndef TORVIX_TESTS_ENGINE_TEST_H
#define TORVIX_TESTS_ENGINE_TEST_H

#include <gtest/gtest.h>

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
};

#endif
