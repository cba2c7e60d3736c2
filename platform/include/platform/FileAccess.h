// FileAccess: what the file system lets others do with a file.
//
// Callable from any thread.
#pragma once

#include <string>

// True when users other than the file's owner may read it: on POSIX, any
// read permission for the group or others; on Windows always false (access
// there is governed by the folder's access list, which the installer sets).
bool IsReadableByOthers(const std::string& Path);
