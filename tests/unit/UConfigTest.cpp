// Settings from the command line: defaults, each switch's range, letter
// case, repeated switches, and which entries are kept.
#include "app/UConfig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Reads Arguments (the program path is added in front) into fresh settings.
struct TParsed {
  TConfig Settings;
  TArgs Args;
};

void Parse(const std::vector<std::string>& Arguments, TParsed& Into) {
  std::vector<const char*> Argv{"vorlane.exe"};
  for (const std::string& Argument : Arguments) Argv.push_back(Argument.c_str());
  ReadCommandLine(static_cast<int>(Argv.size()), Argv.data(), Into.Settings, Into.Args);
}

// Every field of Settings as one text, so that a mismatch shows them all.
std::string Describe(const TConfig& Settings) {
  return "server=" + Settings.Server + " pipe=" + Settings.Pipe + " port=" + std::to_string(Settings.Port) +
         " timeout=" + std::to_string(Settings.Timeout) + " length=" + std::to_string(Settings.Length) +
         " threads=" + std::to_string(Settings.Threads) + " log=" + std::to_string(Settings.Log) +
         " commandkey=" + Settings.CommandKey;
}

TEST(Defaults, NoArgumentsGiveTheDefaults) {
  TParsed Parsed;
  Parse({}, Parsed);
  EXPECT_EQ(Describe(Parsed.Settings),
            "server=. pipe=TMS port=979 timeout=5 length=8192 threads=5 log=0 commandkey=");
}

TEST(Switches, EachSwitchSetsItsOwnField) {
  TParsed Parsed;
  Parse({"/server=alpha", "/pipe=P1", "/port=1000", "/timeout=10", "/length=100", "/threads=7", "/log=1",
         "/commandkey=secret"},
        Parsed);
  EXPECT_EQ(Describe(Parsed.Settings),
            "server=alpha pipe=P1 port=1000 timeout=10 length=100 threads=7 log=1 commandkey=secret");
}

TEST(Switches, OrderOfDifferentSwitchesDoesNotMatter) {
  TParsed Before, After;
  Parse({"/timeout=10", "/port=1000"}, Before);
  Parse({"/port=1000", "/timeout=10"}, After);
  for (const TParsed* Parsed : {&Before, &After}) {
    EXPECT_EQ(Parsed->Settings.Timeout, 10);
    EXPECT_EQ(Parsed->Settings.Port, 1000);
  }
}

TEST(Switches, NumericSwitchLeavesOtherFieldsAlone) {
  TParsed Parsed;
  Parse({"/threads=9"}, Parsed);
  EXPECT_EQ(Describe(Parsed.Settings),
            "server=. pipe=TMS port=979 timeout=5 length=8192 threads=9 log=0 commandkey=");
}

TEST(Switches, LastOccurrenceWins) {
  TParsed Parsed;
  Parse({"/port=1000", "/server=a", "/port=2000", "/server=b"}, Parsed);
  EXPECT_EQ(Parsed.Settings.Port, 2000);
  EXPECT_EQ(Parsed.Settings.Server, "b");
}

TEST(Switches, RangeIsCheckedAfterTheLastOccurrence) {
  TParsed Parsed;
  Parse({"/port=1000", "/port=0"}, Parsed);
  EXPECT_EQ(Parsed.Settings.Port, 979);
}

TEST(Switches, LetterCaseOfTheSwitchMatters) {
  TParsed Parsed;
  Parse({"/Port=1000", "/SERVER=x", "/Log=1"}, Parsed);
  EXPECT_EQ(Parsed.Settings.Port, 979);
  EXPECT_EQ(Parsed.Settings.Server, ".");
  EXPECT_EQ(Parsed.Settings.Log, 0);
}

TEST(Switches, UnknownEntriesAreIgnored) {
  TParsed Parsed;
  Parse({"port=1000", "-port=1000", "/porting=5", "garbage", ""}, Parsed);
  EXPECT_EQ(Parsed.Settings.Port, 979);
}

TEST(Switches, ProgramPathIsTriedAsASwitchToo) {
  TParsed Parsed;
  const char* Argv[] = {"/port=1234"};
  ReadCommandLine(1, Argv, Parsed.Settings, Parsed.Args);
  EXPECT_EQ(Parsed.Settings.Port, 1234);
}

struct TRangeCase {
  std::string Entry;
  uint16_t TConfig::*Field;
  uint16_t Expected;
};

// One numeric entry alone and the value its field ends with.
class NumericValues : public testing::TestWithParam<TRangeCase> {};

TEST_P(NumericValues, EndInRangeOrAtTheDefault) {
  TParsed Parsed;
  Parse({GetParam().Entry}, Parsed);
  EXPECT_EQ(Parsed.Settings.*GetParam().Field, GetParam().Expected) << GetParam().Entry;
}

// Values are taken modulo 65536 (70000 is 4464, -1 is 65535, 65536 is 0).
INSTANTIATE_TEST_SUITE_P(
    Modulo65536, NumericValues,
    testing::Values(TRangeCase{"/port=70000", &TConfig::Port, 4464}, TRangeCase{"/port=-1", &TConfig::Port, 65535},
                    TRangeCase{"/port=65535", &TConfig::Port, 65535}, TRangeCase{"/port=65536", &TConfig::Port, 979},
                    TRangeCase{"/log=65537", &TConfig::Log, 1}, TRangeCase{"/threads=65568", &TConfig::Threads, 32}));

