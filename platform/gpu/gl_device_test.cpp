#include "platform/gpu/device.h"
#include "platform/gpu/gl_driver_test_support.h"

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
    test::KeepGlDriverLoaded();
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

constexpr Argument kDiffuse{Input::kDiffuse, false};
constexpr Argument kTexture{Input::kTexture, false};

class GlDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DriverScope driver("offscreen");
    std::string why;
    DeviceRequest request;
    request.width = kWidth, request.height = kHeight;
    device_ = CreateOpenGlDevice(request, &why);
    if (!device_) GTEST_SKIP() << "no OpenGL device here: " << why;
    device_->SetClip({0, 0, kWidth, kHeight});
    device_->SetSmoothShading(false);
  }

  std::vector<uint32_t> Read(TextureId target = 0, int width = kWidth, int height = kHeight) {
    std::vector<uint32_t> out(static_cast<size_t>(width) * height);
    EXPECT_TRUE(device_->CaptureTargetRect(target, {0, 0, width, height}, out.data()));
    return out;
  }

  void UseDiffuseOnly() {
    device_->SetStage(0, {0, 0, {Combine::kFirst, kDiffuse, {}}, {Combine::kFirst, kDiffuse, {}}});
    device_->SetStage(1, {});
  }

  void UseTexture(TextureId texture, Combine color = Combine::kModulate) {
    device_->SetStage(0, {texture, 0, {color, kTexture, kDiffuse}, {Combine::kFirst, kTexture, {}}});
    device_->SetStage(1, {});
  }

  void FillBox(float l, float t, float r, float b, uint32_t color, float z = 0.2f) {
    auto v = Quad<Colored>({l, t, z, 1, color}, {r, t, z, 1, color}, {l, b, z, 1, color}, {r, b, z, 1, color});
    device_->Draw(Primitive::kTriangles, Layout::kColored, v.data(), static_cast<int>(v.size()));
  }

  // A whole texture drawn with its texels on the pixels from (x, y).
  void DrawTexture(float x, float y, int w, int h, uint32_t color = 0xFFFFFFFF) {
    const float l = x - 0.5f, t = y - 0.5f, r = l + static_cast<float>(w), b = t + static_cast<float>(h);
    auto v = Quad<Textured>({l, t, 0.2f, 1, color, 0, 0}, {r, t, 0.2f, 1, color, 1, 0}, {l, b, 0.2f, 1, color, 0, 1},
                            {r, b, 0.2f, 1, color, 1, 1});
    device_->Draw(Primitive::kTriangles, Layout::kTextured, v.data(), static_cast<int>(v.size()));
  }

  static uint32_t At(const std::vector<uint32_t>& pixels, int x, int y, int width = kWidth) {
    return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF;
  }

  static constexpr int kWidth = 32;
  static constexpr int kHeight = 24;
  std::unique_ptr<Device> device_;
};

TEST(GlDeviceCreation, TheDummyDriverGivesNoDeviceAndSaysWhy) {
  DriverScope driver("dummy");
  std::string why;
  DeviceRequest request;
  request.width = 64, request.height = 48;
  EXPECT_EQ(CreateOpenGlDevice(request, &why), nullptr);
  EXPECT_NE(why.find("OpenGL"), std::string::npos) << why;
  EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u) << "the video subsystem it started is ended again";
}

