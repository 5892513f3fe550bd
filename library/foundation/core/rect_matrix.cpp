// Rectangle clipping and the float matrix and vector functions behind the
// projection, view and viewport transforms.
#include "library/foundation/core/rect_matrix.h"

#include <cmath>

#include "library/foundation/core/helpers.h"

namespace veziv {
namespace {

constexpr float kMinSpan = 0.0001f;

void DefaultScreenSize(int* width, int* height) {
  *width = 640;
  *height = 480;
}

struct ScreenSizeState {
  ScreenSizeSource source = DefaultScreenSize;
};

ScreenSizeState& State() {
  static ScreenSizeState state;
  return state;
}

float ScreenAspect() {
  int width = 0;
  int height = 0;
  State().source(&width, &height);
  return static_cast<float>(height) / static_cast<float>(width);
}

float& At(Matrix* m, int row, int column) { return m->m[4 * row + column]; }
float At(const Matrix& m, int row, int column) { return m.m[4 * row + column]; }

int Clamp(int value, int low, int high) {
  if (value > high) return high;
  if (value < low) return low;
  return value;
}

Vector3 Cross(const Vector3& a, const Vector3& b) {
  return Vector3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

}  // namespace

void SetScreenSizeSource(ScreenSizeSource source) {
  State().source = source != nullptr ? source : DefaultScreenSize;
}

int ClipRectToRect(DrawRect* rect, const DrawRect* clip) {
  if (rect->right < rect->left) rect->right = rect->left;
  if (rect->bottom < rect->top) rect->bottom = rect->top;
  rect->bottom = Clamp(rect->bottom, clip->top, clip->bottom);
  rect->top = Clamp(rect->top, clip->top, clip->bottom);
  rect->right = Clamp(rect->right, clip->left, clip->right);
  rect->left = Clamp(rect->left, clip->left, clip->right);
  return 0;
}

int SetMatrixToIdentity(Matrix* out) {
  *out = Matrix{};
  for (int i = 0; i < 4; ++i) At(out, i, i) = 1.0f;
  return 0;
}

int MultiplyMatrix(Matrix* out, const Matrix* a, const Matrix* b) {
  if (out == nullptr) return 0;
  Matrix product{};
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += At(*a, r, k) * At(*b, k, c);
      At(&product, r, c) = sum;
    }
  }
  *out = product;
  return 0;
}

int TransposeMatrix(Matrix* out, const Matrix* m) {
  const Matrix source = *m;
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) At(out, r, c) = At(source, c, r);
  }
  return 0;
}

int InvertMatrix(Matrix* out, const Matrix* m) {
  const Matrix a = *m;
  auto e = [&a](int r, int c) { return At(a, r, c); };
  // 2 x 2 minors of the top two rows (s) and of the bottom two rows (c).
  const float s0 = e(0, 0) * e(1, 1) - e(1, 0) * e(0, 1);
  const float s1 = e(0, 0) * e(1, 2) - e(1, 0) * e(0, 2);
  const float s2 = e(0, 0) * e(1, 3) - e(1, 0) * e(0, 3);
  const float s3 = e(0, 1) * e(1, 2) - e(1, 1) * e(0, 2);
  const float s4 = e(0, 1) * e(1, 3) - e(1, 1) * e(0, 3);
  const float s5 = e(0, 2) * e(1, 3) - e(1, 2) * e(0, 3);
  const float c5 = e(2, 2) * e(3, 3) - e(3, 2) * e(2, 3);
  const float c4 = e(2, 1) * e(3, 3) - e(3, 1) * e(2, 3);
  const float c3 = e(2, 1) * e(3, 2) - e(3, 1) * e(2, 2);
  const float c2 = e(2, 0) * e(3, 3) - e(3, 0) * e(2, 3);
  const float c1 = e(2, 0) * e(3, 2) - e(3, 0) * e(2, 2);
  const float c0 = e(2, 0) * e(3, 1) - e(3, 0) * e(2, 1);
  const float det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
  const float adjugate[16] = {
      e(1, 1) * c5 - e(1, 2) * c4 + e(1, 3) * c3,  -e(0, 1) * c5 + e(0, 2) * c4 - e(0, 3) * c3,
      e(3, 1) * s5 - e(3, 2) * s4 + e(3, 3) * s3,  -e(2, 1) * s5 + e(2, 2) * s4 - e(2, 3) * s3,
      -e(1, 0) * c5 + e(1, 2) * c2 - e(1, 3) * c1, e(0, 0) * c5 - e(0, 2) * c2 + e(0, 3) * c1,
      -e(3, 0) * s5 + e(3, 2) * s2 - e(3, 3) * s1, e(2, 0) * s5 - e(2, 2) * s2 + e(2, 3) * s1,
      e(1, 0) * c4 - e(1, 1) * c2 + e(1, 3) * c0,  -e(0, 0) * c4 + e(0, 1) * c2 - e(0, 3) * c0,
      e(3, 0) * s4 - e(3, 1) * s2 + e(3, 3) * s0,  -e(2, 0) * s4 + e(2, 1) * s2 - e(2, 3) * s0,
      -e(1, 0) * c3 + e(1, 1) * c1 - e(1, 2) * c0, e(0, 0) * c3 - e(0, 1) * c1 + e(0, 2) * c0,
      -e(3, 0) * s3 + e(3, 1) * s1 - e(3, 2) * s0, e(2, 0) * s3 - e(2, 1) * s1 + e(2, 2) * s0,
  };
  for (int i = 0; i < 16; ++i) out->m[i] = adjugate[i] / det;
  return 0;
}

