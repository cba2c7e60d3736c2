// UServerTrace: the trace service. The 8-byte slot of a server holds a
// mark and the process id; the trace name is remembered for the status
// line that the service manager shows.
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>

#include "common/UServiceManager.h"
#include "common/UTrace.h"
#include "halvern.h"

namespace {

std::mutex NameLock;
std::string TraceName;

std::string StateText(int State) {
  switch (State) {
    case 0: return "starting";
    case 1: return "connected";
    case 2: return "not connected or stopping";
    default: return "state " + std::to_string(State);
  }
}

}  // namespace

extern "C" HLVAPI int strac_AllocServer(void* slot, unsigned long pid, int reserved, const char* traceName,
                                        const char* typeText) {
  (void)reserved;
  if (slot == nullptr) return 0;
  const uint32_t id = static_cast<uint32_t>(pid);
  std::memcpy(slot, "HLVS", 4);
  std::memcpy(static_cast<char*>(slot) + 4, &id, 4);
  {
    std::lock_guard<std::mutex> lock(NameLock);
    TraceName = TraceText(traceName);
  }
  TraceLine("alloc pid=" + std::to_string(pid) + " trace=" + TraceText(traceName) + " type=" +
            TraceText(typeText));
  return 1;
}

extern "C" HLVAPI int strac_SetServerState(void* slot, int state) {
  if (slot == nullptr) return 0;
  TraceLine("state " + std::to_string(state));
  std::string name;
  {
    std::lock_guard<std::mutex> lock(NameLock);
    name = TraceName;
  }
  NotifyServiceManager("STATUS=" + name + ": " + StateText(state));
  return 1;
}
