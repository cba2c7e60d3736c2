// UCommandAudit: the audit line of a control command: who sent it (the
// client's address), what it was (type, point, value), how it was proved
// (key id, scheme) and how it ended (done, failed with its error, refused
// with the reason, which only the log tells).
//
// A session makes one TCommandAudit on its own thread for its whole life;
// the command authorisation on that thread fills it through
// CommandAudit(), and the session writes Line() after its other lines.
// Nothing here is shared between threads.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

// What the authorisation knows of a command when it starts its check.
struct TCommandSubject {
  std::string Type;   // the query type in lower case
  std::string Point;  // "channel.rtu.point"
  std::string Value;  // the value the command sets; empty when none
};

class TCommandAudit {
 public:
  // Becomes the audit of this thread while it lives. Client is the
  // session's address text, read when a command reaches authorisation;
  // it must outlive this object.
  explicit TCommandAudit(const std::string& Client);
  ~TCommandAudit();
  TCommandAudit(const TCommandAudit&) = delete;
  TCommandAudit& operator=(const TCommandAudit&) = delete;

  const std::string& Client() const { return Client_; }

  // By the authorisation, in this order: the command reached it, with
  // the scheme of its proof (MAC or hash); the key it names ("default" or
  // an id); then accepted, or refused with the reason (and any further
  // "name=value" fields, such as both clocks).
  void Reached(const TCommandSubject& Subject, bool Mac);
  void UsesKey(std::string KeyId) { KeyId_ = std::move(KeyId); }
  void Authorised();
  void Refused(std::string Reason, std::string Details = {});

  // By the session: the message of the error that ended the query. After
  // an authorisation it makes the outcome "failed"; otherwise no effect.
  void QueryFailed(const std::string& Message);

  // The audit line, or an empty text when no command reached the
  // authorisation on this session.
  std::string Line() const;

 private:
  enum class TOutcome { None, Checking, Done, Failed, Refused };

  const std::string& Client_;
  TCommandSubject Subject_;
  bool Mac_ = false;
  std::string KeyId_ = "default";
  TOutcome Outcome_ = TOutcome::None;
  std::string Detail_;  // the refusal's reason and fields, or the failure's message
  TCommandAudit* Outer_;
};

// The audit of this thread's session; a thread without a session gets one
// of its own whose line nobody writes.
TCommandAudit& CommandAudit();

// Milliseconds since 1970 UTC as "2026-12-09T07:49:31.120Z" (seconds
// without the fraction when WithMilliseconds is false); outside the years
// 1970 to 9999 the number itself.
std::string UtcClockText(int64_t Milliseconds, bool WithMilliseconds);
