// QRender: the readable rendering of a successful answer, as lines.
#pragma once

#include <string>
#include <vector>

#include "json/UJson.h"

// Query is what was sent (it names the points that the answer lists by
// position); Answer the gateway's successful answer.
std::vector<std::u16string> RenderReadable(const TJsonPtr& Query, const TJsonPtr& Answer);

// One event as one line: time, importance, address, name, state and type.
std::u16string EventLine(const TJsonPtr& Event);
