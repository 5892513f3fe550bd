#include "platform/gpu/device.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <string>
#include <vector>

namespace platform::gpu {
namespace {

// The video driver named for one test, the one before put back after.
class DriverScope {
 public:
  explicit DriverScope(const char* driver) {
    const char* old = getenv("SDL_VIDEODRIVER");
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv("SDL_VIDEODRIVER", driver, 1);
  }
  ~DriverScope() {
    if (had_)
      setenv("SDL_VIDEODRIVER", old_.c_str(), 1);
    else
      unsetenv("SDL_VIDEODRIVER");
  }

 private:
  bool had_ = false;
  std::string old_;
};

struct Colored {
  float x, y, z, rhw;
  uint32_t diffuse;
};
struct Textured {
  float x, y, z, rhw;
  uint32_t diffuse;
  float u, v;
};

// The six vertices of a quad, two triangles of a list.
template <typename V>
std::vector<V> Quad(const V& tl, const V& tr, const V& bl, const V& br) {
  return {tl, tr, bl, br, bl, tr};
}

class GlDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DriverScope driver("offscreen");
    std::string why;
    device_ = CreateOpenGlDevice(kWidth, kHeight, &why);
    if (!device_) GTEST_SKIP() << "no OpenGL device here: " << why;
    device_->SetViewport({0, 0, kWidth, kHeight, 0.0f, 1.0f});
    device_->SetRenderState(kRsShadeMode, 1);
  }

  std::vector<uint32_t> Read(TextureId target = 0, int width = kWidth, int height = kHeight) {
    std::vector<uint32_t> out(static_cast<size_t>(width) * height);
    EXPECT_EQ(device_->ReadPixels(target, {0, 0, width, height}, out.data()), 0);
    return out;
  }

  void UseDiffuseOnly() {
    device_->SetTexture(0, 0);
    device_->SetTextureStageState(0, kTssColorOp, kOpSelectArg1);
    device_->SetTextureStageState(0, kTssColorArg1, kArgDiffuse);
    device_->SetTextureStageState(0, kTssAlphaOp, kOpSelectArg1);
    device_->SetTextureStageState(0, kTssAlphaArg1, kArgDiffuse);
    device_->SetTextureStageState(1, kTssColorOp, kOpDisable);
    device_->SetTextureStageState(1, kTssAlphaOp, kOpDisable);
  }

  void FillBox(float l, float t, float r, float b, uint32_t color) {
    auto v = Quad<Colored>({l, t, 0.2f, 1, color}, {r, t, 0.2f, 1, color}, {l, b, 0.2f, 1, color}, {r, b, 0.2f, 1, color});
    device_->SetFvf(kFvfColored);
    device_->DrawPrimitiveUp(kTriangleList, 2, v.data(), sizeof(Colored));
  }

  static constexpr int kWidth = 32;
  static constexpr int kHeight = 24;
  std::unique_ptr<Device> device_;
};

TEST(GlDeviceCreation, TheDummyDriverGivesNoDeviceAndSaysWhy) {
  DriverScope driver("dummy");
  std::string why;
  EXPECT_EQ(CreateOpenGlDevice(64, 48, &why), nullptr);
  EXPECT_NE(why.find("OpenGL"), std::string::npos) << why;
  EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u) << "the video subsystem it started is ended again";
}

TEST_F(GlDeviceTest, BoxesLandOnExactPixelsAndBlendByTheStates) {
  device_->Clear(0xFF000000);
  UseDiffuseOnly();
  // Edges half a pixel before the pixel centres cover exactly pixels 2..5 x 1..3.
  FillBox(1.5f, 0.5f, 5.5f, 3.5f, 0xFFFF0000);
  device_->SetRenderState(kRsAlphaBlendEnable, 1);
  device_->SetRenderState(kRsSrcBlend, kBlendSrcAlpha);
  device_->SetRenderState(kRsDestBlend, kBlendInvSrcAlpha);
  FillBox(3.5f, 0.5f, 7.5f, 3.5f, 0x800000FF);
  device_->SetRenderState(kRsAlphaBlendEnable, 0);
  const auto pixels = Read();
  auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * kWidth + x] & 0xFFFFFF; };
  EXPECT_EQ(at(1, 1), 0x000000u);
  EXPECT_EQ(at(2, 1), 0xFF0000u);
  EXPECT_EQ(at(2, 3), 0xFF0000u);
  EXPECT_EQ(at(2, 4), 0x000000u);
  const uint32_t mixed = at(4, 2);  // half red, half blue
  EXPECT_NEAR(static_cast<int>(mixed >> 16), 127, 1);
  EXPECT_NEAR(static_cast<int>(mixed & 255), 128, 1);
  EXPECT_EQ(at(6, 2) >> 8, 0u);
  EXPECT_NEAR(static_cast<int>(at(6, 2) & 255), 128, 1);
  EXPECT_EQ(at(8, 2), 0x000000u);
}

