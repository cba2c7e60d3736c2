#include "queries/QTest.h"

#include "platform/CodePage.h"
#include "telemetry/UServer.h"

void QueryTest(const TJsonPtr& /*Query*/, const TJsonPtr& Answer) {
  // "1" is a string on the wire: clients compare it as text.
  PutString(Answer, u"ok", u"1");
  PutString(Answer, u"serverTime", AnsiToUtf16(ServerTimeText()));
}
