// UCommon: the process-wide settings and flags declared in UCommon.h.
#include "common/UCommon.h"

TConfig Config;
std::atomic<bool> ShutdownRequested{false};
std::atomic<uint16_t> ClientCount{0};
