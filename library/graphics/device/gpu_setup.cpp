// Making and ending the hardware device, the format table and its probing,
// the Z buffer and the sub back buffer, and the device's frame shown in the
// window.
#include "library/graphics/device/gpu_setup.h"

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "library/foundation/core/random.h"
#include "library/foundation/memory_log/log.h"
#include "library/graphics/device/device_cache.h"
#include "library/graphics/device/draw_backend.h"
#include "library/graphics/device/graph_textures.h"
#include "library/graphics/device/model_support.h"
#include "library/graphics/device/shader_pack.h"
#include "library/graphics/graphs/lights_camera.h"
#include "library/graphics/graphs/mask_screen.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/graphics/screen/screen_mode.h"
#include "library/veziv.h"
#include "platform/window/present.h"
#include "platform/window/window.h"

namespace veziv {
namespace {

namespace gpu = platform::gpu;

struct SetupState {
  std::unique_ptr<gpu::Device> device;
  DeviceFormatTable table;
  detail::GraphicsDeviceFacts facts;
  gpu::TextureId subBackBuffer = 0;
  int lossSimulated = 0;
};

SetupState& S() {
  static auto* state = new SetupState;  // the device's objects live to the end
  return *state;
}

gpu::Device* D() { return S().device.get(); }

int SmallestPowerOfTwo(int side);

void LogLine(const char* format, const char* name) {
  char line[256];
  FormatText(line, sizeof line, format, name);
  WriteLogText(line);
  WriteLogText("\n");
}

// ---- The format table ----

struct Candidate {
  int format;
  const char* name;
};

struct KindProbe {
  int kind;
  std::vector<Candidate> candidates;
  const char* found;     // the log line of the choice
  const char* missing;   // the log line when none is taken
  bool fatal;            // no format ends the set-up
  int fallbackKind;      // -1: none; else that kind's format (logged as "使えません")
  bool renderTarget;
};

bool Accepts(int format, bool renderTarget) {
  const gpu::Format f = DeviceFormatOf(format);
  return f != gpu::Format::kNone && detail::GpuDevice()->Accepts(f, renderTarget);
}

std::vector<KindProbe> KindProbes(int screen) {
  const Candidate a4{kFmtA4R4G4B4, "L_D3DFMT_A4R4G4B4"}, a8{kFmtA8R8G8B8, "L_D3DFMT_A8R8G8B8"},
      a1{kFmtA1R5G5B5, "L_D3DFMT_A1R5G5B5"};
  std::vector<KindProbe> probes = {
      {kKind16, {{kFmtR5G6B5, "L_D3DFMT_R5G6B5"}, {kFmtX1R5G5B5, "L_D3DFMT_X1R5G5B5"}}, "16bit カラーフォーマットは %s です",
       "使用できる 16bit カラーフォーマットが見つかりませんでした\n", true, -1, false},
      {kKind32, {{kFmtX8R8G8B8, "L_D3DFMT_X8R8G8B8"}}, "32bit カラーフォーマットは %s です", nullptr, false, kKind16, false},
      {kKind16Alpha, {a4, a8}, "アルファ付き 16bit カラーフォーマットは %s です",
       "使用できるアルファ付き 16bit カラーフォーマットが見つかりませんでした\n", true, -1, false},
      {kKind32Alpha, {a8, a4}, "アルファ付き 32bit カラーフォーマットは %s です",
       "使用できるアルファ付き 32bit カラーフォーマットが見つかりませんでした\n", true, -1, false},
      {kKind16AlphaTest, {a1, a8, a4}, "アルファテスト用 16bit カラーフォーマットは %s です",
       "使用できるアルファテスト用 16bit カラーフォーマットが見つかりませんでした\n", true, -1, false},
      {kKind32AlphaTest, {a8, a1, a4}, "アルファテスト用 32bit カラーフォーマットは %s です",
       "使用できるアルファテスト用 32bit カラーフォーマットが見つかりませんでした\n", true, -1, false},
      {kKindDxt1, {{kFmtDxt1, " L_D3DFMT_DXT1 です"}}, "ＤＸＴ１テクスチャフォーマットは%s", nullptr, false, kKind16AlphaTest, false},
      {kKindDxt1 + 1, {{kFmtDxt2, " L_D3DFMT_DXT2 です"}}, "ＤＸＴ２テクスチャフォーマットは%s", nullptr, false, kKind32Alpha, false},
      {kKindDxt1 + 2, {{kFmtDxt3, " L_D3DFMT_DXT3 です"}}, "ＤＸＴ３テクスチャフォーマットは%s", nullptr, false, kKind32Alpha, false},
      {kKindDxt1 + 3, {{kFmtDxt4, " L_D3DFMT_DXT4 です"}}, "ＤＸＴ４テクスチャフォーマットは%s", nullptr, false, kKind32Alpha, false},
      {kKindDxt1 + 4, {{kFmtDxt5, " L_D3DFMT_DXT5 です"}}, "ＤＸＴ５テクスチャフォーマットは%s", nullptr, false, kKind32Alpha, false},
  };
  KindProbe target16{kKindTarget16, {}, "描画用 16bit カラーフォーマットは %s です",
                     "使用できる描画用 16bit カラーフォーマットがありませんでした\n", false, -1, true};
  if (screen == kFmtR5G6B5)
    target16.candidates = {{kFmtR5G6B5, "D3DFMT_R5G6B5"}, {kFmtX1R5G5B5, "D3DFMT_R5G5B5"}};
  else
    target16.candidates = {{kFmtX1R5G5B5, "L_D3DFMT_R5G5B5"}, {kFmtR5G6B5, "L_D3DFMT_R5G6B5"}};
  target16.candidates.push_back({kFmtX8R8G8B8, "L_D3DFMT_X8R8G8B8"});
  probes.push_back(target16);
  probes.push_back({kKindTarget32,
                    {{kFmtX8R8G8B8, "L_D3DFMT_X8R8G8B8"}, {kFmtR5G6B5, "D3DFMT_R5G6B5"}, {kFmtX1R5G5B5, "D3DFMT_R5G5B5"}},
                    "描画用 32bit カラーフォーマットは %s です", "使用できる描画用 32bit カラーフォーマットがありませんでした\n",
                    false, -1, true});
  probes.push_back({kKindTarget32Alpha, {{kFmtA8R8G8B8, "L_D3DFMT_A8R8G8B8"}, {kFmtA4R4G4B4, "D3DFMT_A4R4G4B4"}},
                    "描画用アルファ付き 32bit カラーフォーマットは %s です",
                    "使用できる描画用 32bit カラーフォーマットがありませんでした\n", false, -1, true});
  return probes;
}

}  // namespace

int detail::ProbeDeviceFormats() {
  gpu::Device* device = detail::GpuDevice();
  if (device == nullptr) return -1;
  detail::GraphicsDeviceFacts& f = S().facts;
  f.width = device->Width(), f.height = device->Height();
  f.maxTextureSize = device->Describe().maxTextureSize > 0 ? device->Describe().maxTextureSize : 256;
  DeviceFormatTable& t = S().table;
  t = DeviceFormatTable{};
  t.screen = device->Describe().backBuffer == gpu::Format::kR5G6B5 ? kFmtR5G6B5 : kFmtX8R8G8B8;
  LogLine("画面のフォーマットは %s です", t.screen == kFmtR5G6B5 ? "D3DFMT_R5G6B5" : "D3DFMT_X8R8G8B8");
  const std::pair<gpu::DepthFormat, Candidate> depths[] = {{gpu::DepthFormat::kD16, {kFmtD16, "D3DFMT_D16"}},
                                                          {gpu::DepthFormat::kD24X8, {kFmtD24X8, "D3DFMT_D24X8"}},
                                                          {gpu::DepthFormat::kD32, {kFmtD32, "D3DFMT_D32"}}};
  for (const auto& [depth, candidate] : depths) {
    if (!device->AcceptsDepth(depth)) continue;
    t.depth = candidate.format;
    LogLine("Ｚバッファのフォーマットは %s です", candidate.name);
    break;
  }
  if (t.depth == 0) return WriteLogText("使用できる Zバッファフォーマットが見つかりませんでした\n");
  std::array<const char*, kTextureKinds> names{};
  for (const KindProbe& probe : KindProbes(t.screen)) {
    for (const Candidate& c : probe.candidates) {
      if (!Accepts(c.format, probe.renderTarget)) continue;
      t.kinds[probe.kind] = c.format;
      names[probe.kind] = c.name;
      break;
    }
    if (t.kinds[probe.kind] == 0 && probe.fallbackKind >= 0) {
      t.kinds[probe.kind] = t.kinds[probe.fallbackKind];
      names[probe.kind] = probe.kind >= kKindDxt1 && probe.kind < kKindDxt1 + 5 ? "使えません" : names[probe.fallbackKind];
    }
    if (t.kinds[probe.kind] == 0) {
      if (probe.missing) WriteLogText(probe.missing);
      if (probe.fatal) return -1;
      continue;
    }
    LogLine(probe.found, names[probe.kind]);
  }
  t.screenRenderTarget = t.screen == kFmtR5G6B5 ? kKindTarget16 : kKindTarget32;
  t.screenAlphaTest = t.screen == kFmtR5G6B5 ? kKind16AlphaTest : kKind32AlphaTest;
  return 0;
}

namespace {

int SmallestPowerOfTwo(int side) {
  int p = 1;
  while (p < side) p *= 2;
  return p;
}

// The device's first state: every setter sent once under the force flag.
void InitialiseDeviceState() {
  detail::DeviceStateCache& c = detail::DeviceCache();
  c.force = 1;
  SetRenderTargetSurface(0);
  ResetTextureStageStates();
  SetTextureAddressUCached(-1, kAddressClamp);
  SetTextureAddressVCached(-1, kAddressClamp);
  SetTextureFilterCached(0);
  SetCullModeCached(0);
  SetLightingEnableCached(1);
  SetShadeModeCached(1);
  SetSpecularEnableCached(1);
  SetDiffuseMaterialSourceCached(0);
  SetZEnableCached(0);
  c.force = 0;
  c.shadeSetting = 1;
  c.lightingSetting = 1;
  c.blendOpCapable = D()->Describe().reverseSubtract ? 1 : 0;
  detail::RequestFullLightRefresh();
  D()->FillTarget(0, 0xFF000000);
}

void ReleaseDevice() {
  S().device.reset();
  S().facts = detail::GraphicsDeviceFacts{};
  S().subBackBuffer = 0;
}

int MakeDevice() {
  const detail::GraphicsScreen& screen = detail::Screen();
  const gpu::DeviceUse use = gpu::DeviceUseFromEnvironment();
  if (use == gpu::DeviceUse::kNone) {
    WriteLogText("環境変数 VEZIV_GPU=off により、ソフトウエアで描画します\n");
    return -1;
  }
  WriteLogText("グラフィックデバイス(OpenGL)を作成します.... ");
  if (screen.bits != 16 && screen.bits != 32) {
    WriteLogText("非対応のバックバッファービット深度が指定されました\n");
    WriteLogText("ソフトウエアで描画します\n");
    return -1;
  }
  gpu::DeviceRequest request;
  request.width = screen.width;
  request.height = screen.height;
  request.colorBits = screen.bits;
  request.window = platform::window::WindowIdentity();
  std::string why;
  std::unique_ptr<gpu::Device> device = gpu::CreateOpenGlDevice(request, &why);
  if (!device) {
    WriteLogFormat("作成に失敗しました、ソフトウエアで描画します (%s)", why.c_str());
    return -1;
  }
  WriteLogText("成功\n");
  const gpu::Facts& facts = device->Describe();
  WriteLogFormat("デバイスは %s です", facts.renderer.c_str());
  if (facts.softwareRasterizer) {
    if (use != gpu::DeviceUse::kAny) {
      WriteLogText("このデバイスはプロセッサで描画するソフトウエアラスタライザなので、ソフトウエアで描画します\n");
      return -1;
    }
    WriteLogText("ソフトウエアラスタライザですが、環境変数 VEZIV_GPU=any によりこのデバイスで描画します\n");
  }
  S().device = std::move(device);
  detail::AttachGpuDevice(D());
  if (detail::ProbeDeviceFormats() != 0 || CreateZBuffer() != 0) {
    detail::AttachGpuDevice(nullptr);
    ReleaseDevice();
    WriteLogText("ソフトウエアで描画します\n");
    return -1;
  }
  SetupShaders();
  if (detail::DeviceCache().shadersInUse) CreateVertexDeclarations();
  InitialiseDeviceState();
  InitializeModelData();
  WriteLogText("ハードウエアで描画します\n");
  return 0;
}

// The device's frame as the window's driver wants it: shown by the device
// in the window, or read out where the frame is kept instead (headless).
class DeviceFrame final : public platform::window::FrameSource {
 public:
  bool Show(const platform::window::ScreenRect& source, const platform::window::ScreenRect& placement,
            bool waitForRefresh) override {
    return D()->Present({source.x, source.y, source.x + source.width, source.y + source.height},
                        {placement.x, placement.y, placement.x + placement.width, placement.y + placement.height},
                        waitForRefresh);
  }
  bool Read(const platform::window::ScreenRect& source, uint32_t* pixels) override {
    return D()->CaptureTargetRect(0, {source.x, source.y, source.x + source.width, source.y + source.height}, pixels);
  }
};

}  // namespace

int SetupGraphicsDevice() {
  if (!D() && GetHardwareRenderingWanted()) MakeDevice();
  return detail::SetupSoftwareDevice();
}

int CreateZBuffer() {
  gpu::Device* device = detail::GpuDevice();
  if (device == nullptr) return -1;
  device->ReleaseDepthBuffer();
  WriteLogText("Ｚバッファを作成します.... ");
  detail::GraphicsDeviceFacts& f = S().facts;
  f.zWidth = f.width <= 1 ? 1 : SmallestPowerOfTwo(f.width);
  f.zHeight = f.height <= 1 ? 1 : SmallestPowerOfTwo(f.height);
  const int format = S().table.depth;
  const gpu::DepthFormat depth = format == kFmtD16     ? gpu::DepthFormat::kD16
                                 : format == kFmtD24X8 ? gpu::DepthFormat::kD24X8
                                                       : gpu::DepthFormat::kD32;
  if (!device->CreateDepthBuffer(f.zWidth, f.zHeight, depth)) return WriteLogText("Ｚバッファの作成に失敗しました\n");
  device->ClearDepth(1.0f);
  WriteLogText("成功\n");
  return 0;
}

int CreateSubBackBuffer() {
  gpu::Device* device = detail::GpuDevice();
  if (device == nullptr) return -1;
  if (S().subBackBuffer != 0) device->ReleaseTexture(S().subBackBuffer);
  S().subBackBuffer =
      device->CreateTexture(S().facts.width, S().facts.height, 1, DeviceFormatOf(S().table.screen), true);
  if (S().subBackBuffer == 0) return WriteLogText("サブバックバッファの作成に失敗しました\n");
  return 0;
}

gpu::Format DeviceFormatOf(int format) {
  switch (format) {
    case kFmtA8R8G8B8: return gpu::Format::kA8R8G8B8;
    case kFmtX8R8G8B8: return gpu::Format::kX8R8G8B8;
    case kFmtR5G6B5: return gpu::Format::kR5G6B5;
    case kFmtX1R5G5B5: return gpu::Format::kX1R5G5B5;
    case kFmtA1R5G5B5: return gpu::Format::kA1R5G5B5;
    case kFmtA4R4G4B4: return gpu::Format::kA4R4G4B4;
    case kFmtDxt1: return gpu::Format::kDxt1;
    case kFmtDxt2: return gpu::Format::kDxt2;
    case kFmtDxt3: return gpu::Format::kDxt3;
    case kFmtDxt4: return gpu::Format::kDxt4;
    case kFmtDxt5: return gpu::Format::kDxt5;
    default: return gpu::Format::kNone;
  }
}

const PixelFormatDesc* GetPixelFormatOfDeviceFormat(int format) {
  struct Row {
    int format, bits;
    uint32_t red, green, blue, alpha;
  };
  static constexpr Row kRows[] = {
      {20, 24, 0xFF0000, 0xFF00, 0xFF, 0},           {21, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
      {22, 32, 0xFF0000, 0xFF00, 0xFF, 0},           {23, 16, 0xF800, 0x7E0, 0x1F, 0},
      {24, 16, 0x7C00, 0x3E0, 0x1F, 0},              {25, 16, 0x7C00, 0x3E0, 0x1F, 0x8000},
      {26, 16, 0xF00, 0xF0, 0xF, 0xF000},            {27, 8, 0xE0, 0x1C, 0x3, 0},
      {29, 16, 0xE0, 0x1C, 0x3, 0xFF00},             {30, 16, 0xF00, 0xF0, 0xF, 0},
      {31, 32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000}, {32, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000},
      {33, 32, 0xFF, 0xFF00, 0xFF0000, 0},           {35, 32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000},
  };
  static const std::vector<PixelFormatDesc> descs = [] {
    std::vector<PixelFormatDesc> out(std::size(kRows));
    for (size_t i = 0; i < out.size(); ++i) {
      const Row& r = kRows[i];
      SetPixelFormatDescFromMasks(&out[i], r.bits, r.red, r.green, r.blue, r.alpha);
    }
    return out;
  }();
  for (size_t i = 0; i < std::size(kRows); ++i)
    if (kRows[i].format == format) return &descs[i];
  return nullptr;
}

namespace detail {

int GpuInUse() { return D() ? 1 : 0; }
const DeviceFormatTable& FormatTable() { return S().table; }
const GraphicsDeviceFacts& DeviceFacts() { return S().facts; }
gpu::TextureId SubBackBuffer() { return S().subBackBuffer; }

int PresentDeviceFrame(int sourceWidth, int sourceHeight, int destinationWidth, int destinationHeight,
                       bool waitForRefresh) {
  if (D() == nullptr) return -1;
  FlushVertexBatch();
  EndSceneIfOpen();
  const GraphicsDeviceFacts& f = S().facts;
  if (S().subBackBuffer != 0 && CurrentRenderTarget() == S().subBackBuffer)
    D()->CopyTargetRect(S().subBackBuffer, {0, 0, f.width, f.height}, 0, 0, 0);
  DeviceFrame frame;
  platform::window::FrameRequest request;
  request.source = {0, 0, sourceWidth, sourceHeight};
  request.destination = {0, 0, destinationWidth, destinationHeight};
  request.wait_for_vblank = waitForRefresh;
  return platform::window::PresentFrame(frame, request) ? 0 : -1;
}

void ClearDeviceTarget(uint32_t argb) {
  if (D() == nullptr) return;
  FlushVertexBatch();
  const RenderTargets& targets = DeviceCache().targets;
  for (int i = 0; i < targets.count; ++i) D()->FillTarget(targets.texture[i], argb);
  if (targets.count == 1 && targets.texture[0] == 0) D()->ClearDepth(1.0f);
}

void ReleaseGpuDevice() {
  gpu::Device* device = GpuDevice();  // the one made here, or one a test put under the cache
  if (device == nullptr) return;
  FlushVertexBatch();
  EndSceneIfOpen();
  ReleaseAllModelBaseObjects();
  ReleaseVertexDeclarations();
  ReleaseShaderObjects();
  ReleaseAllGraphTextures();
  ReleaseDeviceMaskTextures();
  ReleaseDrawBackEndTextures();
  ReleaseBlendChannelTexture();
  if (S().subBackBuffer != 0) device->ReleaseTexture(S().subBackBuffer);
  device->ReleaseDepthBuffer();
  AttachGpuDevice(nullptr);
  ReleaseDevice();
}

void SimulateDeviceLoss() { S().lossSimulated = 1; }

int DeviceLost() {
  if (D() == nullptr) return 0;
  if (S().lossSimulated) {
    S().lossSimulated = 0;
    return 1;
  }
  return D()->Lost() ? 1 : 0;
}

}  // namespace detail
}  // namespace veziv
