// Frame codec and message packs: the bytes on the market-data link.
#include <gtest/gtest.h>

#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "net/FieldIds.h"
#include "net/Frame.h"
#include "net/Message.h"

namespace {

std::string EncodedHeader(const FrameHeader& header) {
  std::string out(FrameHeader::kSize, '\0');
  header.Encode(reinterpret_cast<unsigned char*>(&out[0]));
  return out;
}

std::string RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(gen());
  return s;
}

uint32_t Le32(const std::string& s, size_t at) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<unsigned char>(s[at + i])) << (8 * i);
  return v;
}

TEST(FrameHeaderTest, EncodesEveryFieldLittleEndianAtItsOffset) {
  FrameHeader header = FrameHeader::Make(kFrameMethodZlib, 0x01020304, 0x0A0B0C0D);
  header.reserved1 = 0x11223344;
  header.reserved2 = 0x55667788;
  const std::string bytes = EncodedHeader(header);
  ASSERT_EQ(28u, bytes.size());
  EXPECT_EQ("qwt48306", bytes.substr(0, 8));
  EXPECT_EQ(0x01000000u, Le32(bytes, 8));
  EXPECT_EQ(0x11223344u, Le32(bytes, 12));
  EXPECT_EQ(0x55667788u, Le32(bytes, 16));
  EXPECT_EQ(0x01020304u, Le32(bytes, 20));
  EXPECT_EQ(0x0A0B0C0Du, Le32(bytes, 24));

  const FrameHeader back = FrameHeader::Decode(reinterpret_cast<const unsigned char*>(bytes.data()));
  EXPECT_TRUE(back.HasSignature());
  EXPECT_EQ(header.flags, back.flags);
  EXPECT_EQ(header.reserved1, back.reserved1);
  EXPECT_EQ(header.reserved2, back.reserved2);
  EXPECT_EQ(header.bodyLength, back.bodyLength);
  EXPECT_EQ(header.uncompressedLength, back.uncompressedLength);
  EXPECT_EQ(kFrameMethodZlib, back.Method());
}

TEST(FrameHeaderTest, MethodIgnoresFlagBitsOutside24To27) {
  FrameHeader header = FrameHeader::Make(kFrameMethodNone, 1, 0);
  header.flags = 0xF0FFFFFFu | (2u << 24);
  EXPECT_EQ(2u, header.Method());
}

TEST(FrameHeaderTest, CheckClosesOnlyForBadSignatureZeroOrOversizedLengths) {
  struct Case {
    const char* name;
    void (*mutate)(FrameHeader&);
    FrameHeaderCheck expected;
  };
  const Case cases[] = {
      {"sound", [](FrameHeader&) {}, FrameHeaderCheck::kOk},
      {"first signature byte", [](FrameHeader& h) { h.signature[0] = 'Q'; }, FrameHeaderCheck::kBadSignature},
      {"last signature byte", [](FrameHeader& h) { h.signature[7] = '7'; }, FrameHeaderCheck::kBadSignature},
      {"zero body", [](FrameHeader& h) { h.bodyLength = 0; }, FrameHeaderCheck::kEmptyBody},
      {"body at bound", [](FrameHeader& h) { h.bodyLength = kMaxFrameLength; }, FrameHeaderCheck::kOk},
      {"body over bound", [](FrameHeader& h) { h.bodyLength = kMaxFrameLength + 1; },
       FrameHeaderCheck::kBodyTooLong},
      {"body all ones", [](FrameHeader& h) { h.bodyLength = 0xFFFFFFFFu; }, FrameHeaderCheck::kBodyTooLong},
      {"inflated over bound", [](FrameHeader& h) { h.uncompressedLength = kMaxFrameLength + 1; },
       FrameHeaderCheck::kUncompressedTooLong},
      {"reserved words and stray flags ignored",
       [](FrameHeader& h) {
         h.reserved1 = 7;
         h.reserved2 = 9;
         h.flags |= 0xF0000001u;
       },
       FrameHeaderCheck::kOk},
      {"unknown method passes the header check", [](FrameHeader& h) { h.flags = 2u << 24; },
       FrameHeaderCheck::kOk},
  };
  for (const Case& c : cases) {
    FrameHeader header = FrameHeader::Make(kFrameMethodNone, 10, 0);
    c.mutate(header);
    EXPECT_EQ(c.expected, CheckFrameHeader(header)) << c.name;
  }
}

