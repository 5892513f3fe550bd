// Light handles and the camera's projection.
#include "library/graphics/graphs/lights_camera.h"

#include <gtest/gtest.h>

#include "library/graphics/graphs/graphics_test_support.h"

namespace veziv {
namespace {

class Lights : public ::testing::Test {
 protected:
  void SetUp() override { detail::ResetLightTableForTest(); }
  void TearDown() override { detail::ResetLightTableForTest(); }
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

}  // namespace
}  // namespace veziv
