// UJsonValue: the one implementation of IJsonValue and the helpers that
// the parser, the writer and the operations share. Internal to the unit.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "json/UJson.h"
#include "json/UJsonTable.h"

// A count of 1/10 000, kept apart from plain integers in the variant.
struct TJsonCurrency {
  std::int64_t Units = 0;
};

// An ordered list of values; an empty position holds nothing.
using TJsonArray = std::vector<TJsonPtr>;

// The alternatives stand in the order of TJsonKind, so that the index of
// the held alternative is the kind.
using TJsonContent = std::variant<std::monostate, bool, double, TJsonCurrency, std::int64_t, TJsonMemberTable,
                                  TJsonArray, std::u16string>;

class TJsonValue final : public IJsonValue {
 public:
  template <class T, class... TArgs>
  explicit TJsonValue(std::in_place_type_t<T> Type, TArgs&&... Args)
      : Content_(Type, std::forward<TArgs>(Args)...) {}

  TJsonKind Kind() const noexcept override { return static_cast<TJsonKind>(Content_.index()); }
  const TJsonContent& Content() const noexcept { return Content_; }
  TJsonContent& Content() noexcept { return Content_; }

 private:
  TJsonContent Content_;
};

template <class T, class... TArgs>
TJsonPtr MakeJson(TArgs&&... Args) {
  return TJsonPtr(new TJsonValue(std::in_place_type<T>, std::forward<TArgs>(Args)...));
}

// The content of Value when it is of kind T, else null (also for nothing).
template <class T>
T* JsonContent(const TJsonPtr& Value) {
  return Value ? std::get_if<T>(&static_cast<TJsonValue*>(Value.Get())->Content()) : nullptr;
}
