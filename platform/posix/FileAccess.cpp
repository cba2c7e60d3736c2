#include "platform/FileAccess.h"

#include <sys/stat.h>

bool IsReadableByOthers(const std::string& Path) {
  struct stat Status {};
  if (stat(Path.c_str(), &Status) != 0) return false;
  return (Status.st_mode & (S_IRGRP | S_IROTH)) != 0;
}
