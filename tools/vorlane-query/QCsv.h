// QCsv: rows of comma-separated values for a spreadsheet or a plotting
// tool, with a heading row. Fields holding a comma, a quote or a line end
// are quoted (the regional decimal separator may be a comma).
#pragma once

#include <string>
#include <vector>

#include "json/UJson.h"

// True for the query types that have rows: instant, info, retro, tms-*
// and the event queries.
bool HasCsvRows(const std::string& Type);
std::vector<std::u16string> RenderCsv(const TJsonPtr& Query, const TJsonPtr& Answer);

// The heading row and the row of one event, for follow.
std::u16string EventCsvHeading();
std::u16string EventCsvRow(const TJsonPtr& Event);
