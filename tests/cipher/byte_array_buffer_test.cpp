#include "tavrix/cipher/byte_array_buffer.h"

#include <gtest/gtest.h>

#include "tests/cipher/error_message.h"
#include "tests/support/scripted_tag.h"

namespace tavrix {
namespace {

using testing::hex;
using testing::invalidArgumentMessage;

TEST(ByteArrayBufferTest, PutIntWritesMostSignificantByteFirstUntilFull) {
  auto buffer = ByteArrayBuffer::allocate(8);
  EXPECT_EQ(buffer.array(), Bytes(8, 0));
  buffer.putInt(0x01020304).putInt(0xfffefd80);
  EXPECT_EQ(buffer.array(), hex("01 02 03 04 ff fe fd 80"));
  EXPECT_EQ(buffer.position(), 8);

  EXPECT_EQ(invalidArgumentMessage([&] { buffer.putInt(5); }), "Not enough space to put Int");
  EXPECT_EQ(buffer.position(), 8);
  EXPECT_EQ(buffer.array(), hex("01 02 03 04 ff fe fd 80"));
}

TEST(ByteArrayBufferTest, GetIntReadsBigEndianWithoutSignExtension) {
  Bytes source = hex("80 00 00 01 ff fe fd fc 07");
  auto buffer = ByteArrayBuffer::wrap(source);
  source[0] = 0x00;  // the buffer works on its own copy

  EXPECT_EQ(buffer.getInt(), 0x80000001u);
  EXPECT_EQ(buffer.getInt(), 0xfffefdfcu);
  EXPECT_EQ(buffer.position(), 8);
  EXPECT_EQ(invalidArgumentMessage([&] { buffer.getInt(); }), "Not enough bytes to get Int");
  EXPECT_EQ(buffer.position(), 8);
}

TEST(ByteArrayBufferTest, SizeErrors) {
  EXPECT_EQ(invalidArgumentMessage([] { ByteArrayBuffer::allocate(-1); }),
            "Buffer size must not be negative");
  EXPECT_EQ(invalidArgumentMessage([] { ByteArrayBuffer::allocate(0).putInt(1); }),
            "Not enough space to put Int");
  EXPECT_EQ(invalidArgumentMessage([] { ByteArrayBuffer::allocate(3).putInt(1); }),
            "Not enough space to put Int");
  EXPECT_EQ(invalidArgumentMessage([] { ByteArrayBuffer::wrap(hex("01 02 03")).getInt(); }),
            "Not enough bytes to get Int");
  EXPECT_EQ(invalidArgumentMessage([] { ByteArrayBuffer::wrap({}).getInt(); }),
            "Not enough bytes to get Int");
}

}  // namespace
}  // namespace tavrix