int BuildPerspectiveMatrix(Matrix* out, float fov, float near_z, float far_z, float aspect) {
  if (aspect < 0.0f) aspect = ScreenAspect();
  float s = 0.0f;
  float c = 0.0f;
  SinCosFloat(fov * 0.5f, &s, &c);
  if (std::fabs(far_z - near_z) < kMinSpan || std::fabs(s) < kMinSpan) return -1;
  const float cot = c / s;
  const float q = far_z / (far_z - near_z);
  *out = Matrix{};
  At(out, 0, 0) = aspect * cot;
  At(out, 1, 1) = cot;
  At(out, 2, 2) = q;
  At(out, 2, 3) = 1.0f;
  At(out, 3, 2) = -q * near_z;
  return 0;
}

int BuildOrthographicMatrix(Matrix* out, float size, float near_z, float far_z, float aspect) {
  if (aspect < 0.0f) aspect = ScreenAspect();
  if (std::fabs(near_z - far_z) < kMinSpan) return -1;
  *out = Matrix{};
  At(out, 0, 0) = 2.0f / (size / aspect);
  At(out, 1, 1) = 2.0f / size;
  At(out, 2, 2) = 1.0f / (far_z - near_z);
  At(out, 3, 2) = near_z / (near_z - far_z);
  At(out, 3, 3) = 1.0f;
  return 0;
}

int BuildViewportMatrix(Matrix* out, float centre_x, float centre_y, float width, float height) {
  *out = Matrix{};
  At(out, 0, 0) = width * 0.5f;
  At(out, 1, 1) = height * -0.5f;
  At(out, 2, 2) = 1.0f;
  At(out, 3, 0) = centre_x;
  At(out, 3, 1) = centre_y;
  At(out, 3, 2) = 0.0f;
  At(out, 3, 3) = 1.0f;
  return 0;
}

int BuildViewMatrixFromTarget(Matrix* out, const Vector3* eye, const Vector3* target, const Vector3* up) {
  Vector3 z{target->x - eye->x, target->y - eye->y, target->z - eye->z};
  Vector3 x = Cross(*up, z);
  Vector3 y = Cross(z, x);
  NormalizeVector3(&x, x.x, x.y, x.z);
  NormalizeVector3(&y, y.x, y.y, y.z);
  NormalizeVector3(&z, z.x, z.y, z.z);
  const Vector3 axes[3] = {x, y, z};
  *out = Matrix{};
  for (int c = 0; c < 3; ++c) {
    At(out, 0, c) = axes[c].x;
    At(out, 1, c) = axes[c].y;
    At(out, 2, c) = axes[c].z;
    At(out, 3, c) = -DotVector3(&axes[c], eye);
  }
  At(out, 3, 3) = 1.0f;
  return 0;
}

float DotVector3(const Vector3* a, const Vector3* b) { return a->x * b->x + a->y * b->y + a->z * b->z; }

int TransformVector3(Vector3* out, const Vector3* v, const Matrix* m) {
  const Vector3 in = *v;
  out->x = in.x * At(*m, 0, 0) + in.y * At(*m, 1, 0) + in.z * At(*m, 2, 0) + At(*m, 3, 0);
  out->y = in.x * At(*m, 0, 1) + in.y * At(*m, 1, 1) + in.z * At(*m, 2, 1) + At(*m, 3, 1);
  out->z = in.x * At(*m, 0, 2) + in.y * At(*m, 1, 2) + in.z * At(*m, 2, 2) + At(*m, 3, 2);
  return 0;
}

Vector3* NormalizeVector3(Vector3* out, float x, float y, float z) {
  const float length = SqrtFloat(x * x + y * y + z * z);
  *out = Vector3{x / length, y / length, z / length};
  return out;
}

}  // namespace veziv
