#include "library/graphics/device/shader_pack.h"

#include <gtest/gtest.h>

#include <string>

#include "library/foundation/memory_log/log_test_support.h"
#include "library/graphics/device/device_cache.h"
#include "library/graphics/device/gpu_test_support.h"
#include "library/graphics/device/model_support.h"

namespace veziv {
namespace {

class ShaderPack : public test::LogFolderTest {
 protected:
  void SetUp() override {
    LogFolderTest::SetUp();
    detail::ReleaseShaderPack();
    detail::AttachGpuDevice(&device_);
  }
  void TearDown() override {
    ReleaseShaderObjects();
    ReleaseAllModels();
    detail::AttachGpuDevice(nullptr);
    detail::ReleaseShaderPack();
    LogFolderTest::TearDown();
  }
  test::RecordingDevice device_;
};

TEST_F(ShaderPack, ADeviceWithoutProgramsNeverUnpacksThePack) {
  device_.facts.programs = false;
  EXPECT_EQ(SetupShaders(), 0);
  EXPECT_EQ(detail::DeviceCache().shadersInUse, 0);
  EXPECT_NE(ReadLog().find("プログラマブルシェーダーを使用しません"), std::string::npos);
  EXPECT_EQ(detail::ShaderSourceAt(0, kBaseVertexShaderSlot), "") << "not unpacked";
  EXPECT_EQ(device_.Count("CreateProgram"), 0);
}

TEST_F(ShaderPack, TheBaseShadersAreMadeAndTheConstantsSet) {
  device_.facts.programs = true;
  EXPECT_EQ(SetupShaders(), 0);
  EXPECT_EQ(detail::DeviceCache().shadersInUse, 1);
  EXPECT_NE(ReadLog().find("プログラマブルシェーダーを使用します"), std::string::npos);
  EXPECT_EQ(device_.shaders.size(), 2u);
  EXPECT_EQ(device_.vertexConstants[0], (std::vector<float>{0.0f, 1.0f, 0.0f, 0.0f}));
  EXPECT_EQ(device_.pixelConstants[0], (std::vector<float>{0.0f, 0.5f, 1.0f, 2.0f}));
  // The pack came out of its archive image: both base shaders in their slots.
  EXPECT_EQ(detail::ShaderSourceAt(0, kBaseVertexShaderSlot).rfind("#version 120", 0), 0u);
  EXPECT_NE(detail::ShaderSourceAt(1, kBasePixelShaderSlot).find("texture2D"), std::string::npos);
  EXPECT_EQ(detail::ShaderSourceAt(1, kBasePixelShaderSlot + 1), "") << "an empty slot";
  EXPECT_EQ(detail::ShaderSourceAt(0, kBaseVertexShaderSlot - 1), "");
  // With shaders in use the setters keep their registers in step.
  SetFogStartEndCached(10.0f, 110.0f);
  EXPECT_FLOAT_EQ(device_.vertexConstants[10][1], 110.0f);
  EXPECT_EQ(LoadShaderPack(), 1) << "held already";
  // Set up again (a new device): the old objects go first.
  EXPECT_EQ(SetupShaders(), 0);
  EXPECT_EQ(device_.shaders.size(), 2u);
  EXPECT_EQ(ReleaseShaderObjects(), 0);
  EXPECT_TRUE(device_.shaders.empty());
}

TEST_F(ShaderPack, AShaderThatDoesNotCompileTurnsShaderUseOff) {
  device_.facts.programs = true;
  device_.failShaders = true;
  EXPECT_EQ(SetupShaders(), 0);
  EXPECT_EQ(detail::DeviceCache().shadersInUse, 0);
  EXPECT_NE(ReadLog().find("プログラマブルシェーダーを使用しません"), std::string::npos);
}

TEST_F(ShaderPack, DeclarationsFollowTangentSkinningAndCoordinateSets) {
  EXPECT_EQ(CreateVertexDeclarations(), 0);
  const auto& all = detail::VertexDeclarations();
  ASSERT_EQ(all.size(), 54u);
  // Tangent 0, skinning 1, eight coordinate sets: TEXCOORD 7 at 52 + 112.
  const VertexElement& last = all[17].elements.back();
  EXPECT_EQ(last.usage, 5);
  EXPECT_EQ(last.usageIndex, 7);
  EXPECT_EQ(last.offset, 164);
  // Tangent 1, skinning 2, no sets: the second colour at 92.
  EXPECT_EQ(all[(1 * 3 + 2) * 9].elements.back().offset, 92);
  EXPECT_EQ(ReleaseVertexDeclarations(), 0);
  EXPECT_TRUE(detail::VertexDeclarations().empty());
}

TEST_F(ShaderPack, ModelTablesAreSetUpOnlyWithADeviceAndEndWithTheLibrary) {
  detail::AttachGpuDevice(nullptr);
  EXPECT_EQ(InitializeModelData(), 0);
  EXPECT_EQ(detail::ModelTablesSetUp(), 0);
  detail::AttachGpuDevice(&device_);
  EXPECT_EQ(InitializeModelData(), 0);
  EXPECT_EQ(detail::ModelTablesSetUp(), 1);
  EXPECT_EQ(RestoreModelTextures(), 0);
  EXPECT_EQ(RefreshAllModelBases(), 0);
  EXPECT_EQ(ReleaseAllModelBaseObjects(), 0);
  EXPECT_EQ(detail::IsModelBaseHandle(0x08000000), 0) << "no base model is ever made";
  EXPECT_EQ(detail::IsModelInstanceHandle(0x10000000), 0);
  EXPECT_EQ(ReleaseAllModels(), 0);
  EXPECT_EQ(detail::ModelTablesSetUp(), 0);
}

}  // namespace
}  // namespace veziv
