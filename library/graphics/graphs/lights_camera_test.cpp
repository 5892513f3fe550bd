// Light handles, the camera's setters and projections against matrices
// worked by hand, and where points land through the combined transform.
#include "library/graphics/graphs/lights_camera.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "library/graphics/graphs/graphics_test_support.h"

namespace veziv {
namespace {

class Lights : public ::testing::Test {
 protected:
  void SetUp() override { detail::StartLightsAfresh(); }
  void TearDown() override { detail::StartLightsAfresh(); }
};

TEST_F(Lights, DirectionalLightIsNormalisedAndCreatedEnabled) {
  const int light = CreateDirectionalLight(1.0f, -1.0f, 1.0f);
  EXPECT_EQ(light, 0x60000000);
  const LightRecord* r = GetLightRecord(light);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->light.type, 3);
  EXPECT_NEAR(r->light.direction.x, 0.57735f, 1e-5);
  EXPECT_NEAR(r->light.direction.y, -0.57735f, 1e-5);
  EXPECT_FLOAT_EQ(r->light.diffuse[0], 1.0f);
  EXPECT_FLOAT_EQ(r->light.ambient[3], 0.33f);
  EXPECT_FLOAT_EQ(r->light.range, 2000.0f);
  EXPECT_EQ(r->deviceIndex, -1);
  EXPECT_EQ(r->enabled, 1);
  EXPECT_EQ(detail::LightsChanged(), 1);
}

TEST_F(Lights, DeletingTheOnlyLightFreesSlotZeroForANewCheck) {
  const int first = CreateLightHandle();
  EXPECT_EQ(FreeLightHandle(first), 0);
  EXPECT_EQ(FreeLightHandle(first), -1);
  const int second = CreateLightHandle();
  EXPECT_EQ(HandleSlot(second), 0);
  EXPECT_NE(second, first);
  EXPECT_EQ(GetLightRecord(first), nullptr);
}

TEST_F(Lights, TableRefusesMoreThanItHolds) {
  for (int i = 0; i < kLightHandleSlots; ++i) ASSERT_GE(CreateLightHandle(), 0);
  EXPECT_EQ(CreateLightHandle(), -1);
  EXPECT_EQ(CreateDirectionalLight(0, 0, 1), -1);
}

TEST_F(Lights, FreeAllKeepsTheCurrentLight) {
  detail::ResetLightsAndCamera();
  const int current = GetCurrentLight();
  const int other = CreateLightHandle();
  EXPECT_EQ(FreeAllLightHandles(), 0);
  EXPECT_NE(GetLightRecord(current), nullptr);
  EXPECT_EQ(GetLightRecord(other), nullptr);
}

TEST_F(Lights, PerspectiveAspectFollowsTheTarget) {
  detail::ResetLightsAndCamera();
  detail::SetDefault2DCamera(800, 600);
  const DrawCamera& c = GetDrawCamera();
  Matrix with75;
  BuildPerspectiveMatrix(&with75, c.fieldOfView, c.nearZ, c.farZ, 0.75f);
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(c.projection.m[i], with75.m[i]) << i;
}

Matrix Rows(std::initializer_list<float> values) {
  Matrix m{};
  int i = 0;
  for (float v : values) m.m[i++] = v;
  return m;
}

void ExpectMatrixNear(const Matrix& actual, const Matrix& expected, const std::string& what) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual.m[i], expected.m[i], 1e-5) << what << " element " << i;
}

class Camera : public Lights {
 protected:
  void SetUp() override {
    Lights::SetUp();
    detail::ResetLightsAndCamera();
    detail::SetDefault2DCamera(800, 600);
  }
};

