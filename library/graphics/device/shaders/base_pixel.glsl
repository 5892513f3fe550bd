#version 120
// The first texture modulated by the vertex colour.
uniform sampler2D texture0;
void main() {
  gl_FragColor = texture2D(texture0, gl_TexCoord[0].xy) * gl_Color;
}