TEST(GlDeviceCreation, AWindowNotMadeForOpenGlGivesNoDevice) {
  DriverScope driver("offscreen");
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
  SDL_Window* window = SDL_CreateWindow("plain", 0, 0, 32, 24, SDL_WINDOW_HIDDEN);
  ASSERT_NE(window, nullptr);
  std::string why;
  DeviceRequest request;
  request.width = 32, request.height = 24, request.window = window;
  EXPECT_EQ(CreateOpenGlDevice(request, &why), nullptr);
  EXPECT_NE(why.find("OpenGL"), std::string::npos) << why;
  SDL_DestroyWindow(window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST_F(GlDeviceTest, SaysWhatItIsAndWhetherItDrawsOnTheProcessor) {
  const Facts& facts = device_->Describe();
  EXPECT_FALSE(facts.renderer.empty());
  const bool mesaSoftware = facts.renderer.find("llvmpipe") != std::string::npos ||
                            facts.renderer.find("softpipe") != std::string::npos;
  EXPECT_EQ(facts.softwareRasterizer, mesaSoftware) << facts.renderer;
  EXPECT_GE(facts.maxTextureSize, 2048);
  EXPECT_EQ(facts.backBuffer, Format::kX8R8G8B8);
  EXPECT_FALSE(device_->Present({0, 0, kWidth, kHeight}, {0, 0, kWidth, kHeight}, false))
      << "a device on a hidden window of its own has nowhere to show a frame";
}

TEST_F(GlDeviceTest, BoxesLandOnExactPixelsAndBlendByTheStates) {
  ASSERT_TRUE(device_->FillTarget(0, 0xFF000000));
  UseDiffuseOnly();
  // Edges half a pixel before the pixel centres cover exactly pixels 2..5 x 1..3.
  FillBox(1.5f, 0.5f, 5.5f, 3.5f, 0xFFFF0000);
  device_->SetBlend({true, Factor::kSourceAlpha, Factor::kInverseSourceAlpha, BlendOperation::kAdd});
  FillBox(3.5f, 0.5f, 7.5f, 3.5f, 0x800000FF);
  device_->SetBlend({true, Factor::kOne, Factor::kOne, BlendOperation::kReverseSubtract});
  FillBox(9.5f, 0.5f, 10.5f, 1.5f, 0xFF000000);  // black minus black stays black
  device_->SetBlend({});
  const auto pixels = Read();
  EXPECT_EQ(At(pixels, 1, 1), 0x000000u);
  EXPECT_EQ(At(pixels, 2, 1), 0xFF0000u);
  EXPECT_EQ(At(pixels, 2, 3), 0xFF0000u);
  EXPECT_EQ(At(pixels, 2, 4), 0x000000u);
  const uint32_t mixed = At(pixels, 4, 2);  // half red, half blue
  EXPECT_NEAR(static_cast<int>(mixed >> 16), 127, 1);
  EXPECT_NEAR(static_cast<int>(mixed & 255), 128, 1);
  EXPECT_EQ(At(pixels, 6, 2) >> 8, 0u);
  EXPECT_NEAR(static_cast<int>(At(pixels, 6, 2) & 255), 128, 1);
  EXPECT_EQ(At(pixels, 8, 2), 0x000000u);

  // The clip keeps a box inside it; an alpha test leaves out what fails it.
  device_->SetClip({0, 10, 4, 12});
  FillBox(-0.5f, 9.5f, 8.5f, 13.5f, 0xFF00FF00);
  device_->SetClip({0, 0, kWidth, kHeight});
  device_->SetAlphaTest({true, Compare::kGreater, 16});
  FillBox(10.5f, 10.5f, 12.5f, 12.5f, 0x10FFFFFF);
  FillBox(12.5f, 10.5f, 14.5f, 12.5f, 0x11FFFFFF);
  device_->SetAlphaTest({});
  const auto after = Read();
  EXPECT_EQ(At(after, 3, 10), 0x00FF00u);
  EXPECT_EQ(At(after, 3, 12), 0u);
  EXPECT_EQ(At(after, 4, 11), 0u);
  EXPECT_EQ(At(after, 11, 11), 0u);
  EXPECT_EQ(At(after, 13, 11), 0xFFFFFFu);
}

TEST_F(GlDeviceTest, TexturesOfEveryFormatSampleTexelForTexelAndModulate) {
  struct Case {
    Format format;
    std::vector<uint8_t> texel;  // one pixel in the format
    uint32_t want;
  };
  const Case cases[] = {
      {Format::kX8R8G8B8, {0x30, 0x20, 0x10, 0x00}, 0x102030},
      {Format::kA8R8G8B8, {0x30, 0x20, 0x10, 0xFF}, 0x102030},
      {Format::kR5G6B5, {0x1F, 0xF8}, 0xFF00FF},
      {Format::kX1R5G5B5, {0xE0, 0x03}, 0x00FF00},
      {Format::kA1R5G5B5, {0x00, 0xFC}, 0xFF0000},
      {Format::kA4R4G4B4, {0x0F, 0xF0}, 0x0000FF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.format));
    ASSERT_TRUE(device_->Accepts(c.format, false));
    const TextureId texture = device_->CreateTexture(8, 8, 1, c.format, false);
    ASSERT_NE(texture, 0u);
    const int bytes = BytesPerPixel(c.format);
    std::vector<uint8_t> pixels(static_cast<size_t>(8) * 8 * bytes);
    for (size_t i = 0; i < 64; ++i) std::memcpy(&pixels[i * bytes], c.texel.data(), bytes);
    // A second colour in the last column tells the texels apart.
    for (int y = 0; y < 8; ++y) std::memset(&pixels[static_cast<size_t>(y * 8 + 7) * bytes], 0, bytes);
    ASSERT_TRUE(device_->WriteTexture(texture, 0, {0, 0, 8, 8}, pixels.data(), 8 * bytes));
    ASSERT_TRUE(device_->FillTarget(0, 0xFF000000));
    UseTexture(texture);
    DrawTexture(0, 0, 8, 4);
    DrawTexture(0, 4, 8, 4, 0xFF808080);  // its lower half drawn again in grey over rows 4..7
    const auto out = Read();
    EXPECT_EQ(At(out, 0, 0), c.want);
    EXPECT_EQ(At(out, 7, 0), 0u);
    EXPECT_EQ(At(out, 8, 0), 0u) << "nothing right of the quad";
    const uint32_t modulated = At(out, 1, 5);
    for (int shift = 0; shift < 24; shift += 8)
      EXPECT_NEAR(static_cast<int>(modulated >> shift & 255), ((c.want >> shift & 255) * 128 + 127) / 255, 1);
    device_->ReleaseTexture(texture);
  }
}

TEST_F(GlDeviceTest, CompressedBlocksAreWrittenAsTheyAreAndMipLevelsSampledWhenShrunk) {
  ASSERT_TRUE(device_->Accepts(Format::kDxt1, false));
  EXPECT_FALSE(device_->Accepts(Format::kDxt1, true)) << "no compressed render targets";
  const TextureId dxt = device_->CreateTexture(8, 8, 1, Format::kDxt1, false);
  ASSERT_NE(dxt, 0u);
  // Four blocks of solid red: both end colours red, every index 0.
  const uint8_t block[8] = {0x00, 0xF8, 0x00, 0xF8, 0, 0, 0, 0};
  std::vector<uint8_t> blocks;
  for (int i = 0; i < 4; ++i) blocks.insert(blocks.end(), block, block + 8);
  EXPECT_FALSE(device_->WriteCompressedLevel(dxt, 0, blocks.data(), 24)) << "a level is written whole";
  ASSERT_TRUE(device_->WriteCompressedLevel(dxt, 0, blocks.data(), 32));
  ASSERT_TRUE(device_->FillTarget(0, 0xFF000000));
  UseTexture(dxt, Combine::kFirst);
  DrawTexture(2, 2, 8, 8);
  EXPECT_EQ(At(Read(), 5, 5), 0xFF0000u);
  device_->ReleaseTexture(dxt);

  // A two-level texture drawn at half size with mip sampling reads level 1.
  const TextureId mipped = device_->CreateTexture(8, 8, 2, Format::kX8R8G8B8, false);
  ASSERT_NE(mipped, 0u);
  std::vector<uint32_t> green(64, 0xFF00FF00), blue(16, 0xFF0000FF);
  ASSERT_TRUE(device_->WriteTexture(mipped, 0, {0, 0, 8, 8}, green.data(), 32));
  ASSERT_TRUE(device_->WriteTexture(mipped, 1, {0, 0, 4, 4}, blue.data(), 16));
  EXPECT_FALSE(device_->WriteTexture(mipped, 2, {0, 0, 1, 1}, blue.data(), 4)) << "no such level";
  UseTexture(mipped, Combine::kFirst);
  Sampler sampler;
  sampler.mip = Filter::kPoint;
  device_->SetSampler(0, sampler);
  DrawTexture(16, 2, 4, 4);
  device_->SetSampler(0, Sampler{});
  DrawTexture(16, 10, 4, 4);
  const auto out = Read();
  EXPECT_EQ(At(out, 17, 3), 0x0000FFu);
  EXPECT_EQ(At(out, 17, 11), 0x00FF00u) << "without mip sampling level 0 is read";
  device_->ReleaseTexture(mipped);
}

TEST_F(GlDeviceTest, ARenderTargetIsDrawnIntoAtItsOriginSampledCopiedAndFilled) {
  const TextureId target = device_->CreateTexture(8, 8, 1, Format::kX8R8G8B8, true);
  ASSERT_NE(target, 0u);
  EXPECT_TRUE(device_->FillTarget(target, 0xFF00FF00));
  // Drawn with its origin at (100, 50): the vertices name the pixels of a
  // larger picture that the target holds a piece of.
  ASSERT_TRUE(device_->UseTarget(target, 100, 50));
  device_->SetClip({100, 50, 108, 58});
  UseDiffuseOnly();
  FillBox(99.5f, 49.5f, 103.5f, 50.5f, 0xFFFF0000);  // the top row's left half red
  const auto inside = Read(target, 8, 8);
  EXPECT_EQ(At(inside, 0, 0, 8), 0xFF0000u);
  EXPECT_EQ(At(inside, 4, 0, 8), 0x00FF00u);
  EXPECT_EQ(At(inside, 0, 1, 8), 0x00FF00u);

  ASSERT_TRUE(device_->UseTarget(0, 0, 0));
  device_->SetClip({0, 0, kWidth, kHeight});
  ASSERT_TRUE(device_->FillTarget(0, 0xFF000000));
  UseTexture(target, Combine::kFirst);
  DrawTexture(10, 10, 8, 8);
  auto out = Read();
  EXPECT_EQ(At(out, 10, 10), 0xFF0000u) << "the target's top row stays on top";
  EXPECT_EQ(At(out, 14, 10), 0x00FF00u);
  EXPECT_EQ(At(out, 10, 11), 0x00FF00u);

  // A rectangle of the back buffer copied into a plain texture, drawn again.
  const TextureId copy = device_->CreateTexture(8, 8, 1, Format::kX8R8G8B8, false);
  ASSERT_NE(copy, 0u);
  ASSERT_TRUE(device_->CopyTargetRect(0, {10, 10, 14, 12}, copy, 2, 3));
  EXPECT_FALSE(device_->CopyTargetRect(0, {10, 10, 14, 12}, copy, 6, 3)) << "past the texture's edge";
  EXPECT_TRUE(device_->CopyTargetRect(copy, {0, 0, 2, 2}, target, 0, 0)) << "a plain texture becomes a target when used as one";
  UseTexture(copy, Combine::kFirst);
  DrawTexture(20, 2, 8, 8);
  out = Read();
  EXPECT_EQ(At(out, 22, 5), 0xFF0000u);
  EXPECT_EQ(At(out, 23, 6), 0x00FF00u);
  EXPECT_EQ(At(out, 21, 5), 0u);
  device_->ReleaseTexture(copy);
  device_->ReleaseTexture(target);
}

TEST_F(GlDeviceTest, TheDepthBufferHidesWhatLiesBehind) {
  ASSERT_TRUE(device_->AcceptsDepth(DepthFormat::kD16));
  ASSERT_TRUE(device_->CreateDepthBuffer(32, 32, DepthFormat::kD16));
  ASSERT_TRUE(device_->FillTarget(0, 0xFF000000));
  device_->ClearDepth(1.0f);
  UseDiffuseOnly();
  device_->SetDepthTest({true, true, Compare::kLessEqual, 0.0f});
  FillBox(1.5f, 1.5f, 5.5f, 5.5f, 0xFFFF0000, 0.2f);
  FillBox(3.5f, 3.5f, 7.5f, 7.5f, 0xFF0000FF, 0.6f);  // behind the red box
  device_->SetDepthTest({});
  FillBox(9.5f, 1.5f, 10.5f, 2.5f, 0xFF00FF00, 0.9f);
  const auto out = Read();
  EXPECT_EQ(At(out, 4, 4), 0xFF0000u);
  EXPECT_EQ(At(out, 6, 6), 0x0000FFu);
  EXPECT_EQ(At(out, 10, 2), 0x00FF00u) << "without the test nothing is hidden";
  device_->ReleaseDepthBuffer();
}

TEST_F(GlDeviceTest, RefusesWhatItCannotMake) {
  EXPECT_EQ(device_->CreateTexture(0, 8, 1, Format::kX8R8G8B8, false), 0u);
  EXPECT_EQ(device_->CreateTexture(8, 8, 1, Format::kNone, false), 0u);
  EXPECT_FALSE(device_->Accepts(Format::kDxt2, false)) << "premultiplied blocks have no GL form";
  const TextureId texture = device_->CreateTexture(8, 8, 1, Format::kX8R8G8B8, false);
  const uint32_t pixel = 0;
  EXPECT_FALSE(device_->WriteTexture(texture, 0, {7, 7, 9, 8}, &pixel, 4)) << "outside the texture";
  EXPECT_FALSE(device_->WriteTexture(texture, 1, {0, 0, 1, 1}, &pixel, 4)) << "no such level";
  device_->ReleaseTexture(texture);
  const TextureId blocks = device_->CreateTexture(8, 8, 1, Format::kDxt1, false);
  ASSERT_NE(blocks, 0u);
  EXPECT_FALSE(device_->UseTarget(blocks, 0, 0)) << "blocks are not drawn into";
  EXPECT_FALSE(device_->FillTarget(blocks, 0));
  device_->ReleaseTexture(blocks);
  EXPECT_FALSE(device_->WriteTexture(texture, 0, {0, 0, 1, 1}, &pixel, 4)) << "released";
}

TEST_F(GlDeviceTest, ProgramsCompileAndBrokenOnesAreRefused) {
  EXPECT_TRUE(device_->Describe().programs);
  const uint32_t vertex = device_->CreateProgram(0, "#version 120\nvoid main() { gl_Position = ftransform(); }\n");
  EXPECT_NE(vertex, 0u);
  EXPECT_EQ(device_->CreateProgram(1, "#version 120\nvoid main() { gl_FragColor = nothing; }\n"), 0u);
  device_->ReleaseProgram(vertex);
}

TEST(GlDeviceOnAWindow, PresentsTheBackBufferIntoTheWindow) {
  DriverScope driver("offscreen");
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
  SDL_Window* window = SDL_CreateWindow("frame", 0, 0, 64, 48, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  ASSERT_NE(window, nullptr);
  {
    std::string why;
    DeviceRequest request;
    request.width = 32, request.height = 24, request.colorBits = 16, request.window = window;
    auto device = CreateOpenGlDevice(request, &why);
    if (!device) {
      SDL_DestroyWindow(window);
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
      GTEST_SKIP() << why;
    }
    EXPECT_EQ(device->Describe().backBuffer, Format::kR5G6B5) << "a 16-bit screen gets a 16-bit back buffer";
    int w = 0, h = 0;
    device->ClientSize(&w, &h);
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 48);
    ASSERT_TRUE(device->FillTarget(0, 0xFFFF0000));
    uint32_t pixel = 0;
    ASSERT_TRUE(device->CaptureTargetRect(0, {3, 3, 4, 4}, &pixel));
    EXPECT_EQ(pixel & 0xFFFFFF, 0xFF0000u);
    EXPECT_TRUE(device->Present({0, 0, 32, 24}, {0, 0, 64, 48}, false));
    EXPECT_FALSE(device->Present({0, 0, 33, 24}, {0, 0, 64, 48}, false)) << "outside the back buffer";
  }
  SDL_DestroyWindow(window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace
}  // namespace platform::gpu
