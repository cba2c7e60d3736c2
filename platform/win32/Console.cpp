// Console, Win32: SetConsoleCtrlHandler for the control events, console
// input records for the Enter-key wait.
#include "platform/Console.h"

#include <windows.h>

#include <atomic>
#include <system_error>

namespace {

std::atomic<TConsoleCallback> Callback{nullptr};

// Runs on the thread that the console creates for each event.
BOOL WINAPI OnControlEvent(DWORD) {
  if (const TConsoleCallback callback = Callback.load()) callback();
  return TRUE;
}

enum class TKeyRead { Key, Nothing, Failed };

// Takes one pending input event, if any, without blocking.
TKeyRead TakeKey(HANDLE Input, int& Key) {
  INPUT_RECORD record{};
  DWORD pending = 0;
  if (!PeekConsoleInputA(Input, &record, 1, &pending)) return TKeyRead::Failed;
  if (pending == 0) return TKeyRead::Nothing;
  DWORD taken = 0;
  if (!ReadConsoleInputA(Input, &record, 1, &taken)) return TKeyRead::Failed;
  if (taken == 0 || record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) return TKeyRead::Nothing;
  Key = record.Event.KeyEvent.wVirtualKeyCode;
  return TKeyRead::Key;
}

HANDLE StandardInput() {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  return input == INVALID_HANDLE_VALUE ? nullptr : input;
}

}  // namespace

void InstallConsoleHandler(TConsoleCallback NewCallback) {
  Callback = NewCallback;
  static const bool installed = [] {
    if (!SetConsoleCtrlHandler(OnControlEvent, TRUE)) {
      throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "SetConsoleCtrlHandler");
    }
    return true;
  }();
  (void)installed;
}

void SetConsoleWindowTitle(const std::string& Title) { SetConsoleTitleA(Title.c_str()); }

void WaitForEnterKey() {
  const HANDLE input = StandardInput();
  DWORD mode = 0;
  // Redirected or closed input is no console: nobody could press Enter.
  if (input == nullptr || !GetConsoleMode(input, &mode)) return;
  for (;;) {
    // A console input handle is signalled while input events are pending.
    if (WaitForSingleObject(input, INFINITE) != WAIT_OBJECT_0) return;
    int key = 0;
    const TKeyRead outcome = TakeKey(input, key);
    if (outcome == TKeyRead::Failed || (outcome == TKeyRead::Key && key == VK_RETURN)) return;
  }
}
