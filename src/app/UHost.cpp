// UHost: see UHost.h.
#include "app/UHost.h"

#include <cstring>

#include "common/ULog.h"
#include "halvern.h"
#include "platform/Export.h"
#include "platform/Process.h"
#include "telemetry/UServerTrace.h"

extern "C" {
PLATFORM_EXPORT char lpszServerTraceName[204];
PLATFORM_EXPORT char lpszServerTypeString[204];
}

namespace {

void CopyName(char (&Into)[204], const char* Text) {
  std::strncpy(Into, Text, sizeof Into - 1);
  Into[sizeof Into - 1] = '\0';
}

}  // namespace

void RegisterTrace() {
  CopyName(lpszServerTraceName, "<Vorlane>");
  CopyName(lpszServerTypeString, "Vorlane");
  strac_AllocServer(ServerSlot, CurrentProcessId(), 0, lpszServerTraceName, lpszServerTypeString);
  ReportServerState(ServerStarting);
}

bool RegisterProcess(TArgs& Args, THostEvents& Events) {
  hlvPmonLocalRegisterProcess(Args.ArgCount, Args.ArgPointers.data(), &Events.Start, &Events.Stop);
  if (!Events.Start) {
    WriteLog("Cannot create start event", TLogLevel::Error);
    return false;
  }
  if (!SignalHostEvent(Events.Start)) {
    WriteLog("Could not fire start event", TLogLevel::Error);
    return false;
  }
  if (!Events.Stop) {
    WriteLog("Cannot create stop event", TLogLevel::Error);
    return false;
  }
  return true;
}
