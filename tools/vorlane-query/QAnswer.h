// QAnswer: small readings of queries and answers shared by the output forms.
#pragma once

#include <cstdint>
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
// The three point lists of the value queries, in the order they are answered.
const std::vector<std::u16string>& PointLists();
std::u16string Utf16(std::string_view Ascii);
