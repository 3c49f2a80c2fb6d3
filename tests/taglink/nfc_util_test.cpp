#include "tavrix/taglink/nfc_util.h"

#include <gtest/gtest.h>

#include "tests/support/run_sync.h"
#include "tests/support/scripted_tag.h"

namespace tavrix {
namespace {

using testing::hex;
using testing::runSync;
using testing::ScriptedTag;

TEST(NFCUtilStart, AcceptsOnlyTheExactAnswer) {
  ScriptedTag ok;
  ok.expect(hex("47 11"), hex("47 47"));
  EXPECT_TRUE(runSync(NFCUtil::start(ok)));
}

}  // namespace
}  // namespace tavrix
