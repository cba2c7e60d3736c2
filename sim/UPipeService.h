// UPipeService: serves one connection of the telvex library: reads each
// framed request, counts it, fails it when the admin interface asked so,
// lets the handlers answer it and writes the answer. Runs on the
// connection's own thread until the link ends or breaks.
#pragma once

#include "USimulator.h"
#include "protocol/UTvxTransport.h"

void ServePipeConnection(TSimulator& Sim, TTvxStream& Stream);
