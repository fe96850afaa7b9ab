// The default shader: the texture on stage 0 times the vertex colour. An object drawn in its
// direct colour gives that colour in place of the vertex colour; one without a texture shows
// the colour alone.
float4x4 WorldViewProj;
float4 u_direct_color;
bool u_is_direct_color;
bool u_has_texture;
sampler2D Texture0 : register(s0);

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
    return u_has_texture ? tex2D(Texture0, uv) * color : color;
}
