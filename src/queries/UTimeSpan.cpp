#include "queries/UTimeSpan.h"

#include "queries/UQuery.h"
#include "queries/UQueryMembers.h"
#include "telemetry/UTimeText.h"

namespace {

TDateTime TimeOf(const std::u16string& Text, TMessage Refusal) {
  TDateTime Value = 0;
  if (!ParseTimeText(Text, Value)) throw EQueryError(Refusal);
  return Value;
}

}  // namespace

TTimeSpanTexts ReadTimeSpanTexts(const TJsonPtr& Query) {
  TTimeSpanTexts Texts;
  if (!TextField(Query, u"start", Texts.Start)) throw EQueryError(TMessage::StartInvalid);
  if (!TextField(Query, u"end", Texts.End)) throw EQueryError(TMessage::EndInvalid);
  return Texts;
}

TTimeSpan ParseTimeSpan(const TTimeSpanTexts& Texts) {
  const TDateTime Start = TimeOf(Texts.Start, TMessage::StartInvalid);
  const TDateTime End = TimeOf(Texts.End, TMessage::EndInvalid);
  // Compared before the rounding to whole seconds.
  if (Start > End) throw EQueryError(TMessage::StartAfterEnd);
  return {DateTimeToUnix(Start), DateTimeToUnix(End)};
}
