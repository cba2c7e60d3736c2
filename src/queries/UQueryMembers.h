// UQueryMembers: reading a member of a query the one fixed way: present,
// of the expected kind, then its value. Each reader gives false, and
// leaves its result alone, when the member is missing or of another kind.
//
// Pure functions: any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "json/UJson.h"
#include "telemetry/Telemetry.h"

// True when the member is present, of whatever kind.
bool HasField(const TJsonPtr& Query, std::u16string_view Name);

// An integer; in 32 bits its low 32 bits taken as a signed number.
bool IntegerField(const TJsonPtr& Query, std::u16string_view Name, int32_t& Value);
bool IntegerField(const TJsonPtr& Query, std::u16string_view Name, int64_t& Value);
// An integer or a number with decimals: its value and its JSON text.
bool NumberField(const TJsonPtr& Query, std::u16string_view Name, double& Value, std::string& Text);
// A text; as a std::string, taken in the ANSI code page, the gateway's own
// for every text it passes on to the server, the log or a hash.
bool TextField(const TJsonPtr& Query, std::u16string_view Name, std::u16string& Text);
bool TextField(const TJsonPtr& Query, std::u16string_view Name, std::string& Text);
bool ArrayField(const TJsonPtr& Query, std::u16string_view Name, TJsonPtr& List);
// A text that is a point address "channel.rtu.point"; false also when the
// text is not one.
bool PointField(const TJsonPtr& Query, std::u16string_view Name, TPointAddress& Address);
