// The Index argument of the collections' Item and Remove (and the value a
// style's Parent stores), normalised in one fixed order so that every member
// that takes an index reads it the same way:
//
//  1. a VARIANT referring by reference to another VARIANT is replaced by it
//     (other by-reference kinds are left to step 5);
//  2. a null object reference stays a null object reference;
//  3. a non-null object stays an object if it is a HolidayStyle, otherwise
//     it becomes a string through the platform's coercion, which reads the
//     object's default member (so a Day selects by its Key);
//  4. a string stays a string;
//  5. anything else is coerced to a 32-bit integer;
//  6. a coercion that fails leaves the value as it was.
//
// Then a 16- or 32-bit integer is a 1-based position and a string a key.
#pragma once

#include "dovrel60.h"

namespace dovrel {

enum class IndexKind { Position, Key, Object, NullObject, Null, Other };

// The kind of an already normalised value.
IndexKind KindOfIndex(const VARIANT& normalised);

class IndexArgument {
 public:
  // Normalises a copy of index. Out of memory while copying leaves Other.
  explicit IndexArgument(const VARIANT& index);
  ~IndexArgument() { VariantClear(&value_); }
  IndexArgument(const IndexArgument&) = delete;
  IndexArgument& operator=(const IndexArgument&) = delete;

  IndexKind Kind() const { return KindOfIndex(value_); }
  LONG Position() const { return value_.vt == VT_I2 ? value_.iVal : value_.lVal; }  // for Kind() == Position
  BSTR Key() const { return value_.bstrVal; }                                       // for Kind() == Key; may be null
  IUnknown* Object() const { return value_.punkVal; }                               // for Kind() == Object

  // The normalised value itself (a style stores it as its Parent).
  const VARIANT& Value() const { return value_; }
  // Hands the normalised value over; the argument is Empty afterwards.
  VARIANT Detach() {
    VARIANT out = value_;
    VariantInit(&value_);
    return out;
  }

 private:
  VARIANT value_;
};

}  // namespace dovrel
