#include "library/foundation/core/rect_matrix.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace veziv {

// Found by argument lookup, so beside DrawRect rather than in the test's own namespace.
static bool operator==(const DrawRect& a, const DrawRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

static void PrintTo(const DrawRect& r, std::ostream* os) {
  *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

TEST(ClipRectToRectTest, ClampsEachEdgeIntoTheClipRectangle) {
  struct Case {
    DrawRect rect, clip, expected;
  };
  const DrawRect screen{0, 0, 100, 100};
  const Case cases[] = {
      {{10, 10, 5, 20}, screen, {10, 10, 10, 20}},         // inverted: right repaired to left
      {{10, 30, 20, 20}, screen, {10, 30, 20, 30}},        // inverted: bottom repaired to top
      {{-50, -50, 20, 20}, screen, {0, 0, 20, 20}},        // over the top-left corner
      {{150, 10, 200, 20}, screen, {100, 10, 100, 20}},    // wholly right: empty on the right edge
      {{10, -50, 20, -20}, screen, {10, 0, 20, 0}},        // wholly above: empty on the top edge
      {{5, 5, 50, 50}, screen, {5, 5, 50, 50}},            // inside
      {{-10, -10, 200, 200}, screen, {0, 0, 100, 100}},    // covering
      {{0, 0, 50, 50}, {10, 20, 110, 220}, {10, 20, 50, 50}},
      {{120, 300, 90, 250}, {10, 20, 110, 220}, {110, 220, 110, 220}},
  };
  for (const Case& c : cases) {
    DrawRect r = c.rect;
    EXPECT_EQ(ClipRectToRect(&r, &c.clip), 0);
    EXPECT_EQ(r, c.expected) << testing::PrintToString(c.rect);
  }
}

Matrix Filled(float value) {
  Matrix m;
  for (float& e : m.m) e = value;
  return m;
}

Matrix Translation(float x, float y, float z) {
  Matrix m;
  SetMatrixToIdentity(&m);
  m.m[12] = x;
  m.m[13] = y;
  m.m[14] = z;
  return m;
}

// Integer entries keep the products exact.
const Matrix kA{{1, 2, 0, -1, 3, 1, 4, 2, 0, -2, 1, 5, 2, 0, 3, 1}};
const Matrix kB{{2, 0, 1, 3, -1, 4, 0, 2, 5, 1, -3, 0, 0, 2, 1, 1}};

Matrix ReferenceProduct(const Matrix& a, const Matrix& b) {
  Matrix p{};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      for (int k = 0; k < 4; ++k) p.m[4 * r + c] += a.m[4 * r + k] * b.m[4 * k + c];
  return p;
}

TEST(MatrixTest, IdentityOverwritesEveryElement) {
  Matrix m = Filled(9.0f);
  EXPECT_EQ(SetMatrixToIdentity(&m), 0);
  EXPECT_THAT(m.m, testing::ElementsAre(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1));
}

TEST(MatrixTest, MultiplyIsRowTimesColumnAndAllowsAliasing) {
  const Matrix expected = ReferenceProduct(kA, kB);
  Matrix out = Filled(9.0f);
  EXPECT_EQ(MultiplyMatrix(&out, &kA, &kB), 0);
  EXPECT_THAT(out.m, testing::ElementsAreArray(expected.m));

  Matrix a = kA;
  MultiplyMatrix(&a, &a, &kB);
  EXPECT_THAT(a.m, testing::ElementsAreArray(expected.m));
  Matrix b = kB;
  MultiplyMatrix(&b, &kA, &b);
  EXPECT_THAT(b.m, testing::ElementsAreArray(expected.m));
  Matrix square = kA;
  MultiplyMatrix(&square, &square, &square);
  EXPECT_THAT(square.m, testing::ElementsAreArray(ReferenceProduct(kA, kA).m));

  EXPECT_EQ(MultiplyMatrix(nullptr, &kA, &kB), 0);
}

TEST(MatrixTest, ProductAppliesTheLeftMatrixFirst) {
  Matrix scale{};
  scale.m[0] = scale.m[5] = scale.m[10] = 2.0f;
  scale.m[15] = 1.0f;
  const Matrix move = Translation(1, 2, 3);
  Matrix move_then_scale;
  MultiplyMatrix(&move_then_scale, &move, &scale);
  const Vector3 v{1, 1, 1};
  Vector3 out;
  TransformVector3(&out, &v, &move_then_scale);
  EXPECT_FLOAT_EQ(out.x, 4.0f);
  EXPECT_FLOAT_EQ(out.y, 6.0f);
  EXPECT_FLOAT_EQ(out.z, 8.0f);
}

TEST(MatrixTest, TransposeSwapsRowsAndColumnsInPlaceToo) {
  Matrix out;
  EXPECT_EQ(TransposeMatrix(&out, &kA), 0);
  Matrix in_place = kA;
  TransposeMatrix(&in_place, &in_place);
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      EXPECT_EQ(out.m[4 * r + c], kA.m[4 * c + r]);
      EXPECT_EQ(in_place.m[4 * r + c], kA.m[4 * c + r]);
    }
  }
}

