// QQuery: one query from the command line, its answer in the chosen form,
// and the exit status.
#pragma once

#include <string>

#include "QExchange.h"
#include "QOptions.h"
#include "json/UJson.h"

// Exit statuses of the tool.
enum TExitStatus : int { ExitAnswer = 0, ExitErrorAnswer = 1, ExitUsage = 2, ExitNoAnswer = 3, ExitOutputClosed = 4 };

TGatewayAddress GatewayOf(const TOptions& Options);

// The answer bytes (in the code page of --charset) as a JSON object, or
// nothing when they are not one.
TJsonPtr ParseAnswer(const TOptions& Options, const std::string& Bytes);

// Sends the query that Options describe and prints the answer; the exit
// status. Throws EUsage before anything is sent.
int RunQuery(const TOptions& Options);
