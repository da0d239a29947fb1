#pragma once
// Tests that run once per journal mode: the engine reads QDX_ENGINE_JOURNAL
// at each open, and forked children inherit it.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

namespace enginetest {

class JournalModeTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { setenv("QDX_ENGINE_JOURNAL", GetParam(), 1); }
    void TearDown() override { unsetenv("QDX_ENGINE_JOURNAL"); }
};

}  // namespace enginetest

#define INSTANTIATE_JOURNAL_MODES(suite)                                                  \
    INSTANTIATE_TEST_SUITE_P(Journal, suite, ::testing::Values("wal", "rollback"),        \
                             [](const ::testing::TestParamInfo<const char*>& info) {      \
                                 return std::string(info.param);                           \
                             })
