// The host-log build: see UVariant.h.
#include "app/UVariant.h"
#include "common/ULog.h"
#include "halvern.h"

void LogImmediate(const std::string& Text, int Level) {
  // The text is handed over as the argument of a fixed format, so that a
  // "%" in it (client data can hold one) never acts as a directive.
  std::string Line = Text + "\n";
  switch (Level) {
    case 3: e_printf("%s", Line.c_str()); break;
    case 2: m_printf("%s", Line.c_str()); break;
    case 1: d_printf("%s", Line.c_str()); break;
    default: break;
  }
}

void EnterKeyWait() {}
