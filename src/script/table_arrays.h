// What the preprocessor's table blocks (TableDefine, TableDefine2D,
// TableData, TableFill) need from the project's arrays: their shape, their
// elements and a way to write a record's values. The array store provides it.
#pragma once

#include <cstdint>
#include <string_view>

namespace tarvolin::script {

// Element types, as the array definitions number them.
enum ArrayElementType : int { kElemU8, kElemS8, kElemU16, kElemS16, kElemS32, kElemVector, kElemMatrix };

// Values an element of a type takes: 1, 3 for a vector, 12 for a matrix.
inline int ValuesPerElement(int type) { return type == kElemVector ? 3 : type == kElemMatrix ? 12 : 1; }
// Whether a value fits an element of a type.
inline bool ValueFitsElement(int type, std::int64_t v) {
  switch (type) {
    case kElemU8: return v >= 0 && v <= 255;
    case kElemS8: return v >= -128 && v <= 127;
    case kElemU16: return v >= 0 && v <= 65535;
    case kElemS16: return v >= -32768 && v <= 32767;
    default: return true;
  }
}

class TableArrays {
 public:
  virtual ~TableArrays() = default;
  // The array's index, or -1.
  virtual int FindArray(std::string_view name) const = 0;
  virtual bool Is2D(int array) const = 0;
  virtual int DimX(int array) const = 0;
  virtual int DimY(int array) const = 0;
  // The element's index in the array's definition, or -1.
  virtual int FindElement(int array, std::string_view name) const = 0;
  virtual int ElementType(int array, int element) const = 0;
  // Writes the values of one element of record (x, y).
  virtual void WriteElement(int array, int x, int y, int element, const std::int32_t* values,
                            int count) = 0;
};

}  // namespace tarvolin::script
