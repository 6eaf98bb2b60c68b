#include <gtest/gtest.h>

#include "project/array_math.h"

namespace tarvolin::project {
namespace {

constexpr std::int32_t F = kFixedOne;

TEST(ArrayMath, RotationTranslationScaleAndApplication) {
  const Vector3 x{{F, 0, 0}};
  const Vector3 zAxis{{0, 0, 5 * F}};  // any length
  // A quarter turn (64 units) about Z takes X to Y.
  Matrix34 m = matrixMultiply(matrixRotation(64, zAxis), matrixIdentity());
  Vector3 r = matrixApply(m, x);
  EXPECT_EQ(r.v[0], 0);
  EXPECT_EQ(r.v[1], F);
  EXPECT_EQ(r.v[2], 0);
  // A whole turn is 256 units.
  r = matrixApply(matrixRotation(256, zAxis), x);
  EXPECT_EQ(r.v[0], F);
  EXPECT_EQ(r.v[1], 0);

  // Combining applies the new step after the matrix: rotate, then translate.
  m = matrixMultiply(matrixTranslation({{10 * F, 0, -F}}), m);
  r = matrixApply(m, x);
  EXPECT_EQ(r.v[0], 10 * F);
  EXPECT_EQ(r.v[1], F);
  EXPECT_EQ(r.v[2], -F);
  // Then scale: everything, the translation included, is scaled.
  m = matrixMultiply(matrixScaling(F / 2, 2 * F, F), m);
  r = matrixApply(m, x);
  EXPECT_EQ(r.v[0], 5 * F);
  EXPECT_EQ(r.v[1], 2 * F);
  EXPECT_EQ(r.v[2], -F);

  // Fractions: 1.5 scaled by 0.5 is 0.75.
  r = matrixApply(matrixScaling(F / 2, F, F), {{3 * F / 2, 0, 0}});
  EXPECT_EQ(r.v[0], 3 * F / 4);
  // A zero axis rotates nothing.
  r = matrixApply(matrixRotation(32, {{0, 0, 0}}), {{7, 8, 9}});
  EXPECT_EQ(r.v[0], 7);
  EXPECT_EQ(r.v[2], 9);
  // Half a turn about X flips Y and Z.
  r = matrixApply(matrixRotation(128, {{F, 0, 0}}), {{F, 2 * F, 3 * F}});
  EXPECT_EQ(r.v[0], F);
  EXPECT_EQ(r.v[1], -2 * F);
  EXPECT_EQ(r.v[2], -3 * F);
}

}  // namespace
}  // namespace tarvolin::project
