// UTrace: the trace file named by $HALVERN_TRACE, one line per reported
// call. Any thread may call; lines of different threads never mix.
#pragma once

#include <string>

// Appends Line and a line feed to the trace file, when one is named.
// Failures are ignored: tracing never disturbs the traced process.
void TraceLine(const std::string& Line);

// Text as it may appear inside a trace line: control characters become
// '?', a null text is empty.
std::string TraceText(const char* Text);
