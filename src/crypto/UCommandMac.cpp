#include "crypto/UCommandMac.h"

#include "crypto/UHexText.h"
#include "crypto/UHmac.h"

std::string CommandMacText(const TCommandFields& Fields) {
  return "vorlane-command-v1\n" + Fields.Type + "\n" + Fields.Address + "\n" + Fields.Value + "\n" +
         std::to_string(Fields.Timestamp) + "\n" + Fields.KeyId;
}

std::string CommandMac(const std::string& AnsiKey, const TCommandFields& Fields) {
  const TMac Mac = HmacSha256(AnsiKey, CommandMacText(Fields));
  return LowerHex(Mac.data(), Mac.size());
}

std::string FourDecimals(std::string_view NumberText) {
  std::string Text(NumberText);
  size_t Point = Text.find('.');
  if (Point == std::string::npos) {
    Point = Text.size();
    Text += '.';
  }
  Text.resize(Point + 5, '0');
  return Text;
}
