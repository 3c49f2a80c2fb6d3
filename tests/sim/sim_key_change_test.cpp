// Key change: authorised by the supervisor key only, proven under the new key, and effective
// only from the commit on.
#include <gtest/gtest.h>

#include "tavrix/cipher/aes_util.h"
#include "tavrix/protocol/device_manager.h"
#include "tavrix/sim/lock_objects.h"
#include "tavrix/sim/simulated_lock.h"
#include "tests/sim/lock_host.h"

namespace tavrix::sim {
namespace {

using testing::decipherPayload;
using testing::encipher;
using testing::fiveWords;
using testing::LockHost;

constexpr std::uint8_t kSupervisor = 0xFE;
constexpr std::uint32_t kReadVersion = 0x07040001;

class SimKeyChange : public ::testing::Test {
 protected:
  SimKeyChange() : host(lock) {
    EXPECT_TRUE(host.startContact());
    oldKey = lock.state().key;
    supervisorKey = DeviceManager::toFixed16(lock.config().supervisorSecret);
    newKey = DeviceManager::enc(DeviceManager::toFixed16("new password"),
                                DeviceInfo(lock.config().id, true));
  }

  void beginChange(const Bytes& authorising) {
    ASSERT_GT(host.select(kSupervisor), 0xFFFFu);
    ASSERT_GT(host.credentials(authorising, 1700000000, "u"), 0xFFFFu);
  }
  std::uint32_t keyFrame(const Bytes& under) {
    Words f{0x00208001, 0x11, 0x90101902};
    for (std::size_t i = 0; i < 16; i += 4) {
      f.push_back(std::uint32_t{newKey[i]} << 24 | std::uint32_t{newKey[i + 1]} << 16 |
                  std::uint32_t{newKey[i + 2]} << 8 | newKey[i + 3]);
    }
    f.insert(f.end(), {0x22, 0x33});
    return host.status(encipher(f, under), 8);
  }
  // The identity the check answer proves under the new key, as the kit computes it.
  std::optional<std::uint64_t> proof() {
    const auto answer = host.frame(encipher(fiveWords(0x10101903, 0), supervisorKey), 8);
    if (!answer || (*answer)[1] <= 0xFFFF) {
      return std::nullopt;
    }
    const Words q = decipherPayload(*answer, supervisorKey);
    const Words r = AESUtil::decryptUInt(q, 2, 5, newKey, AESUtil::zeroIv());
    return std::uint64_t{r[2]} << 32 | r[3];
  }
  std::uint32_t commit(std::uint32_t word = kKeyCommitWord) {
    return host.keyedWrite(0x87041901, word, supervisorKey);
  }

  SimulatedLock lock;
  LockHost host;
  Bytes oldKey, supervisorKey, newKey;
};

TEST_F(SimKeyChange, CheckProvesTheIdentityAndTheCommitInstallsTheKey) {
  beginChange(supervisorKey);
  EXPECT_GT(keyFrame(supervisorKey), 0xFFFFu);
  EXPECT_EQ(proof(), lock.config().id);

  // Proven but not committed: the old key still rules.
  EXPECT_TRUE(host.keyedRead(kReadVersion, oldKey));
  EXPECT_FALSE(host.keyedRead(kReadVersion, newKey));
  EXPECT_TRUE(lock.state().isNew);

  EXPECT_GT(commit(), 0xFFFFu);
  EXPECT_FALSE(host.keyedRead(kReadVersion, oldKey));
  EXPECT_TRUE(host.keyedRead(kReadVersion, newKey));
  EXPECT_EQ(lock.state().key, newKey);

  const auto flag = host.frame(testing::clearRead(0x03010030), 4);
  ASSERT_TRUE(flag);
  EXPECT_EQ((*flag)[4] >> 24, 1u);  // no longer new
}

TEST_F(SimKeyChange, OnlyTheSupervisorKeyAuthorisesAndStepsMustComeInOrder) {
  // Under the lock's own key every key-change frame is refused, credentials or not.
  beginChange(oldKey);
  EXPECT_EQ(keyFrame(oldKey), status::kUnknownRequest);
  EXPECT_EQ(keyFrame(supervisorKey), status::kNoCredentials);

  beginChange(supervisorKey);
  EXPECT_EQ(proof(), std::nullopt);  // check before a key
  EXPECT_GT(keyFrame(supervisorKey), 0xFFFFu);
  EXPECT_EQ(commit(), status::kOutOfOrder);  // commit before the check
  EXPECT_TRUE(proof());
  EXPECT_EQ(commit(0x82D112E7), status::kBadValue);  // wrong commit word

  // A new contact drops the pending key.
  ASSERT_TRUE(host.startContact());
  beginChange(supervisorKey);
  EXPECT_EQ(commit(), status::kOutOfOrder);
  EXPECT_EQ(lock.state().key, oldKey);
  EXPECT_TRUE(lock.state().isNew);
}

TEST_F(SimKeyChange, ASupervisorKeyEqualToTheLockKeyStillAuthorises) {
  LockState s = lock.state();
  s.supervisorKey = s.key;
  lock.setState(s);
  supervisorKey = s.key;
  beginChange(supervisorKey);
  EXPECT_GT(keyFrame(supervisorKey), 0xFFFFu);
  EXPECT_EQ(proof(), lock.config().id);
  EXPECT_GT(commit(), 0xFFFFu);
  EXPECT_EQ(lock.state().key, newKey);
}

}  // namespace
}  // namespace tavrix::sim
