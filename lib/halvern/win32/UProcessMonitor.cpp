// UProcessMonitor, Win32: two manual-reset event objects made once per
// process; the stop event carries the name derived from the process id so
// that hlvctl can open it. Thread-pool waits report each event once to the
// trace file.
#include <windows.h>

#include <string>
#include <system_error>

#include "common/UProcessMonitor.h"
#include "common/UServiceManager.h"
#include "halvern.h"

namespace {

std::string StopEventName(unsigned long Pid) { return HLV_STOP_EVENT_PREFIX + std::to_string(Pid); }

class THandle {
 public:
  explicit THandle(HANDLE Value) : Value(Value) {}
  ~THandle() {
    if (Value != nullptr) CloseHandle(Value);
  }
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
  const HANDLE Value;
};

// A thread-pool wait that runs Callback once when Object is signalled.
class TOneShotWait {
 public:
  TOneShotWait(HANDLE Object, WAITORTIMERCALLBACK Callback) {
    if (Object != nullptr &&
        !RegisterWaitForSingleObject(&Wait_, Object, Callback, nullptr, INFINITE, WT_EXECUTEONLYONCE)) {
      Wait_ = nullptr;
    }
  }
  ~TOneShotWait() {
    if (Wait_ != nullptr) UnregisterWaitEx(Wait_, nullptr);  // does not block
  }
  TOneShotWait(const TOneShotWait&) = delete;
  TOneShotWait& operator=(const TOneShotWait&) = delete;

 private:
  HANDLE Wait_ = nullptr;
};

VOID CALLBACK OnStartSignalled(PVOID, BOOLEAN) { ReportStartSignalled(); }
VOID CALLBACK OnStopSignalled(PVOID, BOOLEAN) { ReportStopSignalled(); }

// A stop event of this name left over from an earlier process with the
// same id (still held open by someone) may be signalled: start afresh.
HANDLE CreateStopEvent() {
  const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, StopEventName(GetCurrentProcessId()).c_str());
  if (event != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) ResetEvent(event);
  return event;
}

class TMonitor {
 public:
  TMonitor() = default;
  TMonitor(const TMonitor&) = delete;
  TMonitor& operator=(const TMonitor&) = delete;

  HLVHANDLE StartHandle() const { return Start_.Value; }
  HLVHANDLE StopHandle() const { return Stop_.Value; }

 private:
  THandle Start_{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  THandle Stop_{CreateStopEvent()};
  TOneShotWait StartWait_{Start_.Value, OnStartSignalled};
  TOneShotWait StopWait_{Stop_.Value, OnStopSignalled};
};

TMonitor& Monitor() {
  static TMonitor monitor;
  return monitor;
}

std::string SystemMessage(DWORD Error) { return std::system_category().message(static_cast<int>(Error)); }

}  // namespace

extern "C" HLVAPI int hlvPmonLocalRegisterProcess(int count, const char* const* argv, HLVHANDLE* startEvent,
                                                  HLVHANDLE* stopEvent) {
  TraceRegister(count, argv);
  const HLVHANDLE start = Monitor().StartHandle();
  const HLVHANDLE stop = Monitor().StopHandle();
  if (startEvent != nullptr) *startEvent = start;
  if (stopEvent != nullptr) *stopEvent = stop;
  return start != nullptr && stop != nullptr ? 1 : 0;
}

extern "C" HLVAPI int hlvPmonStopProcess(unsigned long pid, char* message, size_t size) {
  const std::string process = "process " + std::to_string(pid);
  if (pid == 0) {
    CopyMessage(message, size, "invalid process id 0");
    return 0;
  }
  const THandle event(OpenEventA(EVENT_MODIFY_STATE, FALSE, StopEventName(pid).c_str()));
  if (event.Value == nullptr) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) {
      CopyMessage(message, size, "no " + process + " registered with halvern (no stop event)");
    } else if (error == ERROR_ACCESS_DENIED) {
      CopyMessage(message, size, "not permitted to stop " + process);
    } else {
      CopyMessage(message, size, "cannot open the stop event of " + process + ": " + SystemMessage(error));
    }
    return 0;
  }
  if (!SetEvent(event.Value)) {
    CopyMessage(message, size, "cannot signal the stop event of " + process + ": " + SystemMessage(GetLastError()));
    return 0;
  }
  return 1;
}
