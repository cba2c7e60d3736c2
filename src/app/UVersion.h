// UVersion: the gateway's version text, shown in the banner and by
// --version, and the version of this build. Any thread.
#pragma once

inline constexpr const char* GatewayVersion = "1.66 20-Mar-2013";

// The project's version and, for a build configured in a git checkout, the
// commit described by git at configure time, e.g. "1.66 (1fcf068-dirty)".
const char* BuildVersion();
