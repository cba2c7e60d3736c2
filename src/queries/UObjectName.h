// UObjectName: the server call that names a channel, RTU or point.
//
// Called on client session threads, under ServerLock.
#pragma once

#include <cstdint>
#include <string>

#include "telemetry/UServer.h"

// Asks the library for the name of an object (Kind TVX_KIND_*) into a
// cleared area and gives the library's result taken as a signed 16-bit
// value (> 0: named); Name is the text up to its NUL, empty when the
// result is not above 0.
int16_t ReadObjectName(uint16_t Kind, uint16_t Channel, uint16_t Rtu, uint16_t Point, std::string& Name)
    REQUIRES(ServerLock);
