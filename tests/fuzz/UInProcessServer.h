// UInProcessServer: a telvex transport whose pipe leads straight into a
// simulator of this process, for programs that need thousands of gateway
// queries a second (the fuzz targets). Linked in place of the platform's
// pipe transport: TvxConnectPipe gives a stream on which each request frame,
// once written whole, is served at once on the writing thread, so that its
// answer is there to read.
#pragma once

#include "USimulator.h"

// Every pipe name leads to Sim from now on; null makes connects fail, as
// with a server that is not running. REQUIRES: Sim outlives its streams.
void SetInProcessServer(TSimulator* Sim);
