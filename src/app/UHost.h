// UHost: the gateway's registration with the host framework (halvern): the
// trace service, which shows the server's name, type and state, and the
// process monitor, which hands out the start and the stop event.
//
// Called by the main thread during start-up only.
#pragma once

#include "app/UConfig.h"
#include "platform/HostEvent.h"

// Names the program file exports, for the host framework to find in the
// running executable: "<Vorlane>" and "Vorlane" once RegisterTrace ran.
extern "C" {
extern char lpszServerTraceName[204];
extern char lpszServerTypeString[204];
}

// The two events of the process monitor; 0 when not handed out.
struct THostEvents {
  THostEventHandle Start = nullptr;
  THostEventHandle Stop = nullptr;
};

// Fills the exported names and registers with the trace service, state 0.
void RegisterTrace();

// Registers with the process monitor (the kept command-line entries) and
// signals the start event. On a failure logs why at level 3 and returns
// false. Args must live until the process ends.
bool RegisterProcess(TArgs& Args, THostEvents& Events);
