#include "d3d9/states.h"

#include <GL/glcorearb.h>

#include <cstring>
#include <initializer_list>

#include "common/log.h"

namespace kl::d3d9 {
namespace {

enum Group : uint32_t {
    kDepthGroup = 1u << 0,
    kBlendGroup = 1u << 1,
    kRasterGroup = 1u << 2,
    kStencilGroup = 1u << 3,
};

uint32_t GroupOf(D3DRENDERSTATETYPE state) {
    switch (state) {
        case D3DRS_ZENABLE:
        case D3DRS_ZWRITEENABLE:
        case D3DRS_ZFUNC:
            return kDepthGroup;
        case D3DRS_ALPHABLENDENABLE:
        case D3DRS_SRCBLEND:
        case D3DRS_DESTBLEND:
        case D3DRS_BLENDOP:
        case D3DRS_SEPARATEALPHABLENDENABLE:
        case D3DRS_SRCBLENDALPHA:
        case D3DRS_DESTBLENDALPHA:
        case D3DRS_BLENDOPALPHA:
        case D3DRS_BLENDFACTOR:
            return kBlendGroup;
        case D3DRS_CULLMODE:
        case D3DRS_FILLMODE:
        case D3DRS_COLORWRITEENABLE:
        case D3DRS_SCISSORTESTENABLE:
        case D3DRS_DEPTHBIAS:
        case D3DRS_SLOPESCALEDEPTHBIAS:
            return kRasterGroup;
        case D3DRS_STENCILENABLE:
        case D3DRS_STENCILFAIL:
        case D3DRS_STENCILZFAIL:
        case D3DRS_STENCILPASS:
        case D3DRS_STENCILFUNC:
        case D3DRS_STENCILREF:
        case D3DRS_STENCILMASK:
        case D3DRS_STENCILWRITEMASK:
        case D3DRS_TWOSIDEDSTENCILMODE:
        case D3DRS_CCW_STENCILFAIL:
        case D3DRS_CCW_STENCILZFAIL:
        case D3DRS_CCW_STENCILPASS:
        case D3DRS_CCW_STENCILFUNC:
            return kStencilGroup;
        default:
            return 0;  // stored only: read by shaders or fixed function
    }
}

DWORD FloatBits(float value) {
    DWORD bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

float BitsFloat(DWORD bits) {
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

void LogUnknown(const char* what, DWORD value) {
    platform::Log(platform::LogLevel::Warning, "Direct3D: unknown %s %lu", what,
                  static_cast<unsigned long>(value));
}

// Direct3D calls clockwise triangles (on screen, y down) front faces. With
// glClipControl(GL_UPPER_LEFT, ...) GL flips the facing computation together
// with the y axis, so a triangle that is clockwise on screen is GL_CW too.
constexpr GLenum kClockwiseOnScreen = GL_CW;

void SetEnabled(GLenum capability, bool on) {
    if (on)
        glEnable(capability);
    else
        glDisable(capability);
}

}  // namespace

unsigned DecodeCompareFunc(DWORD func) {
    switch (func) {
        case D3DCMP_NEVER:
            return GL_NEVER;
        case D3DCMP_LESS:
            return GL_LESS;
        case D3DCMP_EQUAL:
            return GL_EQUAL;
        case D3DCMP_LESSEQUAL:
            return GL_LEQUAL;
        case D3DCMP_GREATER:
            return GL_GREATER;
        case D3DCMP_NOTEQUAL:
            return GL_NOTEQUAL;
        case D3DCMP_GREATEREQUAL:
            return GL_GEQUAL;
        case D3DCMP_ALWAYS:
            return GL_ALWAYS;
        default:
            LogUnknown("comparison", func);
            return GL_ALWAYS;
    }
}

unsigned DecodeBlendFactor(DWORD blend, bool alpha) {
    switch (blend) {
        case D3DBLEND_ZERO:
            return GL_ZERO;
        case D3DBLEND_ONE:
            return GL_ONE;
        case D3DBLEND_SRCCOLOR:
            return GL_SRC_COLOR;
        case D3DBLEND_INVSRCCOLOR:
            return GL_ONE_MINUS_SRC_COLOR;
        case D3DBLEND_SRCALPHA:
            return GL_SRC_ALPHA;
        case D3DBLEND_INVSRCALPHA:
            return GL_ONE_MINUS_SRC_ALPHA;
        case D3DBLEND_DESTALPHA:
            return GL_DST_ALPHA;
        case D3DBLEND_INVDESTALPHA:
            return GL_ONE_MINUS_DST_ALPHA;
        case D3DBLEND_DESTCOLOR:
            return GL_DST_COLOR;
        case D3DBLEND_INVDESTCOLOR:
            return GL_ONE_MINUS_DST_COLOR;
        case D3DBLEND_SRCALPHASAT:
            return GL_SRC_ALPHA_SATURATE;
        case D3DBLEND_BLENDFACTOR:
            return alpha ? GL_CONSTANT_ALPHA : GL_CONSTANT_COLOR;
        case D3DBLEND_INVBLENDFACTOR:
            return alpha ? GL_ONE_MINUS_CONSTANT_ALPHA : GL_ONE_MINUS_CONSTANT_COLOR;
        default:
            LogUnknown("blend factor", blend);
            return GL_ONE;
    }
}

unsigned DecodeBlendOp(DWORD op) {
    switch (op) {
        case D3DBLENDOP_ADD:
            return GL_FUNC_ADD;
        case D3DBLENDOP_SUBTRACT:
            return GL_FUNC_SUBTRACT;
        case D3DBLENDOP_REVSUBTRACT:
            return GL_FUNC_REVERSE_SUBTRACT;
        case D3DBLENDOP_MIN:
            return GL_MIN;
        case D3DBLENDOP_MAX:
            return GL_MAX;
        default:
            LogUnknown("blend operation", op);
            return GL_FUNC_ADD;
    }
}

unsigned DecodeStencilOp(DWORD op) {
    switch (op) {
        case D3DSTENCILOP_KEEP:
            return GL_KEEP;
        case D3DSTENCILOP_ZERO:
            return GL_ZERO;
        case D3DSTENCILOP_REPLACE:
            return GL_REPLACE;
        case D3DSTENCILOP_INCRSAT:
            return GL_INCR;
        case D3DSTENCILOP_DECRSAT:
            return GL_DECR;
        case D3DSTENCILOP_INVERT:
            return GL_INVERT;
        case D3DSTENCILOP_INCR:
            return GL_INCR_WRAP;
        case D3DSTENCILOP_DECR:
            return GL_DECR_WRAP;
        default:
            LogUnknown("stencil operation", op);
            return GL_KEEP;
    }
}

unsigned DecodeAddressMode(DWORD mode) {
    switch (mode) {
        case D3DTADDRESS_WRAP:
            return GL_REPEAT;
        case D3DTADDRESS_MIRROR:
            return GL_MIRRORED_REPEAT;
        case D3DTADDRESS_CLAMP:
            return GL_CLAMP_TO_EDGE;
        case D3DTADDRESS_BORDER:
            return GL_CLAMP_TO_BORDER;
        case D3DTADDRESS_MIRRORONCE:
            return GL_MIRROR_CLAMP_TO_EDGE;
        default:
            LogUnknown("texture address mode", mode);
            return GL_REPEAT;
    }
}

void StateCache::ResetToDefaults(bool autoDepth) {
    render_.fill(0);
    render_[D3DRS_ZENABLE] = autoDepth ? D3DZB_TRUE : D3DZB_FALSE;
    render_[D3DRS_FILLMODE] = D3DFILL_SOLID;
    render_[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    render_[D3DRS_ZWRITEENABLE] = TRUE;
    render_[D3DRS_LASTPIXEL] = TRUE;
    render_[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    render_[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    render_[D3DRS_CULLMODE] = D3DCULL_CCW;
    render_[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    render_[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    render_[D3DRS_FOGEND] = FloatBits(1.0f);
    render_[D3DRS_FOGDENSITY] = FloatBits(1.0f);
    for (D3DRENDERSTATETYPE s :
         {D3DRS_STENCILFAIL, D3DRS_STENCILZFAIL, D3DRS_STENCILPASS, D3DRS_CCW_STENCILFAIL,
          D3DRS_CCW_STENCILZFAIL, D3DRS_CCW_STENCILPASS})
        render_[s] = D3DSTENCILOP_KEEP;
    render_[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    render_[D3DRS_CCW_STENCILFUNC] = D3DCMP_ALWAYS;
    render_[D3DRS_STENCILMASK] = 0xFFFFFFFF;
    render_[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFF;
    render_[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
    render_[D3DRS_CLIPPING] = TRUE;
    render_[D3DRS_LIGHTING] = TRUE;
    render_[D3DRS_COLORVERTEX] = TRUE;
    render_[D3DRS_LOCALVIEWER] = TRUE;
    render_[D3DRS_DIFFUSEMATERIALSOURCE] = 1;   // D3DMCS_COLOR1
    render_[D3DRS_SPECULARMATERIALSOURCE] = 2;  // D3DMCS_COLOR2
    render_[D3DRS_POINTSIZE] = FloatBits(1.0f);
    render_[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
    render_[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFF;
    render_[D3DRS_COLORWRITEENABLE] = 0xF;
    render_[D3DRS_COLORWRITEENABLE1] = 0xF;
    render_[D3DRS_COLORWRITEENABLE2] = 0xF;
    render_[D3DRS_COLORWRITEENABLE3] = 0xF;
    render_[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    render_[D3DRS_BLENDFACTOR] = 0xFFFFFFFF;
    render_[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
    render_[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
    render_[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;
    for (auto& stage : sampler_) {
        stage.fill(0);
        stage[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
        stage[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
        stage[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        stage[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
        stage[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        stage[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        stage[D3DSAMP_MAXANISOTROPY] = 1;
    }
    ForgetAll();
}

bool StateCache::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (static_cast<DWORD>(state) >= kRenderStateCount) return false;
    if (render_[state] == value) return true;
    render_[state] = value;
    dirtyGroups_ |= GroupOf(state);
    return true;
}

bool StateCache::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    if (sampler >= kSamplerCount || type == 0 || static_cast<DWORD>(type) >= kSamplerStateCount)
        return false;
    if (sampler_[sampler][type] == value) return true;
    sampler_[sampler][type] = value;
    dirtySamplers_ |= 1u << sampler;
    return true;
}

void StateCache::ForgetAll() {
    dirtyGroups_ = ~0u;
    dirtySamplers_ = ~0u;
    sentSamplersKnown_ = 0;
    applied_.known = false;
}

void StateCache::ForgetScissorAndMasks() {
    dirtyGroups_ |= kRasterGroup | kDepthGroup;
    applied_.known = false;
}

int StateCache::AlphaFunc() const {
    return render_[D3DRS_ALPHATESTENABLE] ? static_cast<int>(render_[D3DRS_ALPHAFUNC])
                                          : D3DCMP_ALWAYS;
}

float StateCache::AlphaRef() const {
    return static_cast<float>(render_[D3DRS_ALPHAREF] & 0xFF);
}

void StateCache::FlushRenderStates() {
    if (!applied_.known) {
        glFrontFace(kClockwiseOnScreen);
        dirtyGroups_ = ~0u;
    }
    if (dirtyGroups_ & kDepthGroup) FlushDepth();
    if (dirtyGroups_ & kBlendGroup) FlushBlend();
    if (dirtyGroups_ & kRasterGroup) FlushRaster();
    if (dirtyGroups_ & kStencilGroup) FlushStencil();
    dirtyGroups_ = 0;
    applied_.known = true;
}

void StateCache::FlushDepth() {
    const bool all = !applied_.known;
    const bool test = render_[D3DRS_ZENABLE] != D3DZB_FALSE;
    const bool write = render_[D3DRS_ZWRITEENABLE] != FALSE;
    const unsigned func = DecodeCompareFunc(render_[D3DRS_ZFUNC]);
    if (Changed(all || test != applied_.depthTest)) SetEnabled(GL_DEPTH_TEST, test);
    if (Changed(all || write != applied_.depthWrite)) glDepthMask(write ? GL_TRUE : GL_FALSE);
    if (Changed(all || func != applied_.depthFunc)) glDepthFunc(func);
    applied_.depthTest = test, applied_.depthWrite = write, applied_.depthFunc = func;
}

void StateCache::FlushBlend() {
    const bool all = !applied_.known;
    const bool blend = render_[D3DRS_ALPHABLENDENABLE] != FALSE;
    if (Changed(all || blend != applied_.blend)) SetEnabled(GL_BLEND, blend);
    applied_.blend = blend;
    DWORD src = render_[D3DRS_SRCBLEND], dst = render_[D3DRS_DESTBLEND];
    // The "both" factors set source and destination from one value.
    if (src == D3DBLEND_BOTHSRCALPHA) src = D3DBLEND_SRCALPHA, dst = D3DBLEND_INVSRCALPHA;
    if (src == D3DBLEND_BOTHINVSRCALPHA) src = D3DBLEND_INVSRCALPHA, dst = D3DBLEND_SRCALPHA;
    DWORD srcA = src, dstA = dst, opA = render_[D3DRS_BLENDOP];
    if (render_[D3DRS_SEPARATEALPHABLENDENABLE]) {
        srcA = render_[D3DRS_SRCBLENDALPHA], dstA = render_[D3DRS_DESTBLENDALPHA];
        opA = render_[D3DRS_BLENDOPALPHA];
    }
    const unsigned sRgb = DecodeBlendFactor(src, false), dRgb = DecodeBlendFactor(dst, false);
    const unsigned sA = DecodeBlendFactor(srcA, true), dA = DecodeBlendFactor(dstA, true);
    if (Changed(all || sRgb != applied_.srcRgb || dRgb != applied_.dstRgb ||
                sA != applied_.srcAlpha || dA != applied_.dstAlpha))
        glBlendFuncSeparate(sRgb, dRgb, sA, dA);
    applied_.srcRgb = sRgb, applied_.dstRgb = dRgb, applied_.srcAlpha = sA, applied_.dstAlpha = dA;
    const unsigned opRgb = DecodeBlendOp(render_[D3DRS_BLENDOP]), opAlpha = DecodeBlendOp(opA);
    if (Changed(all || opRgb != applied_.opRgb || opAlpha != applied_.opAlpha))
        glBlendEquationSeparate(opRgb, opAlpha);
    applied_.opRgb = opRgb, applied_.opAlpha = opAlpha;
    const DWORD factor = render_[D3DRS_BLENDFACTOR];
    if (Changed(all || factor != applied_.blendFactor))
        glBlendColor(((factor >> 16) & 0xFF) / 255.0f, ((factor >> 8) & 0xFF) / 255.0f,
                     (factor & 0xFF) / 255.0f, (factor >> 24) / 255.0f);
    applied_.blendFactor = factor;
}

void StateCache::FlushRaster() {
    const bool all = !applied_.known;
    const DWORD cullMode = render_[D3DRS_CULLMODE];
    const bool cull = cullMode == D3DCULL_CW || cullMode == D3DCULL_CCW;
    // Front faces are the clockwise ones, so D3DCULL_CW culls GL's front.
    const unsigned face = cullMode == D3DCULL_CW ? GL_FRONT : GL_BACK;
    if (Changed(all || cull != applied_.cull)) SetEnabled(GL_CULL_FACE, cull);
    if (cull && Changed(all || face != applied_.cullFace)) glCullFace(face);
    applied_.cull = cull;
    if (cull) applied_.cullFace = face;

    const DWORD fill = render_[D3DRS_FILLMODE];
    const unsigned mode = fill == D3DFILL_POINT       ? GL_POINT
                          : fill == D3DFILL_WIREFRAME ? GL_LINE
                                                      : GL_FILL;
    if (Changed(all || mode != applied_.polygonMode)) glPolygonMode(GL_FRONT_AND_BACK, mode);
    applied_.polygonMode = mode;

    const DWORD mask = render_[D3DRS_COLORWRITEENABLE] & 0xF;
    if (Changed(all || mask != applied_.colorMask))
        glColorMask(mask & D3DCOLORWRITEENABLE_RED ? GL_TRUE : GL_FALSE,
                    mask & D3DCOLORWRITEENABLE_GREEN ? GL_TRUE : GL_FALSE,
                    mask & D3DCOLORWRITEENABLE_BLUE ? GL_TRUE : GL_FALSE,
                    mask & D3DCOLORWRITEENABLE_ALPHA ? GL_TRUE : GL_FALSE);
    applied_.colorMask = mask;

    const bool scissor = render_[D3DRS_SCISSORTESTENABLE] != FALSE;
    if (Changed(all || scissor != applied_.scissorTest)) SetEnabled(GL_SCISSOR_TEST, scissor);
    applied_.scissorTest = scissor;

    // Direct3D's depth bias is in depth-buffer units of a 0..1 range; GL's
    // polygon offset units are the smallest resolvable step of a 24-bit buffer.
    const float units = BitsFloat(render_[D3DRS_DEPTHBIAS]) * 16777215.0f;
    const float factor = BitsFloat(render_[D3DRS_SLOPESCALEDEPTHBIAS]);
    const bool offset = units != 0.0f || factor != 0.0f;
    if (Changed(all || offset != applied_.polygonOffset)) {
        SetEnabled(GL_POLYGON_OFFSET_FILL, offset);
        SetEnabled(GL_POLYGON_OFFSET_LINE, offset);
    }
    if (offset && Changed(all || units != applied_.offsetUnits || factor != applied_.offsetFactor))
        glPolygonOffset(factor, units);
    applied_.polygonOffset = offset, applied_.offsetUnits = units, applied_.offsetFactor = factor;
}

void StateCache::FlushStencil() {
    const bool on = render_[D3DRS_STENCILENABLE] != FALSE;
    SetEnabled(GL_STENCIL_TEST, on);
    applied_.stencilTest = on;
    if (!on) return;
    const GLint ref = static_cast<GLint>(render_[D3DRS_STENCILREF]);
    const GLuint mask = render_[D3DRS_STENCILMASK];
    const bool twoSided = render_[D3DRS_TWOSIDEDSTENCILMODE] != FALSE;
    // Clockwise faces are GL's front faces; the CCW_ states drive the back.
    glStencilFuncSeparate(GL_FRONT, DecodeCompareFunc(render_[D3DRS_STENCILFUNC]), ref, mask);
    glStencilOpSeparate(GL_FRONT, DecodeStencilOp(render_[D3DRS_STENCILFAIL]),
                        DecodeStencilOp(render_[D3DRS_STENCILZFAIL]),
                        DecodeStencilOp(render_[D3DRS_STENCILPASS]));
    const D3DRENDERSTATETYPE func = twoSided ? D3DRS_CCW_STENCILFUNC : D3DRS_STENCILFUNC;
    const D3DRENDERSTATETYPE fail = twoSided ? D3DRS_CCW_STENCILFAIL : D3DRS_STENCILFAIL;
    const D3DRENDERSTATETYPE zfail = twoSided ? D3DRS_CCW_STENCILZFAIL : D3DRS_STENCILZFAIL;
    const D3DRENDERSTATETYPE pass = twoSided ? D3DRS_CCW_STENCILPASS : D3DRS_STENCILPASS;
    glStencilFuncSeparate(GL_BACK, DecodeCompareFunc(render_[func]), ref, mask);
    glStencilOpSeparate(GL_BACK, DecodeStencilOp(render_[fail]), DecodeStencilOp(render_[zfail]),
                        DecodeStencilOp(render_[pass]));
    glStencilMask(render_[D3DRS_STENCILWRITEMASK]);
}

void StateCache::FlushSamplers(const unsigned* samplerObjects) {
    for (DWORD stage = 0; stage < kSamplerCount; ++stage)
        if (dirtySamplers_ & (1u << stage)) FlushSampler(stage, samplerObjects[stage]);
    dirtySamplers_ = 0;
}

// Sends only the parameters whose Direct3D states differ from what this
// stage's sampler object last received: an effect's Begin/End saves and
// restores sampler states around every pass, so a stage is often marked
// dirty while holding the very values GL already has.
void StateCache::FlushSampler(DWORD stage, unsigned object) {
    const auto& s = sampler_[stage];
    auto& sent = sentSampler_[stage];
    const bool known = (sentSamplersKnown_ & (1u << stage)) != 0;
    const auto differs = [&](std::initializer_list<D3DSAMPLERSTATETYPE> types) {
        bool any = !known;
        for (const D3DSAMPLERSTATETYPE type : types) any = any || s[type] != sent[type];
        return Changed(any);
    };
    if (differs({D3DSAMP_ADDRESSU}))
        glSamplerParameteri(object, GL_TEXTURE_WRAP_S, DecodeAddressMode(s[D3DSAMP_ADDRESSU]));
    if (differs({D3DSAMP_ADDRESSV}))
        glSamplerParameteri(object, GL_TEXTURE_WRAP_T, DecodeAddressMode(s[D3DSAMP_ADDRESSV]));
    if (differs({D3DSAMP_ADDRESSW}))
        glSamplerParameteri(object, GL_TEXTURE_WRAP_R, DecodeAddressMode(s[D3DSAMP_ADDRESSW]));
    const DWORD mag = s[D3DSAMP_MAGFILTER], min = s[D3DSAMP_MINFILTER], mip = s[D3DSAMP_MIPFILTER];
    const bool linearMag = mag == D3DTEXF_LINEAR || mag == D3DTEXF_ANISOTROPIC;
    const bool linearMin = min == D3DTEXF_LINEAR || min == D3DTEXF_ANISOTROPIC;
    if (differs({D3DSAMP_MAGFILTER}))
        glSamplerParameteri(object, GL_TEXTURE_MAG_FILTER, linearMag ? GL_LINEAR : GL_NEAREST);
    if (differs({D3DSAMP_MINFILTER, D3DSAMP_MIPFILTER})) {
        GLenum minFilter = linearMin ? GL_LINEAR : GL_NEAREST;
        if (mip == D3DTEXF_POINT)
            minFilter = linearMin ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
        else if (mip == D3DTEXF_LINEAR || mip == D3DTEXF_ANISOTROPIC)
            minFilter = linearMin ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
        glSamplerParameteri(object, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
    }
    if (differs({D3DSAMP_MINFILTER, D3DSAMP_MAGFILTER, D3DSAMP_MAXANISOTROPY})) {
        const bool anisotropic = min == D3DTEXF_ANISOTROPIC || mag == D3DTEXF_ANISOTROPIC;
        const DWORD maxAniso = s[D3DSAMP_MAXANISOTROPY] ? s[D3DSAMP_MAXANISOTROPY] : 1;
        glSamplerParameterf(object, GL_TEXTURE_MAX_ANISOTROPY,
                            anisotropic ? static_cast<float>(maxAniso) : 1.0f);
    }
    if (differs({D3DSAMP_BORDERCOLOR})) {
        const DWORD border = s[D3DSAMP_BORDERCOLOR];
        const float colour[4] = {((border >> 16) & 0xFF) / 255.0f, ((border >> 8) & 0xFF) / 255.0f,
                                 (border & 0xFF) / 255.0f, (border >> 24) / 255.0f};
        glSamplerParameterfv(object, GL_TEXTURE_BORDER_COLOR, colour);
    }
    if (differs({D3DSAMP_MIPMAPLODBIAS}))
        glSamplerParameterf(object, GL_TEXTURE_LOD_BIAS, BitsFloat(s[D3DSAMP_MIPMAPLODBIAS]));
    // MAXMIPLEVEL names the most detailed level the sampler may use.
    if (differs({D3DSAMP_MAXMIPLEVEL}))
        glSamplerParameterf(object, GL_TEXTURE_MIN_LOD, static_cast<float>(s[D3DSAMP_MAXMIPLEVEL]));
    sent = s;
    sentSamplersKnown_ |= 1u << stage;
}

}  // namespace kl::d3d9
