#include "QRender.h"

#include <algorithm>

#include "QAnswer.h"
#include "QRetroTimes.h"

namespace {

using TLines = std::vector<std::u16string>;

std::u16string Pad(std::u16string Text, std::size_t Width) {
  if (Text.size() < Width) Text.append(Width - Text.size(), u' ');
  return Text;
}

// Text with each line break shown as " / ", so that it stays on one line:
// CR LF counts as one break, and so does a lone CR or LF, vertical tab or
// form feed (terminals move down a line for each of them).
std::u16string OnOneLine(const std::u16string& Text) {
  std::u16string Line;
  for (std::size_t Index = 0; Index < Text.size(); ++Index) {
    const char16_t Unit = Text[Index];
    if (Unit != u'\r' && Unit != u'\n' && Unit != u'\v' && Unit != u'\f') {
      Line += Unit;
      continue;
    }
    Line += u" / ";
    if (Unit == u'\r' && Index + 1 < Text.size() && Text[Index + 1] == u'\n') ++Index;
  }
  return Line;
}

std::u16string Join(const std::vector<std::u16string>& Parts) {
  std::u16string Line;
  for (const auto& Part : Parts) {
    if (Part.empty()) continue;
    Line += (Line.empty() ? u"" : u"  ") + Part;
  }
  return Line;
}

// Longest requested address of the answer's lists, so that values line up.
std::size_t AddressWidth(const TJsonPtr& Query, const TJsonPtr& Answer) {
  std::size_t Width = 0;
  ForEachPoint(Query, Answer, [&](const std::u16string&, const std::u16string& Address, const TJsonPtr&) {
    Width = std::max(Width, Address.size());
  });
  return Width;
}

// instant: one line per point with its value, flags and (accumulators)
// the second value.
void RenderValues(const TJsonPtr& Query, const TJsonPtr& Answer, TLines& Lines) {
  std::size_t Width = AddressWidth(Query, Answer);
  ForEachPoint(Query, Answer, [&](const std::u16string& List, const std::u16string& Address, const TJsonPtr& Item) {
    std::u16string Last = GetField(Item, u"l") ? u"last " + MemberText(Item, u"l") : u"";
    Lines.push_back(Join({Pad(List, 3), Pad(Address, Width), MemberText(Item, u"v"), Last, MemberText(Item, u"f")}));
  });
}

// info: the name and, for analog and accumulator points, the units.
void RenderInfo(const TJsonPtr& Query, const TJsonPtr& Answer, TLines& Lines) {
  std::size_t Width = AddressWidth(Query, Answer);
  ForEachPoint(Query, Answer, [&](const std::u16string& List, const std::u16string& Address, const TJsonPtr& Item) {
    std::u16string Line = Pad(List, 3) + u"  " + Pad(Address, Width) + u"  " + AsText(ArrayItem(Item, 0));
    if (ArrayLength(Item) > 1) Line += u"  [" + AsText(ArrayItem(Item, 1)) + u"]";
    Lines.push_back(Line);
  });
}

// retro: per point a heading with its name and units, then its samples.
void RenderRetro(const TJsonPtr& Query, const TJsonPtr& Answer, TLines& Lines) {
  TJsonPtr Points = GetField(Answer, u"ti");
  TRetroTimes Times(Query);
  for (std::size_t Point = 0; Point < ArrayLength(Points); ++Point) {
    TJsonPtr Label = ArrayItem(GetField(Answer, u"labels"), Point);
    std::u16string Heading = u"ti " + RequestedPoint(Query, u"ti", Point);
    if (Label) Heading += u"  " + AsText(ArrayItem(Label, 0)) + u"  [" + AsText(ArrayItem(Label, 1)) + u"]";
    Lines.push_back(Heading);
    TJsonPtr Samples = ArrayItem(Points, Point);
    for (std::size_t Index = 0; Index < ArrayLength(Samples); ++Index) {
      TJsonPtr Sample = ArrayItem(Samples, Index);
      Lines.push_back(u"  " + Join({Times.Sample(Index), MemberText(Sample, u"v"), MemberText(Sample, u"f")}));
    }
  }
}

// tms-*: the counts, then a table of numbers and names.
void RenderCatalogue(const TJsonPtr& Answer, TLines& Lines) {
  Lines.push_back(u"total " + MemberText(Answer, u"total") + u", last id " + MemberText(Answer, u"lastId"));
  TJsonPtr Items = GetField(Answer, u"items");
  for (std::size_t Index = 0; Index < ArrayLength(Items); ++Index) {
    TJsonPtr Item = ArrayItem(Items, Index);
    if (!Item) continue;
    std::u16string Id = MemberText(Item, u"id");
    Lines.push_back(std::u16string(Id.size() < 6 ? 6 - Id.size() : 0, u' ') + Id + u"  " + MemberText(Item, u"n"));
  }
}

void RenderEvents(const TJsonPtr& Answer, TLines& Lines) {
  TJsonPtr Events = GetField(Answer, u"events");
  for (std::size_t Index = 0; Index < ArrayLength(Events); ++Index) Lines.push_back(EventLine(ArrayItem(Events, Index)));
  if (TJsonPtr Last = GetField(Answer, u"lastEventId")) Lines.push_back(u"lastEventId " + AsText(Last));
}

// Anything else (test, the commands): "name: value" per member.
void RenderMembers(const TJsonPtr& Answer, TLines& Lines) {
  ForEachMember(Answer, [&](std::u16string_view Key, const TJsonPtr& Value) {
    Lines.push_back(std::u16string(Key) + u": " + AsText(Value));
  });
}

}  // namespace

std::u16string EventLine(const TJsonPtr& Event) {
  // Every field keeps its place, empty or not, so that columns can be cut.
  std::u16string Line;
  for (const auto& Field : EventFields(Event)) Line += (Line.empty() ? u"" : u"  ") + OnOneLine(Field);
  return Line;
}

std::vector<std::u16string> RenderReadable(const TJsonPtr& Query, const TJsonPtr& Answer) {
  TLines Lines;
  switch (AnswerShape(QueryType(Query))) {
    case TAnswerShape::Values:
      RenderValues(Query, Answer, Lines);
      break;
    case TAnswerShape::Info:
      RenderInfo(Query, Answer, Lines);
      break;
    case TAnswerShape::Retro:
      RenderRetro(Query, Answer, Lines);
      break;
    case TAnswerShape::Catalogue:
      RenderCatalogue(Answer, Lines);
      break;
    case TAnswerShape::Events:
      RenderEvents(Answer, Lines);
      break;
    default:
      RenderMembers(Answer, Lines);
  }
  return Lines;
}
