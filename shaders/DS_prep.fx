// DS_prep.fx: all shading of the demo.
//
// Geometry buffer (four 8-bit RGB targets; alpha does not survive the copy
// from the X8R8G8B8 back buffer):
//   diffuse   RGB = albedo
//   normal    RGB = view-space normal, octahedral, 12 bits per axis
//   specular  R = intensity, G = glossiness (power 2^(1 + 7 G)), B = 0
//   position  RGB = view-space depth / far plane in 24 bits; 0 = background
// The lighting passes rebuild the view-space position from the quad's
// texture coordinate, the depth and matInvP. The sun's quad covers the
// screen; a point light's covers only the rectangle its sphere can reach.
//
// Maps: the alpha map's red channel is coverage (white opaque, black cut
// out); the bump map is a tangent-space normal map (RGB * 2 - 1), and a grey
// map (equal channels, such as a plain stand-in texture) means "no bump";
// the specular map's red channel is intensity, green glossiness.

float4x4 matWVP : WORLDVIEWPROJECTION;
float4x4 matW : WORLD;
float4x4 matV : VIEW;
float4x4 matP : PROJECTION;
float4x4 matWV : WORLDVIEW;
float4x4 matInvTrW : WORLDINVERSETRANSPOSE;
float4x4 matInvV : VIEWINVERSE;
float4x4 matInvP : PROJECTIONINVERSE;
float4x4 matInvVP : VIEWPROJECTIONINVERSE;

texture m_TexAlfa;
texture m_TexBump;
texture m_TexDiffuse;
texture m_TexSpecular;

float4 l_colAmbient = {1, 1, 1, 1};
float4 l_pos = {0, 0, 0, 1};
float4 l_dir = {0, 0, 1, 1};
float l_radius = 100;

// Material maps, read while drawing meshes.
sampler2D AlphaMap = sampler_state {
    Texture = <m_TexAlfa>; MinFilter = Linear; MagFilter = Linear; MipFilter = Linear;
    AddressU = Wrap; AddressV = Wrap;
};
sampler2D BumpMap = sampler_state {
    Texture = <m_TexBump>; MinFilter = Linear; MagFilter = Linear; MipFilter = Linear;
    AddressU = Wrap; AddressV = Wrap;
};
sampler2D DiffuseMap = sampler_state {
    Texture = <m_TexDiffuse>; MinFilter = Linear; MagFilter = Linear; MipFilter = Linear;
    AddressU = Wrap; AddressV = Wrap;
};
sampler2D SpecularMap = sampler_state {
    Texture = <m_TexSpecular>; MinFilter = Linear; MagFilter = Linear; MipFilter = Linear;
    AddressU = Wrap; AddressV = Wrap;
};

// Geometry-buffer targets, read by the lighting quad: packed codes must not
// be filtered.
sampler2D PositionBuffer = sampler_state {
    Texture = <m_TexAlfa>; MinFilter = Point; MagFilter = Point; MipFilter = None;
    AddressU = Clamp; AddressV = Clamp;
};
sampler2D NormalBuffer = sampler_state {
    Texture = <m_TexBump>; MinFilter = Point; MagFilter = Point; MipFilter = None;
    AddressU = Clamp; AddressV = Clamp;
};
sampler2D DiffuseBuffer = sampler_state {
    Texture = <m_TexDiffuse>; MinFilter = Point; MagFilter = Point; MipFilter = None;
    AddressU = Clamp; AddressV = Clamp;
};
sampler2D SpecularBuffer = sampler_state {
    Texture = <m_TexSpecular>; MinFilter = Point; MagFilter = Point; MipFilter = None;
    AddressU = Clamp; AddressV = Clamp;
};

static const float FarPlane = 1000.0;

// ---- encodings ----

// Bytes of an 8-bit channel value, exactly.
float3 ToBytes(float3 c) { return floor(c * 255.0 + 0.5); }

float3 PackDepth(float viewDepth) {
    float code = floor(saturate(viewDepth / FarPlane) * 16777215.0 + 0.5);
    float high = floor(code / 65536.0);
    float rest = code - high * 65536.0;
    float middle = floor(rest / 256.0);
    float low = rest - middle * 256.0;
    return float3(high, middle, low) / 255.0;
}

// View-space depth; 0 for background.
float UnpackDepth(float3 c) {
    float3 b = ToBytes(c);
    return dot(b, float3(65536.0, 256.0, 1.0)) / 16777215.0 * FarPlane;
}

