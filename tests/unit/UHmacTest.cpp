// HmacSha256 against the test cases of RFC 4231 in tests/data/hmac-sha256,
// and the text and number form that a command's MAC covers.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "crypto/UCommandMac.h"
#include "crypto/UHexText.h"
#include "crypto/UHmac.h"

#ifndef VL_HMAC_DIR
#error VL_HMAC_DIR must name the folder of the RFC 4231 cases
#endif

namespace {

using TRecord = std::map<std::string, std::string>;

std::string FromHex(const std::string& Hex) {
  std::string Bytes;
  for (size_t Index = 0; Index + 1 < Hex.size(); Index += 2) {
    Bytes += static_cast<char>(std::stoul(Hex.substr(Index, 2), nullptr, 16));
  }
  return Bytes;
}

// "Name = value" lines; a blank line ends a case; "#" lines are comments.
std::vector<TRecord> ReadCases() {
  std::ifstream File(std::string(VL_HMAC_DIR) + "/rfc4231.txt");
  EXPECT_TRUE(File);
  std::vector<TRecord> Cases(1);
  std::string Line;
  while (std::getline(File, Line)) {
    if (!Line.empty() && Line.back() == '\r') Line.pop_back();
    size_t Equals = Line.find(" = ");
    if (Line.empty() || Line[0] == '#' || Equals == std::string::npos) {
      if (!Cases.back().empty()) Cases.emplace_back();
      continue;
    }
    Cases.back()[Line.substr(0, Equals)] = Line.substr(Equals + 3);
  }
  if (Cases.back().empty()) Cases.pop_back();
  return Cases;
}

TEST(HmacSha256, MatchesEveryCaseOfRfc4231) {
  std::vector<TRecord> Cases = ReadCases();
  ASSERT_EQ(Cases.size(), 7u);
  for (const TRecord& Case : Cases) {
    const TMac Mac = HmacSha256(FromHex(Case.at("Key")), FromHex(Case.at("Data")));
    const std::string Expected = Case.at("Mac");
    // Case 5 gives only the MAC's first 128 bits.
    EXPECT_EQ(LowerHex(Mac.data(), Mac.size()).substr(0, Expected.size()), Expected) << "case " << Case.at("Case");
  }
}

TEST(CommandMac, TextHoldsTheFieldsOnLinesOfTheirOwn) {
  TCommandFields Fields{"set-ti", "1.2.30", "12.5000", 1765266000123, "ops-1"};
  EXPECT_EQ(CommandMacText(Fields), "vorlane-command-v1\nset-ti\n1.2.30\n12.5000\n1765266000123\nops-1");
  Fields.KeyId.clear();
  EXPECT_EQ(CommandMacText(Fields), "vorlane-command-v1\nset-ti\n1.2.30\n12.5000\n1765266000123\n");
  const TMac Mac = HmacSha256("key", CommandMacText(Fields));
  EXPECT_EQ(CommandMac("key", Fields), LowerHex(Mac.data(), Mac.size()));
}

TEST(CommandMac, ValuesHaveFourDecimals) {
  const std::pair<const char*, const char*> Cases[] = {
      {"12.5", "12.5000"}, {"2.", "2.0000"}, {"-3", "-3.0000"}, {"0", "0.0000"}, {"-0.0001", "-0.0001"},
      {"7.1234", "7.1234"}};
  for (const auto& [Text, Expected] : Cases) EXPECT_EQ(FourDecimals(Text), Expected) << Text;
}

}  // namespace
