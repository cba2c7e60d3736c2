// UJsonWrite: the compact writer.
#include <cstddef>
#include <string>
#include <string_view>

#include "json/UJson.h"
#include "json/UJsonNumber.h"
#include "json/UJsonValue.h"

namespace {

void WriteValue(std::u16string& Out, const TJsonPtr& Value);

// Only NUL, '"', '/' and '\' are escaped; everything else stands as it is.
void WriteString(std::u16string& Out, std::u16string_view Text) {
  constexpr std::u16string_view Special(u"\0\"/\\", 4);
  Out.push_back(u'"');
  for (;;) {
    const std::size_t Next = Text.find_first_of(Special);
    Out.append(Text.substr(0, Next));
    if (Next == std::u16string_view::npos) break;
    if (Text[Next] == u'\0') {
      Out += u"\\u0000";
    } else {
      Out.push_back(u'\\');
      Out.push_back(Text[Next]);
    }
    Text.remove_prefix(Next + 1);
  }
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