void ExpectNearIdentity(const Matrix& m) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(m.m[4 * r + c], r == c ? 1.0f : 0.0f, 1e-5f) << r << "," << c;
}

TEST(MatrixTest, InverseTimesMatrixIsIdentity) {
  // A rotation about z, a non-uniform scale, a shear and a translation.
  const float s = std::sin(0.7f), c = std::cos(0.7f);
  const Matrix m{{2 * c, 2 * s, 0, 0, -3 * s, 3 * c, 0.5f, 0, 0.25f, 0, 0.5f, 0, 4, -7, 2.5f, 1}};
  Matrix inverse;
  EXPECT_EQ(InvertMatrix(&inverse, &m), 0);
  Matrix product;
  MultiplyMatrix(&product, &inverse, &m);
  ExpectNearIdentity(product);
  MultiplyMatrix(&product, &m, &inverse);
  ExpectNearIdentity(product);

  // A matrix with every element set, and inversion in place.
  Matrix a = kA;
  InvertMatrix(&a, &a);
  MultiplyMatrix(&product, &a, &kA);
  ExpectNearIdentity(product);
}

class ScreenSizeTest : public ::testing::Test {
 protected:
  void TearDown() override { SetScreenSizeSource(nullptr); }
  static void Screen800x600(int* width, int* height) {
    *width = 800;
    *height = 600;
  }
  static void Screen1000x500(int* width, int* height) {
    *width = 1000;
    *height = 500;
  }
};

TEST_F(ScreenSizeTest, PerspectiveTakesAspectAsGivenOrFromTheScreen) {
  struct Case {
    const char* what;
    ScreenSizeSource screen;
    float aspect;
    float x_scale;
  };
  const Case cases[] = {
      {"zero kept", Screen800x600, 0.0f, 0.0f},
      {"positive kept", Screen800x600, 1.5f, 1.5f},
      {"negative on 800 x 600", Screen800x600, -1.0f, 0.75f},
      {"negative on 1000 x 500", Screen1000x500, -0.5f, 0.5f},
      {"negative with no screen size", nullptr, -1.0f, 0.75f},
  };
  // A quarter turn: cot(fov / 2) = 1.
  const float fov = std::numbers::pi_v<float> / 2;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetScreenSizeSource(c.screen);
    Matrix out = Filled(9.0f);
    ASSERT_EQ(BuildPerspectiveMatrix(&out, fov, 1.0f, 101.0f, c.aspect), 0);
    const float q = 101.0f / 100.0f;
    EXPECT_THAT(out.m, testing::Pointwise(testing::FloatNear(1e-6f),
                                          {c.x_scale, 0.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 0.f, q, 1.f, 0.f,
                                           0.f, -q, 0.f}));
  }
}

TEST(PerspectiveTest, MapsNearAndFarToZeroAndOneInW) {
  Matrix m;
  ASSERT_EQ(BuildPerspectiveMatrix(&m, 1.0f, 2.0f, 50.0f, 1.0f), 0);
  for (float z : {2.0f, 50.0f}) {
    const Vector3 v{0, 0, z};
    Vector3 out;
    TransformVector3(&out, &v, &m);
    EXPECT_NEAR(out.z / z, z == 2.0f ? 0.0f : 1.0f, 1e-6f);  // w = z
  }
}

