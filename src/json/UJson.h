// UJson: the JSON document model of queries and answers.
//
// A query text becomes a value through ParseJson (lenient rules, below); an
// answer is an object made by NewObject, filled through the Put operations
// and written as compact text by ToJsonText. Texts inside values are UTF-16;
// the caller converts the wire's 8-bit code page on either side.
//
// Threads: a value is built, read and released by one thread at a time (the
// thread that serves one client). Reference counts change atomically, so a
// handle may be copied and dropped anywhere, but nothing here takes a lock:
// two threads must not change or read-while-changing the same value.
//
// Handles: every operation takes and gives TJsonPtr, a shared handle that
// may hold nothing. Operations are total: a handle that holds nothing, or a
// value of another kind than the operation wants, gives nothing, 0, an
// empty text or no effect, as each one says; nothing here throws except
// std::bad_alloc and the std::length_error of ArrayPutAt.
//
// REQUIRES (values built through the API): a value never contains itself,
// directly or through other values (a cycle would never be freed, and the
// writer would not end), and nesting stays shallow (the writer recurses
// once per level). Parsed values are at most 32 levels deep.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

// The kinds in their declared order.
enum class TJsonKind : std::uint8_t {
  Null = 0,
  Boolean = 1,
  Double = 2,    // IEEE 754 64-bit
  Currency = 3,  // signed 64-bit count of 1/10 000
  Integer = 4,   // signed 64-bit
  Object = 5,    // members ordered by key hash, then key
  Array = 6,     // ordered values; a position may be empty
  String = 7,    // UTF-16 text
};

class TJsonPtr;

class TJsonValue;

// One JSON value; its kind is fixed when it is created. Reached only
// through TJsonPtr and the operations below; TJsonValue (inside this unit)
// is its one implementation.
class IJsonValue {
 public:
  IJsonValue(const IJsonValue&) = delete;
  IJsonValue& operator=(const IJsonValue&) = delete;

  virtual TJsonKind Kind() const noexcept = 0;

 private:
  friend class TJsonValue;
  friend class TJsonPtr;
  IJsonValue() = default;
  virtual ~IJsonValue() = default;

  mutable std::atomic<std::uint32_t> RefCount_{0};
};

// A shared handle to a value, or nothing. The value is destroyed when its
// last handle (variable, object member or array element) lets it go.
class TJsonPtr {
 public:
  TJsonPtr() noexcept = default;
  TJsonPtr(std::nullptr_t) noexcept {}
  // Takes a share of Value (which may be null).
  explicit TJsonPtr(IJsonValue* Value) noexcept : Value_(Value) { Acquire(); }
  TJsonPtr(const TJsonPtr& Other) noexcept : Value_(Other.Value_) { Acquire(); }
  TJsonPtr(TJsonPtr&& Other) noexcept : Value_(std::exchange(Other.Value_, nullptr)) {}
  ~TJsonPtr() { Drop(); }

  TJsonPtr& operator=(TJsonPtr Other) noexcept {
    std::swap(Value_, Other.Value_);
    return *this;
  }

  IJsonValue* Get() const noexcept { return Value_; }
  IJsonValue* operator->() const noexcept { return Value_; }
  explicit operator bool() const noexcept { return Value_ != nullptr; }
  friend bool operator==(const TJsonPtr& A, const TJsonPtr& B) noexcept { return A.Value_ == B.Value_; }
  friend bool operator==(const TJsonPtr& A, std::nullptr_t) noexcept { return A.Value_ == nullptr; }

