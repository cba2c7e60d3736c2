// FileAccess: what the file system lets others do with a file.
//
// Callable from any thread.
#pragma once

#include <fstream>
#include <string>

// True when users other than the file's owner may read it: on POSIX, any
// read permission for the group or others; on Windows always false (access
// there is governed by the folder's access list, which the installer sets).
bool IsReadableByOthers(const std::string& Path);

// Every byte of the file at Path into Bytes; false when it cannot be
// opened or read. Read through the stream's guarded input, which turns a
// read failure (a folder opened as a file, say) into the stream's bad
// state, where iterating over its buffer would throw instead.
inline bool ReadWholeFile(const std::string& Path, std::string& Bytes) {
  std::ifstream File(Path, std::ios::binary);
  if (!File) return false;
  Bytes.clear();
  char Buffer[4096];
  while (File.read(Buffer, sizeof Buffer), File.gcount() > 0) {
    Bytes.append(Buffer, static_cast<std::size_t>(File.gcount()));
  }
  return !File.bad();
}