float2 OctahedronEncode(float3 n) {
    n /= abs(n.x) + abs(n.y) + abs(n.z);
    float2 e = n.xy;
    if (n.z < 0) {
        float2 s = float2(n.x >= 0 ? 1.0 : -1.0, n.y >= 0 ? 1.0 : -1.0);
        e = (1.0 - abs(n.yx)) * s;
    }
    return e * 0.5 + 0.5;
}

float3 OctahedronDecode(float2 e) {
    e = e * 2.0 - 1.0;
    float3 n = float3(e.x, e.y, 1.0 - abs(e.x) - abs(e.y));
    if (n.z < 0) {
        float2 s = float2(n.x >= 0 ? 1.0 : -1.0, n.y >= 0 ? 1.0 : -1.0);
        n.xy = (1.0 - abs(n.yx)) * s;
    }
    return normalize(n);
}

// Two 12-bit values over three bytes: aaaaaaaa aaaabbbb bbbbbbbb.
float3 PackNormal(float3 n) {
    float2 q = floor(saturate(OctahedronEncode(n)) * 4095.0 + 0.5);
    float aHigh = floor(q.x / 16.0);
    float aLow = q.x - aHigh * 16.0;
    float bHigh = floor(q.y / 256.0);
    float bLow = q.y - bHigh * 256.0;
    return float3(aHigh, aLow * 16.0 + bHigh, bLow) / 255.0;
}

float3 UnpackNormal(float3 c) {
    float3 b = ToBytes(c);
    float gHigh = floor(b.y / 16.0);
    float a = b.x * 16.0 + gHigh;
    float bb = (b.y - gHigh * 16.0) * 256.0 + b.z;
    return OctahedronDecode(float2(a, bb) / 4095.0);
}

float SpecularPower(float gloss) { return exp2(1.0 + 7.0 * gloss); }

// ---- shared surface and lighting ----

struct Surface {
    float3 position;  // view space
    float3 normal;    // view space, unit
    float3 albedo;
    float specularIntensity;
    float gloss;
};

// Light reaching a surface; the same code lights the classic and the
// deferred pictures.
float3 Shade(Surface s, bool isSun) {
    float3 toLight;
    float attenuation = 1.0;
    if (isSun) {
        toLight = -normalize(l_dir.xyz - l_pos.xyz);
    } else {
        float3 offset = l_pos.xyz - s.position;
        float distanceToLight = length(offset);
        toLight = offset / max(distanceToLight, 0.0001);
        float falloff = l_radius > 0 ? saturate(1.0 - distanceToLight / l_radius) : 0.0;
        attenuation = falloff * falloff;
    }
    float lambert = saturate(dot(s.normal, toLight));
    float3 toEye = normalize(-s.position);
    float3 halfway = normalize(toLight + toEye);
    float highlight = lambert > 0 ? pow(saturate(dot(s.normal, halfway)), SpecularPower(s.gloss)) : 0.0;
    float3 colour = s.albedo * lambert + s.specularIntensity * highlight;
    return colour * l_colAmbient.rgb * attenuation;
}

// ---- geometry ----

struct MeshInput {
    float4 position : POSITION;
    float3 normal : NORMAL;
    float2 uv : TEXCOORD0;
    float3 tangent : TANGENT;
    float3 binormal : BINORMAL;
};

// What the mesh pixel shaders read (ps_3_0 takes no POSITION input).
struct MeshVertex {
    float2 uv : TEXCOORD0;
    float3 viewPosition : TEXCOORD1;
    float3 normal : TEXCOORD2;
    float3 tangent : TEXCOORD3;
    float3 binormal : TEXCOORD4;
};

struct MeshVertexOut {
    float4 position : POSITION;
    MeshVertex surface;
};

// Every mesh technique uses this one vertex function, so all channels and
// all lights see identical depths.
MeshVertexOut MeshVS(MeshInput input) {
    MeshVertexOut o;
    o.position = mul(input.position, matWVP);
    float4 world = mul(input.position, matW);
    o.surface.viewPosition = mul(world, matV).xyz;
    float3x3 worldView = mul((float3x3)matW, (float3x3)matV);
    o.surface.normal = mul(input.normal, worldView);
    o.surface.tangent = mul(input.tangent, worldView);
    o.surface.binormal = mul(input.binormal, worldView);
    o.surface.uv = input.uv;
    return o;
}

float Coverage(float2 uv) { return tex2D(AlphaMap, uv).r; }