 private:
  void Acquire() noexcept {
    if (Value_) Value_->RefCount_.fetch_add(1, std::memory_order_relaxed);
  }
  void Drop() noexcept {
    if (Value_ && Value_->RefCount_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete Value_;
  }

  IJsonValue* Value_ = nullptr;
};

// ---- Parsing and writing -------------------------------------------------

// Parses the text up to its first NUL code unit by the lenient rules and
// gives the first complete value in it, or nothing when the text is
// invalid. The rules, in short: blanks are space, tab, LF, FF, CR and
// backspace; /* */ and // comments stand wherever a blank may; strings in
// "double" or 'single' quotes with \b \f \n \r \t \uXXXX \xXX escapes (any
// other escaped character stands for itself); null, true and false with
// exact letter case, anything else unquoted read as a string up to the
// next "," or closing bracket (at the top level up to the end of the text);
// unquoted keys up to the next ":"; numbers without ".", "e", "E" are
// integers, with "." and at most four digits after it currencies, others
// doubles; "(" where a value is expected is skipped; a "," before "]" or
// "}" is allowed; values may nest 31 deep below the top-level value; text
// after the first complete value (and blanks and comments after it) is
// ignored. A text of nothing but blanks and comments gives an empty string.
TJsonPtr ParseJson(std::u16string_view Text);

// The compact text of a value: no blanks, members in member order, strings
// with only NUL, '"', '/' and '\' escaped, currencies with up to four
// fraction digits ("1.5", "2.", "0"), doubles as the Windows runtime's
// _gcvt writes 15 significant digits ("0.1", "2.", "1.5e+020"); empty array
// positions, nothing and non-finite doubles are written null.
std::u16string ToJsonText(const TJsonPtr& Value);

// ---- Creating values -----------------------------------------------------

TJsonPtr NewObject();
TJsonPtr NewArray();
TJsonPtr NewString(std::u16string Text);
TJsonPtr NewInteger(std::int64_t Value);
TJsonPtr NewNull();
TJsonPtr NewBoolean(bool Value);
TJsonPtr NewDouble(double Value);
// Units counts 1/10 000: NewCurrency(15000) is 1.5.
TJsonPtr NewCurrency(std::int64_t Units);

// ---- Reading values ------------------------------------------------------

// The value's kind; Null for nothing, so that a kind test on a missing
// member fails like one on a member of another kind.
TJsonKind Kind(const TJsonPtr& Value);

// A string: its text without quotes. Any other kind: ToJsonText of the
// value ("12" for an integer). Nothing: an empty text.
std::u16string AsText(const TJsonPtr& Value);

// Integer: its value. Boolean: 1 or 0. Double: nearest integer, halves to
// even, clamped to the 64-bit range (NaN gives 0). Currency: units / 10 000
// rounded the same way. String: the integer that its whole text is
// (leading spaces, optional sign, decimal digits or hexadecimal digits
// after "$" or "0x"), else 0, also when it does not fit in 64 bits.
// Null, object, array and nothing: 0.
std::int64_t AsInteger(const TJsonPtr& Value);

// Double, currency and integer: the number as a double. Boolean: 1 or 0.
// Other kinds and nothing: 0.
double AsDouble(const TJsonPtr& Value);

// ---- Objects -------------------------------------------------------------

// The member whose key equals Name code unit for code unit, or nothing
// (also when Object is not an object). A member given as JSON null gives a
// value of kind Null.
TJsonPtr GetField(const TJsonPtr& Object, std::u16string_view Name);

// Add a member, or replace the value of the member with that key (the
// member count stays). No effect when Object is not an object. PutValue
// with nothing stores a new null value.
void PutString(const TJsonPtr& Object, std::u16string_view Name, std::u16string Text);
void PutInteger(const TJsonPtr& Object, std::u16string_view Name, std::int64_t Value);
void PutValue(const TJsonPtr& Object, std::u16string_view Name, TJsonPtr Value);

// Number of members; 0 when Object is not an object.
std::size_t MemberCount(const TJsonPtr& Object);

// Calls Visit(key, value) for each member in member order. Visit must not
// change the object.
void ForEachMember(const TJsonPtr& Object,
                   const std::function<void(std::u16string_view Key, const TJsonPtr& Value)>& Visit);

// The 32-bit hash that orders members: h = h * 129 + unit + 0x9E370001 for
// each code unit, wrapping around; members are written by descending hash,
// equal hashes by ascending key.
std::uint32_t JsonKeyHash(std::u16string_view Key);

// ---- Arrays --------------------------------------------------------------

// Appends Value (nothing appends an empty position). No effect on a
// non-array. Storage starts with room for 32 and doubles when full.
void ArrayAppend(const TJsonPtr& Array, TJsonPtr Value);

// Number of positions; 0 when Array is not an array.
std::size_t ArrayLength(const TJsonPtr& Array);

// The value at Index (from 0); nothing for an index outside the array, an
// empty position, or a non-array.
TJsonPtr ArrayItem(const TJsonPtr& Array, std::size_t Index);

// Stores Value at Index, replacing what was there; an Index at or beyond
// the length first lengthens the array to Index + 1 with empty positions
// between. No effect on a non-array. Throws std::length_error when Index
// is beyond what an array can hold.
void ArrayPutAt(const TJsonPtr& Array, std::size_t Index, TJsonPtr Value);