TEST(PerspectiveTest, DegenerateInputFailsAndLeavesOutAlone) {
  struct Case {
    const char* what;
    float fov, near_z, far_z;
  };
  const Case cases[] = {
      {"near equals far", 1.0f, 5.0f, 5.0f},
      {"near within 0.0001 of far", 1.0f, 1.0f, 1.00005f},
      {"zero field of view", 0.0f, 1.0f, 100.0f},
      {"full-turn field of view", 2 * std::numbers::pi_v<float>, 1.0f, 100.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Matrix out = Filled(7.0f);
    EXPECT_EQ(BuildPerspectiveMatrix(&out, c.fov, c.near_z, c.far_z, 1.0f), -1);
    EXPECT_THAT(out.m, testing::Each(7.0f));
  }
}

TEST_F(ScreenSizeTest, OrthographicScalesBySizeAndAspect) {
  Matrix out = Filled(9.0f);
  ASSERT_EQ(BuildOrthographicMatrix(&out, 2.0f, 0.0f, 10.0f, 0.5f), 0);
  EXPECT_THAT(out.m, testing::Pointwise(testing::FloatEq(), {0.5f, 0.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 0.f,
                                                             0.1f, 0.f, 0.f, 0.f, 0.f, 1.f}));
  SetScreenSizeSource(Screen1000x500);
  ASSERT_EQ(BuildOrthographicMatrix(&out, 4.0f, 2.0f, 6.0f, -1.0f), 0);
  EXPECT_FLOAT_EQ(out.m[0], 0.25f);
  EXPECT_FLOAT_EQ(out.m[5], 0.5f);
  EXPECT_FLOAT_EQ(out.m[10], 0.25f);
  EXPECT_FLOAT_EQ(out.m[14], -0.5f);  // near maps to 0

  Matrix untouched = Filled(7.0f);
  EXPECT_EQ(BuildOrthographicMatrix(&untouched, 2.0f, 3.0f, 3.00005f, 1.0f), -1);
  EXPECT_THAT(untouched.m, testing::Each(7.0f));
}

TEST(ViewportTest, MapsUnitSquareOntoScreenWithYDown) {
  Matrix m = Filled(9.0f);
  ASSERT_EQ(BuildViewportMatrix(&m, 400.0f, 300.0f, 800.0f, 600.0f), 0);
  EXPECT_THAT(m.m, testing::ElementsAre(400, 0, 0, 0, 0, -300, 0, 0, 0, 0, 1, 0, 400, 300, 0, 1));
  const Vector3 top_left{-1, 1, 0.5f};
  const Vector3 bottom_right{1, -1, 0.25f};
  Vector3 out;
  TransformVector3(&out, &top_left, &m);
  EXPECT_FLOAT_EQ(out.x, 0.0f);
  EXPECT_FLOAT_EQ(out.y, 0.0f);
  EXPECT_FLOAT_EQ(out.z, 0.5f);
  TransformVector3(&out, &bottom_right, &m);
  EXPECT_FLOAT_EQ(out.x, 800.0f);
  EXPECT_FLOAT_EQ(out.y, 600.0f);
}

TEST(ViewMatrixTest, PutsTheEyeAtTheOriginLookingAlongPlusZ) {
  struct Case {
    Vector3 world, view;
  };
  // From (10, 0, 0) towards the origin with +y up: view x is world +z.
  const Vector3 eye{10, 0, 0}, target{0, 0, 0}, up{0, 1, 0};
  const Case cases[] = {
      {{10, 0, 0}, {0, 0, 0}},
      {{0, 0, 0}, {0, 0, 10}},
      {{10, 1, 0}, {0, 1, 0}},
      {{10, 0, 1}, {1, 0, 0}},
      {{7, 2, -3}, {-3, 2, 3}},
  };
  Matrix m = Filled(9.0f);
  ASSERT_EQ(BuildViewMatrixFromTarget(&m, &eye, &target, &up), 0);
  EXPECT_FLOAT_EQ(m.m[3], 0.0f);
  EXPECT_FLOAT_EQ(m.m[7], 0.0f);
  EXPECT_FLOAT_EQ(m.m[11], 0.0f);
  EXPECT_FLOAT_EQ(m.m[15], 1.0f);
  for (const Case& c : cases) {
    Vector3 out;
    TransformVector3(&out, &c.world, &m);
    EXPECT_NEAR(out.x, c.view.x, 1e-5f);
    EXPECT_NEAR(out.y, c.view.y, 1e-5f);
    EXPECT_NEAR(out.z, c.view.z, 1e-5f);
  }
}

TEST(VectorTest, TransformAddsRowThreeWithoutDividingByW) {
  Matrix m = Translation(10, 20, 30);
  m.m[3] = m.m[7] = m.m[11] = 5.0f;  // would make w 26
  Vector3 v{1, 2, 3};
  EXPECT_EQ(TransformVector3(&v, &v, &m), 0);
  EXPECT_FLOAT_EQ(v.x, 11.0f);
  EXPECT_FLOAT_EQ(v.y, 22.0f);
  EXPECT_FLOAT_EQ(v.z, 33.0f);

  Vector3 out;
  const Vector3 in{1, 0, 0};
  TransformVector3(&out, &in, &kA);  // row 0 plus row 3
  EXPECT_FLOAT_EQ(out.x, 3.0f);
  EXPECT_FLOAT_EQ(out.y, 2.0f);
  EXPECT_FLOAT_EQ(out.z, 3.0f);
}

TEST(VectorTest, DotAndNormalize) {
  const Vector3 a{1, 2, 3}, b{4, -5, 6};
  EXPECT_FLOAT_EQ(DotVector3(&a, &b), 12.0f);
  Vector3 n;
  EXPECT_EQ(NormalizeVector3(&n, 3, 0, -4), &n);
  EXPECT_FLOAT_EQ(n.x, 0.6f);
  EXPECT_FLOAT_EQ(n.y, 0.0f);
  EXPECT_FLOAT_EQ(n.z, -0.8f);
}

}  // namespace
}  // namespace veziv