float3 BumpedNormal(MeshVertex v) {
    float3 n = normalize(v.normal);
    float3 map = tex2D(BumpMap, v.uv).rgb;
    float spread = max(max(map.r, map.g), map.b) - min(min(map.r, map.g), map.b);
    float tangentLength = dot(v.tangent, v.tangent);
    if (spread < 0.01 || tangentLength < 0.000001) return n;
    float3 t = normalize(v.tangent - n * dot(n, v.tangent));
    float3 b = v.binormal;
    if (dot(b, b) < 0.000001) b = cross(n, t);
    b = normalize(b - n * dot(n, b) - t * dot(t, b));
    float3 m = map * 2.0 - 1.0;
    return normalize(m.x * t + m.y * b + m.z * n);
}

Surface MeshSurface(MeshVertex v) {
    Surface s;
    s.position = v.viewPosition;
    s.normal = BumpedNormal(v);
    s.albedo = tex2D(DiffuseMap, v.uv).rgb;
    float4 specular = tex2D(SpecularMap, v.uv);
    s.specularIntensity = specular.r;
    s.gloss = specular.g;
    return s;
}

float4 DiffusePS(MeshVertex v) : COLOR0 {
    return float4(tex2D(DiffuseMap, v.uv).rgb, Coverage(v.uv));
}

float4 NormalPS(MeshVertex v) : COLOR0 {
    return float4(PackNormal(BumpedNormal(v)), Coverage(v.uv));
}

float4 SpecularPS(MeshVertex v) : COLOR0 {
    float4 specular = tex2D(SpecularMap, v.uv);
    return float4(specular.r, specular.g, 0, Coverage(v.uv));
}

float4 PositionPS(MeshVertex v) : COLOR0 {
    return float4(PackDepth(v.viewPosition.z), Coverage(v.uv));
}

float4 ClassicPS(MeshVertex v, uniform bool isSun) : COLOR0 {
    return float4(Shade(MeshSurface(v), isSun), Coverage(v.uv));
}

// ---- deferred lighting on the screen quad ----

struct QuadVertex {
    float2 uv : TEXCOORD0;
};

struct QuadVertexOut {
    float4 position : POSITION;
    QuadVertex screen;
};

QuadVertexOut QuadVS(float4 position : POSITION, float2 uv : TEXCOORD0) {
    QuadVertexOut o;
    o.position = mul(position, matWVP);
    o.screen.uv = uv;
    return o;
}

// A point light adds nothing outside its sphere, and a pixel at screen point
// p only ever shades the surface on the ray through p. So its quad need only
// cover the rectangle that bounds the sphere's projection. The slopes x / z
// of the two lines from the eye that touch the circle (across, depth) of
// `radius` in one plane through the view axis; depth > radius.
float2 TangentSlopes(float across, float depth, float radius) {
    float apart = depth * depth - radius * radius;
    float root = radius * sqrt(across * across + apart);
    return float2(across * depth - root, across * depth + root) / apart;
}

// The light's screen rectangle in clip units (left, bottom, right, top),
// through matP, a perspective whose w is the view depth: the whole screen
// when the sphere reaches the eye's plane, an empty one off the screen when
// the whole sphere lies on the eye's side of the near plane (where no surface
// is drawn) or the light has no radius. The bound is taken one percent wide,
// so rounding never clips a lit pixel.
float4 LightRectangle(float3 centre, float radius) {
    float nearPlane = -matP._43 / matP._33;
    float reach = radius * 1.01;
    float4 rectangle = float4(-1.0, -1.0, 1.0, 1.0);
    if (radius <= 0.0 || centre.z + radius <= nearPlane) {
        rectangle = float4(2.0, 2.0, 2.0, 2.0);
    } else if (centre.z - reach > 0.01 * reach) {
        float2 xs = TangentSlopes(centre.x, centre.z, reach) * matP._11 + matP._31;
        float2 ys = TangentSlopes(centre.y, centre.z, reach) * matP._22 + matP._32;
        rectangle = float4(min(xs.x, xs.y), min(ys.x, ys.y), max(xs.x, xs.y), max(ys.x, ys.y));
        rectangle = clamp(rectangle, float4(-1.0, -1.0, -1.0, -1.0), float4(1.0, 1.0, 1.0, 1.0));
    }
    return rectangle;
}

