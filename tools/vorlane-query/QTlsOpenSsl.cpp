// QTlsOpenSsl: the TLS transport through OpenSSL (POSIX builds): TLS 1.2 or
// later; the gateway's certificate verified against the given or the
// system's trusted certificates and for the expected name or address.
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <csignal>

#include "QTransport.h"

namespace {

struct TContextFree {
  void operator()(SSL_CTX* Context) const { SSL_CTX_free(Context); }
};
struct TSslFree {
  void operator()(SSL* Ssl) const { SSL_free(Ssl); }
};
using TContext = std::unique_ptr<SSL_CTX, TContextFree>;
using TSsl = std::unique_ptr<SSL, TSslFree>;

// What, followed by the reason OpenSSL gave last; its queue is emptied.
std::string ErrorText(const std::string& What) {
  std::string Text = What;
  if (const char* Reason = ERR_reason_error_string(ERR_peek_last_error())) Text += std::string(": ") + Reason;
  ERR_clear_error();
  return Text;
}

[[noreturn]] void Fail(const std::string& What) { throw ETransportFailure(ErrorText(What)); }

void UseClientCertificate(SSL_CTX* Context, const TTlsOptions& Options) {
  if (SSL_CTX_use_certificate_chain_file(Context, Options.CertFile.c_str()) != 1) {
    Fail("cannot read the certificate " + Options.CertFile);
  }
  if (SSL_CTX_use_PrivateKey_file(Context, Options.KeyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
    Fail("cannot read the key " + Options.KeyFile);
  }
  if (SSL_CTX_check_private_key(Context) != 1) {
    Fail("the key " + Options.KeyFile + " does not belong to the certificate " + Options.CertFile);
  }
}

TContext MakeContext(const TTlsOptions& Options) {
  TContext Context(SSL_CTX_new(TLS_client_method()));
  if (!Context) Fail("TLS cannot start");
  SSL_CTX_set_min_proto_version(Context.get(), TLS1_2_VERSION);
  SSL_CTX_set_verify(Context.get(), SSL_VERIFY_PEER, nullptr);
  // The gateway's end of the answer is the end of the connection; a
  // terminator that closes without TLS's own farewell ends it as well.
  SSL_CTX_set_options(Context.get(), SSL_OP_IGNORE_UNEXPECTED_EOF);
  const bool Trusted = Options.CaFile.empty()
                           ? SSL_CTX_set_default_verify_paths(Context.get()) == 1
                           : SSL_CTX_load_verify_locations(Context.get(), Options.CaFile.c_str(), nullptr) == 1;
  if (!Trusted) Fail("cannot read the trusted certificates " + Options.CaFile);
  if (!Options.CertFile.empty()) UseClientCertificate(Context.get(), Options);
  return Context;
}

// The name asked for in the handshake and checked in the certificate; an
// address is checked as an address and not sent as a name.
void ExpectName(SSL* Ssl, const std::string& Name) {
  if (X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(Ssl), Name.c_str()) == 1) return;
  ERR_clear_error();
  if (SSL_set_tlsext_host_name(Ssl, Name.c_str()) != 1 || SSL_set1_host(Ssl, Name.c_str()) != 1) {
    Fail("the name " + Name + " cannot be asked for");
  }
}

std::string HandshakeProblem(SSL* Ssl) {
  const long Verified = SSL_get_verify_result(Ssl);
  if (Verified == X509_V_OK) return ErrorText("the TLS handshake failed");
  ERR_clear_error();
  return std::string("the gateway's certificate is not accepted: ") + X509_verify_cert_error_string(Verified);
}

class TOpenSslTransport : public TTransport {
 public:
  TOpenSslTransport(TSocketHandle Socket, const TTlsOptions& Options, const std::string& Host)
      : Context_(MakeContext(Options)), Ssl_(SSL_new(Context_.get())) {
    if (!Ssl_ || SSL_set_fd(Ssl_.get(), static_cast<int>(Socket)) != 1) Fail("TLS cannot start");
    ExpectName(Ssl_.get(), Options.ServerName.empty() ? Host : Options.ServerName);
    if (SSL_connect(Ssl_.get()) != 1) throw ETransportFailure(HandshakeProblem(Ssl_.get()));
  }

  bool Send(std::string_view Bytes) override {
    std::size_t Written = 0;
    if (SSL_write_ex(Ssl_.get(), Bytes.data(), Bytes.size(), &Written) == 1 && Written == Bytes.size()) return true;
    Problem_ = ErrorText("TLS failed");
    return false;
  }

  int Receive(char* Buffer, int Size) override {
    std::size_t Count = 0;
    const int Result = SSL_read_ex(Ssl_.get(), Buffer, static_cast<std::size_t>(Size), &Count);
    if (Result == 1) return static_cast<int>(Count);
    const int Error = SSL_get_error(Ssl_.get(), Result);
    if (Error == SSL_ERROR_ZERO_RETURN) return 0;
    // A time-out or a failure of the socket itself is told by the caller.
    Problem_ = Error == SSL_ERROR_SSL ? ErrorText("TLS failed") : std::string();
    ERR_clear_error();
    return -1;
  }

  std::string Problem() const override { return Problem_; }

 private:
  TContext Context_;
  TSsl Ssl_;
  std::string Problem_;
};

}  // namespace

bool TlsAvailable() { return true; }

std::unique_ptr<TTransport> TlsTransport(TSocketHandle Socket, const TTlsOptions& Options, const std::string& Host) {
  // OpenSSL writes to the socket without MSG_NOSIGNAL: a terminator that has
  // gone must fail the write, not end the program.
  std::signal(SIGPIPE, SIG_IGN);
  return std::make_unique<TOpenSslTransport>(Socket, Options, Host);
}
