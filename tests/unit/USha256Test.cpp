// TSha256 against the FIPS 180-4 examples and the NIST byte-oriented test
// vectors in tests/data/sha256 (short, long and Monte Carlo).
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "crypto/USha256.h"

#ifndef VL_SHA256_DIR
#error VL_SHA256_DIR must name the folder of the NIST vectors
#endif

namespace {

using TBytes = std::vector<uint8_t>;
using TRecord = std::map<std::string, std::string>;

TBytes FromHex(const std::string& Hex) {
  TBytes Bytes;
  for (size_t Index = 0; Index + 1 < Hex.size(); Index += 2) {
    Bytes.push_back(static_cast<uint8_t>(std::stoul(Hex.substr(Index, 2), nullptr, 16)));
  }
  return Bytes;
}

std::string ToHex(const TBytes& Bytes) {
  static const char Digits[] = "0123456789abcdef";
  std::string Hex;
  for (uint8_t Byte : Bytes) {
    Hex += Digits[Byte >> 4];
    Hex += Digits[Byte & 15];
  }
  return Hex;
}

// "Key = value" lines; a blank line ends a record. Comments and section
// headers carry nothing the checks need.
std::vector<TRecord> ReadRecords(const std::string& Name) {
  std::ifstream File(std::string(VL_SHA256_DIR) + "/" + Name);
  EXPECT_TRUE(File) << Name;
  std::vector<TRecord> Records(1);
  std::string Line;
  while (std::getline(File, Line)) {
    if (!Line.empty() && Line.back() == '\r') Line.pop_back();
    size_t Equals = Line.find(" = ");
    if (Line.empty() || Line[0] == '#' || Line[0] == '[' || Equals == std::string::npos) {
      if (!Records.back().empty()) Records.emplace_back();
      continue;
    }
    Records.back()[Line.substr(0, Equals)] = Line.substr(Equals + 3);
  }
  if (Records.back().empty()) Records.pop_back();
  return Records;
}

// Feeds Message in pieces of PieceSize bytes (0: all at once).
TBytes Digest(const TBytes& Message, size_t PieceSize = 0) {
  TSha256 Sha;
  Sha.DigestStart();
  if (PieceSize == 0) PieceSize = Message.size() + 1;
  for (size_t Offset = 0; Offset < Message.size(); Offset += PieceSize) {
    size_t Piece = std::min(PieceSize, Message.size() - Offset);
    Sha.DigestAddBytes(Message.data() + Offset, static_cast<uint32_t>(Piece));
  }
  TBytes Result(TSha256::DigestBytes);
  Sha.DigestFinish(Result.data());
  return Result;
}

TBytes Text(const std::string& Value) { return TBytes(Value.begin(), Value.end()); }

void CheckVectors(const std::string& Name, size_t Expected) {
  std::vector<TRecord> Records = ReadRecords(Name);
  ASSERT_EQ(Records.size(), Expected) << Name;
  for (const TRecord& Record : Records) {
    TBytes Message = FromHex(Record.at("Msg"));
    Message.resize(std::stoul(Record.at("Len")) / 8);  // Len 0 holds "00"
    EXPECT_EQ(ToHex(Digest(Message)), Record.at("MD")) << Name << " Len " << Record.at("Len");
  }
}

TEST(USha256Test, Properties) {
  TSha256 Sha;
  EXPECT_EQ(Sha.Id(), 28);
  EXPECT_EQ(Sha.Algorithm(), "SHA256");
  EXPECT_EQ(Sha.HashSize(), 256);
  EXPECT_TRUE(Sha.SelfTest());
  THashAlgorithm Base;
  EXPECT_EQ(Base.Id(), -1);
  EXPECT_EQ(Base.Algorithm(), "");
  EXPECT_EQ(Base.HashSize(), -1);
  EXPECT_FALSE(Base.SelfTest());
}

TEST(USha256Test, StandardExamplesWholeAndInPieces) {
  struct TCase {
    std::string Message;
    std::string Digest;
  } Cases[] = {
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const TCase& Case : Cases) {
    for (size_t Piece : {0, 1, 3, 63, 64, 65}) {
      EXPECT_EQ(ToHex(Digest(Text(Case.Message), Piece)), Case.Digest) << Case.Message.size() << "/" << Piece;
    }
  }
}

// Lengths around the point where the 8-byte length no longer fits into the
// last block, checked against the NIST short messages of those lengths and
// fed in uneven pieces.
TEST(USha256Test, PaddingBoundary) {
  std::map<size_t, TRecord> ByLength;
  for (const TRecord& Record : ReadRecords("SHA256ShortMsg.rsp")) {
    ByLength[std::stoul(Record.at("Len")) / 8] = Record;
  }
  for (size_t Length : {55, 56, 57, 63, 64}) {
    ASSERT_TRUE(ByLength.count(Length)) << Length;
    const TRecord& Record = ByLength[Length];
    EXPECT_EQ(ToHex(Digest(FromHex(Record.at("Msg")), 7)), Record.at("MD")) << Length;
  }
}

TEST(USha256Test, NistShortMessages) { CheckVectors("SHA256ShortMsg.rsp", 65); }

TEST(USha256Test, NistLongMessages) { CheckVectors("SHA256LongMsg.rsp", 64); }

TEST(USha256Test, NistMonteCarlo) {
  std::vector<TRecord> Records = ReadRecords("SHA256Monte.rsp");
  ASSERT_EQ(Records.size(), 101u);
  TBytes Seed = FromHex(Records[0].at("Seed"));
  for (size_t Checkpoint = 1; Checkpoint < Records.size(); ++Checkpoint) {
    TBytes Md[3] = {Seed, Seed, Seed};
    for (int Round = 0; Round < 1000; ++Round) {
      TBytes Message = Md[0];
      Message.insert(Message.end(), Md[1].begin(), Md[1].end());
      Message.insert(Message.end(), Md[2].begin(), Md[2].end());
      Md[0] = Md[1];
      Md[1] = Md[2];
      Md[2] = Digest(Message);
    }
    Seed = Md[2];
    ASSERT_EQ(ToHex(Seed), Records[Checkpoint].at("MD")) << "COUNT " << Records[Checkpoint].at("COUNT");
  }
}

TEST(USha256Test, NotStartedOrFinished) {
  uint8_t Area[TSha256::DigestBytes];
  TSha256 Sha;
  auto ExpectNotInitialized = [&](auto Call) {
    try {
      Call();
      ADD_FAILURE() << "no error";
    } catch (const EHashError& Error) {
      EXPECT_STREQ(Error.what(), "Hash not initialized");
    }
  };
  ExpectNotInitialized([&] { Sha.DigestAddBytes("a", 1); });
  ExpectNotInitialized([&] { Sha.DigestFinish(Area); });
  ExpectNotInitialized([&] { Sha.DigestAddText(""); });
  Sha.DigestStart();
  Sha.DigestAddText("abc");
  Sha.DigestFinish(Area);
  EXPECT_FALSE(Sha.Initialized());
  ExpectNotInitialized([&] { Sha.DigestFinish(Area); });
  Sha.DigestStart();
  Sha.DigestAddText("a");
  Sha.DigestWipe();
  ExpectNotInitialized([&] { Sha.DigestAddText("a"); });
}

}  // namespace
