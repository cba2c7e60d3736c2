// Terminal on POSIX: the user's side is UTF-8, written by the code pages'
// own UTF-8 encoder.
#include "platform/Terminal.h"

#include "platform/CodePage.h"

std::string Utf16ToTerminal(std::u16string_view Text) { return Utf16ToUtf8(Text); }

void SetBinaryOutput() {}
