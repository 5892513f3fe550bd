#version 120
// Carries pre-transformed vertices through with their colours and both
// coordinate sets.
void main() {
  gl_Position = ftransform();
  gl_FrontColor = gl_Color;
  gl_FrontSecondaryColor = gl_SecondaryColor;
  gl_TexCoord[0] = gl_MultiTexCoord0;
  gl_TexCoord[1] = gl_MultiTexCoord1;
}