TEST(FrameEncodeTest, CompressesFrom200BytesWhenZlibShrinksTheBody) {
  struct Case {
    size_t length;
    uint32_t method;
  };
  for (const Case c : {Case{1, 0}, Case{199, 0}, Case{200, 1}, Case{100000, 1}}) {
    const std::string data(c.length, 'a');
    FrameHeader header;
    std::string body;
    ASSERT_TRUE(EncodeFrame(data.data(), data.size(), header, body)) << c.length;
    EXPECT_EQ(c.method, header.Method()) << c.length;
    EXPECT_EQ(body.size(), header.bodyLength) << c.length;
    EXPECT_EQ(c.method ? c.length : 0u, header.uncompressedLength) << c.length;
    EXPECT_EQ(FrameHeaderCheck::kOk, CheckFrameHeader(header));
    std::string back;
    ASSERT_EQ(FrameBodyResult::kOk, DecodeFrameBody(header, body.data(), body.size(), back));
    EXPECT_EQ(data, back) << c.length;
  }
}

TEST(FrameEncodeTest, SendsAnIncompressibleBodyUncompressedInsteadOfRefusingIt) {
  const std::string data = RandomBytes(200, 1);
  FrameHeader header;
  std::string body;
  ASSERT_TRUE(EncodeFrame(data.data(), data.size(), header, body));
  EXPECT_EQ(kFrameMethodNone, header.Method());
  EXPECT_EQ(200u, header.bodyLength);
  EXPECT_EQ(0u, header.uncompressedLength);
  EXPECT_EQ(data, body);
}

TEST(FrameEncodeTest, RefusesEmptyAndOversizedMessages) {
  FrameHeader header;
  std::string body = "kept";
  EXPECT_FALSE(EncodeFrame(nullptr, 5, header, body));
  EXPECT_FALSE(EncodeFrame("x", 0, header, body));
  const std::string big(kMaxFrameLength + 1, 'a');
  EXPECT_FALSE(EncodeFrame(big.data(), big.size(), header, body));
  EXPECT_EQ("kept", body);
}

TEST(FrameDecodeTest, SkipsBodiesThatDoNotInflateToTheStatedLength) {
  const std::string data(1000, 'b');
  std::string packed(compressBound(data.size()), '\0');
  uLongf packedLength = packed.size();
  ASSERT_EQ(Z_OK, compress(reinterpret_cast<Bytef*>(&packed[0]), &packedLength,
                           reinterpret_cast<const Bytef*>(data.data()), data.size()));
  packed.resize(packedLength);

  struct Case {
    const char* name;
    std::string body;
    uint32_t method;
    uint32_t uncompressed;
    FrameBodyResult expected;
  };
  const Case cases[] = {
      {"sound", packed, 1, 1000, FrameBodyResult::kOk},
      {"garbage", RandomBytes(50, 2), 1, 1000, FrameBodyResult::kBadCompression},
      {"truncated", packed.substr(0, packed.size() / 2), 1, 1000, FrameBodyResult::kBadCompression},
      {"states more than it holds", packed, 1, 1001, FrameBodyResult::kBadCompression},
      {"states less than it holds", packed, 1, 999, FrameBodyResult::kBadCompression},
      {"states nothing", packed, 1, 0, FrameBodyResult::kBadCompression},
      {"method 2", packed, 2, 1000, FrameBodyResult::kUnknownMethod},
      {"method 15", packed, 15, 1000, FrameBodyResult::kUnknownMethod},
  };
  for (const Case& c : cases) {
    const FrameHeader header =
        FrameHeader::Make(c.method, static_cast<uint32_t>(c.body.size()), c.uncompressed);
    std::string out = "stale";
    EXPECT_EQ(c.expected, DecodeFrameBody(header, c.body.data(), c.body.size(), out)) << c.name;
    if (c.expected == FrameBodyResult::kOk)
      EXPECT_EQ(data, out);
    else
      EXPECT_TRUE(out.empty()) << c.name;
  }
}

