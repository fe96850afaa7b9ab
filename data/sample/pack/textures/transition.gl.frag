#version 110
// An element dissolving along a noise: the element's texture on unit 0, the noise on unit 1
// and the control picture on unit 2, both stretched over the element's rectangle. Each pixel
// goes when the ratio falls below its control value moved by the noise, over a soft border:
// u_trans_ratio 1 shows the whole element, 0 none of it.
uniform sampler2D Texture0;
uniform sampler2D Texture1;
uniform sampler2D Texture2;
uniform vec2 u_min_pos;        // the rectangle's lower left corner in texture space, y up
uniform vec2 u_pos_scale;      // 1 / the rectangle's size
uniform float u_trans_ratio;
uniform float u_border_factor; // 1 / the border's width
uniform float u_noise_amp;

void main()
{
    vec4 color = texture2D(Texture0, gl_TexCoord[0].xy) * gl_Color;
    vec2 local = (vec2(gl_TexCoord[0].x, 1.0 - gl_TexCoord[0].y) - u_min_pos) * u_pos_scale;
    float level = texture2D(Texture2, local).r + (texture2D(Texture1, local).r - 0.5) * u_noise_amp;
    level = clamp(level, 0.0, 1.0);
    // A factor never set reads 0: a border of 1000 then, rather than a division by zero.
    float factor = max(u_border_factor, 0.001);
    float visible = clamp((u_trans_ratio * (1.0 + 1.0 / factor) - level) * factor, 0.0, 1.0);
    if (visible <= 0.0)
        discard;
    gl_FragColor = vec4(color.rgb, color.a * visible);
}
