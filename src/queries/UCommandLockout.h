// UCommandLockout: commands from a client address refused without any
// check for Config.CommandLockout.Seconds once that address had
// Config.CommandLockout.Failures refused authorisations within as many
// seconds. Off (nothing ever locked) when Failures is 0.
//
// Called by the command authorisation on client session threads, any
// number at once; the record of addresses is guarded inside. Writes the
// first refusal of each lock-out at level 3 and its end at level 2; an end
// is noticed, and logged, at the next command authorisation of any client.
#pragma once

#include <string>

// True while commands from Client are locked out.
bool CommandsLockedOut(const std::string& Client);

// Counts one refused authorisation of a command from Client; the one that
// reaches the limit starts the lock-out.
void NoteRefusedAuthorisation(const std::string& Client);
