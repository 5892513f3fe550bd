// The small 3-D state beside the 2-D drawing: the light table behind light
// handles, the material, and the camera (projection, view, viewport and their
// product) that a change of draw target resets to the default 2-D camera.
#pragma once

#include <cstdint>

#include "library/foundation/core/handles.h"
#include "library/foundation/core/rect_matrix.h"

namespace veziv {

struct LightDescription {
  int32_t type;  // 3: directional
  float diffuse[4];
  float specular[4];
  float ambient[4];
  Vector3 position;
  Vector3 direction;
  float range;
  float falloff;
  float attenuation[3];
  float theta;
  float phi;
};

struct LightRecord {
  int32_t check;
  int32_t handle;
  LightDescription light;
  int32_t deviceIndex;  // -1 when not on the device
  int32_t enabled;
  int32_t changed;
};

int CreateLightHandle();
// A directional light along the normalised direction; -1 when no handle could be made.
int CreateDirectionalLight(float x, float y, float z);
int FreeLightHandle(int handle);
// Every light except the current one. 0.
int FreeAllLightHandles();
const LightRecord* GetLightRecord(int handle);
int GetCurrentLight();

struct DrawCamera {
  int mode = 0;  // 0 perspective, 1 orthographic, 2 given matrix
  float nearZ = 10.0f;
  float farZ = 10000.0f;
  float scale = 1.0f;
  float fieldOfView = 1.0471976f;
  float orthoSize = 1.0f;
  Matrix projection{};
  Matrix world{};
  Matrix view{};
  Matrix viewport{};
  Matrix product{};
  Matrix normal{};
  int productValid = 0;
  int targetWidth = 0;
  int targetHeight = 0;
};

struct DrawMaterial {
  float diffuse[4];
  float specular[4];
  float ambient[4];
  float emissive[4];
  float power;
};

// The two draw-state words read beside the lights (each pointer may be null). 0.
int GetDrawStatePair(int* first, int* second);
// Switches the device's lighting as the draw state's lighting-off word says,
// then hands the enabled lights to the device in slot order (device indices from 0)
// when they changed or a full refresh is due, and switches off the indices
// no longer used. 0.
int ApplyLights();
// Sets one device light and enables it (or not). 0.
int ApplyLightToDevice(int index, int enable, const LightDescription& light);
// With shaders in use: the lights' colours times the material's and the
// ambient term into the shader constant registers. 0.
int UpdateLightShaderConstants();

const DrawCamera& GetDrawCamera();
const DrawMaterial& GetDrawMaterial();
// Builds the projection from the camera's mode and the target size (a given
// matrix stays as it is) and marks the combined transform stale.
void UpdateProjection();
// Recomputes world x view x projection x viewport when it is not valid.
void UpdateTransformMatrices();

namespace detail {
// What the draw-state reset sets up: camera and material defaults and the
// default light along (1, -1, 1) as the current light.
void ResetLightsAndCamera();
// The default 2-D camera for a target of the given size.
void SetDefault2DCamera(int width, int height);
// 1 while the lights wait to be handed to the device.
int LightsChanged();
// After a device loss every light is sent again.
void RequestFullLightRefresh();
// Graphics end: every light, the current one last, and none current after.
void FreeEveryLight();
// The draw state's lighting-off word (0, lighting on, after every reset).
void SetLightingOffWord(int word);
// The matrices the device's transform setters keep in the camera; each marks
// the combined transform stale.
void SetCameraWorldMatrix(const Matrix& matrix);
void SetCameraViewMatrix(const Matrix& matrix);
void SetCameraProjectionMatrix(const Matrix& matrix);
}  // namespace detail

}  // namespace veziv
