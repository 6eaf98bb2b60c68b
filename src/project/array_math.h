// Vector and matrix arithmetic of array elements.
//
// Number format: every component is a signed 32-bit value in 16.16 fixed
// point (65536 = 1.0), stored little-endian like every array value.
//   vector (12 bytes): x, y, z.
//   matrix (48 bytes): a 3x4 affine matrix, row by row, each row three
//     rotation/scale terms and a translation:
//       m0 m1 m2  m3      x' = m0 x + m1 y + m2  z + m3
//       m4 m5 m6  m7      y' = m4 x + m5 y + m6  z + m7
//       m8 m9 m10 m11     z' = m8 x + m9 y + m10 z + m11
// Angles have 256 units to a turn (as everywhere in the display), counted
// counter-clockwise looking down the axis towards the origin.
// Combining: rotate, translate and scale apply the new step after what the
// matrix already does (M' = step x M), so a vector passed through M' is
// first transformed by M, then by the step.
// Products are rounded to the nearest 1/65536; results wrap to 32 bits as
// the hardware's registers would.
#pragma once

#include <cstdint>

namespace tarvolin::project {

inline constexpr std::int32_t kFixedOne = 65536;

struct Vector3 {
  std::int32_t v[3];
};
struct Matrix34 {
  std::int32_t m[12];
};

Matrix34 matrixIdentity();
// a x b: the transform that applies b, then a.
Matrix34 matrixMultiply(const Matrix34& a, const Matrix34& b);
// Rotation by `angle` (256 to a turn) about `axis` (any length); a zero
// axis gives the identity.
Matrix34 matrixRotation(std::int32_t angle, const Vector3& axis);
Matrix34 matrixTranslation(const Vector3& offset);
Matrix34 matrixScaling(std::int32_t x, std::int32_t y, std::int32_t z);
Vector3 matrixApply(const Matrix34& m, const Vector3& v);

}  // namespace tarvolin::project