// Digits are read up to the first other character; no digit, no value.
INSTANTIATE_TEST_SUITE_P(
    Digits, NumericValues,
    testing::Values(TRangeCase{"/port=80abc", &TConfig::Port, 80}, TRangeCase{"/port=+81", &TConfig::Port, 81},
                    TRangeCase{"/port=abc", &TConfig::Port, 979}, TRangeCase{"/port=", &TConfig::Port, 979},
                    TRangeCase{"/port=-", &TConfig::Port, 979}));

INSTANTIATE_TEST_SUITE_P(
    EveryBound, NumericValues,
    testing::Values(TRangeCase{"/port=0", &TConfig::Port, 979}, TRangeCase{"/port=1", &TConfig::Port, 1},
                    TRangeCase{"/timeout=0", &TConfig::Timeout, 5}, TRangeCase{"/timeout=1", &TConfig::Timeout, 1},
                    TRangeCase{"/timeout=60", &TConfig::Timeout, 60}, TRangeCase{"/timeout=61", &TConfig::Timeout, 5},
                    TRangeCase{"/length=0", &TConfig::Length, 8192}, TRangeCase{"/length=1", &TConfig::Length, 1},
                    TRangeCase{"/length=8192", &TConfig::Length, 8192},
                    TRangeCase{"/length=9000", &TConfig::Length, 8192}, TRangeCase{"/threads=0", &TConfig::Threads, 5},
                    TRangeCase{"/threads=1", &TConfig::Threads, 1}, TRangeCase{"/threads=32", &TConfig::Threads, 32},
                    TRangeCase{"/threads=33", &TConfig::Threads, 5}, TRangeCase{"/log=0", &TConfig::Log, 0},
                    TRangeCase{"/log=1", &TConfig::Log, 1}, TRangeCase{"/log=2", &TConfig::Log, 0},
                    TRangeCase{"/log=-1", &TConfig::Log, 0}));

TEST(TextValues, TakeTheValueUpToTheFirstWhitespace) {
  TParsed Parsed;
  Parse({"/server=alpha beta", "/commandkey=k\tx"}, Parsed);
  EXPECT_EQ(Parsed.Settings.Server, "alpha");
  EXPECT_EQ(Parsed.Settings.CommandKey, "k");
}

TEST(TextValues, EmptyValueChangesNothing) {
  TParsed Parsed;
  Parse({"/pipe=", "/server="}, Parsed);
  EXPECT_EQ(Parsed.Settings.Pipe, "TMS");
  EXPECT_EQ(Parsed.Settings.Server, ".");
}

TEST(KeptEntries, AllEntriesUpToTenAreKeptAsTextsAndPointers) {
  TParsed Parsed;
  Parse({"/port=1000", "x y"}, Parsed);
  EXPECT_EQ(Parsed.Args.ArgCount, 3);
  EXPECT_EQ(Parsed.Args.ArgTexts[0], "vorlane.exe");
  EXPECT_STREQ(Parsed.Args.ArgPointers[1], "/port=1000");
  EXPECT_STREQ(Parsed.Args.ArgPointers[2], "x y");
  EXPECT_EQ(Parsed.Args.ArgPointers[3], nullptr);
}

TEST(KeptEntries, OnlyTheFirstNineArgumentsAreReadOrKept) {
  std::vector<std::string> Arguments;
  for (int Index = 1; Index <= 9; ++Index) Arguments.push_back("/threads=" + std::to_string(Index));
  Arguments.push_back("/port=1010");
  Arguments.push_back("/threads=30");
  Arguments.push_back("/log=1");
  TParsed Parsed;
  Parse(Arguments, Parsed);
  EXPECT_EQ(Parsed.Args.ArgCount, 10);
  EXPECT_STREQ(Parsed.Args.ArgPointers[9], "/threads=9");
  EXPECT_EQ(Parsed.Settings.Threads, 9);
  EXPECT_EQ(Parsed.Settings.Port, 979);
  EXPECT_EQ(Parsed.Settings.Log, 0);
}

TEST(ConfigFile, TakesTheWholeRestOfItsEntry) {
  const struct {
    std::vector<std::string> Arguments;
    const char* ConfigFile;
  } Cases[] = {
      {{"/config=C:\\Program Files\\Vorlane\\vorlane.json"}, "C:\\Program Files\\Vorlane\\vorlane.json"},
      {{"/config=a.json", "/config=b c.json"}, "b c.json"},
      {{"/config="}, ""},
      {{"/Config=a.json"}, ""},
  };
  for (const auto& Case : Cases) {
    TParsed Parsed;
    Parse(Case.Arguments, Parsed);
    EXPECT_EQ(Parsed.Settings.ConfigFile, Case.ConfigFile) << Case.Arguments[0];
  }
}

TEST(ConfigFile, SwitchesOverrideWhatTheFileSet) {
  TParsed Parsed;
  Parse({"/port=1000", "/commandkey=switch", "/config=x.json"}, Parsed);
  TConfig FromFile;
  FromFile.Port = 2000;
  FromFile.Timeout = 20;
  FromFile.CommandKey = "file key";
  FromFile.CommandKeyFile = "command.key";
  ApplySwitches(Parsed.Args, FromFile);
  EXPECT_EQ(FromFile.Port, 1000);
  EXPECT_EQ(FromFile.Timeout, 20);
  EXPECT_EQ(FromFile.CommandKey, "switch");
  EXPECT_EQ(FromFile.CommandKeyFile, "");
  EXPECT_EQ(FromFile.ConfigFile, "x.json");
}

}  // namespace
