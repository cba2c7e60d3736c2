#include "protocol/UTvxWire.h"

#include <array>

namespace {

constexpr std::array<std::string_view, static_cast<size_t>(TTvxOp::Count_)> OpNames = {
    "",
    "tvxConnect",
    "tvxSystemTime",
    "tvxGetObjectName",
    "tvxGetObjectNameEx",
    "tvxGetObjectProperties",
    "tvxEnumObjects",
    "tvxGetStatusClassData",
    "tvxStatusByList",
    "tvxAnalogByList",
    "tvxAccumByList",
    "tvxAnalogFull",
    "tvxTakeRetroTit",
    "tvxStatus",
    "tvxSetValues",
    "tvxSetStatusFlags",
    "tvxClrStatusFlags",
    "tvxSetAnalog",
    "tvxSetAnalogFlags",
    "tvxRegEvent",
    "tvxGetCurrentElix",
    "tvxEventLogByElix",
    "tvxEventLogByIndex",
};

}  // namespace

std::string_view TvxOpName(TTvxOp Op) {
  const auto Index = static_cast<size_t>(Op);
  return Index < OpNames.size() ? OpNames[Index] : std::string_view();
}

TTvxOp TvxOpByName(std::string_view Name) {
  for (size_t I = 1; I < OpNames.size(); ++I)
    if (OpNames[I] == Name) return static_cast<TTvxOp>(I);
  return TTvxOp::Count_;
}
