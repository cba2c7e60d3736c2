// UServe: the gateway at work, on the main thread: opens the listening
// socket, starts the listener, supervises the server connection and the log
// until the host's stop event or a console control event, then shuts down
// in a fixed order.
#pragma once

#include "platform/HostEvent.h"

// REQUIRES: the server connection made, the socket library started.
// Returns the exit status: 0 after a requested stop, 1 when the listening
// socket could not be opened.
int Serve(THostEventHandle StopEvent);
