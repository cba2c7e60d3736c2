// UVersion: see UVersion.h. VORLANE_BUILD_VERSION comes from the build
// (src/app/CMakeLists.txt).
#include "app/UVersion.h"

const char* BuildVersion() { return VORLANE_BUILD_VERSION; }
