// UJsonTable: AVL insertion and lookup in member order.
#include "json/UJsonTable.h"

#include <utility>

std::uint32_t JsonKeyHash(std::u16string_view Key) {
  std::uint32_t H = 0;
  for (char16_t Unit : Key) H = H * 129u + Unit + 0x9E370001u;
  return H;
}

namespace {

using TSlot = std::unique_ptr<TJsonAvlEntry>;

// Negative when (Hash, Key) comes before Entry, 0 for the same key.
int CompareTo(std::uint32_t Hash, std::u16string_view Key, const TJsonAvlEntry& Entry) {
  if (Hash != Entry.Hash) return Hash > Entry.Hash ? -1 : 1;
  return Key.compare(Entry.Key);
}

TSlot& Child(TJsonAvlEntry& Entry, bool Right) { return Right ? Entry.Right : Entry.Left; }

// Lifts the child on the side opposite to Toward into Slot's place.
void Rotate(TSlot& Slot, bool Toward) {
  TSlot Pivot = std::move(Child(*Slot, !Toward));
  Child(*Slot, !Toward) = std::move(Child(*Pivot, Toward));
  Child(*Pivot, Toward) = std::move(Slot);
  Slot = std::move(Pivot);
}

// Slot leans two to the Right (or left) side after that subtree grew: a
// single rotation when its child there leans the same way, else a double
// rotation that lifts the grandchild between them.
void Rebalance(TSlot& Slot, bool Right) {
  const std::int8_t Lean = Right ? 1 : -1;
  TJsonAvlEntry& Top = *Slot;
  TJsonAvlEntry& Heavy = *Child(Top, Right);
  if (Heavy.Balance == Lean) {
    Top.Balance = 0;
    Heavy.Balance = 0;
    Rotate(Slot, !Right);
    return;
  }
  // Top and Heavy each receive one of Middle's subtrees; the one that gets
  // the shorter subtree leans away from it.
  TJsonAvlEntry& Middle = *Child(Heavy, !Right);
  Top.Balance = Middle.Balance == Lean ? static_cast<std::int8_t>(-Lean) : 0;
  Heavy.Balance = Middle.Balance == -Lean ? Lean : 0;
  Middle.Balance = 0;
  Rotate(Child(Top, Right), Right);
  Rotate(Slot, !Right);
}

}  // namespace

TJsonPtr TJsonAvlTree::Find(std::u16string_view Key) const {
  const std::uint32_t Hash = JsonKeyHash(Key);
  const TJsonAvlEntry* Entry = Root_.get();
  while (Entry) {
    const int Order = CompareTo(Hash, Key, *Entry);
    if (Order == 0) return Entry->Value;
    Entry = Order < 0 ? Entry->Left.get() : Entry->Right.get();
  }
  return {};
}

void TJsonAvlTree::Put(std::u16string Key, TJsonPtr Value) {
  const std::uint32_t Hash = JsonKeyHash(Key);
  InsertAt(Root_, Key, Hash, Value);
}

// Returns true when the subtree in Slot grew one taller.
bool TJsonAvlTree::InsertAt(TSlot& Slot, std::u16string& Key, std::uint32_t Hash, TJsonPtr& Value) {
  if (!Slot) {
    Slot.reset(new TJsonAvlEntry{std::move(Key), Hash, std::move(Value), nullptr, nullptr, 0});
    ++Count_;
    return true;
  }
  const int Order = CompareTo(Hash, Key, *Slot);
  if (Order == 0) {
    Slot->Value = std::move(Value);
    return false;
  }
  const bool Right = Order > 0;
  if (!InsertAt(Child(*Slot, Right), Key, Hash, Value)) return false;
  Slot->Balance = static_cast<std::int8_t>(Slot->Balance + (Right ? 1 : -1));
  if (Slot->Balance == (Right ? 2 : -2)) {
    Rebalance(Slot, Right);
    return false;
  }
  return Slot->Balance != 0;
}
