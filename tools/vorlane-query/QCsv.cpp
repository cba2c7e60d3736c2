#include "QCsv.h"

#include "QAnswer.h"
#include "QRetroTimes.h"

namespace {

using TLines = std::vector<std::u16string>;

std::u16string Field(const std::u16string& Text) {
  if (Text.find_first_of(u",\"\r\n") == std::u16string::npos) return Text;
  std::u16string Quoted = u"\"";
  for (char16_t Unit : Text) Quoted += Unit == u'"' ? std::u16string(u"\"\"") : std::u16string(1, Unit);
  return Quoted + u"\"";
}

std::u16string Row(const std::vector<std::u16string>& Fields) {
  std::u16string Line;
  for (std::size_t Index = 0; Index < Fields.size(); ++Index) Line += (Index ? u"," : u"") + Field(Fields[Index]);
  return Line;
}

void ValueRows(const TJsonPtr& Query, const TJsonPtr& Answer, TLines& Lines) {
  Lines.push_back(u"list,point,value,last,flags");
  ForEachPoint(Query, Answer, [&](const std::u16string& List, const std::u16string& Address, const TJsonPtr& Item) {
    Lines.push_back(Row({List, Address, MemberText(Item, u"v"), MemberText(Item, u"l"), MemberText(Item, u"f")}));
  });
}

void InfoRows(const TJsonPtr& Query, const TJsonPtr& Answer, TLines& Lines) {
  Lines.push_back(u"list,point,name,units");
  ForEachPoint(Query, Answer, [&](const std::u16string& List, const std::u16string& Address, const TJsonPtr& Item) {
    std::u16string Units = ArrayLength(Item) > 1 ? AsText(ArrayItem(Item, 1)) : u"";
    Lines.push_back(Row({List, Address, AsText(ArrayItem(Item, 0)), Units}));
  });
}

void RetroRows(const TJsonPtr& Query, const TJsonPtr& Answer, TLines& Lines) {
  Lines.push_back(u"time,point,value,flags");
  TJsonPtr Points = GetField(Answer, u"ti");
  TRetroTimes Times(Query);
  for (std::size_t Point = 0; Point < ArrayLength(Points); ++Point) {
    TJsonPtr Samples = ArrayItem(Points, Point);
    for (std::size_t Index = 0; Index < ArrayLength(Samples); ++Index) {
      TJsonPtr Sample = ArrayItem(Samples, Index);
      Lines.push_back(Row({Times.Sample(Index), RequestedPoint(Query, u"ti", Point), MemberText(Sample, u"v"),
                           MemberText(Sample, u"f")}));
    }
  }
}

void CatalogueRows(const TJsonPtr& Answer, TLines& Lines) {
  Lines.push_back(u"id,name");
  TJsonPtr Items = GetField(Answer, u"items");
  for (std::size_t Index = 0; Index < ArrayLength(Items); ++Index) {
    if (TJsonPtr Item = ArrayItem(Items, Index)) Lines.push_back(Row({MemberText(Item, u"id"), MemberText(Item, u"n")}));
  }
}

void EventRows(const TJsonPtr& Answer, TLines& Lines) {
  Lines.push_back(EventCsvHeading());
  TJsonPtr Events = GetField(Answer, u"events");
  for (std::size_t Index = 0; Index < ArrayLength(Events); ++Index) Lines.push_back(EventCsvRow(ArrayItem(Events, Index)));
}

}  // namespace

bool HasCsvRows(const std::string& Type) { return AnswerShape(Type) != TAnswerShape::Members; }

std::u16string EventCsvHeading() { return u"time,importance,address,name,state,type"; }

std::u16string EventCsvRow(const TJsonPtr& Event) { return Row(EventFields(Event)); }

std::vector<std::u16string> RenderCsv(const TJsonPtr& Query, const TJsonPtr& Answer) {
  TLines Lines;
  switch (AnswerShape(QueryType(Query))) {
    case TAnswerShape::Values:
      ValueRows(Query, Answer, Lines);
      break;
    case TAnswerShape::Info:
      InfoRows(Query, Answer, Lines);
      break;
    case TAnswerShape::Retro:
      RetroRows(Query, Answer, Lines);
      break;
    case TAnswerShape::Catalogue:
      CatalogueRows(Answer, Lines);
      break;
    default:
      EventRows(Answer, Lines);
  }
  return Lines;
}
