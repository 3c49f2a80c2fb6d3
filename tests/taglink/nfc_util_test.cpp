#include "tavrix/taglink/nfc_util.h"

#include <gtest/gtest.h>

#include <functional>

#include <asio/bind_cancellation_slot.hpp>
#include <asio/cancellation_signal.hpp>
#include <asio/co_spawn.hpp>
#include <asio/io_context.hpp>
#include <asio/steady_timer.hpp>
#include <asio/use_awaitable.hpp>

#include "tests/support/run_sync.h"
#include "tests/support/scripted_tag.h"

namespace tavrix {
namespace {

using testing::hex;
using testing::runSync;
using testing::ScriptedTag;

TEST(NFCUtilStart, AcceptsOnlyTheExactAnswer) {
  const std::pair<const char*, bool> cases[] = {
      {"47 47", true}, {"47 47 00", false}, {"47", false}, {"47 48", false}, {"", false}};
  for (const auto& [answer, expected] : cases) {
    ScriptedTag tag;
    tag.expect(hex("47 11"), hex(answer));
    EXPECT_EQ(runSync(NFCUtil::start(tag)), expected) << answer;
  }
  ScriptedTag raising;
  raising.raise();
  EXPECT_FALSE(runSync(NFCUtil::start(raising)));
}

TEST(NFCUtilStartAddress, ReadsTheFramedAddress) {
  const std::pair<const char*, std::optional<std::uint32_t>> cases[] = {
      {"60 00 00 10 00 60", 0x1000u},      {"60 FF EE DD CC 60", 0xFFEEDDCCu},
      {"60 12 34 56 78 61", std::nullopt}, {"61 12 34 56 78 60", std::nullopt},
      {"60 00 00 10 60", std::nullopt},    {"60 00 00 10 00 60 00", std::nullopt}};
  for (const auto& [answer, expected] : cases) {
    ScriptedTag tag;
    tag.expect(hex("60 00 00 00 00"), hex(answer));
    EXPECT_EQ(runSync(NFCUtil::getStartAddress(tag)), expected) << answer;
  }
}

TEST(NFCUtilRead, ReadsWordsMostSignificantByteFirstInAddressOrder) {
  ScriptedTag tag;
  tag.expect(hex("80 00 00 10 00"), hex("80 11 22 33 44 80"))
      .expect(hex("80 00 00 10 04"), hex("80 AA BB CC DD 80"));
  EXPECT_EQ(runSync(NFCUtil::read(tag, 0x1000, 2)), (Words{0x11223344u, 0xAABBCCDDu}));
}

TEST(NFCUtilRead, AddressWrapsAroundTheTopOfMemory) {
  ScriptedTag tag;
  tag.expect(hex("80 FF FF FF FC"), hex("80 00 00 00 01 80"))
      .expect(hex("80 00 00 00 00"), hex("80 00 00 00 02 80"));
  EXPECT_EQ(runSync(NFCUtil::read(tag, 0xFFFFFFFC, 2)), (Words{1, 2}));
}

TEST(NFCUtilRead, AnyBadAnswerDropsEverythingAndStops) {
  ScriptedTag badFrame;
  badFrame.reply(hex("80 11 22 33 44 80"))
      .reply(hex("80 AA BB CC DD 81"))
      .reply(hex("80 00 00 00 00 80"));
  EXPECT_EQ(runSync(NFCUtil::read(badFrame, 0x1000, 3)), std::nullopt);
  EXPECT_EQ(badFrame.sent().size(), 2u);

  ScriptedTag raising;
  raising.reply(hex("80 11 22 33 44 80")).raise();
  EXPECT_EQ(runSync(NFCUtil::read(raising, 0x1000, 2)), std::nullopt);
}

TEST(NFCUtilRead, CountOfZeroOrLessTouchesNothing) {
  for (std::int32_t count : {0, -1, INT32_MIN}) {
    ScriptedTag tag;
    EXPECT_EQ(runSync(NFCUtil::read(tag, 0x1000, count)), Words{});
    EXPECT_TRUE(tag.sent().empty());
  }
}

TEST(NFCUtilWrite, WritesHeaderAndWordsThenTriggers) {
  ScriptedTag tag;
  tag.expect(hex("70 00 00 10 00 60 00 00 0C"), hex("70 70"))
      .expect(hex("70 00 00 10 04 00 00 00 00"), hex("70 70"))
      .expect(hex("60 02 00 00 00"), hex("60 60 00 00 0C 60"));
  EXPECT_TRUE(runSync(NFCUtil::write(tag, 0x1000, 0x0C, Words{0})));
  EXPECT_EQ(tag.remaining(), 0u);
}

TEST(NFCUtilWrite, TriggerAnswerMustEchoTheCommandByte) {
  for (const char* answer : {"60 60 00 00 00 60", "60 60 00 00 0C 61", "60 60 00 0C 60", ""}) {
    ScriptedTag tag;
    tag.reply(hex("70 70")).reply(hex("70 70")).reply(hex(answer));
    EXPECT_FALSE(runSync(NFCUtil::write(tag, 0x1000, 0x0C, Words{0}))) << answer;
  }
}

TEST(NFCUtilWrite, StopsAtTheFirstUnacknowledgedWord) {
  ScriptedTag tag;
  tag.reply(hex("70 70")).reply(hex("70 71"));
  EXPECT_FALSE(runSync(NFCUtil::write(tag, 0x1000, 0, Words{1, 2, 3})));
  EXPECT_EQ(tag.sent().size(), 2u);

  ScriptedTag raising;
  raising.reply(hex("70 70")).raise();
  EXPECT_FALSE(runSync(NFCUtil::write(raising, 0x1000, 0, Words{1, 2, 3})));
  EXPECT_EQ(raising.sent().size(), 2u);
}

TEST(NFCUtilWrite, EmptyListStillWritesHeaderAndTriggers) {
  ScriptedTag tag;
  tag.expect(hex("70 00 00 01 00 60 00 00 04"), hex("70 70"))
      .expect(hex("60 02 00 00 00"), hex("60 60 00 00 04 60"));
  EXPECT_TRUE(runSync(NFCUtil::write(tag, 0x100, 4, Words{})));
}

// A tag whose answer never comes: the exchange only ends when it is cancelled.
class SilentTag : public NFCTag {
 public:
  asio::awaitable<Bytes> transceive(Bytes) override {
    asio::steady_timer timer(co_await asio::this_coro::executor, std::chrono::hours(1));
    co_await timer.async_wait(asio::use_awaitable);
    co_return Bytes{0x47, 0x47};
  }
};

TEST(NFCUtilCancellation, ACancelledExchangeIsAFailedOperationNotAnError) {
  asio::io_context ctx;
  SilentTag tag;
  asio::cancellation_signal signal;
  std::exception_ptr error;
  std::optional<bool> started;
  asio::co_spawn(ctx, NFCUtil::start(tag),
                 asio::bind_cancellation_slot(signal.slot(), [&](std::exception_ptr e, bool r) {
                   error = e;
                   started = r;
                 }));
  asio::steady_timer soon(ctx, std::chrono::milliseconds(1));
  soon.async_wait([&](std::error_code) { signal.emit(asio::cancellation_type::terminal); });
  ctx.run();
  EXPECT_FALSE(error);
  EXPECT_EQ(started, false);
}

// Cancellation that arrives while the tag still answers properly: the operation's next step is
// where Asio raises it, and the operation must end there with its failure result.
class CancellingTag : public NFCTag {
 public:
  explicit CancellingTag(asio::cancellation_signal& signal) : signal_(signal) {}
  asio::awaitable<Bytes> transceive(Bytes data) override {
    ++exchanges;
    signal_.emit(asio::cancellation_type::terminal);
    const std::uint8_t op = data.at(0);
    if (op == 0x70)
      co_return Bytes{0x70, 0x70};
    co_return Bytes{op, 0, 0, 0x10, 0, op};
  }
  int exchanges = 0;

 private:
  asio::cancellation_signal& signal_;
};

template <class T>
void expectFailureAfterOneExchange(std::function<asio::awaitable<T>(NFCTag&)> op, T failure) {
  asio::io_context ctx;
  asio::cancellation_signal signal;
  CancellingTag tag(signal);
  std::exception_ptr error;
  std::optional<T> result;
  asio::co_spawn(ctx, op(tag),
                 asio::bind_cancellation_slot(signal.slot(), [&](std::exception_ptr e, T r) {
                   error = e;
                   result = std::move(r);
                 }));
  ctx.run();
  EXPECT_FALSE(error);
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(*result, failure);
  EXPECT_EQ(tag.exchanges, 1);
}

TEST(NFCUtilCancellation, CancellationBetweenExchangesEndsTheOperationWithItsFailure) {
  expectFailureAfterOneExchange<bool>(
      [](NFCTag& t) {
        return NFCUtil::write(t, 0x1000, 0, Words{1, 2});
      },
      false);
  expectFailureAfterOneExchange<std::optional<Words>>(
      [](NFCTag& t) { return NFCUtil::read(t, 0x1000, 3); }, std::nullopt);
}

}  // namespace
}  // namespace tavrix
