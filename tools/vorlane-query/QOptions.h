// QOptions: the command line of vorlane-query.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "QTransport.h"

// Bad usage: the message is shown with the usage text, exit status 2.
struct EUsage : std::runtime_error {
  using std::runtime_error::runtime_error;
};

enum class TOutputForm { Readable, Json, Raw, Csv };
// The proofs a signed command carries.
enum class TSignAuth { Hash, Mac, Both };

struct TOptions {
  std::string Host = "127.0.0.1";
  uint16_t Port = 979;
  double Timeout = 10;  // seconds, for every exchange
  std::optional<std::string> Id;
  std::optional<std::string> KeyFile;
  bool Utf8 = false;  // --charset utf-8: the gateway's wire is UTF-8, not ANSI
  std::optional<std::string> KeyId;  // --key-id: the named key the MAC is made with
  TSignAuth Auth = TSignAuth::Both;
  TOutputForm Form = TOutputForm::Readable;
  std::optional<std::string> QueryText;  // --query: sent as it is
  std::string Type;                      // query type in lower case, or "follow"
  std::vector<std::pair<std::string, std::string>> Members;  // NAME=VALUE in order
  std::optional<double> Interval;        // follow: seconds between polls
  std::optional<int64_t> From;           // follow: first position
  TTlsOptions Tls;                       // --tls and its files
};

// Reads the arguments after the program name; throws EUsage.
TOptions ParseOptions(const std::vector<std::string>& Arguments);

// The usage text, ending in a newline.
const char* UsageText();
