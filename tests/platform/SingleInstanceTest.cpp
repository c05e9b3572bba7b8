#include "platform/SingleInstance.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>

#include "support/TempDir.h"

namespace tapestra {
namespace {

class SingleInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("XDG_RUNTIME_DIR", dir.path().string().c_str(), 1); }
  test::TempDir dir;
};

TEST_F(SingleInstanceTest, TheSecondHolderIsRefusedUntilTheFirstLetsGo) {
  auto first = std::make_unique<SingleInstance>("tapestra-test-lock");
  ASSERT_TRUE(first->acquire());
  SingleInstance second("tapestra-test-lock");
  EXPECT_FALSE(second.acquire());
  first.reset();
  EXPECT_TRUE(second.acquire());
}

TEST_F(SingleInstanceTest, ALockThatCannotBeMadeIsNoSecondCopy) {
  // A name leading into a folder that does not exist: the lock file cannot be created.
  SingleInstance lock("missing-folder/tapestra-test-lock");
  EXPECT_TRUE(lock.acquire());
}

}  // namespace
}  // namespace tapestra
