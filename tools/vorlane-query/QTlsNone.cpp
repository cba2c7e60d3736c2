// QTlsNone: the TLS transport of a build without a TLS library (Windows):
// none. The operator puts stunnel in client mode in front instead.
#include "QTransport.h"

bool TlsAvailable() { return false; }

std::unique_ptr<TTransport> TlsTransport(TSocketHandle, const TTlsOptions&, const std::string&) {
  throw ETransportFailure("TLS is not available in this build");
}
