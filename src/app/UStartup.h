// UStartup: the program's run on its main thread, from the command line to
// the end: settings, log, banner, host registration, the server connection,
// then serving (UServe) until a stop.
#pragma once

// Runs the gateway; returns the exit status: 0 after a requested stop, 1
// after a failed start.
int RunGateway(int Argc, const char* const* Argv);
