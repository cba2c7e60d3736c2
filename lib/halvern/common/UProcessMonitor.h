// UProcessMonitor: the parts of the process monitor that both platforms
// share. Any thread may call.
#pragma once

#include <cstddef>
#include <string>

// Writes the trace line "register argc=<count> argv=<entries>".
void TraceRegister(int Count, const char* const* Argv);

// Copies Text into the caller's message buffer, cut to fit and
// NUL-terminated; does nothing when Message is null or Size is 0.
void CopyMessage(char* Message, size_t Size, const std::string& Text);
