// UTrace: each line is appended by opening the file in append mode, writing
// the line in one piece and closing it again, so that the file can be read,
// moved or removed while the process runs.
#include "common/UTrace.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace {

std::mutex TraceLock;

struct TFileCloser {
  void operator()(std::FILE* File) const { std::fclose(File); }
};

}  // namespace

void TraceLine(const std::string& Line) {
  const std::string text = Line + "\n";
  std::lock_guard<std::mutex> lock(TraceLock);
  const char* path = std::getenv("HALVERN_TRACE");
  if (path == nullptr || *path == '\0') return;
  std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(path, "ab"));
  if (file) std::fwrite(text.data(), 1, text.size(), file.get());
}

std::string TraceText(const char* Text) {
  std::string result = Text != nullptr ? Text : "";
  for (char& c : result) {
    const unsigned char code = static_cast<unsigned char>(c);
    if (code < 0x20 || code == 0x7F) c = '?';
  }
  return result;
}
