#include "platform/FileAccess.h"

bool IsReadableByOthers(const std::string&) { return false; }