TEST_F(Camera, SettersBuildTheProjectionOfTheirMode) {
  const Matrix given = Rows({2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 1, 0, 0, 5, 0});
  struct Case {
    const char* name;
    void (*set)(const Matrix& given);
    int mode;
    Matrix projection;
  };
  const Case cases[] = {
      // fov pi/2: cot(fov / 2) = 1; aspect 600 / 800; z: far / (far - near), times -near in row 3
      {"perspective, fov pi/2, 1..101",
       [](const Matrix&) {
         EXPECT_EQ(SetCameraClipDistances(1.0f, 101.0f), 0);
         EXPECT_EQ(SetCameraFieldOfView(1.5707964f), 0);
       },
       0, Rows({0.75f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.01f, 1, 0, 0, -1.01f, 0})},
      {"clip distances after the field of view",
       [](const Matrix&) {
         EXPECT_EQ(SetCameraFieldOfView(1.5707964f), 0);
         EXPECT_EQ(SetCameraClipDistances(10.0f, 20.0f), 0);
       },
       0, Rows({0.75f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2, 1, 0, 0, -20, 0})},
      // aspect 0.75 x scale 2; x: 2 / (size / aspect), y: 2 / size, z: 1 / (far - near), near / (near - far)
      {"orthographic, size 2, scale 2, 2..12",
       [](const Matrix&) {
         DrawCamera& c = detail::CameraRecord();
         c.mode = 1;
         c.orthoSize = 2.0f;
         c.scale = 2.0f;
         EXPECT_EQ(SetCameraClipDistances(2.0f, 12.0f), 0);
       },
       1, Rows({1.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0.1f, 0, 0, 0, -0.2f, 1})},
      {"given matrix, kept through new clip distances",
       [](const Matrix& m) {
         EXPECT_EQ(SetCameraCustomProjection(&m), 0);
         EXPECT_EQ(SetCameraClipDistances(1.0f, 101.0f), 0);
       },
       2, given},
      {"field of view after a given matrix: perspective again",
       [](const Matrix& m) {
         EXPECT_EQ(SetCameraClipDistances(1.0f, 101.0f), 0);
         EXPECT_EQ(SetCameraCustomProjection(&m), 0);
         EXPECT_EQ(SetCameraFieldOfView(1.5707964f), 0);
       },
       0, Rows({0.75f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.01f, 1, 0, 0, -1.01f, 0})},
      {"near equal to far keeps the last projection",
       [](const Matrix&) {
         EXPECT_EQ(SetCameraClipDistances(1.0f, 101.0f), 0);
         EXPECT_EQ(SetCameraFieldOfView(1.5707964f), 0);
         EXPECT_EQ(SetCameraClipDistances(5.0f, 5.0f), 0);
       },
       0, Rows({0.75f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.01f, 1, 0, 0, -1.01f, 0})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    detail::StartLightsAfresh();
    detail::ResetLightsAndCamera();
    detail::SetDefault2DCamera(800, 600);
    c.set(given);
    EXPECT_EQ(GetDrawCamera().mode, c.mode);
    ExpectMatrixNear(GetDrawCamera().projection, c.projection, c.name);
  }
  EXPECT_EQ(SetCameraCustomProjection(nullptr), -1);
  EXPECT_EQ(GetDrawCamera().mode, 0) << "a null matrix changes nothing";
}

// world: move by (1, 2, 3); view: scale 2; projection: w = z; viewport: move
// by (10, 20) in target pixels.
TEST_F(Camera, CombinedTransformFollowsANewProjection) {
  DrawCamera& c = detail::CameraRecord();
  c.world = Rows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1});
  c.view = Rows({2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1});
  c.viewport = Rows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 20, 0, 1});
  UpdateTransformMatrices();
  EXPECT_EQ(GetDrawCamera().productValid, 1);
  const Matrix depthToW = Rows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0});
  ASSERT_EQ(SetCameraCustomProjection(&depthToW), 0);
  EXPECT_EQ(GetDrawCamera().productValid, 0);
  UpdateTransformMatrices();
  ExpectMatrixNear(GetDrawCamera().product,
                   Rows({2, 0, 0, 0, 0, 2, 0, 0, 20, 40, 2, 2, 62, 124, 6, 6}), "product");
  ExpectMatrixNear(GetDrawCamera().normal, Rows({2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1}), "normal");
  // (1, 1, 1) goes to (84, 166, 8) with w = 8.
  const Vector3 corner{1, 1, 1};
  Vector3 out{};
  EXPECT_EQ(TransformPoint3(&out, &corner, &GetDrawCamera().product), &out);
  EXPECT_FLOAT_EQ(out.x, 10.5f);
  EXPECT_FLOAT_EQ(out.y, 20.75f);
  EXPECT_FLOAT_EQ(out.z, 1.0f);
}

TEST(TransformPoint, IsTheVectorTransformDividedByW) {
  struct Case {
    const char* name;
    Matrix m;
    float w;  // of (1, 2, 3, 1) x m
  };
  const Case cases[] = {
      {"affine: the same point", Rows({0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 2, 0, 5, 6, 7, 1}), 1.0f},
      {"w = z", Rows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0}), 3.0f},
      {"w = 2x + 0.5", Rows({3, 0, 0, 2, 0, 4, 1, 0, 0, 0, 5, 0, 1, 1, 1, 0.5f}), 2.5f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Vector3 in{1, 2, 3};
    Vector3 vector{}, point{};
    TransformVector3(&vector, &in, &c.m);
    EXPECT_EQ(TransformPoint3(&point, &in, &c.m), &point);
    EXPECT_FLOAT_EQ(point.x, vector.x / c.w);
    EXPECT_FLOAT_EQ(point.y, vector.y / c.w);
    EXPECT_FLOAT_EQ(point.z, vector.z / c.w);
    Vector3 same = in;
    TransformPoint3(&same, &same, &c.m);
    EXPECT_FLOAT_EQ(same.x, point.x) << "in place";
    EXPECT_FLOAT_EQ(same.z, point.z) << "in place";
  }
}

}  // namespace
}  // namespace veziv
