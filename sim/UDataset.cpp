#include "UDataset.h"

#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "UDynamics.h"
#include "UText.h"
#include "json/UJson.h"

namespace {

[[noreturn]] void Fail(const std::string& Where, const std::string& What) {
  throw std::runtime_error(Where + ": " + What);
}

bool Has(const TJsonPtr& Object, const char16_t* Name) { return static_cast<bool>(GetField(Object, Name)); }

std::string Text(const TJsonPtr& Object, const char16_t* Name, const std::string& Default = std::string()) {
  const TJsonPtr Value = GetField(Object, Name);
  return Kind(Value) == TJsonKind::String ? Utf16ToUtf8(AsText(Value)) : Default;
}

bool IsNumber(const TJsonPtr& Value) {
  const TJsonKind K = Kind(Value);
  return K == TJsonKind::Integer || K == TJsonKind::Currency || K == TJsonKind::Double;
}

int64_t Integer(const TJsonPtr& Object, const char16_t* Name, int64_t Default, int64_t Low, int64_t High,
                const std::string& Where) {
  const TJsonPtr Value = GetField(Object, Name);
  if (!Value) return Default;
  if (Kind(Value) != TJsonKind::Integer || AsInteger(Value) < Low || AsInteger(Value) > High)
    Fail(Where, "\"" + Utf16ToUtf8(Name) + "\" must be an integer from " + std::to_string(Low) + " to " +
                    std::to_string(High));
  return AsInteger(Value);
}

double Number(const TJsonPtr& Object, const char16_t* Name, double Default, const std::string& Where) {
  const TJsonPtr Value = GetField(Object, Name);
  if (!Value) return Default;
  if (!IsNumber(Value)) Fail(Where, "\"" + Utf16ToUtf8(Name) + "\" must be a number");
  return AsDouble(Value);
}

bool Flag(const TJsonPtr& Object, const char16_t* Name) {
  const TJsonPtr Value = GetField(Object, Name);
  return Kind(Value) == TJsonKind::Boolean && AsInteger(Value) != 0;
}

// The server's text of a UTF-8 dataset text.
std::string ServerText(const TJsonPtr& Object, const char16_t* Name) { return Utf8ToServer(Text(Object, Name)); }

template <typename TVisit>
void EachItem(const TJsonPtr& Object, const char16_t* Name, const std::string& Where, TVisit Visit) {
  const TJsonPtr List = GetField(Object, Name);
  if (!List) return;
  if (Kind(List) != TJsonKind::Array) Fail(Where, "\"" + Utf16ToUtf8(Name) + "\" must be an array");
  for (size_t I = 0; I < ArrayLength(List); ++I) {
    const TJsonPtr Item = ArrayItem(List, I);
    if (Kind(Item) != TJsonKind::Object) Fail(Where, "each of \"" + Utf16ToUtf8(Name) + "\" must be an object");
    Visit(Item, Where + "/" + Utf16ToUtf8(Name) + "[" + std::to_string(I) + "]");
  }
}

TTvxAddress ParseColonAddress(const std::string& Text, const std::string& Where) {
  unsigned C = 0, R = 0, P = 0;
  char Tail = 0;
  if (std::sscanf(Text.c_str(), "%u:%u:%u%c", &C, &R, &P, &Tail) != 3 || C > 255 || R < 1 || R > 255 || P < 1 ||
      P > 65535)
    Fail(Where, "a reserve reference is written channel:rtu:point, not \"" + Text + "\"");
  return {static_cast<uint16_t>(C), static_cast<uint16_t>(R), static_cast<uint16_t>(P)};
}

// The name of point Number of a group: "%d" in the pattern becomes the number.
std::string PointName(const std::string& Pattern, unsigned Number) {
  std::string Name = Pattern;
  const size_t At = Name.find("%d");
  if (At != std::string::npos) Name.replace(At, 2, std::to_string(Number));
  return Utf8ToServer(Name);
}

void ReadUnits(const TJsonPtr& Item, char* Units, const std::string& Where) {
  const std::string Text = Utf8ToServer(::Text(Item, u"units"));
  std::memcpy(Units, Text.data(), std::min<size_t>(Text.size(), 7));
  const int64_t Decimals = Integer(Item, u"decimals", 0, 0, 15, Where);
  Units[7] = static_cast<char>(Integer(Item, u"unitsByte7", 7 + 16 * Decimals, 0, 255, Where));
}

struct TPointContext {
  const TModel& Model;
  uint16_t Kind;
  uint16_t Channel, Rtu;
};

// Calls Make(number) for the point of Item, or for each of a group
// ("count" points from "from"), and stores what it makes under its number.
template <typename TPoint, typename TMake>
void AddPoints(std::map<uint16_t, TPoint>& Points, const TJsonPtr& Item, const TPointContext& Context,
               const std::string& Where, TMake Make) {
  const bool Group = Has(Item, u"count");
  const int64_t Count = Group ? Integer(Item, u"count", 1, 1, 65535, Where) : 1;
  const int64_t Next = Points.empty() ? 1 : Points.rbegin()->first + 1;
  const int64_t First = Integer(Item, Group ? u"from" : u"point", Group ? Next : 0, 1, 65535, Where);
  if (!Group && !Has(Item, u"point")) Fail(Where, "a point needs \"point\" or \"count\"");
  if (First + Count - 1 > 65535) Fail(Where, "point numbers end at 65535");
  for (int64_t N = First; N < First + Count; ++N) {
    const auto Number = static_cast<uint16_t>(N);
    if (Points.count(Number)) Fail(Where, "point " + std::to_string(N) + " is defined twice");
    TPoint Point = Make(Number);
    Point.Number = Number;
    Point.Name = PointName(Text(Item, u"name"), Number);
    Point.Flags = static_cast<uint16_t>(Integer(Item, u"flags", 0, 0, 0xFFFF, Where));
    Point.Seed = static_cast<uint32_t>(Mix(Context.Model.Seed ^ (static_cast<uint64_t>(Context.Kind) << 48) ^
                                           (static_cast<uint64_t>(Context.Channel) << 32) ^
                                           (static_cast<uint64_t>(Context.Rtu) << 16) ^ Number));
    Points.emplace(Number, std::move(Point));
  }
}

TStatusPoint MakeStatus(const TJsonPtr& Item, const std::string& Where) {
  TStatusPoint P;
  P.Class = static_cast<int>(Integer(Item, u"class", 0, 0, 65535, Where));
  P.AlarmSignal = Flag(Item, u"alarm");
  P.Importance = static_cast<uint16_t>(Integer(Item, u"importance", P.AlarmSignal ? 3 : 1, 0, 3, Where));
  P.State = static_cast<uint8_t>(Integer(Item, u"state", 0, 0, 1, Where));
  P.Period = static_cast<uint32_t>(Integer(Item, u"period", 0, 0, 86400 * 30, Where));
  const std::string Signature = Text(Item, u"signature", "none");
  if (Signature != "none" && Signature != "reserve" && Signature != "extended")
    Fail(Where, "\"signature\" is none, reserve or extended");
  P.Signature = Signature == "reserve" ? TSignature::Reserve : Signature == "extended" ? TSignature::Extended
                                                                                       : TSignature::None;
  P.Faults = Flag(Item, u"faults");
  if (Has(Item, u"reserve")) P.Reserve = ParseColonAddress(Text(Item, u"reserve"), Where);
  if (Has(Item, u"reserving")) {
    P.Reserve = ParseColonAddress(Text(Item, u"reserving"), Where);
    P.Reserving = true;
  }
  ForEachMember(GetField(Item, u"properties"), [&](std::u16string_view Key, const TJsonPtr& Value) {
    if (!P.ExtraProperties.empty()) P.ExtraProperties += "\r\n";
    P.ExtraProperties += Utf8ToServer(Utf16ToUtf8(Key)) + "=" + Utf8ToServer(Utf16ToUtf8(AsText(Value)));
  });
  return P;
}

TAnalogPoint MakeAnalog(const TJsonPtr& Item, const std::string& Where) {
  TAnalogPoint P;
  ReadUnits(Item, P.Units, Where);
  P.Base = Number(Item, u"base", 0, Where);
  P.Amplitude = Number(Item, u"amplitude", 0, Where);
  P.Period = Number(Item, u"period", 3600, Where);
  if (P.Period < 1) Fail(Where, "\"period\" of an analog point is at least 1 second");
  P.Noise = Number(Item, u"noise", 0, Where);
  P.MinValue = static_cast<float>(Number(Item, u"min", P.Base - 2 * P.Amplitude, Where));
  P.MaxValue = static_cast<float>(Number(Item, u"max", P.Base + 2 * P.Amplitude, Where));
  EachItem(Item, u"alarms", Where, [&](const TJsonPtr& A, const std::string& At) {
    TAnalogAlarm Alarm;
    Alarm.Number = static_cast<uint16_t>(Integer(A, u"number", static_cast<int64_t>(P.Alarms.size()) + 1, 1, 65535, At));
    Alarm.Name = ServerText(A, u"name");
    if (!Has(A, u"limit")) Fail(At, "an alarm needs \"limit\"");
    Alarm.Limit = Number(A, u"limit", 0, At);
    Alarm.Above = Text(A, u"when", "above") != "below";
    Alarm.Importance = static_cast<uint16_t>(Integer(A, u"importance", 3, 0, 3, At));
    P.Alarms.push_back(std::move(Alarm));
  });
  return P;
}

TAccumPoint MakeAccum(const TJsonPtr& Item, const std::string& Where) {
  TAccumPoint P;
  ReadUnits(Item, P.Units, Where);
  P.Start = Number(Item, u"start", 0, Where);
  P.Rate = Number(Item, u"rate", 0, Where);
  return P;
}

TRtu ReadRtu(const TModel& Model, uint16_t Channel, const TJsonPtr& Item, const std::string& Where) {
  TRtu Rtu;
  if (!Has(Item, u"number")) Fail(Where, "an RTU needs \"number\"");
  Rtu.Number = static_cast<uint16_t>(Integer(Item, u"number", 0, 1, 255, Where));
  Rtu.Name = ServerText(Item, u"name");
  const std::string Form = Text(Item, u"timeText", "ms");
  if (Form != "s" && Form != "cs" && Form != "ms") Fail(Where, "\"timeText\" is s, cs or ms");
  Rtu.TimeForm = Form == "s" ? TRtu::TTimeForm::Seconds : Form == "cs" ? TRtu::TTimeForm::Hundredths
                                                                       : TRtu::TTimeForm::Milliseconds;
  Rtu.SourceTimes = Flag(Item, u"sourceTimes");
  EachItem(Item, u"status", Where, [&](const TJsonPtr& P, const std::string& At) {
    AddPoints(Rtu.Status, P, {Model, TVX_KIND_STATUS, Channel, Rtu.Number}, At,
              [&](uint16_t) { return MakeStatus(P, At); });
  });
  EachItem(Item, u"analog", Where, [&](const TJsonPtr& P, const std::string& At) {
    AddPoints(Rtu.Analog, P, {Model, TVX_KIND_ANALOG, Channel, Rtu.Number}, At,
              [&](uint16_t) { return MakeAnalog(P, At); });
  });
  EachItem(Item, u"accum", Where, [&](const TJsonPtr& P, const std::string& At) {
    AddPoints(Rtu.Accum, P, {Model, TVX_KIND_ACCUM, Channel, Rtu.Number}, At,
              [&](uint16_t) { return MakeAccum(P, At); });
  });
  return Rtu;
}

void ReadClasses(TModel& Model, const TJsonPtr& Root) {
  EachItem(Root, u"classes", "dataset", [&](const TJsonPtr& Item, const std::string& Where) {
    TStatusClass Class;
    if (!Has(Item, u"number")) Fail(Where, "a class needs \"number\"");
    Class.Number = static_cast<int>(Integer(Item, u"number", 0, 1, 65535, Where));
    Class.Name = ServerText(Item, u"name");
    Class.Text0 = ServerText(Item, u"0Txt");
    Class.Text1 = ServerText(Item, u"1Txt");
    EachItem(Item, u"fields", Where, [&](const TJsonPtr& F, const std::string& At) {
      Class.Fields.push_back({static_cast<int>(Integer(F, u"number", 0, 1, 255, At)), ServerText(F, u"name"),
                              ServerText(F, u"0Txt"), ServerText(F, u"1Txt")});
    });
    if (!Model.Classes.emplace(Class.Number, Class).second) Fail(Where, "class number used twice");
  });
}

}  // namespace