// The point lights' quad: the renderer's full-screen corners moved onto the
// light's rectangle, with the texture coordinate that the full-screen quad
// has at the same screen point, so every pixel shades exactly as before.
QuadVertexOut PointLightVS(float4 position : POSITION) {
    float4 rectangle = LightRectangle(l_pos.xyz, l_radius);
    float4 corner = mul(position, matWVP);
    float2 side = corner.xy / corner.w * 0.5 + 0.5;  // 0 left or bottom, 1 right or top
    float2 screen = lerp(rectangle.xy, rectangle.zw, side);
    QuadVertexOut o;
    o.position = float4(screen * corner.w, corner.z, corner.w);
    o.screen.uv = float2(screen.x * 0.5 + 0.5, 0.5 - screen.y * 0.5);
    return o;
}

// The view-space point at view depth `depth` seen through the screen point
// `uv` (0..1, y down): the ray through the far plane, scaled to the depth.
float3 ViewPositionAt(float2 uv, float depth) {
    float4 farPoint = mul(float4(uv.x * 2.0 - 1.0, 1.0 - uv.y * 2.0, 1.0, 1.0), matInvP);
    float3 ray = farPoint.xyz / farPoint.w;
    return ray * (depth / ray.z);
}

float4 DeferredPS(QuadVertex q, uniform bool isSun) : COLOR0 {
    // The quad's coordinate at a pixel is the pixel's corner; the buffers are
    // read at texel centres, half a pixel further. All reads come before any
    // branch, so derivatives stay defined.
    float2 texel = q.uv + 0.5 * float2(ddx(q.uv.x), ddy(q.uv.y));
    float3 positionCode = tex2D(PositionBuffer, texel).rgb;
    float3 normalCode = tex2D(NormalBuffer, texel).rgb;
    float3 albedo = tex2D(DiffuseBuffer, texel).rgb;
    float4 specular = tex2D(SpecularBuffer, texel);
    float depth = UnpackDepth(positionCode);
    Surface s;
    s.position = ViewPositionAt(q.uv, max(depth, 0.001));
    s.normal = UnpackNormal(normalCode);
    s.albedo = albedo;
    s.specularIntensity = specular.r;
    s.gloss = specular.g;
    float3 colour = Shade(s, isSun);
    // Background (depth code 0) gets alpha 0, which the alpha test drops.
    return depth > 0 ? float4(colour, 1) : float4(0, 0, 0, 0);
}

// ---- techniques ----

// Blending is the renderer's: it turns it off for the geometry buffer and
// leaves it on in the channel view, where the channels of several lights add.
// LessEqual lets a second draw at the same depth through.
#define GEOMETRY_STATES ZEnable = true; ZWriteEnable = true; ZFunc = LessEqual

technique RenderDiffuseToTexture {
    pass P0 {
        VertexShader = compile vs_3_0 MeshVS();
        PixelShader = compile ps_3_0 DiffusePS();
        GEOMETRY_STATES;
    }
}

technique RenderNormalToTexture {
    pass P0 {
        VertexShader = compile vs_3_0 MeshVS();
        PixelShader = compile ps_3_0 NormalPS();
        GEOMETRY_STATES;
    }
}

technique RenderSpecularToTexture {
    pass P0 {
        VertexShader = compile vs_3_0 MeshVS();
        PixelShader = compile ps_3_0 SpecularPS();
        GEOMETRY_STATES;
    }
}

technique RenderPositionToTexture {
    pass P0 {
        VertexShader = compile vs_3_0 MeshVS();
        PixelShader = compile ps_3_0 PositionPS();
        GEOMETRY_STATES;
    }
}

// The quad lies at depth 1: with Greater it passes only where the position
// channel left a nearer surface, never on the background (depth 1 cleared).
technique RenderDSSun {
    pass P0 {
        VertexShader = compile vs_3_0 QuadVS();
        PixelShader = compile ps_3_0 DeferredPS(true);
        ZFunc = Greater;
        ZWriteEnable = false;
    }
}

technique RenderDSPoint {
    pass P0 {
        VertexShader = compile vs_3_0 PointLightVS();
        PixelShader = compile ps_3_0 DeferredPS(false);
        ZFunc = Greater;
        ZWriteEnable = false;
    }
}

// One pass per light, added by the renderer's blending; equal depths pass.
technique RenderClassicSun {
    pass P0 {
        VertexShader = compile vs_3_0 MeshVS();
        PixelShader = compile ps_3_0 ClassicPS(true);
        ZEnable = true; ZWriteEnable = true; ZFunc = LessEqual;
    }
}

technique RenderClassicPoint {
    pass P0 {
        VertexShader = compile vs_3_0 MeshVS();
        PixelShader = compile ps_3_0 ClassicPS(false);
        ZEnable = true; ZWriteEnable = true; ZFunc = LessEqual;
    }
}
