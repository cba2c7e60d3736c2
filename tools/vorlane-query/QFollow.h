// QFollow: follows the gateway's event log, printing each new event once.
//
// Polls "events-current" every interval from the position of the last
// answer, so an event is printed when the answer that delivered it came
// and never again; a lost answer is asked for again from the same place.
// Refusals, time-outs and restarts of the gateway or the server do not end
// it: a notice goes to standard error and the poll is retried with a
// growing pause. Ends only with the process (Ctrl+C).
#pragma once

#include "QOptions.h"

int RunFollow(const TOptions& Options);
