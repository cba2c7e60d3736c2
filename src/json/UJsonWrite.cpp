// UJsonWrite: the compact writer.
#include <cstddef>
#include <string>
#include <string_view>

#include "json/UJson.h"
#include "json/UJsonNumber.h"
#include "json/UJsonValue.h"

namespace {

void WriteValue(std::u16string& Out, const TJsonPtr& Value);

// The escape of one character, or an empty view for a character that stands
// as it is. Control characters are escaped so that strict JSON readers
// accept the text: the five with a short form take it, the rest \u00xx.
std::u16string_view Escape(char16_t Unit, char16_t (&Buffer)[6]) {
  switch (Unit) {
    case u'"': return u"\\\"";
    case u'/': return u"\\/";
    case u'\\': return u"\\\\";
    case u'\b': return u"\\b";
    case u'\f': return u"\\f";
    case u'\n': return u"\\n";
    case u'\r': return u"\\r";
    case u'\t': return u"\\t";
    default: break;
  }
  if (Unit >= 0x20) return {};
  constexpr char16_t Hex[] = u"0123456789abcdef";
  Buffer[0] = u'\\';
  Buffer[1] = u'u';
  Buffer[2] = Buffer[3] = u'0';
  Buffer[4] = Hex[Unit >> 4];
  Buffer[5] = Hex[Unit & 0xF];
  return {Buffer, 6};
}

void WriteString(std::u16string& Out, std::u16string_view Text) {
  Out.push_back(u'"');
  char16_t Buffer[6];
  std::size_t Plain = 0;  // start of the run not yet written
  for (std::size_t Index = 0; Index < Text.size(); ++Index) {
    const std::u16string_view Escaped = Escape(Text[Index], Buffer);
    if (Escaped.empty()) continue;
    Out.append(Text.substr(Plain, Index - Plain));
    Out.append(Escaped);
    Plain = Index + 1;
  }
  Out.append(Text.substr(Plain));
  Out.push_back(u'"');
}

void WriteObject(std::u16string& Out, const TJsonMemberTable& Members) {
  Out.push_back(u'{');
  bool First = true;
  Members.Visit([&](const TJsonAvlEntry& Entry) {
    if (!First) Out.push_back(u',');
    First = false;
    WriteString(Out, Entry.Key);
    Out.push_back(u':');
    WriteValue(Out, Entry.Value);
  });
  Out.push_back(u'}');
}

void WriteArray(std::u16string& Out, const TJsonArray& Items) {
  Out.push_back(u'[');
  for (std::size_t I = 0; I < Items.size(); ++I) {
    if (I > 0) Out.push_back(u',');
    WriteValue(Out, Items[I]);
  }
  Out.push_back(u']');
}

struct TWriter {
  std::u16string& Out;

  void operator()(std::monostate) const { Out += u"null"; }
  void operator()(bool Value) const { Out += Value ? u"true" : u"false"; }
  void operator()(double Value) const { AppendDouble(Out, Value); }
  void operator()(TJsonCurrency Value) const { AppendCurrency(Out, Value.Units); }
  void operator()(std::int64_t Value) const { AppendInteger(Out, Value); }
  void operator()(const TJsonMemberTable& Members) const { WriteObject(Out, Members); }
  void operator()(const TJsonArray& Items) const { WriteArray(Out, Items); }
  void operator()(const std::u16string& Text) const { WriteString(Out, Text); }
};

void WriteValue(std::u16string& Out, const TJsonPtr& Value) {
  if (!Value) {
    Out += u"null";
    return;
  }
  std::visit(TWriter{Out}, static_cast<const TJsonValue*>(Value.Get())->Content());
}

}  // namespace

std::u16string ToJsonText(const TJsonPtr& Value) {
  std::u16string Out;
  WriteValue(Out, Value);
  return Out;
}
