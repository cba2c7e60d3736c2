#include "net/UAdmission.h"

#include <algorithm>

#include "common/UCommon.h"
#include "common/ULog.h"

bool TWhiteList::Admits(const std::string& Address) const {
  return Count == 0 || std::find(Entries.begin(), Entries.end(), Address) != Entries.end();
}

bool IsTrustedProxy(const std::string& Address) {
  const std::vector<std::string>& Proxies = Config.TrustedProxies;
  return std::find(Proxies.begin(), Proxies.end(), Address) != Proxies.end();
}

void LogRefusal(const std::string& Address, TRefusal Reason) {
  const char* Why = "";
  switch (Reason) {
    case TRefusal::NotInWhiteList: Why = "not in white list"; break;
    case TRefusal::MaxClients: Why = "max clients reached"; break;
    case TRefusal::NoProxyHeader: Why = "no valid proxy header"; break;
  }
  WriteLog("Client " + Address + " force-disconnected - " + Why, TLogLevel::Debug);
}

bool Refuses(const TWhiteList& WhiteList, const std::string& Address) {
  if (!WhiteList.Admits(Address)) {
    LogRefusal(Address, TRefusal::NotInWhiteList);
    return true;
  }
  if (ClientCount >= Config.Threads) {
    LogRefusal(Address, TRefusal::MaxClients);
    return true;
  }
  return false;
}