TEST_F(GlDeviceTest, TexturesOfEveryFormatSampleTexelForTexelAndModulate) {
  struct Case {
    int format;
    std::vector<uint8_t> texel;  // one pixel in the format
    uint32_t want;
  };
  const Case cases[] = {
      {kFormatX8R8G8B8, {0x30, 0x20, 0x10, 0x00}, 0x102030},
      {kFormatA8R8G8B8, {0x30, 0x20, 0x10, 0xFF}, 0x102030},
      {kFormatR5G6B5, {0x1F, 0xF8}, 0xFF00FF},
      {kFormatX1R5G5B5, {0xE0, 0x03}, 0x00FF00},
      {kFormatA4R4G4B4, {0x0F, 0xF0}, 0x0000FF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    const TextureId texture = device_->CreateTexture(8, 8, 1, c.format, false);
    ASSERT_NE(texture, 0u);
    const int bytes = BytesPerPixelOfFormat(c.format);
    std::vector<uint8_t> pixels(static_cast<size_t>(8) * 8 * bytes);
    for (size_t i = 0; i < 64; ++i) std::memcpy(&pixels[i * bytes], c.texel.data(), bytes);
    // A second colour in the last column tells the texels apart.
    for (int y = 0; y < 8; ++y) std::memset(&pixels[static_cast<size_t>(y * 8 + 7) * bytes], 0, bytes);
    ASSERT_EQ(device_->UpdateTexture(texture, 0, {0, 0, 8, 8}, pixels.data(), 8 * bytes), 0);
    device_->Clear(0xFF000000);
    device_->SetTexture(0, texture);
    device_->SetTextureStageState(0, kTssColorOp, kOpModulate);
    device_->SetTextureStageState(0, kTssColorArg1, kArgTexture);
    device_->SetTextureStageState(0, kTssColorArg2, kArgDiffuse);
    device_->SetTextureStageState(0, kTssAlphaOp, kOpSelectArg1);
    device_->SetTextureStageState(0, kTssAlphaArg1, kArgTexture);
    device_->SetSamplerState(0, kSampMagFilter, kFilterPoint);
    device_->SetSamplerState(0, kSampMinFilter, kFilterPoint);
    device_->SetSamplerState(0, kSampAddressU, kAddressClamp);
    device_->SetSamplerState(0, kSampAddressV, kAddressClamp);
    const uint32_t white = 0xFFFFFFFF, half = 0xFF808080;
    // Upper half white, lower half grey, as two quads of one colour each.
    auto v = Quad<Textured>({-0.5f, -0.5f, 0.2f, 1, white, 0, 0}, {7.5f, -0.5f, 0.2f, 1, white, 1, 0},
                       {-0.5f, 3.5f, 0.2f, 1, white, 0, 0.5f}, {7.5f, 3.5f, 0.2f, 1, white, 1, 0.5f});
    auto w = Quad<Textured>({-0.5f, 3.5f, 0.2f, 1, half, 0, 0.5f}, {7.5f, 3.5f, 0.2f, 1, half, 1, 0.5f},
                            {-0.5f, 7.5f, 0.2f, 1, half, 0, 1}, {7.5f, 7.5f, 0.2f, 1, half, 1, 1});
    v.insert(v.end(), w.begin(), w.end());
    device_->SetFvf(kFvfTextured);
    device_->DrawPrimitiveUp(kTriangleList, 4, v.data(), sizeof(Textured));
    const auto out = Read();
    EXPECT_EQ(out[0] & 0xFFFFFF, c.want);
    EXPECT_EQ(out[7] & 0xFFFFFF, 0u);
    EXPECT_EQ(out[8] & 0xFFFFFF, 0u) << "nothing right of the quad";
    const uint32_t modulated = out[static_cast<size_t>(5) * kWidth + 1];
    for (int shift = 0; shift < 24; shift += 8)
      EXPECT_NEAR(static_cast<int>(modulated >> shift & 255), ((c.want >> shift & 255) * 128 + 127) / 255, 1);
    device_->ReleaseTexture(texture);
  }
}

TEST_F(GlDeviceTest, ARenderTargetTextureIsDrawnIntoAndThenSampled) {
  const TextureId target = device_->CreateTexture(8, 8, 1, kFormatX8R8G8B8, true);
  ASSERT_NE(target, 0u);
  EXPECT_EQ(device_->ColorFill(target, 0xFF00FF00), 0);
  ASSERT_EQ(device_->SetRenderTarget(target), 0);
  device_->SetViewport({0, 0, 8, 8, 0.0f, 1.0f});
  UseDiffuseOnly();
  FillBox(-0.5f, -0.5f, 3.5f, 0.5f, 0xFFFF0000);  // the top row's left half red
  const auto inside = Read(target, 8, 8);
  EXPECT_EQ(inside[0] & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(inside[4] & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(inside[8] & 0xFFFFFF, 0x00FF00u);

  ASSERT_EQ(device_->SetRenderTarget(0), 0);
  device_->SetViewport({0, 0, kWidth, kHeight, 0.0f, 1.0f});
  device_->Clear(0xFF000000);
  device_->SetTexture(0, target);
  device_->SetTextureStageState(0, kTssColorOp, kOpSelectArg1);
  device_->SetTextureStageState(0, kTssColorArg1, kArgTexture);
  const uint32_t white = 0xFFFFFFFF;
  auto v = Quad<Textured>({9.5f, 9.5f, 0.2f, 1, white, 0, 0}, {17.5f, 9.5f, 0.2f, 1, white, 1, 0},
                          {9.5f, 17.5f, 0.2f, 1, white, 0, 1}, {17.5f, 17.5f, 0.2f, 1, white, 1, 1});
  device_->SetFvf(kFvfTextured);
  device_->DrawPrimitiveUp(kTriangleList, 2, v.data(), sizeof(Textured));
  const auto out = Read();
  EXPECT_EQ(out[static_cast<size_t>(10) * kWidth + 10] & 0xFFFFFF, 0xFF0000u) << "the target's top row stays on top";
  EXPECT_EQ(out[static_cast<size_t>(10) * kWidth + 14] & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(out[static_cast<size_t>(11) * kWidth + 10] & 0xFFFFFF, 0x00FF00u);
  device_->ReleaseTexture(target);

  // Pixels written into the back buffer read back as they were.
  const uint32_t written[2] = {0xFF123456, 0xFF654321};
  ASSERT_EQ(device_->WritePixels(0, {3, 2, 5, 3}, written), 0);
  uint32_t read[2] = {};
  ASSERT_EQ(device_->ReadPixels(0, {3, 2, 5, 3}, read), 0);
  EXPECT_EQ(read[0], written[0]);
  EXPECT_EQ(read[1], written[1]);
  EXPECT_EQ(device_->WritePixels(0, {30, 2, 35, 3}, written), -1) << "outside the target";
}

TEST_F(GlDeviceTest, RefusesWhatItCannotMake) {
  EXPECT_EQ(device_->CreateTexture(0, 8, 1, kFormatX8R8G8B8, false), 0u);
  EXPECT_EQ(device_->CreateTexture(8, 8, 1, 894720068 /* a compressed format */, false), 0u);
  EXPECT_NE(device_->CheckFormat(894720068, false), 0);
  const TextureId texture = device_->CreateTexture(8, 8, 1, kFormatX8R8G8B8, false);
  const uint32_t pixel = 0;
  EXPECT_EQ(device_->UpdateTexture(texture, 0, {7, 7, 9, 8}, &pixel, 4), -1) << "outside the texture";
  EXPECT_EQ(device_->UpdateTexture(texture, 1, {0, 0, 1, 1}, &pixel, 4), -1) << "no such level";
  EXPECT_EQ(device_->SetRenderTarget(texture), -1) << "not a render target";
  EXPECT_EQ(device_->ColorFill(texture, 0), -1);
  device_->ReleaseTexture(texture);
  EXPECT_EQ(device_->UpdateTexture(texture, 0, {0, 0, 1, 1}, &pixel, 4), -1) << "released";
}

TEST_F(GlDeviceTest, GlslShadersCompileAndBrokenOnesAreRefused) {
  EXPECT_EQ(device_->ShaderModel(), 2);
  const uint32_t vertex = device_->CreateShader(0, "#version 120\nvoid main() { gl_Position = ftransform(); }\n");
  EXPECT_NE(vertex, 0u);
  EXPECT_EQ(device_->CreateShader(1, "#version 120\nvoid main() { gl_FragColor = nothing; }\n"), 0u);
  device_->ReleaseShader(vertex);
}

}  // namespace
}  // namespace platform::gpu
