// The settings file: each member read into the settings, and each refusal
// with the text that names the member and says why.
#include "app/USettings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/CodePage.h"

namespace {

namespace fs = std::filesystem;

// A file of this test's own in the temporary folder, removed at the end.
class TFile {
 public:
  explicit TFile(const std::string& Bytes, const std::string& Name = "settings.json")
      : Path_(fs::temp_directory_path() / ("vorlane-settings-test-" + Name)) {
    std::ofstream(Path_, std::ios::binary) << Bytes;
  }
  ~TFile() { fs::remove(Path_); }
  std::string Path() const { return Path_.string(); }

 private:
  fs::path Path_;
};

// The refusal of a file of Bytes, or "" when it is read.
std::string Refusal(const std::string& Bytes) {
  TFile File(Bytes);
  TConfig Settings;
  try {
    ReadSettingsFile(File.Path(), Settings);
    return "";
  } catch (const ESettings& Problem) {
    return Problem.what();
  }
}

TEST(SettingsFile, ReadsEveryMemberOfTheTable) {
  TFile File(
      "\xEF\xBB\xBF{ // every member but the key file\n"
      "  server: 'alpha', pipe: \"P1\", port: 1000, timeout: 10, length: 100, threads: 7, log: 1,\n"
      "  /* the rest */ commandKey: '\xD0\xBA\xD0\xBB\xD1\x8E\xD1\x87', checkSeconds: 5, charset: 'utf-8',\n"
      "  decimalSeparator: 'point', listenAddress: '127.0.0.1', trustedProxies: ['127.0.0.1', '10.0.0.2'],\n"
      "}");
  TConfig Settings;
  std::vector<std::u16string_view> Set = ReadSettingsFile(File.Path(), Settings);
  EXPECT_EQ(Set.size(), 13u);
  EXPECT_EQ(Settings.Server, "alpha");
  EXPECT_EQ(Settings.Pipe, "P1");
  EXPECT_EQ(Settings.Port, 1000);
  EXPECT_EQ(Settings.Timeout, 10);
  EXPECT_EQ(Settings.Length, 100);
  EXPECT_EQ(Settings.Threads, 7);
  EXPECT_EQ(Settings.Log, 1);
  EXPECT_EQ(Settings.CheckSeconds, 5u);
  EXPECT_EQ(Settings.Charset, TCharset::Utf8);
  EXPECT_EQ(Settings.DecimalSeparator, TDecimalSeparator::Point);
  EXPECT_EQ(Settings.ListenAddress, "127.0.0.1");
  EXPECT_EQ(Settings.TrustedProxies, (std::vector<std::string>{"127.0.0.1", "10.0.0.2"}));
  // Kept as the command line gives /commandkey: the check hashes its ANSI form.
  EXPECT_EQ(LocaleToAnsi(Settings.CommandKey), "\xEA\xEB\xFE\xF7");
  EXPECT_EQ(SettingsBannerLines(Settings, Set),
            (std::vector<std::string>{"- command key = set,", "- check seconds = 5,", "- charset = utf-8,",
                                      "- decimal separator = point,", "- listen address = 127.0.0.1,",
                                      "- trusted proxies = 127.0.0.1, 10.0.0.2,"}));
}

TEST(SettingsFile, AnEmptyObjectChangesNothing) {
  TFile File("{}");
  TConfig Settings;
  EXPECT_TRUE(ReadSettingsFile(File.Path(), Settings).empty());
  EXPECT_EQ(Settings.Port, 979);
  EXPECT_EQ(Settings.CheckSeconds, 120u);
  EXPECT_EQ(Settings.Charset, TCharset::Ansi);
  EXPECT_EQ(Settings.ListenAddress, "0.0.0.0");
  EXPECT_TRUE(Settings.TrustedProxies.empty());
}

TEST(SettingsFile, AnEmptyListOfTrustedProxiesTrustsNone) {
  TFile File("{trustedProxies: []}");
  TConfig Settings;
  std::vector<std::u16string_view> Set = ReadSettingsFile(File.Path(), Settings);
  EXPECT_TRUE(Settings.TrustedProxies.empty());
  EXPECT_EQ(SettingsBannerLines(Settings, Set), std::vector<std::string>{"- trusted proxies = none,"});
}

TEST(SettingsFile, RefusesWhatCannotBeUsed) {
  const struct {
    const char* Bytes;
    const char* Refusal;
  } Cases[] = {
      {"", "is not one JSON object"},
      {"[1, 2]", "is not one JSON object"},
      {"port: 1000", "is not one JSON object"},
      {"{port: 1000 \xFF}", "is not UTF-8 text"},
      {"{Port: 1000}", "Port: unknown member"},
      {"{'a\nb': 1}", "a\\nb: unknown member"},
      {"{port: '1000'}", "port: must be an integer from 1 to 65535"},
      {"{port: 1000.0}", "port: must be an integer from 1 to 65535"},
      {"{port: 65536}", "port: must be an integer from 1 to 65535"},
      {"{timeout: 61}", "timeout: must be an integer from 1 to 60"},
      {"{length: 0}", "length: must be an integer from 1 to 8192"},
      {"{threads: 33}", "threads: must be an integer from 1 to 32"},
      {"{log: 2}", "log: must be an integer from 0 to 1"},
      {"{checkSeconds: 4}", "checkSeconds: must be an integer from 5 to 3600"},
      {"{checkSeconds: 3601}", "checkSeconds: must be an integer from 5 to 3600"},
      {"{server: 5}", "server: must be a string"},
      {"{pipe: ''}", "pipe: must not be empty"},
      {"{commandKey: null}", "commandKey: must be a string"},
      {"{charset: 'UTF-8'}", "charset: must be \"ansi\" or \"utf-8\""},
      {"{decimalSeparator: ','}", "decimalSeparator: must be \"regional\" or \"point\""},
      {"{listenAddress: 'localhost'}", "listenAddress: must be an IPv4 address such as \"127.0.0.1\""},
      {"{listenAddress: '127.0.0.01'}", "listenAddress: must be an IPv4 address such as \"127.0.0.1\""},
      {"{listenAddress: ['127.0.0.1']}", "listenAddress: must be an IPv4 address such as \"127.0.0.1\""},
      {"{trustedProxies: '127.0.0.1'}", "trustedProxies: must be an array of IPv4 addresses such as \"127.0.0.1\""},
      {"{trustedProxies: ['127.0.0.1', '::1']}", "trustedProxies: must be an IPv4 address such as \"127.0.0.1\""},
      {"{commandKey: 'k', commandKeyFile: 'f'}", "commandKey: not together with commandKeyFile"},
      {"{commandKeyFile: '/nonexistent/vorlane.key'}",
       "commandKeyFile: cannot read the key file /nonexistent/vorlane.key"},
  };
  for (const auto& Case : Cases) EXPECT_EQ(Refusal(Case.Bytes), Case.Refusal) << Case.Bytes;
}

TEST(SettingsFile, RefusesAFileThatCannotBeRead) {
  TConfig Settings;
  try {
    ReadSettingsFile((fs::temp_directory_path() / "vorlane-settings-test-missing.json").string(), Settings);
    FAIL() << "read a missing file";
  } catch (const ESettings& Problem) {
    EXPECT_STREQ(Problem.what(), "cannot be read");
  }
}

TEST(SettingsFile, RefusesAFolderAsTheKeyFile) {
  const fs::path Folder = fs::temp_directory_path() / "vorlane-settings-test-folder.key";
  fs::create_directory(Folder);
  fs::permissions(Folder, fs::perms::owner_all);
  const std::string Path = Folder.generic_string();
  EXPECT_EQ(Refusal("{commandKeyFile: '" + Path + "'}"), "commandKeyFile: cannot read the key file " + Path);
  fs::remove(Folder);
}

TEST(SettingsFile, ReadsTheKeyOfAKeyFile) {
  TFile Key("secret\nsecond line\n", "command.key");
  fs::permissions(Key.Path(), fs::perms::owner_read | fs::perms::owner_write);
  TFile File("{commandKeyFile: '" + fs::path(Key.Path()).generic_string() + "'}");
  TConfig Settings;
  std::vector<std::u16string_view> Set = ReadSettingsFile(File.Path(), Settings);
  EXPECT_EQ(Settings.CommandKey, "secret");
  EXPECT_EQ(SettingsBannerLines(Settings, Set),
            std::vector<std::string>{"- command key = from file " + fs::path(Key.Path()).generic_string() + ","});
}

TEST(SettingsFile, ReadsTheCommandSecurityMembers) {
  TFile Key("\xEF\xBB\xBF\xD0\xBA\xD0\xBB\xD1\x8E\xD1\x87-ops\r\n", "ops.key");
  fs::permissions(Key.Path(), fs::perms::owner_read | fs::perms::owner_write);
  const std::string KeyPath = fs::path(Key.Path()).generic_string();
  TFile File("{commandAuth: 'either', commandKeys: {'ops-1': '" + KeyPath + "', 'B_2.x': '" + KeyPath +
             "'}, commandLockout: {seconds: 10, failures: 1000}}");
  TConfig Settings;
  std::vector<std::u16string_view> Set = ReadSettingsFile(File.Path(), Settings);
  EXPECT_EQ(Settings.CommandAuth, TCommandAuth::Either);
  // Named keys are kept as their ANSI bytes.
  EXPECT_EQ(Settings.CommandKeys, (std::map<std::string, std::string>{{"B_2.x", "\xEA\xEB\xFE\xF7-ops"},
                                                                       {"ops-1", "\xEA\xEB\xFE\xF7-ops"}}));
  EXPECT_EQ(Settings.CommandLockout.Failures, 1000);
  EXPECT_EQ(Settings.CommandLockout.Seconds, 10u);
  EXPECT_EQ(SettingsBannerLines(Settings, Set),
            (std::vector<std::string>{"- command auth = either,", "- command keys = B_2.x, ops-1,",
                                      "- command lockout = 1000 failures in 10 seconds,"}));
}

TEST(SettingsFile, RefusesCommandSecurityMembersThatCannotBeUsed) {
  const struct {
    const char* Bytes;
    const char* Refusal;
  } Cases[] = {
      {"{commandAuth: 'MAC'}", "commandAuth: must be \"hash\" or \"mac\" or \"either\""},
      {"{commandKeys: ['a']}", "commandKeys: must be an object of key ids and key files"},
      {"{commandKeys: {'a b': 'f'}}", "commandKeys: key id \"a b\" must be 1 to 32 characters of A-Z a-z 0-9 _ . -"},
      {"{commandKeys: {'': 'f'}}", "commandKeys: key id \"\" must be 1 to 32 characters of A-Z a-z 0-9 _ . -"},
      {"{commandKeys: {'abcdefghijabcdefghijabcdefghijabc': 'f'}}",
       "commandKeys: key id \"abcdefghijabcdefghijabcdefghijabc\" must be 1 to 32 characters of A-Z a-z 0-9 _ . -"},
      {"{commandKeys: {'ops': 7}}", "commandKeys: ops: must be a string"},
      {"{commandKeys: {'ops': '/nonexistent/ops.key'}}", "commandKeys: cannot read the key file /nonexistent/ops.key"},
      {"{commandLockout: 5}", "commandLockout: must be {\"failures\": N, \"seconds\": S}"},
      {"{commandLockout: {failures: 5}}",
       "commandLockout: must be {\"failures\": N, \"seconds\": S} and nothing else"},
      {"{commandLockout: {failures: 5, seconds: 60, minutes: 1}}",
       "commandLockout: must be {\"failures\": N, \"seconds\": S} and nothing else"},
      {"{commandLockout: {failures: 0, seconds: 60}}", "commandLockout: failures: must be an integer from 1 to 1000"},
      {"{commandLockout: {failures: 1001, seconds: 60}}",
       "commandLockout: failures: must be an integer from 1 to 1000"},
      {"{commandLockout: {failures: 5, seconds: 9}}", "commandLockout: seconds: must be an integer from 10 to 86400"},
      {"{commandLockout: {failures: 5, seconds: 86401}}",
       "commandLockout: seconds: must be an integer from 10 to 86400"},
  };
  for (const auto& Case : Cases) EXPECT_EQ(Refusal(Case.Bytes), Case.Refusal) << Case.Bytes;
}

}  // namespace
