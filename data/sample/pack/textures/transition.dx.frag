// An element dissolving along a noise: the element's texture on stage 0, the noise on stage 1
// and the control picture on stage 2, both stretched over the element's rectangle. Each pixel
// goes when the ratio falls below its control value moved by the noise, over a soft border:
// u_trans_ratio 1 shows the whole element, 0 none of it.
float4x4 WorldViewProj;
float4 u_direct_color;
bool u_is_direct_color;
bool u_has_texture;
sampler2D Texture0 : register(s0);
sampler2D Texture1 : register(s1);
sampler2D Texture2 : register(s2);
float2 u_min_pos;        // the rectangle's lower left corner in texture space, y up
float2 u_pos_scale;      // 1 / the rectangle's size
float u_trans_ratio;
float u_border_factor;   // 1 / the border's width
float u_noise_amp;

struct VertexOut {
    float4 position : POSITION;
    float4 color : COLOR0;
    float2 uv : TEXCOORD0;
};

VertexOut vs_main(float3 position : POSITION, float4 color : COLOR0, float2 uv : TEXCOORD0)
{
    VertexOut o;
    o.position = mul(float4(position, 1.0), WorldViewProj);
    o.color = u_is_direct_color ? u_direct_color : color;
    o.uv = uv;
    return o;
}

float4 ps_main(float4 color : COLOR0, float2 uv : TEXCOORD0) : COLOR0
{
    float4 element = u_has_texture ? tex2D(Texture0, uv) * color : color;
    float2 local = (float2(uv.x, 1.0 - uv.y) - u_min_pos) * u_pos_scale;
    float level = saturate(tex2D(Texture2, local).r + (tex2D(Texture1, local).r - 0.5) * u_noise_amp);
    // A factor never set reads 0: a border of 1000 then, rather than a division by zero.
    float factor = max(u_border_factor, 0.001);
    float visible = saturate((u_trans_ratio * (1.0 + 1.0 / factor) - level) * factor);
    clip(visible > 0.0 ? 1.0 : -1.0);
    return float4(element.rgb, element.a * visible);
}
