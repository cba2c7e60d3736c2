// Exported object calls: names, properties, enumeration, class data.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "client/UTvxConnection.h"
#include "telvex.h"

namespace {

// Copies Text into Buffer as a NUL-terminated text of at most Size bytes.
void CopyCut(const std::string& Text, char* Buffer, int32_t Size) {
  if (Buffer == nullptr || Size <= 0) return;
  const size_t Count = std::min(Text.size(), static_cast<size_t>(Size) - 1);
  std::memcpy(Buffer, Text.data(), Count);
  Buffer[Count] = '\0';
}

// The request's address part.
TTvxWriter Address(uint16_t Kind, uint16_t Channel, uint16_t Rtu, uint16_t Point) {
  TTvxWriter Request;
  Request.Put(Kind).Put(Channel).Put(Rtu).Put(Point);
  return Request;
}

// A name answer: found flag and text. Result 1 when found with a name.
int32_t NameCall(int32_t Handle, TTvxOp Op, const TTvxWriter& Request, char* Buffer, int32_t Size) {
  std::vector<uint8_t> Answer;
  if (!CallHandle(Handle, Op, Request, Answer)) return 0;
  TTvxReader Reader(Answer);
  const uint8_t Found = Reader.Get<uint8_t>();
  const std::string Name = Reader.GetText();
  if (!Reader.Done()) return 0;
  CopyCut(Name, Buffer, Size);
  return Found != 0 && !Name.empty() ? 1 : 0;
}

// The leading whole lines of Text (CR LF separated) that fit in Limit bytes.
std::string WholeLines(const std::string& Text, size_t Limit) {
  if (Text.size() <= Limit) return Text;
  const size_t End = Text.rfind("\r\n", Limit);  // the text before it has End bytes
  return End == std::string::npos ? std::string() : Text.substr(0, End);
}

}  // namespace

extern "C" {

TVX_API int32_t tvxGetObjectName(int32_t Handle, uint16_t Kind, uint16_t Channel, uint16_t Rtu, uint16_t Point,
                                 char* Buffer, int32_t Size) {
  CopyCut(std::string(), Buffer, Size);
  return NameCall(Handle, TTvxOp::GetObjectName, Address(Kind, Channel, Rtu, Point), Buffer, Size);
}

TVX_API int32_t tvxGetObjectNameEx(int32_t Handle, uint16_t Kind, uint16_t Channel, uint16_t Rtu, uint16_t Point,
                                   uint16_t Number, char* Buffer, int32_t Size) {
  CopyCut(std::string(), Buffer, Size);
  TTvxWriter Request = Address(Kind, Channel, Rtu, Point);
  Request.Put(Number);
  return NameCall(Handle, TTvxOp::GetObjectNameEx, Request, Buffer, Size);
}

TVX_API int32_t tvxGetObjectProperties(int32_t Handle, uint16_t Kind, uint16_t Channel, uint16_t Rtu,
                                       uint16_t Point, char* Buffer, int32_t Size) {
  std::vector<uint8_t> Answer;
  if (Buffer == nullptr || Size <= 0 ||
      !CallHandle(Handle, TTvxOp::GetObjectProperties, Address(Kind, Channel, Rtu, Point), Answer))
    return 0;
  TTvxReader Reader(Answer);
  const std::string Text = Reader.GetText();
  if (!Reader.Done()) return 0;
  CopyCut(WholeLines(Text, static_cast<size_t>(Size) - 1), Buffer, Size);
  return 1;
}

TVX_API int32_t tvxEnumObjects(int32_t Handle, uint16_t Kind, int32_t MaxCount, uint16_t* Ids, uint16_t Channel,
                               uint16_t Rtu, uint16_t First) {
  const uint16_t Limit = static_cast<uint16_t>(std::clamp(MaxCount, 0, 255));
  if (Ids == nullptr || Limit == 0) return 0;
  TTvxWriter Request = Address(Kind, Channel, Rtu, First);
  Request.Put(Limit);
  std::vector<uint8_t> Answer;
  if (!CallHandle(Handle, TTvxOp::EnumObjects, Request, Answer)) return 0;
  TTvxReader Reader(Answer);
  const uint16_t Count = Reader.Get<uint16_t>();
  const uint8_t* List = Reader.Take(static_cast<size_t>(Count) * sizeof(uint16_t));
  if (!Reader.Done() || Count > Limit) return 0;
  if (Count > 0) std::memcpy(Ids, List, static_cast<size_t>(Count) * sizeof(uint16_t));
  return Count;
}

TVX_API TStatusClassData* tvxGetStatusClassData(int32_t Handle, int32_t Mode, uint16_t Channel, uint16_t Rtu,
                                                uint16_t Point) {
  TTvxWriter Request = Address(TVX_KIND_STATUS, Channel, Rtu, Point);
  Request.Put(Mode);
  std::vector<uint8_t> Answer;
  if (!CallHandle(Handle, TTvxOp::GetStatusClassData, Request, Answer)) return nullptr;
  TTvxReader Reader(Answer);
  const std::string Text = Reader.GetText();
  if (!Reader.Done()) return nullptr;
  // One block: the record, then the text it points to.
  auto* Block = static_cast<TStatusClassData*>(std::malloc(sizeof(TStatusClassData) + Text.size() + 1));
  if (Block == nullptr) return nullptr;
  char* Lines = reinterpret_cast<char*>(Block + 1);
  std::memcpy(Lines, Text.c_str(), Text.size() + 1);
  Block->Text = Lines;
  Block->Length = static_cast<uint32_t>(Text.size());
  return Block;
}

}  // extern "C"
