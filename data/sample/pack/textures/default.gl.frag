#version 110
// The default shader: the texture on unit 0 times the vertex colour.
uniform sampler2D Texture0;

void main()
{
    gl_FragColor = texture2D(Texture0, gl_TexCoord[0].xy) * gl_Color;
}
