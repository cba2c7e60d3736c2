// Export: marks data that the program file exports by name, so that the
// host framework can find it in the running executable.
//
// Use it on extern "C" definitions at namespace scope, e.g.
//   extern "C" PLATFORM_EXPORT char lpszServerTraceName[204];
// Windows: the executable's export table carries the symbol. POSIX: the
// symbol keeps default visibility; the executable target must also be
// linked with ENABLE_EXPORTS (-rdynamic) for it to reach the dynamic symbol
// table.
#pragma once

#ifdef _WIN32
#define PLATFORM_EXPORT __declspec(dllexport)
#else
#define PLATFORM_EXPORT __attribute__((visibility("default")))
#endif
