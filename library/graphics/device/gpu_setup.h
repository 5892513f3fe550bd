// Choosing the road at graphics start, and the device's set-up. Unless the
// program asked for the software road (SetHardwareRenderingWanted(0) before
// the start), the OpenGL device is made on the program's window; a device
// that is itself a software rasterizer is no hardware and is given back,
// unless the environment asks for any device (VEZIV_GPU=any). The device
// made, the formats it takes are probed and logged into the format table,
// the Z buffer is made, and the shaders are set up; whatever fails, the log
// says why and the software road draws.
#pragma once

#include <cstdint>

#include "library/graphics/images/pixel_format.h"
#include "library/veziv.h"
#include "platform/gpu/device.h"

namespace veziv {

// The format numbers the table keeps (as the log names them).
enum DeviceFormatNumber : int {
  kFmtR8G8B8 = 20,
  kFmtA8R8G8B8 = 21,
  kFmtX8R8G8B8 = 22,
  kFmtR5G6B5 = 23,
  kFmtX1R5G5B5 = 24,
  kFmtA1R5G5B5 = 25,
  kFmtA4R4G4B4 = 26,
  kFmtD32 = 71,
  kFmtD24X8 = 77,
  kFmtD16 = 80,
  kFmtDxt1 = 0x31545844,  // "DXT1"
  kFmtDxt2 = 0x32545844,
  kFmtDxt3 = 0x33545844,
  kFmtDxt4 = 0x34545844,
  kFmtDxt5 = 0x35545844,
};

// Kinds of texture the table holds a format for (0: none).
enum TextureKind : int {
  kKind16 = 0,
  kKind32 = 1,
  kKind16Alpha = 2,
  kKind32Alpha = 3,
  kKind16AlphaTest = 4,
  kKind32AlphaTest = 5,
  kKindDxt1 = 6,  // to kKindDxt1 + 4: DXT1 to DXT5
  kKindTarget16 = 11,
  kKindTarget32 = 12,
  kKindTarget32Alpha = 13,
  kTextureKinds = 14,
};

struct DeviceFormatTable {
  int screen = 0;  // the back buffer's format
  int depth = 0;   // the Z buffer's format
  int kinds[kTextureKinds] = {};
  int screenRenderTarget = 0;  // the kind for targets of the screen's depth
  int screenAlphaTest = 0;     // the kind for key-alpha textures of the screen's depth
};

// The device set-up of graphics start: the hardware device when wished and
// possible, then the software road's own set-up (the display mode). 0 or -1.
int SetupGraphicsDevice();
// The Z buffer: the smallest powers of two not below the screen's sides. -1
// without a device or when it cannot be made.
int CreateZBuffer();
// A render target of the screen's size and format. -1 without a device.
int CreateSubBackBuffer();
// The shared description of a format number, or null.
const PixelFormatDesc* GetPixelFormatOfDeviceFormat(int format);
// The device's form of a format number (none for numbers it has no form of).
platform::gpu::Format DeviceFormatOf(int format);

namespace detail {
struct GraphicsDeviceFacts {
  int width = 0, height = 0;  // the back buffer
  int zWidth = 0, zHeight = 0;
  int maxTextureSize = 256;
};
// The formats the device under the cache takes, probed and logged into the
// table, and its facts. -1 when the screen's own kinds of texture cannot be
// had.
int ProbeDeviceFormats();
// 1 while the hardware device exists.
int GpuInUse();
const DeviceFormatTable& FormatTable();
const GraphicsDeviceFacts& DeviceFacts();
// The sub back buffer (0 before it is made).
platform::gpu::TextureId SubBackBuffer();
// Shows the device's finished frame in the window (the sub back buffer put
// onto the back buffer first when drawing went there). -1 when it cannot.
int PresentDeviceFrame(int sourceWidth, int sourceHeight, int destinationWidth, int destinationHeight,
                       bool waitForRefresh);
// Fills the current targets with the background colour, and the Z buffer with 1.
void ClearDeviceTarget(uint32_t argb);
// Graphics end and device loss: the device and everything made on it go.
void ReleaseGpuDevice();
// The next recovery finds the device lost (tests: the device never loses
// its objects by itself).
void SimulateDeviceLoss();
// 1 when the device has lost its objects (or a loss is simulated).
int DeviceLost();
}  // namespace detail

}  // namespace veziv