TModel ParseDataset(const std::string& Utf8Text) {
  const TJsonPtr Root = ParseJson(Utf8ToUtf16(Utf8Text));
  if (Kind(Root) != TJsonKind::Object) Fail("dataset", "the file must hold one JSON object");
  TModel Model;
  Model.Seed = static_cast<uint32_t>(Integer(Root, u"seed", 1, 0, 0xFFFFFFFF, "dataset"));
  Model.HistoryHours = static_cast<int>(Integer(Root, u"historyHours", 72, 0, 24 * 60, "dataset"));
  Model.FirstEventNumber = Integer(Root, u"firstEventNumber", 1, 1, INT64_MAX / 2, "dataset");
  ReadClasses(Model, Root);
  EachItem(Root, u"channels", "dataset", [&](const TJsonPtr& Item, const std::string& Where) {
    TChannel Channel;
    if (!Has(Item, u"number")) Fail(Where, "a channel needs \"number\"");
    Channel.Number = static_cast<uint16_t>(Integer(Item, u"number", 0, 0, 255, Where));
    Channel.Name = ServerText(Item, u"name");
    EachItem(Item, u"rtus", Where, [&](const TJsonPtr& R, const std::string& At) {
      TRtu Rtu = ReadRtu(Model, Channel.Number, R, At);
      if (!Channel.Rtus.emplace(Rtu.Number, std::move(Rtu)).second) Fail(At, "RTU number used twice");
    });
    if (!Model.Channels.emplace(Channel.Number, std::move(Channel)).second) Fail(Where, "channel number used twice");
  });
  return Model;
}

TModel LoadDataset(const std::string& FileName) {
  std::ifstream File(FileName, std::ios::binary);
  if (!File) throw std::runtime_error("cannot read the dataset file " + FileName);
  std::ostringstream Text;
  Text << File.rdbuf();
  try {
    return ParseDataset(Text.str());
  } catch (const std::runtime_error& Error) {
    throw std::runtime_error(FileName + ": " + Error.what());
  }
}
