// UVariant: what differs between the two builds of the gateway. Each
// executable links exactly one variant object that defines these, together
// with LogImmediate (common/ULog.h):
//   VariantConsole.cpp  console build: every message a line on standard
//                       output; waits for the Enter key after a failed start;
//   VariantHost.cpp     host-log build: levels 3, 2, 1 to the host printers,
//                       level 0 not printed; no wait.
// Called by the main thread only.
#pragma once

// Follows the message "Press "Enter" to close application".
void EnterKeyWait();

#include "common/ULog.h"

// After a failed start: the message, then (console build) the Enter key.
inline void PressEnterToClose() {
  WriteLog("Press \"Enter\" to close application", TLogLevel::Progress);
  EnterKeyWait();
}
