// UServerTrace: the host framework's trace service record of this gateway
// as a server, and the states it reports there.
//
// The main thread fills ServerSlot once at start-up (strac_AllocServer)
// before any other thread exists; after that ReportServerState may run on
// any thread.
#pragma once

#include <cstdint>

// The host's 8-byte record for this server, filled by strac_AllocServer.
extern uint8_t ServerSlot[8];

// The states the trace service shows for the server.
// ServerDisconnected also stands for stopping.
enum TServerTraceState : int { ServerStarting = 0, ServerConnected = 1, ServerDisconnected = 2 };

void ReportServerState(TServerTraceState State);
