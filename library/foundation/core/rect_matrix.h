// Rectangles with their clipping, and 4 x 4 float matrices and 3-vectors for
// the projection, view and viewport transforms.
//
// Matrices are row-major (element (r, c) is m[4 * r + c]) and act on row
// vectors from the left (v' = v x M): translation sits in row 3, and A x B
// applies A first. Projections are left-handed, map view z into 0..1 and put
// z into w. Nothing here keeps state except the screen-size source.
#pragma once

namespace veziv {

// left, top, right, bottom; right == left (or bottom == top) is empty.
struct DrawRect {
  int left;
  int top;
  int right;
  int bottom;
};

struct Matrix {
  float m[16];
};

struct Vector3 {
  float x;
  float y;
  float z;
};

// Repairs inverted edges, then clamps bottom, top, right and left, in that
// order, into clip. A rectangle wholly outside ends empty on clip's nearest
// edge. Returns 0.
int ClipRectToRect(DrawRect* rect, const DrawRect* clip);

int SetMatrixToIdentity(Matrix* out);
// out = a x b; out may be a or b; a null out writes nothing. Returns 0.
int MultiplyMatrix(Matrix* out, const Matrix* a, const Matrix* b);
// out may be m. Returns 0.
int TransposeMatrix(Matrix* out, const Matrix* m);
// Adjugate over determinant; a singular m gives non-finite elements. out may be m. Returns 0.
int InvertMatrix(Matrix* out, const Matrix* m);
// fov is the vertical field of view in radians; a negative aspect takes the
// screen's height / width. -1 with out untouched when far and near (or
// sin(fov / 2)) are within 0.0001 of each other (of zero); else 0.
int BuildPerspectiveMatrix(Matrix* out, float fov, float near_z, float far_z, float aspect);
// size is the visible height in view units; aspect as above. -1 with out
// untouched when near and far are within 0.0001; else 0.
int BuildOrthographicMatrix(Matrix* out, float size, float near_z, float far_z, float aspect);
// Maps -1..1 to width and height around the centre, y downwards. Returns 0.
int BuildViewportMatrix(Matrix* out, float centre_x, float centre_y, float width, float height);
// Looks from eye at target with up as the rough up direction; eye == target or
// up along the view gives non-finite elements. Returns 0.
int BuildViewMatrixFromTarget(Matrix* out, const Vector3* eye, const Vector3* target, const Vector3* up);

float DotVector3(const Vector3* a, const Vector3* b);
// out = first three components of (v, 1) x m, without division by w; out may be v. Returns 0.
int TransformVector3(Vector3* out, const Vector3* v, const Matrix* m);
// out = (x, y, z) / length; a zero vector gives non-finite values. Returns out.
Vector3* NormalizeVector3(Vector3* out, float x, float y, float z);

// Where the projection builders read the screen size: graphics installs its
// own; null (the start state) gives 640 x 480.
using ScreenSizeSource = void (*)(int* width, int* height);
void SetScreenSizeSource(ScreenSizeSource source);

}  // namespace veziv
