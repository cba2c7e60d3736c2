// QPretty: a JSON value written with one member or element per line,
// indented by two blanks per level, members in the answer's order.
#pragma once

#include <string>

#include "json/UJson.h"

std::u16string PrettyJson(const TJsonPtr& Value);
