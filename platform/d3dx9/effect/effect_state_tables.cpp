#include "d3dx9/effect/effect_state_tables.h"

#include <cstdint>
#include <cstring>
#include <strings.h>

namespace kl::d3dx9 {
namespace {

enum class ValueKind {
    Dword,
    Bool,
    Float,
    ZBuffer,
    Fill,
    Shade,
    Cmp,
    Blend,
    BlendOp,
    Cull,
    StencilOp,
    ColorMask,
    Address,
    Filter
};

struct NamedValue {
    const char* name;
    DWORD value;
};

const NamedValue kZBuffer[] = {{"False", D3DZB_FALSE}, {"True", D3DZB_TRUE}, {"UseW", D3DZB_USEW}};
const NamedValue kFill[] = {
    {"Point", D3DFILL_POINT}, {"Wireframe", D3DFILL_WIREFRAME}, {"Solid", D3DFILL_SOLID}};
const NamedValue kShade[] = {
    {"Flat", D3DSHADE_FLAT}, {"Gouraud", D3DSHADE_GOURAUD}, {"Phong", D3DSHADE_PHONG}};
const NamedValue kCmp[] = {{"Never", D3DCMP_NEVER},
                           {"Less", D3DCMP_LESS},
                           {"Equal", D3DCMP_EQUAL},
                           {"LessEqual", D3DCMP_LESSEQUAL},
                           {"Greater", D3DCMP_GREATER},
                           {"NotEqual", D3DCMP_NOTEQUAL},
                           {"GreaterEqual", D3DCMP_GREATEREQUAL},
                           {"Always", D3DCMP_ALWAYS}};
const NamedValue kBlend[] = {{"Zero", D3DBLEND_ZERO},
                             {"One", D3DBLEND_ONE},
                             {"SrcColor", D3DBLEND_SRCCOLOR},
                             {"InvSrcColor", D3DBLEND_INVSRCCOLOR},
                             {"SrcAlpha", D3DBLEND_SRCALPHA},
                             {"InvSrcAlpha", D3DBLEND_INVSRCALPHA},
                             {"DestAlpha", D3DBLEND_DESTALPHA},
                             {"InvDestAlpha", D3DBLEND_INVDESTALPHA},
                             {"DestColor", D3DBLEND_DESTCOLOR},
                             {"InvDestColor", D3DBLEND_INVDESTCOLOR},
                             {"SrcAlphaSat", D3DBLEND_SRCALPHASAT},
                             {"BothSrcAlpha", D3DBLEND_BOTHSRCALPHA},
                             {"BothInvSrcAlpha", D3DBLEND_BOTHINVSRCALPHA},
                             {"BlendFactor", D3DBLEND_BLENDFACTOR},
                             {"InvBlendFactor", D3DBLEND_INVBLENDFACTOR}};
const NamedValue kBlendOp[] = {{"Add", D3DBLENDOP_ADD},
                               {"Subtract", D3DBLENDOP_SUBTRACT},
                               {"RevSubtract", D3DBLENDOP_REVSUBTRACT},
                               {"Min", D3DBLENDOP_MIN},
                               {"Max", D3DBLENDOP_MAX}};
const NamedValue kCull[] = {{"None", D3DCULL_NONE}, {"CW", D3DCULL_CW}, {"CCW", D3DCULL_CCW}};
const NamedValue kStencilOp[] = {
    {"Keep", D3DSTENCILOP_KEEP},       {"Zero", D3DSTENCILOP_ZERO},
    {"Replace", D3DSTENCILOP_REPLACE}, {"IncrSat", D3DSTENCILOP_INCRSAT},
    {"DecrSat", D3DSTENCILOP_DECRSAT}, {"Invert", D3DSTENCILOP_INVERT},
    {"Incr", D3DSTENCILOP_INCR},       {"Decr", D3DSTENCILOP_DECR}};
const NamedValue kColorMask[] = {{"Red", D3DCOLORWRITEENABLE_RED},
                                 {"Green", D3DCOLORWRITEENABLE_GREEN},
                                 {"Blue", D3DCOLORWRITEENABLE_BLUE},
                                 {"Alpha", D3DCOLORWRITEENABLE_ALPHA}};
const NamedValue kAddress[] = {{"Wrap", D3DTADDRESS_WRAP},
                               {"Mirror", D3DTADDRESS_MIRROR},
                               {"Clamp", D3DTADDRESS_CLAMP},
                               {"Border", D3DTADDRESS_BORDER},
                               {"MirrorOnce", D3DTADDRESS_MIRRORONCE}};
const NamedValue kFilter[] = {{"None", D3DTEXF_NONE},
                              {"Point", D3DTEXF_POINT},
                              {"Linear", D3DTEXF_LINEAR},
                              {"Anisotropic", D3DTEXF_ANISOTROPIC},
                              {"PyramidalQuad", D3DTEXF_PYRAMIDALQUAD},
                              {"GaussianQuad", D3DTEXF_GAUSSIANQUAD}};

struct RenderStateRow {
    const char* name;
    D3DRENDERSTATETYPE state;
    ValueKind kind;
};

const RenderStateRow kRenderStates[] = {
    {"ZEnable", D3DRS_ZENABLE, ValueKind::ZBuffer},
    {"FillMode", D3DRS_FILLMODE, ValueKind::Fill},
    {"ShadeMode", D3DRS_SHADEMODE, ValueKind::Shade},
    {"ZWriteEnable", D3DRS_ZWRITEENABLE, ValueKind::Bool},
    {"AlphaTestEnable", D3DRS_ALPHATESTENABLE, ValueKind::Bool},
    {"LastPixel", D3DRS_LASTPIXEL, ValueKind::Bool},
    {"SrcBlend", D3DRS_SRCBLEND, ValueKind::Blend},
    {"DestBlend", D3DRS_DESTBLEND, ValueKind::Blend},
    {"CullMode", D3DRS_CULLMODE, ValueKind::Cull},
    {"ZFunc", D3DRS_ZFUNC, ValueKind::Cmp},
    {"AlphaRef", D3DRS_ALPHAREF, ValueKind::Dword},
    {"AlphaFunc", D3DRS_ALPHAFUNC, ValueKind::Cmp},
    {"DitherEnable", D3DRS_DITHERENABLE, ValueKind::Bool},
    {"AlphaBlendEnable", D3DRS_ALPHABLENDENABLE, ValueKind::Bool},
    {"FogEnable", D3DRS_FOGENABLE, ValueKind::Bool},
    {"SpecularEnable", D3DRS_SPECULARENABLE, ValueKind::Bool},
    {"FogColor", D3DRS_FOGCOLOR, ValueKind::Dword},
    {"FogStart", D3DRS_FOGSTART, ValueKind::Float},
    {"FogEnd", D3DRS_FOGEND, ValueKind::Float},
    {"FogDensity", D3DRS_FOGDENSITY, ValueKind::Float},
    {"StencilEnable", D3DRS_STENCILENABLE, ValueKind::Bool},
    {"StencilFail", D3DRS_STENCILFAIL, ValueKind::StencilOp},
    {"StencilZFail", D3DRS_STENCILZFAIL, ValueKind::StencilOp},
    {"StencilPass", D3DRS_STENCILPASS, ValueKind::StencilOp},
    {"StencilFunc", D3DRS_STENCILFUNC, ValueKind::Cmp},
    {"StencilRef", D3DRS_STENCILREF, ValueKind::Dword},
    {"StencilMask", D3DRS_STENCILMASK, ValueKind::Dword},
    {"StencilWriteMask", D3DRS_STENCILWRITEMASK, ValueKind::Dword},
    {"TextureFactor", D3DRS_TEXTUREFACTOR, ValueKind::Dword},
    {"Clipping", D3DRS_CLIPPING, ValueKind::Bool},
    {"Lighting", D3DRS_LIGHTING, ValueKind::Bool},
    {"Ambient", D3DRS_AMBIENT, ValueKind::Dword},
    {"NormalizeNormals", D3DRS_NORMALIZENORMALS, ValueKind::Bool},
    {"PointSize", D3DRS_POINTSIZE, ValueKind::Float},
    {"MultiSampleAntialias", D3DRS_MULTISAMPLEANTIALIAS, ValueKind::Bool},
    {"ColorWriteEnable", D3DRS_COLORWRITEENABLE, ValueKind::ColorMask},
    {"ColorWriteEnable1", D3DRS_COLORWRITEENABLE1, ValueKind::ColorMask},
    {"ColorWriteEnable2", D3DRS_COLORWRITEENABLE2, ValueKind::ColorMask},
    {"ColorWriteEnable3", D3DRS_COLORWRITEENABLE3, ValueKind::ColorMask},
    {"BlendOp", D3DRS_BLENDOP, ValueKind::BlendOp},
    {"ScissorTestEnable", D3DRS_SCISSORTESTENABLE, ValueKind::Bool},
    {"SlopeScaleDepthBias", D3DRS_SLOPESCALEDEPTHBIAS, ValueKind::Float},
    {"DepthBias", D3DRS_DEPTHBIAS, ValueKind::Float},
    {"TwoSidedStencilMode", D3DRS_TWOSIDEDSTENCILMODE, ValueKind::Bool},
    {"CCW_StencilFail", D3DRS_CCW_STENCILFAIL, ValueKind::StencilOp},
    {"CCW_StencilZFail", D3DRS_CCW_STENCILZFAIL, ValueKind::StencilOp},
    {"CCW_StencilPass", D3DRS_CCW_STENCILPASS, ValueKind::StencilOp},
    {"CCW_StencilFunc", D3DRS_CCW_STENCILFUNC, ValueKind::Cmp},
    {"BlendFactor", D3DRS_BLENDFACTOR, ValueKind::Dword},
    {"SRGBWriteEnable", D3DRS_SRGBWRITEENABLE, ValueKind::Bool},
    {"SeparateAlphaBlendEnable", D3DRS_SEPARATEALPHABLENDENABLE, ValueKind::Bool},
    {"SrcBlendAlpha", D3DRS_SRCBLENDALPHA, ValueKind::Blend},
    {"DestBlendAlpha", D3DRS_DESTBLENDALPHA, ValueKind::Blend},
    {"BlendOpAlpha", D3DRS_BLENDOPALPHA, ValueKind::BlendOp},
};

struct SamplerStateRow {
    const char* name;
    D3DSAMPLERSTATETYPE state;
    ValueKind kind;
};

const SamplerStateRow kSamplerStates[] = {
    {"AddressU", D3DSAMP_ADDRESSU, ValueKind::Address},
    {"AddressV", D3DSAMP_ADDRESSV, ValueKind::Address},
    {"AddressW", D3DSAMP_ADDRESSW, ValueKind::Address},
    {"BorderColor", D3DSAMP_BORDERCOLOR, ValueKind::Dword},
    {"MagFilter", D3DSAMP_MAGFILTER, ValueKind::Filter},
    {"MinFilter", D3DSAMP_MINFILTER, ValueKind::Filter},
    {"MipFilter", D3DSAMP_MIPFILTER, ValueKind::Filter},
    {"MipMapLodBias", D3DSAMP_MIPMAPLODBIAS, ValueKind::Float},
    {"MaxMipLevel", D3DSAMP_MAXMIPLEVEL, ValueKind::Dword},
    {"MaxAnisotropy", D3DSAMP_MAXANISOTROPY, ValueKind::Dword},
    {"SRGBTexture", D3DSAMP_SRGBTEXTURE, ValueKind::Bool},
};

template <size_t N>
bool LookUp(const NamedValue (&table)[N], const std::string& name, DWORD& value) {
    for (const NamedValue& row : table) {
        if (strcasecmp(row.name, name.c_str()) == 0) {
            value = row.value;
            return true;
        }
    }
    return false;
}

bool LookUpName(ValueKind kind, const std::string& name, DWORD& value) {
    switch (kind) {
        case ValueKind::ZBuffer:
            return LookUp(kZBuffer, name, value);
        case ValueKind::Fill:
            return LookUp(kFill, name, value);
        case ValueKind::Shade:
            return LookUp(kShade, name, value);
        case ValueKind::Cmp:
            return LookUp(kCmp, name, value);
        case ValueKind::Blend:
            return LookUp(kBlend, name, value);
        case ValueKind::BlendOp:
            return LookUp(kBlendOp, name, value);
        case ValueKind::Cull:
            return LookUp(kCull, name, value);
        case ValueKind::StencilOp:
            return LookUp(kStencilOp, name, value);
        case ValueKind::ColorMask:
            return LookUp(kColorMask, name, value);
        case ValueKind::Address:
            return LookUp(kAddress, name, value);
        case ValueKind::Filter:
            return LookUp(kFilter, name, value);
        default:
            return false;
    }
}

bool ResolveValue(const hlsl::StateAssignment& s, ValueKind kind, DWORD& value,
                  std::string& error) {
    value = 0;
    for (const hlsl::StateValueTerm& term : s.terms) {
        DWORD part = 0;
        if (term.kind == hlsl::StateValueTerm::Kind::Name) {
            if (!LookUpName(kind, term.name, part)) {
                error = "unknown value '" + term.name + "' for state '" + s.name + "'";
                return false;
            }
        } else if (kind == ValueKind::Float) {
            const float f = static_cast<float>(term.number);
            std::memcpy(&part, &f, sizeof part);
        } else if (term.number < 0) {
            part = static_cast<DWORD>(static_cast<int32_t>(term.number));
        } else {
            part = static_cast<DWORD>(static_cast<uint64_t>(term.number) & 0xffffffffu);
        }
        value |= part;
    }
    return true;
}

}  // namespace

bool ResolveRenderState(const hlsl::StateAssignment& s, D3DRENDERSTATETYPE& state, DWORD& value,
                        std::string& error) {
    for (const RenderStateRow& row : kRenderStates) {
        if (strcasecmp(row.name, s.name.c_str()) != 0) continue;
        state = row.state;
        return ResolveValue(s, row.kind, value, error);
    }
    error = "unsupported render state '" + s.name + "'";
    return false;
}

bool ResolveSamplerState(const hlsl::StateAssignment& s, D3DSAMPLERSTATETYPE& state, DWORD& value,
                         std::string& error) {
    for (const SamplerStateRow& row : kSamplerStates) {
        if (strcasecmp(row.name, s.name.c_str()) != 0) continue;
        state = row.state;
        return ResolveValue(s, row.kind, value, error);
    }
    error = "unsupported sampler state '" + s.name + "'";
    return false;
}

}  // namespace kl::d3dx9
