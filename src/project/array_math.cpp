#include "project/array_math.h"

#include <cmath>

namespace tarvolin::project {

namespace {

// Product of two 16.16 numbers, rounded to nearest.
std::int64_t fixedProduct(std::int64_t a, std::int64_t b) {
  const std::int64_t p = a * b;
  return (p + 0x8000) >> 16;
}

std::int32_t wrap(std::int64_t v) { return std::int32_t(std::uint32_t(std::uint64_t(v))); }

std::int32_t toFixed(double v) { return wrap(std::llround(v * kFixedOne)); }

}  // namespace

Matrix34 matrixIdentity() {
  Matrix34 r{};
  r.m[0] = r.m[5] = r.m[10] = kFixedOne;
  return r;
}

Matrix34 matrixMultiply(const Matrix34& a, const Matrix34& b) {
  Matrix34 r{};
  for (int row = 0; row < 3; ++row) {
    const std::int32_t* ar = &a.m[row * 4];
    for (int col = 0; col < 4; ++col) {
      std::int64_t sum = 0;
      for (int k = 0; k < 3; ++k) sum += fixedProduct(ar[k], b.m[k * 4 + col]);
      if (col == 3) sum += ar[3];
      r.m[row * 4 + col] = wrap(sum);
    }
  }
  return r;
}

Matrix34 matrixRotation(std::int32_t angle, const Vector3& axis) {
  const double x = axis.v[0], y = axis.v[1], z = axis.v[2];
  const double length = std::sqrt(x * x + y * y + z * z);
  if (length == 0) return matrixIdentity();
  const double ux = x / length, uy = y / length, uz = z / length;
  const double turn = double(angle & 255) * (2.0 * 3.14159265358979323846 / 256.0);
  const double c = std::cos(turn), s = std::sin(turn), t = 1 - c;
  Matrix34 r{};
  r.m[0] = toFixed(t * ux * ux + c);
  r.m[1] = toFixed(t * ux * uy - s * uz);
  r.m[2] = toFixed(t * ux * uz + s * uy);
  r.m[4] = toFixed(t * ux * uy + s * uz);
  r.m[5] = toFixed(t * uy * uy + c);
  r.m[6] = toFixed(t * uy * uz - s * ux);
  r.m[8] = toFixed(t * ux * uz - s * uy);
  r.m[9] = toFixed(t * uy * uz + s * ux);
  r.m[10] = toFixed(t * uz * uz + c);
  return r;
}

Matrix34 matrixTranslation(const Vector3& offset) {
  Matrix34 r = matrixIdentity();
  r.m[3] = offset.v[0];
  r.m[7] = offset.v[1];
  r.m[11] = offset.v[2];
  return r;
}

Matrix34 matrixScaling(std::int32_t x, std::int32_t y, std::int32_t z) {
  Matrix34 r{};
  r.m[0] = x;
  r.m[5] = y;
  r.m[10] = z;
  return r;
}

Vector3 matrixApply(const Matrix34& m, const Vector3& v) {
  Vector3 r{};
  for (int row = 0; row < 3; ++row) {
    std::int64_t sum = m.m[row * 4 + 3];
    for (int k = 0; k < 3; ++k) sum += fixedProduct(m.m[row * 4 + k], v.v[k]);
    r.v[row] = wrap(sum);
  }
  return r;
}

}  // namespace tarvolin::project