TEST(FrameBytesTest, PutsHeaderBeforeBody) {
  FrameHeader header;
  std::string body;
  ASSERT_TRUE(EncodeFrame("hello", 5, header, body));
  const std::string bytes = FrameBytes(header, body);
  ASSERT_EQ(33u, bytes.size());
  EXPECT_EQ("qwt48306", bytes.substr(0, 8));
  EXPECT_EQ("hello", bytes.substr(28));
}

// ---- messages ----

RequestHeader Header(uint64_t id, uint32_t type, uint32_t extra = 0) {
  RequestHeader header;
  header.requestId = id;
  header.flags = RequestHeader::MakeFlags(0, true);
  header.type = type;
  header.extra = extra;
  return header;
}

KivNetPack PayloadWith(int32_t value) {
  KivNetPack pack;
  pack.SetInt32(value, FIELD_STOCK_ID, 0);
  return pack;
}

std::string Message(uint64_t id, uint32_t type, int32_t value) {
  std::string out;
  EXPECT_TRUE(BuildMessage(Header(id, type), PayloadWith(value), out));
  return out;
}

TEST(MessageTest, BuildsTheTwoFieldPackAndReadsItBack) {
  std::string wire;
  ASSERT_TRUE(BuildMessage(Header(1001, 20000017, 5), PayloadWith(600000), wire));
  KivNetPack outer;
  ASSERT_TRUE(outer.LoadFromString(wire));
  ASSERT_EQ(2u, outer.GetFieldCount());
  EXPECT_EQ(static_cast<uint32_t>(FIELD_REQUEST_HEADER), outer.GetFields()[0].id);
  EXPECT_EQ(static_cast<uint32_t>(PACK_TYPE_RECORD), outer.GetFields()[0].Type());
  EXPECT_EQ(static_cast<uint32_t>(FIELD_REQUEST_BODY), outer.GetFields()[1].id);
  EXPECT_EQ(static_cast<uint32_t>(PACK_TYPE_PACK), outer.GetFields()[1].Type());

  std::vector<NetMessage> messages;
  ASSERT_TRUE(ParseMessages(wire.data(), wire.size(), messages));
  ASSERT_EQ(1u, messages.size());
  EXPECT_EQ(Header(1001, 20000017, 5), messages[0].header);
  EXPECT_EQ(600000, messages[0].payload.GetInt32(FIELD_STOCK_ID, 0));
}

TEST(MessageTest, AnEmptyPayloadTravelsAsA16BytePack) {
  std::string wire;
  ASSERT_TRUE(BuildMessage(Header(1000, 102), KivNetPack(), wire));
  KivNetPack outer;
  ASSERT_TRUE(outer.LoadFromString(wire));
  EXPECT_EQ(16u, outer.GetFieldSize(FIELD_REQUEST_BODY));
  std::vector<NetMessage> messages;
  ASSERT_TRUE(ParseMessages(wire.data(), wire.size(), messages));
  ASSERT_EQ(1u, messages.size());
  EXPECT_EQ(0u, messages[0].payload.GetFieldCount());
}

