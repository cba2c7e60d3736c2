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

void RotateRight(TSlot& Slot) {
  TSlot Pivot = std::move(Slot->Left);
  Slot->Left = std::move(Pivot->Right);
  Pivot->Right = std::move(Slot);
  Slot = std::move(Pivot);
}

void RotateLeft(TSlot& Slot) {
  TSlot Pivot = std::move(Slot->Right);
  Slot->Right = std::move(Pivot->Left);
  Pivot->Left = std::move(Slot);
  Slot = std::move(Pivot);
}

// Balance factors after a double rotation that lifts Middle above
// LeftChild and RightChild: each child receives one of Middle's subtrees,
// and the one that gets the shorter subtree leans away from it.
void SettleDouble(TJsonAvlEntry& LeftChild, TJsonAvlEntry& Middle, TJsonAvlEntry& RightChild) {
  LeftChild.Balance = Middle.Balance > 0 ? -1 : 0;
  RightChild.Balance = Middle.Balance < 0 ? 1 : 0;
  Middle.Balance = 0;
}

// Slot leans two to the left after its left subtree grew.
void FixLeftHeavy(TSlot& Slot) {
  TJsonAvlEntry& Left = *Slot->Left;
  if (Left.Balance < 0) {
    Slot->Balance = 0;
    Left.Balance = 0;
    RotateRight(Slot);
    return;
  }
  TJsonAvlEntry& Top = *Slot;
  TJsonAvlEntry& Middle = *Left.Right;
  SettleDouble(Left, Middle, Top);
  RotateLeft(Slot->Left);
  RotateRight(Slot);
}

// Slot leans two to the right after its right subtree grew.
void FixRightHeavy(TSlot& Slot) {
  TJsonAvlEntry& Right = *Slot->Right;
  if (Right.Balance > 0) {
    Slot->Balance = 0;
    Right.Balance = 0;
    RotateLeft(Slot);
    return;
  }
  TJsonAvlEntry& Top = *Slot;
  TJsonAvlEntry& Middle = *Right.Left;
  SettleDouble(Top, Middle, Right);
  RotateRight(Slot->Right);
  RotateLeft(Slot);
}

}  // namespace

TJsonPtr TJsonAvlTree::Find(std::u16string_view Key) const {
  const std::uint32_t Hash = JsonKeyHash(Key);
  const TJsonAvlEntry* Entry = FRoot.get();
  while (Entry) {
    const int Order = CompareTo(Hash, Key, *Entry);
    if (Order == 0) return Entry->Value;
    Entry = Order < 0 ? Entry->Left.get() : Entry->Right.get();
  }
  return {};
}

void TJsonAvlTree::Put(std::u16string Key, TJsonPtr Value) {
  const std::uint32_t Hash = JsonKeyHash(Key);
  InsertAt(FRoot, Key, Hash, Value);
}

// Returns true when the subtree in Slot grew one taller.
bool TJsonAvlTree::InsertAt(TSlot& Slot, std::u16string& Key, std::uint32_t Hash, TJsonPtr& Value) {
  if (!Slot) {
    Slot.reset(new TJsonAvlEntry{std::move(Key), Hash, std::move(Value), nullptr, nullptr, 0});
    ++FCount;
    return true;
  }
  const int Order = CompareTo(Hash, Key, *Slot);
  if (Order == 0) {
    Slot->Value = std::move(Value);
    return false;
  }
  if (Order < 0) {
    if (!InsertAt(Slot->Left, Key, Hash, Value)) return false;
    if (--Slot->Balance == -2) {
      FixLeftHeavy(Slot);
      return false;
    }
  } else {
    if (!InsertAt(Slot->Right, Key, Hash, Value)) return false;
    if (++Slot->Balance == 2) {
      FixRightHeavy(Slot);
      return false;
    }
  }
  return Slot->Balance != 0;
}
