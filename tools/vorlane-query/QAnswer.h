// QAnswer: small readings of queries and answers shared by the output forms.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "json/UJson.h"

// The text of member Name (AsText), empty when it is missing.
std::u16string MemberText(const TJsonPtr& Object, std::u16string_view Name);
// The lower-case query type of a query object.
std::string QueryType(const TJsonPtr& Query);
// Element Index of the query's list Name as text, or "#Index" (from 1)
// when the query has no such element.
std::u16string RequestedPoint(const TJsonPtr& Query, std::u16string_view Name, std::size_t Index);
// The error message when Answer is an error answer.
bool IsErrorAnswer(const TJsonPtr& Answer, std::u16string& Message);
// The six texts of an event item in reading order: time, importance,
// address, name, state, type.
std::vector<std::u16string> EventFields(const TJsonPtr& Event);
// Calls Visit(list, requested address, answer item) for every item of the
// answer's lists "ts", "ti" and "tii", in the order they are answered.
void ForEachPoint(const TJsonPtr& Query, const TJsonPtr& Answer,
                  const std::function<void(const std::u16string& List, const std::u16string& Address,
                                           const TJsonPtr& Item)>& Visit);

// The query types grouped by the shape of their answers.
enum class TAnswerShape { Values, Info, Retro, Catalogue, Events, Members };
TAnswerShape AnswerShape(const std::string& Type);
std::u16string Utf16(std::string_view Ascii);
