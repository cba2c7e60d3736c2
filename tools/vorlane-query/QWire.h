// QWire: texts on the gateway's wire, in the code page that --charset
// names: the ANSI code page by default (Windows-1251, what the gateway
// writes unless its settings say otherwise), or UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "QOptions.h"

std::string ToWire(const TOptions& Options, std::u16string_view Text);
std::u16string FromWire(const TOptions& Options, std::string_view Bytes);
