// UAdmin: telvexd's admin interface: one JSON object per line in, one JSON
// object per line back, on a loopback TCP port. Tests use it to inject
// events, make calls fail, drop and refuse connections, spoil the event
// log, change points and read the call counters (docs/simulator.md lists
// every request and answer).
#pragma once

#include <string>

#include "UAcceptor.h"
#include "USimulator.h"

// The answer line (without its line end) to one request line (UTF-8).
// Pipe is the acceptor of the library's connections ("drop").
std::string AdminAnswer(TSimulator& Sim, TAcceptor& Pipe, const std::string& Line);
// Serves one admin connection until the peer closes it.
void ServeAdminConnection(TSimulator& Sim, TAcceptor& Pipe, TTvxStream& Stream);
