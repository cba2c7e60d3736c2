#include "queries/UCommandLockout.h"

#include <chrono>
#include <deque>
#include <map>
#include <mutex>
#include <optional>

#include "common/UCommon.h"
#include "common/ULog.h"

namespace {

using TClock = std::chrono::steady_clock;

struct TClientRecord {
  std::deque<TClock::time_point> Refusals;  // within the last Seconds
  std::optional<TClock::time_point> LockedUntil;
  bool Announced = false;  // the lock-out's first refusal is logged
};

std::map<std::string, TClientRecord> Clients;
std::mutex ClientsLock;

TClock::duration Period() { return std::chrono::seconds(Config.CommandLockout.Seconds); }

// Ends the lock-outs whose time is over and drops refusals older than the
// period, and with them the addresses that have nothing left.
void Expire(TClock::time_point Now) {
  for (auto Entry = Clients.begin(); Entry != Clients.end();) {
    TClientRecord& Record = Entry->second;
    if (Record.LockedUntil && *Record.LockedUntil <= Now) {
      if (Record.Announced) WriteLog("Commands from " + Entry->first + " are no longer locked out", 2);
      Record.LockedUntil.reset();
      Record.Announced = false;
    }
    while (!Record.Refusals.empty() && Now - Record.Refusals.front() >= Period()) Record.Refusals.pop_front();
    Entry = Record.Refusals.empty() && !Record.LockedUntil ? Clients.erase(Entry) : std::next(Entry);
  }
}

}  // namespace

bool CommandsLockedOut(const std::string& Client) {
  if (Config.CommandLockout.Failures == 0) return false;
  std::lock_guard<std::mutex> Lock(ClientsLock);
  Expire(TClock::now());
  auto Found = Clients.find(Client);
  if (Found == Clients.end() || !Found->second.LockedUntil) return false;
  if (!Found->second.Announced) {
    Found->second.Announced = true;
    WriteLog("ERROR: commands from " + Client + " locked out for " + std::to_string(Config.CommandLockout.Seconds) +
                 " seconds after " + std::to_string(Config.CommandLockout.Failures) + " refused authorisations",
             3);
  }
  return true;
}

void NoteRefusedAuthorisation(const std::string& Client) {
  if (Config.CommandLockout.Failures == 0) return;
  std::lock_guard<std::mutex> Lock(ClientsLock);
  const TClock::time_point Now = TClock::now();
  Expire(Now);
  TClientRecord& Record = Clients[Client];
  Record.Refusals.push_back(Now);
  if (Record.Refusals.size() < Config.CommandLockout.Failures) return;
  Record.Refusals.clear();
  Record.LockedUntil = Now + Period();
}
