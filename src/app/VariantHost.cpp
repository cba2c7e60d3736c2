// The host-log build: see UVariant.h.
#include "app/UVariant.h"
#include "common/ULog.h"
#include "halvern.h"

void LogImmediate(const std::string& Text, TLogLevel Level) {
  // The text is handed over as the argument of a fixed format, so that a
  // "%" in it (client data can hold one) never acts as a directive.
  std::string Line = Text + "\n";
  switch (Level) {
    case TLogLevel::Error: e_printf("%s", Line.c_str()); break;
    case TLogLevel::Notice: m_printf("%s", Line.c_str()); break;
    case TLogLevel::Debug: d_printf("%s", Line.c_str()); break;
    case TLogLevel::Progress: break;
  }
}

void EnterKeyWait() {}
