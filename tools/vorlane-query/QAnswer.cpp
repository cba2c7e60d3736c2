#include "QAnswer.h"

std::u16string MemberText(const TJsonPtr& Object, std::u16string_view Name) {
  TJsonPtr Member = GetField(Object, Name);
  return Member ? AsText(Member) : std::u16string();
}

std::string QueryType(const TJsonPtr& Query) {
  std::string Type;
  for (char16_t Unit : MemberText(Query, u"query")) {
    Type += Unit >= u'A' && Unit <= u'Z' ? static_cast<char>(Unit - u'A' + u'a') : Unit < 0x80 ? char(Unit) : '?';
  }
  return Type;
}

std::u16string RequestedPoint(const TJsonPtr& Query, std::u16string_view Name, std::size_t Index) {
  TJsonPtr Item = ArrayItem(GetField(Query, Name), Index);
  return Item ? AsText(Item) : u"#" + Utf16(std::to_string(Index + 1));
}

bool IsErrorAnswer(const TJsonPtr& Answer, std::u16string& Message) {
  TJsonPtr Error = GetField(Answer, u"error");
  if (!Error || MemberCount(Answer) != 1) return false;
  Message = AsText(Error);
  return true;
}

std::vector<std::u16string> EventFields(const TJsonPtr& Event) {
  return {MemberText(Event, u"dat"), MemberText(Event, u"imp"), MemberText(Event, u"adr"),
          MemberText(Event, u"n"),   MemberText(Event, u"st"),  MemberText(Event, u"t")};
}

void ForEachPoint(const TJsonPtr& Query, const TJsonPtr& Answer,
                  const std::function<void(const std::u16string& List, const std::u16string& Address,
                                           const TJsonPtr& Item)>& Visit) {
  for (std::u16string List : {u"ts", u"ti", u"tii"}) {
    TJsonPtr Items = GetField(Answer, List);
    for (std::size_t Index = 0; Index < ArrayLength(Items); ++Index) {
      Visit(List, RequestedPoint(Query, List, Index), ArrayItem(Items, Index));
    }
  }
}

TAnswerShape AnswerShape(const std::string& Type) {
  if (Type == "instant") return TAnswerShape::Values;
  if (Type == "info") return TAnswerShape::Info;
  if (Type == "retro") return TAnswerShape::Retro;
  if (Type.rfind("tms-", 0) == 0) return TAnswerShape::Catalogue;
  if (Type.rfind("events-", 0) == 0) return TAnswerShape::Events;
  return TAnswerShape::Members;
}

std::u16string Utf16(std::string_view Ascii) { return std::u16string(Ascii.begin(), Ascii.end()); }
