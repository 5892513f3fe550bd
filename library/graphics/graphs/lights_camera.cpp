// Light handles, the material and the camera matrices of the draw state.
#include "library/graphics/graphs/lights_camera.h"
#include "library/graphics/graphs/lights_camera_state.h"

#include <memory>

#include "library/foundation/memory_log/memory.h"
#include "library/foundation/start/library_start.h"
#include "library/graphics/device/device_cache.h"

namespace veziv {
namespace {

using detail::LightCameraState;
using detail::LightTable;

LightCameraState& State() { return detail::LightsAndCameraState(); }

}  // namespace

int CreateLightHandle() {
  LightCameraState& s = State();
  const int handle = s.lights->Create();
  if (handle < 0) return -1;  // 4096 lights: refused rather than overrun
  LightRecord* r = s.lights->Get(handle);
  r->check = HandleCheck(handle);
  r->handle = handle;
  LightDescription& l = r->light;
  l.type = 0;
  for (int i = 0; i < 4; ++i) {
    l.diffuse[i] = 1.0f;
    l.specular[i] = 1.0f;
    l.ambient[i] = 0.33f;
  }
  l.range = 2000.0f;
  l.falloff = 1.0f;
  l.attenuation[0] = 0.1f;
  l.theta = 2.0f;
  l.phi = 2.0f;
  r->deviceIndex = -1;
  r->enabled = 1;
  r->changed = 1;
  s.lightsChanged = 1;
  return handle;
}

int CreateDirectionalLight(float x, float y, float z) {
  const int handle = CreateLightHandle();
  LightRecord* r = State().lights->Get(handle);
  if (!r) return -1;
  r->light.type = 3;
  NormalizeVector3(&r->light.direction, x, y, z);
  return handle;
}

int ApplyLightToDevice(int index, int enable, const LightDescription& light) {
  SetLightCached(index, light);
  EnableLightCached(index, enable);
  return 0;
}

int ApplyLights() {
  LightCameraState& s = State();
  SetLightingEnableCached(s.lightingOff == 0 ? 1 : 0);
  if (!s.lightsChanged && !s.fullRefresh) return 0;
  int next = 0;
  for (int slot = 0; slot < s.lights->EndIndex(); ++slot) {
    LightRecord* r = s.lights->Get(s.lights->HandleAt(slot));
    if (!r || !r->enabled) continue;
    const int index = next++;
    if (r->deviceIndex != index || r->changed || s.fullRefresh) {
      r->deviceIndex = index;
      r->changed = 0;
      ApplyLightToDevice(index, 1, r->light);
    }
  }
  for (int index = next; index <= s.highestDeviceIndex; ++index) EnableLightCached(index, 0);
  s.highestDeviceIndex = next - 1;
  s.lightsChanged = 0;
  s.fullRefresh = 0;
  UpdateLightShaderConstants();
  return 0;
}

int UpdateLightShaderConstants() {
  const detail::DeviceStateCache& c = detail::DeviceCache();
  gpu::Device* device = detail::GpuDevice();
  if (device == nullptr || !c.shadersInUse) return 0;
  const MaterialWords& m = c.material;
  for (int i = 0; i <= c.highestLight && i < 4; ++i) {
    if (!c.lightOn[i]) continue;
    const LightDescription& l = c.lights[i];
    float v[7][4] = {};
    for (int k = 0; k < 4; ++k) {
      v[0][k] = l.diffuse[k] * m.diffuse[k];
      v[1][k] = l.specular[k] * m.specular[k];
      v[2][k] = l.ambient[k] * m.ambient[k];
    }
    v[3][0] = l.position.x, v[3][1] = l.position.y, v[3][2] = l.position.z, v[3][3] = l.range;
    v[4][0] = l.direction.x, v[4][1] = l.direction.y, v[4][2] = l.direction.z, v[4][3] = l.falloff;
    v[5][0] = l.attenuation[0], v[5][1] = l.attenuation[1], v[5][2] = l.attenuation[2];
    v[6][0] = l.theta, v[6][1] = l.phi;
    device->SetProgramConstants(0, 18 + 7 * i, &v[0][0], 7);
    device->SetProgramConstants(1, 8 + 3 * i, &v[0][0], 3);
  }
  float ambient[4];
  for (int k = 0; k < 4; ++k) ambient[k] = m.ambient[k] * c.ambient[k] + m.emissive[k];
  device->SetProgramConstants(0, 1, ambient, 1);
  device->SetProgramConstants(1, 1, ambient, 1);
  return 0;
}

int FreeLightHandle(int handle) {
  LightCameraState& s = State();
  const LightRecord* r = s.lights->Get(handle);
  if (!r) return -1;
  s.lights->Delete(handle);
  s.lightsChanged = 1;
  return 0;
}

int FreeAllLightHandles() {
  LightCameraState& s = State();
  s.lights->DeleteAll([&s](int handle) {
    if (handle != s.current) FreeLightHandle(handle);
  });
  return 0;
}

int GetDrawStatePair(int* first, int* second) {
  if (first) *first = State().statePair[0];
  if (second) *second = State().statePair[1];
  return 0;
}

const LightRecord* GetLightRecord(int handle) { return State().lights->Get(handle); }
int GetCurrentLight() { return State().current; }
const DrawCamera& GetDrawCamera() { return State().camera; }
const DrawMaterial& GetDrawMaterial() { return State().material; }

void UpdateProjection() {
  DrawCamera& c = State().camera;
  if (c.mode != 2 && c.targetWidth > 0) {
    const float aspect = static_cast<float>(c.targetHeight) / static_cast<float>(c.targetWidth) * c.scale;
    if (c.mode == 0)
      BuildPerspectiveMatrix(&c.projection, c.fieldOfView, c.nearZ, c.farZ, aspect);
    else
      BuildOrthographicMatrix(&c.projection, c.orthoSize, c.nearZ, c.farZ, aspect);
  }
  c.productValid = 0;
}

int SetCameraClipDistances(float nearZ, float farZ) {
  DrawCamera& c = State().camera;
  c.nearZ = nearZ;
  c.farZ = farZ;
  UpdateProjection();
  return 0;
}

int SetCameraFieldOfView(float fieldOfView) {
  DrawCamera& c = State().camera;
  c.fieldOfView = fieldOfView;
  c.mode = 0;
  UpdateProjection();
  return 0;
}

int SetCameraCustomProjection(const Matrix* matrix) {
  if (!matrix) return -1;
  DrawCamera& c = State().camera;
  c.projection = *matrix;
  c.mode = 2;
  UpdateProjection();
  return 0;
}

void UpdateTransformMatrices() {
  DrawCamera& c = State().camera;
  if (c.productValid) return;
  MultiplyMatrix(&c.product, &c.world, &c.view);
  MultiplyMatrix(&c.product, &c.product, &c.projection);
  MultiplyMatrix(&c.product, &c.product, &c.viewport);
  SetMatrixToIdentity(&c.normal);
  for (int r = 0; r < 3; ++r)
    for (int k = 0; k < 3; ++k) c.normal.m[4 * r + k] = c.view.m[4 * k + r];
  c.productValid = 1;
}

Vector3* TransformPoint3(Vector3* out, const Vector3* v, const Matrix* m) {
  const Vector3 in = *v;
  const float* e = m->m;
  const float w = in.x * e[3] + in.y * e[7] + in.z * e[11] + e[15];
  TransformVector3(out, &in, m);
  out->x /= w;
  out->y /= w;
  out->z /= w;
  return out;
}

namespace detail {

void ResetLightsAndCamera() {
  LightCameraState& s = State();
  s.current = CreateDirectionalLight(1.0f, -1.0f, 1.0f);
  const int width = s.camera.targetWidth, height = s.camera.targetHeight;
  s.camera = DrawCamera{};
  s.camera.targetWidth = width;
  s.camera.targetHeight = height;
  SetMatrixToIdentity(&s.camera.projection);
  SetMatrixToIdentity(&s.camera.world);
  SetMatrixToIdentity(&s.camera.view);
  SetMatrixToIdentity(&s.camera.viewport);
  s.lightingOff = 0;
  s.statePair[0] = s.statePair[1] = 0;
  s.material = DrawMaterial{{0.8f, 0.8f, 0.8f, 1.0f}, {0.8f, 0.8f, 0.8f, 0.0f}, {0, 0, 0, 0}, {0, 0, 0, 0}, 20.0f};
  s.lightsChanged = 1;
}

void SetDefault2DCamera(int width, int height) {
  DrawCamera& c = State().camera;
  c.targetWidth = width;
  c.targetHeight = height;
  const float cx = static_cast<float>(width) / 2.0f;
  const float cy = static_cast<float>(height) / 2.0f;
  const float d = static_cast<float>(height / 2) * 1.7320509f;
  SetMatrixToIdentity(&c.world);
  BuildViewportMatrix(&c.viewport, cx, cy, static_cast<float>(width), static_cast<float>(height));
  const Vector3 eye{cx, cy, -d};
  const Vector3 target{cx, cy, -d + 1.0f};
  const Vector3 up{0.0f, 1.0f, 0.0f};
  BuildViewMatrixFromTarget(&c.view, &eye, &target, &up);
  c.mode = 0;
  c.fieldOfView = 1.0471976f;
  c.nearZ = d * 0.1f;
  c.farZ = d + 20000.0f;
  UpdateProjection();
}

int LightsChanged() { return State().lightsChanged || State().fullRefresh; }

void RequestFullLightRefresh() { State().fullRefresh = 1; }

void FreeEveryLight() {
  LightCameraState& s = State();
  FreeAllLightHandles();
  FreeLightHandle(s.current);
  s.current = -1;
}

void SetLightingOffWord(int word) { State().lightingOff = word; }

void SetCameraWorldMatrix(const Matrix& matrix) {
  State().camera.world = matrix;
  State().camera.productValid = 0;
}

void SetCameraViewMatrix(const Matrix& matrix) {
  State().camera.view = matrix;
  State().camera.productValid = 0;
}

void SetCameraProjectionMatrix(const Matrix& matrix) {
  State().camera.projection = matrix;
  State().camera.productValid = 0;
}

LightCameraState& LightsAndCameraState() {
  static LightCameraState state;
  return state;
}

}  // namespace detail
}  // namespace veziv
