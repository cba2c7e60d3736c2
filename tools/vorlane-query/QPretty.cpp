#include "QPretty.h"

#include <cstdio>

namespace {

void Quote(std::u16string& Out, std::u16string_view Text) {
  Out += u'"';
  for (char16_t Unit : Text) {
    if (Unit == u'"' || Unit == u'\\') {
      Out += u'\\';
      Out += Unit;
    } else if (Unit < 0x20) {
      char Escape[8];
      std::snprintf(Escape, sizeof Escape, "\\u%04x", static_cast<unsigned>(Unit));
      Out.append(Escape, Escape + 6);
    } else {
      Out += Unit;
    }
  }
  Out += u'"';
}

void Write(std::u16string& Out, const TJsonPtr& Value, std::size_t Depth) {
  std::u16string Indent(2 * (Depth + 1), u' ');
  std::u16string Closing(2 * Depth, u' ');
  switch (Kind(Value)) {
    case TJsonKind::String:
      Quote(Out, AsText(Value));
      break;
    case TJsonKind::Object: {
      if (MemberCount(Value) == 0) return void(Out += u"{}");
      Out += u"{";
      const char16_t* Separator = u"\n";
      ForEachMember(Value, [&](std::u16string_view Key, const TJsonPtr& Member) {
        Out += Separator + Indent;
        Quote(Out, Key);
        Out += u": ";
        Write(Out, Member, Depth + 1);
        Separator = u",\n";
      });
      Out += u"\n" + Closing + u"}";
      break;
    }
    case TJsonKind::Array: {
      if (ArrayLength(Value) == 0) return void(Out += u"[]");
      Out += u"[";
      for (std::size_t Index = 0; Index < ArrayLength(Value); ++Index) {
        Out += (Index ? u",\n" : u"\n") + Indent;
        Write(Out, ArrayItem(Value, Index), Depth + 1);
      }
      Out += u"\n" + Closing + u"]";
      break;
    }
    default:
      Out += ToJsonText(Value);  // numbers, booleans, null and empty positions
  }
}

}  // namespace

std::u16string PrettyJson(const TJsonPtr& Value) {
  std::u16string Out;
  Write(Out, Value, 0);
  return Out;
}
