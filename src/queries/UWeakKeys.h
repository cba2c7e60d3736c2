// UWeakKeys: the warning about command keys too short to resist guessing,
// written once at start-up, after the ready line.
//
// Called by the main thread; reads Config only.
#pragma once

#include <cstddef>

// Keys shorter than this many bytes are reported as weak.
constexpr size_t StrongKeyBytes = 16;

// One level-2 line per configured key shorter than StrongKeyBytes, naming
// its id ("default" for the default key); the keys are used all the same.
// Only when a settings file is in use: without one the log stays as the
// switches alone make it.
void WarnOfWeakCommandKeys();
