// UJsonTable: the member table of an object, an AVL tree ordered by member
// order (descending key hash, then ascending key by UTF-16 code units).
// Internal to the JSON unit; same thread rules as the values it holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "json/UJson.h"

struct TJsonAvlEntry {
  std::u16string Key;
  std::uint32_t Hash = 0;
  TJsonPtr Value;
  std::unique_ptr<TJsonAvlEntry> Left;   // members that come before this one
  std::unique_ptr<TJsonAvlEntry> Right;  // members that come after it
  std::int8_t Balance = 0;               // height(Right) - height(Left)
};

class TJsonAvlTree {
 public:
  // The value of the member with this key, or nothing.
  TJsonPtr Find(std::u16string_view Key) const;
  // Adds the member, or gives an existing member with this key the new
  // value (its old value is released).
  void Put(std::u16string Key, TJsonPtr Value);
  std::size_t Count() const noexcept { return Count_; }
  // For checks of the tree's shape.
  const TJsonAvlEntry* Root() const noexcept { return Root_.get(); }

  // Calls Visit(const TJsonAvlEntry&) for every member in member order.
  template <class TVisit>
  void Visit(TVisit&& Fn) const {
    VisitFrom(Root_.get(), Fn);
  }

 private:
  using TSlot = std::unique_ptr<TJsonAvlEntry>;

  bool InsertAt(TSlot& Slot, std::u16string& Key, std::uint32_t Hash, TJsonPtr& Value);
  template <class TVisit>
  static void VisitFrom(const TJsonAvlEntry* Entry, TVisit& Fn) {
    for (; Entry; Entry = Entry->Right.get()) {
      VisitFrom(Entry->Left.get(), Fn);
      Fn(*Entry);
    }
  }

  TSlot Root_;
  std::size_t Count_ = 0;
};

using TJsonMemberTable = TJsonAvlTree;
