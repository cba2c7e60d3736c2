// UAdminPoints: the admin requests that read and change objects ("set",
// "get"), and the small helpers that every admin request uses. Failures
// are thrown as std::runtime_error with the message for the answer.
#pragma once

#include <cstdint>

#include "USimulator.h"
#include "json/UJson.h"

// {"ok": true}
TJsonPtr OkAnswer();
// An integer member within Low..High; throws when missing or not one.
int64_t RequiredInteger(const TJsonPtr& Request, const char16_t* Name, int64_t Low, int64_t High);
// The same, or Default when the member is missing.
int64_t OptionalInteger(const TJsonPtr& Request, const char16_t* Name, int64_t Default, int64_t Low, int64_t High);

TJsonPtr SetObject(TSimulator& Sim, const TJsonPtr& Request);
TJsonPtr GetPoint(TSimulator& Sim, const TJsonPtr& Request);
