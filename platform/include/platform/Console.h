// Console: what the program needs from its console: a handler for console
// control events, the window title, and the console build's Enter-key wait.
//
// Control events. Win32: every event of SetConsoleCtrlHandler (Ctrl+C,
// Ctrl+Break, closing the window, log-off, shut-down). POSIX: SIGINT,
// SIGQUIT and SIGHUP, taken by a thread of this unit that waits for them
// with sigwait; no code of the program runs inside a signal handler, and a
// disposition inherited as "ignored" makes no difference (as on Windows). The
// callback runs on that thread (Win32: on the thread the console creates
// for the event), never on the main thread; every event is reported as
// handled, so Ctrl+C and Ctrl+Break never end the process by themselves.
// (After a close, log-off or shut-down event Windows ends the process soon
// after the callback returns, whatever it reports.)
#pragma once

#include <string>

typedef void (*TConsoleCallback)();

// Installs Callback for every console control event; a later call replaces
// the callback. REQUIRES (POSIX): called by the main thread before it starts
// any other thread, since the three signals must stay blocked in every
// thread for the waiting thread to receive them. Threads started later
// inherit the blocked set. Throws std::system_error when the handler cannot
// be installed.
void InstallConsoleHandler(TConsoleCallback Callback);

// Sets the console window title. POSIX: writes the xterm title sequence
// (control characters of Title left out) when standard output is a
// terminal, otherwise does nothing.
void SetConsoleWindowTitle(const std::string& Title);

// The console build's wait after a failed start: takes console input events
// (POSIX: bytes from a terminal) until the Enter key (an end of line),
// sleeping on the input between them instead of spinning. Returns at once when standard input is not a console (Win32)
// or not a terminal (POSIX), or is closed; returns when the input ends.
void WaitForEnterKey();