TEST(MessageTest, TakesBatchItemsInFieldOrder) {
  std::string batch;
  ASSERT_TRUE(BuildBatch({Message(1002, 20000010, 2), Message(1001, 20000043, 1)}, batch));
  std::vector<NetMessage> messages;
  ASSERT_TRUE(ParseMessages(batch.data(), batch.size(), messages));
  ASSERT_EQ(2u, messages.size());
  EXPECT_EQ(1002u, messages[0].header.requestId);
  EXPECT_EQ(2, messages[0].payload.GetInt32(FIELD_STOCK_ID, 0));
  EXPECT_EQ(1001u, messages[1].header.requestId);
}

TEST(MessageTest, SkipsBrokenBatchItemsAndKeepsTheOthers) {
  KivNetPack notAMessage = PayloadWith(9);
  KivNetPack good;
  ASSERT_TRUE(good.LoadFromString(Message(1005, 20000030, 5)));
  KivNetPack batch;
  ASSERT_TRUE(batch.SetPack(notAMessage, FIELD_BATCH_ITEM_FIRST, 0));
  ASSERT_TRUE(batch.SetPack(good, FIELD_BATCH_ITEM_FIRST + 1, 0));
  std::string wire;
  ASSERT_TRUE(batch.GetAllPackData(wire));
  std::vector<NetMessage> messages;
  ASSERT_TRUE(ParseMessages(wire.data(), wire.size(), messages));
  ASSERT_EQ(1u, messages.size());
  EXPECT_EQ(1005u, messages[0].header.requestId);
}

TEST(MessageTest, AFieldOutsideTheBatchRangeEndsTheWalk) {
  // Items before the first outside field are taken; the whole pack is then
  // read as one message, which here has no header and yields nothing.
  KivNetPack item;
  ASSERT_TRUE(item.LoadFromString(Message(1003, 20000030, 3)));
  KivNetPack mixed;
  ASSERT_TRUE(mixed.SetPack(item, FIELD_BATCH_ITEM_FIRST, 0));
  ASSERT_TRUE(mixed.SetInt32(7, FIELD_STOCK_ID, 0));
  ASSERT_TRUE(mixed.SetPack(item, FIELD_BATCH_ITEM_FIRST + 1, 0));
  std::string wire;
  ASSERT_TRUE(mixed.GetAllPackData(wire));
  std::vector<NetMessage> messages;
  ASSERT_TRUE(ParseMessages(wire.data(), wire.size(), messages));
  ASSERT_EQ(1u, messages.size());
  EXPECT_EQ(1003u, messages[0].header.requestId);
}

TEST(MessageTest, CorruptBodiesFailOrYieldNothingAndNeverCrash) {
  const std::string good = Message(1001, 20000043, 1);
  struct Case {
    const char* name;
    std::string body;
    bool parses;
  };
  std::string badCount = good;
  badCount[4] = 2;  // two rows claimed, one present
  std::string badDescriptor = good;
  badDescriptor[16] = 0x3F;  // header field becomes an invalid type
  const Case cases[] = {
      {"empty", std::string(), false},
      {"short", good.substr(0, 10), false},
      {"truncated", good.substr(0, good.size() - 1), false},
      {"trailing byte", good + "x", false},
      {"row count beyond the data", badCount, false},
      {"invalid type", badDescriptor, false},
      {"pack without fields", std::string(16, '\0'), true},
      {"random", RandomBytes(300, 3), false},
  };
  for (const Case& c : cases) {
    std::vector<NetMessage> messages;
    EXPECT_EQ(c.parses, ParseMessages(c.body.data(), c.body.size(), messages)) << c.name;
    EXPECT_TRUE(messages.empty()) << c.name;
  }
}

TEST(MessageTest, BatchBuilderRefusesEmptyOversizedAndNonPackLists) {
  std::string out;
  EXPECT_FALSE(BuildBatch({}, out));
  EXPECT_FALSE(BuildBatch({"not a pack"}, out));
  EXPECT_FALSE(BuildBatch(std::vector<std::string>(10000, Message(1, 2, 3)), out));
}

}  // namespace
