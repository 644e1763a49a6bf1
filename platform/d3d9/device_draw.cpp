// Draw calls: flush the shadowed state, feed the program's inputs from the
// vertex declaration, draw.
#include <GL/glcorearb.h>

#include <algorithm>
#include <cstring>

#include "d3d9/buffers.h"
#include "d3d9/device.h"
#include "d3d9/fixed_function.h"
#include "d3d9/surface.h"
#include "d3d9/texture.h"
#include "d3d9/vertex_declaration.h"
#include "d3d9/vertex_input.h"
#include "gl/check.h"

namespace kl::d3d9 {
namespace {

// Direct3D 9 puts pixel centres half a pixel before GL's. The shift stops 1/64
// pixel short of a half so that an edge running exactly through a Direct3D
// pixel centre falls just before the GL centre: left and top edges then take
// the pixel and right and bottom edges leave it, Direct3D's top-left rule,
// whatever GL's own tie rule is.
constexpr float kHalfPixelShift = 0.5f - 1.0f / 64.0f;

// A frame of many thousand draws must not queue all of them: a software
// driver keeps each queued draw's state (some 40 KB on llvmpipe) until it
// has rasterised it, so 100000 lights would hold gigabytes. Every
// kDrawsPerBatch draws are submitted (drawBatchesInFlight_).
constexpr unsigned kDrawsPerBatch = 256;

bool HasUsage(const std::vector<D3DVERTEXELEMENT9>& elements, BYTE usage) {
    return std::any_of(elements.begin(), elements.end(),
                       [usage](const D3DVERTEXELEMENT9& e) { return e.Usage == usage; });
}

const D3DVERTEXELEMENT9* FindElement(const std::vector<D3DVERTEXELEMENT9>& elements, BYTE usage,
                                     BYTE index) {
    for (const D3DVERTEXELEMENT9& e : elements)
        if (e.Usage == usage && e.UsageIndex == index) return &e;
    return nullptr;
}

}  // namespace

const std::vector<D3DVERTEXELEMENT9>* Device::ActiveElements() {
    if (declarationSet_) return declarationElements_.empty() ? nullptr : &declarationElements_;
    if (fvf_ != fvfElementsCode_) {
        fvfElements_ = ElementsFromFvf(fvf_);
        fvfElementsCode_ = fvf_;
    }
    return fvfElements_.empty() ? nullptr : &fvfElements_;
}

void Device::ApplyViewport() {
    if (!viewportDirty_) return;
    glViewport(static_cast<GLint>(viewport_.X), static_cast<GLint>(viewport_.Y),
               static_cast<GLsizei>(viewport_.Width), static_cast<GLsizei>(viewport_.Height));
    glDepthRangef(viewport_.MinZ, viewport_.MaxZ);
    glScissor(scissor_.left, scissor_.top, scissor_.right - scissor_.left,
              scissor_.bottom - scissor_.top);
    viewportDirty_ = false;
}

void Device::ApplyTextures() {
    for (DWORD unit = 0; unit < kSamplerCount; ++unit) {
        const unsigned name = textures_[unit] ? TextureGlName(textures_[unit]) : blackTexture_;
        if (name == boundTextureNames_[unit]) continue;
        glBindTextureUnit(unit, name);
        boundTextureNames_[unit] = name;
    }
}

// Direct3D 9 sets the vertex and the pixel shader separately, and either may
// be absent, leaving that stage to the fixed-function pipeline. Effects use
// that freely: a pass with only a pixel shader draws with the fixed-function
// vertex stage (pretransformed or plain positions, as the vertex layout of
// each draw says) or with whatever vertex shader an earlier pass left set.
// Which vertex stage that is is known only here, at draw time, so the device
// keeps one separable GL program per stage and combines the current two in a
// program pipeline for each draw, instead of linking pairs in advance. The
// fixed function is such a pair of stages too. A whole program (fonts) takes
// both stages at once and is used directly.
void Device::SelectPrograms() {
    // A program in use takes precedence over the bound pipeline, and 0 gives
    // the pipeline back. Only this device uses programs on its context, so
    // the one it last set is still in use (a program in use keeps its name
    // even when deleted); setting it again per draw would make the driver
    // rebuild its shader state for every draw.
    const unsigned wanted = program_ ? program_->glProgram : 0;
    if (wanted != programInUse_) glUseProgram(wanted);
    programInUse_ = wanted;
    if (!programsChanged_) return;
    const ProgramBinding& vertex = VertexProgram();
    const ProgramBinding& pixel = PixelProgram();
    // An effect's End and the next pass's BeginPass change the stages and
    // change them back, so the pipeline is told only what differs from the
    // programs it already holds (an attached program keeps its name even
    // when deleted, so a name is never another program's).
    if (!program_) {
        if (vertex.glProgram != pipelineVertex_)
            glUseProgramStages(pipeline_, GL_VERTEX_SHADER_BIT, vertex.glProgram);
        if (pixel.glProgram != pipelinePixel_)
            glUseProgramStages(pipeline_, GL_FRAGMENT_SHADER_BIT, pixel.glProgram);
        pipelineVertex_ = vertex.glProgram;
        pipelinePixel_ = pixel.glProgram;
    }
    // Locations are looked up when a program is first selected, not per draw;
    // the prologue uniforms may be absent from a program that never calls them.
    for (const ProgramBinding* binding : {&vertex, &pixel}) {
        ProgramBinding::Prologue& prologue = binding->prologue;
        if (prologue.found) continue;
        prologue.halfPixel = glGetUniformLocation(binding->glProgram, "kl_d3d_half_pixel");
        prologue.alphaFunc = glGetUniformLocation(binding->glProgram, "kl_d3d_alpha_func");
        prologue.alphaRef = glGetUniformLocation(binding->glProgram, "kl_d3d_alpha_ref");
        prologue.found = true;
    }
    programsChanged_ = false;
}

const ProgramBinding& Device::VertexProgram() const {
    return program_ ? *program_ : vertexStage_ ? *vertexStage_ : fixedFunction_->VertexStage();
}

const ProgramBinding& Device::PixelProgram() const {
    return program_ ? *program_ : pixelStage_ ? *pixelStage_ : fixedFunction_->PixelStage();
}

bool Device::FixedFunctionVertex() const {
    return !program_ && !vertexStage_;
}

HRESULT Device::PrepareDraw() {
    const std::vector<D3DVERTEXELEMENT9>* elements = ActiveElements();
    if (!elements) return D3DERR_INVALIDCALL;
    if (cooperative_ != CooperativeState::Operational) return S_FALSE;
    MakeCurrent();
    states_.FlushRenderStates();
    states_.FlushSamplers(samplerObjects_.data());
    ApplyViewport();
    ApplyTextures();
    SelectPrograms();
    if (FixedFunctionVertex()) {
        const float viewport[4] = {static_cast<float>(viewport_.X), static_cast<float>(viewport_.Y),
                                   static_cast<float>(viewport_.Width),
                                   static_cast<float>(viewport_.Height)};
        fixedFunction_->ConfigureVertex(HasUsage(*elements, D3DDECLUSAGE_POSITIONT), viewport);
    }
    if (!program_ && !pixelStage_) fixedFunction_->ConfigurePixel(textures_[0] != nullptr);
    // The half-pixel offset goes to the vertex stage, the alpha test to the
    // pixel stage (one program for both when a whole program is bound).
    const float halfPixel[2] = {2.0f * kHalfPixelShift / static_cast<float>(viewport_.Width),
                                -2.0f * kHalfPixelShift / static_cast<float>(viewport_.Height)};
    const int alphaFunc = states_.AlphaFunc();
    const float alphaRef = states_.AlphaRef();
    const ProgramBinding& vertex = VertexProgram();
    const ProgramBinding& pixel = PixelProgram();
    ProgramBinding::Prologue& v = vertex.prologue;
    ProgramBinding::Prologue& p = pixel.prologue;
    if (v.halfPixel >= 0 &&
        (!v.uploaded || halfPixel[0] != v.halfPixelValue[0] || halfPixel[1] != v.halfPixelValue[1]))
        glProgramUniform2f(vertex.glProgram, v.halfPixel, halfPixel[0], halfPixel[1]);
    v.halfPixelValue[0] = halfPixel[0];
    v.halfPixelValue[1] = halfPixel[1];
    if (p.alphaFunc >= 0 && (!p.uploaded || alphaFunc != p.alphaFuncValue))
        glProgramUniform1i(pixel.glProgram, p.alphaFunc, alphaFunc);
    if (p.alphaRef >= 0 && (!p.uploaded || alphaRef != p.alphaRefValue))
        glProgramUniform1f(pixel.glProgram, p.alphaRef, alphaRef);
    p.alphaFuncValue = alphaFunc;
    p.alphaRefValue = alphaRef;
    // Both flags only after both stages: for a whole program they are one.
    v.uploaded = true;
    p.uploaded = true;
    return D3D_OK;
}

void Device::ApplyVertexInputs(const std::array<unsigned, 16>& buffers,
                               const std::array<UINT, 16>& offsets,
                               const std::array<UINT, 16>& strides) {
    const std::vector<D3DVERTEXELEMENT9>& elements = *ActiveElements();
    const ProgramBinding& active = VertexProgram();
    uint32_t fedStreams = 0;
    for (GLuint stream = 0; stream < 16; ++stream)
        if (buffers[stream] != 0) fedStreams |= 1u << stream;
    const auto sameInput = [](const VertexInputBinding& a, const VertexInputBinding& b) {
        return a.usage == b.usage && a.usageIndex == b.usageIndex && a.location == b.location;
    };
    const auto sameElement = [](const D3DVERTEXELEMENT9& a, const D3DVERTEXELEMENT9& b) {
        return std::memcmp(&a, &b, sizeof a) == 0;
    };
    const VertexLayout& last = vertexLayout_;
    if (vertexLayoutSet_ && last.program == active.glProgram && last.fedStreams == fedStreams &&
        std::equal(last.inputs.begin(), last.inputs.end(), active.inputs.begin(),
                   active.inputs.end(), sameInput) &&
        std::equal(last.elements.begin(), last.elements.end(), elements.begin(), elements.end(),
                   sameElement)) {
        BindVertexBuffers(buffers, offsets, strides, last.streamsUsed);
        return;
    }
    for (int location : enabledAttributes_) glDisableVertexArrayAttrib(vertexArray_, location);
    enabledAttributes_.clear();
    uint32_t streamsUsed = 0;
    for (const VertexInputBinding& input : active.inputs) {
        if (input.location < 0) continue;
        const GLuint location = static_cast<GLuint>(input.location);
        const bool taken = std::find(enabledAttributes_.begin(), enabledAttributes_.end(),
                                     input.location) != enabledAttributes_.end();
        if (taken) continue;  // fed by an earlier input (POSITION or POSITIONT)
        const D3DVERTEXELEMENT9* element = FindElement(elements, input.usage, input.usageIndex);
        const AttributeFormat format = element ? DecodeDeclType(element->Type) : AttributeFormat{};
        if (!element || format.size == 0 || buffers[element->Stream] == 0) continue;
        glEnableVertexArrayAttrib(vertexArray_, location);
        glVertexArrayAttribFormat(vertexArray_, location, format.size, format.type,
                                  format.normalized ? GL_TRUE : GL_FALSE, element->Offset);
        glVertexArrayAttribBinding(vertexArray_, location, element->Stream);
        streamsUsed |= 1u << element->Stream;
        enabledAttributes_.push_back(input.location);
    }
    // Inputs nothing feeds read (0, 0, 0, 1); the fixed function's missing
    // diffuse colour is white, as Direct3D lights an uncoloured vertex.
    for (const VertexInputBinding& input : active.inputs) {
        if (input.location < 0 || std::find(enabledAttributes_.begin(), enabledAttributes_.end(),
                                            input.location) != enabledAttributes_.end())
            continue;
        const bool white =
            FixedFunctionVertex() && input.location == FixedFunction::kDiffuseLocation;
        const float value = white ? 1.0f : 0.0f;
        glVertexAttrib4f(static_cast<GLuint>(input.location), value, value, value, 1.0f);
    }
    vertexLayout_ =
        VertexLayout{active.glProgram, active.inputs, elements, fedStreams, streamsUsed};
    vertexLayoutSet_ = true;
    BindVertexBuffers(buffers, offsets, strides, streamsUsed);
}

void Device::BindVertexBuffers(const std::array<unsigned, 16>& buffers,
                               const std::array<UINT, 16>& offsets,
                               const std::array<UINT, 16>& strides, uint32_t streamsUsed) {
    for (GLuint stream = 0; stream < 16; ++stream) {
        if (!(streamsUsed & (1u << stream))) continue;
        BoundStream& bound = boundStreams_[stream];
        const BoundStream wanted{buffers[stream], offsets[stream], strides[stream]};
        // Only the user-memory buffer, which lives as long as the device,
        // is trusted to be still bound: an application's buffer may have
        // been deleted and its name handed out again since.
        if (wanted.buffer == userVertices_.Name() && wanted.buffer == bound.buffer &&
            wanted.offset == bound.offset && wanted.stride == bound.stride)
            continue;
        glVertexArrayVertexBuffer(vertexArray_, stream, wanted.buffer,
                                  static_cast<GLintptr>(wanted.offset),
                                  static_cast<GLsizei>(wanted.stride));
        bound = wanted;
    }
}

void Device::BindElementBuffer(unsigned buffer) {
    if (buffer == userIndices_.Name() && buffer == boundElementBuffer_) return;
    glVertexArrayElementBuffer(vertexArray_, buffer);
    boundElementBuffer_ = buffer;
}

void Device::LimitDrawsInFlight() {
    if (++drawsSinceFence_ < kDrawsPerBatch) return;
    drawsSinceFence_ = 0;
    drawBatchesInFlight_.Submit();
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
    const GLenum mode = DecodePrimitiveType(type);
    if (mode == 0) return D3DERR_INVALIDCALL;
    const HRESULT ready = PrepareDraw();
    if (ready != D3D_OK) return FAILED(ready) ? ready : D3D_OK;
    std::array<unsigned, 16> buffers{};
    for (size_t s = 0; s < streams_.size(); ++s)
        buffers[s] = streams_[s] ? streams_[s]->GlName() : 0;
    ApplyVertexInputs(buffers, streamOffsets_, streamStrides_);
    glDrawArrays(mode, static_cast<GLint>(startVertex),
                 static_cast<GLsizei>(VertexCount(type, primitiveCount)));
    KL_GL_CHECK();
    LimitDrawsInFlight();
    return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex,
                                     UINT minVertexIndex, UINT numVertices, UINT startIndex,
                                     UINT primitiveCount) {
    const GLenum mode = DecodePrimitiveType(type);
    if (mode == 0 || !indices_) return D3DERR_INVALIDCALL;
    const HRESULT ready = PrepareDraw();
    if (ready != D3D_OK) return FAILED(ready) ? ready : D3D_OK;
    std::array<unsigned, 16> buffers{};
    for (size_t s = 0; s < streams_.size(); ++s)
        buffers[s] = streams_[s] ? streams_[s]->GlName() : 0;
    ApplyVertexInputs(buffers, streamOffsets_, streamStrides_);
    const bool wide = indices_->Format() == D3DFMT_INDEX32;
    BindElementBuffer(indices_->GlName());
    const GLsizei indexCount = static_cast<GLsizei>(VertexCount(type, primitiveCount));
    const GLenum indexType = wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
    const void* firstIndex =
        reinterpret_cast<const void*>(static_cast<uintptr_t>(startIndex) * (wide ? 4 : 2));
    // The vertex range the caller names (index values before the base is
    // added, as in GL) spares the driver a scan of the indices per draw.
    if (numVertices > 0) {
        glDrawRangeElementsBaseVertex(mode, minVertexIndex, minVertexIndex + numVertices - 1,
                                      indexCount, indexType, firstIndex, baseVertexIndex);
    } else {
        glDrawElementsBaseVertex(mode, indexCount, indexType, firstIndex, baseVertexIndex);
    }
    KL_GL_CHECK();
    LimitDrawsInFlight();
    return D3D_OK;
}

HRESULT Device::DrawUserPointer(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                                UINT stride, const void* indices, D3DFORMAT indexFormat) {
    const GLenum mode = DecodePrimitiveType(type);
    if (mode == 0 || !vertices || stride == 0) return D3DERR_INVALIDCALL;
    const HRESULT ready = PrepareDraw();
    // Drawing from user memory unbinds stream 0 (and the indices), as on Windows.
    streams_[0] = nullptr;
    streamOffsets_[0] = streamStrides_[0] = 0;
    if (indices) indices_ = nullptr;
    if (ready != D3D_OK) return FAILED(ready) ? ready : D3D_OK;
    const UINT count = VertexCount(type, primitiveCount);
    const bool wide = indexFormat == D3DFMT_INDEX32;
    UINT vertexCount = count;
    if (indices) {
        vertexCount = 0;
        for (UINT i = 0; i < count; ++i) {
            const UINT index = wide ? static_cast<const uint32_t*>(indices)[i]
                                    : static_cast<const uint16_t*>(indices)[i];
            vertexCount = std::max(vertexCount, index + 1);
        }
    }
    size_t indexOffset = 0;
    if (indices) {
        indexOffset = userIndices_.Append(indices, static_cast<size_t>(count) * (wide ? 4 : 2));
        BindElementBuffer(userIndices_.Name());
    }
    // The vertices go at a multiple of the stride, so the buffer stays bound
    // at offset 0 from draw to draw and the draw names its first vertex.
    const size_t vertexOffset =
        userVertices_.Append(vertices, static_cast<size_t>(vertexCount) * stride, stride);
    const GLint firstVertex = static_cast<GLint>(vertexOffset / stride);
    std::array<unsigned, 16> buffers{};
    std::array<UINT, 16> offsets{}, strides{};
    buffers[0] = userVertices_.Name();
    strides[0] = stride;
    ApplyVertexInputs(buffers, offsets, strides);
    if (indices)
        glDrawElementsBaseVertex(mode, static_cast<GLsizei>(count),
                                 wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                                 reinterpret_cast<const void*>(indexOffset), firstVertex);
    else
        glDrawArrays(mode, firstVertex, static_cast<GLsizei>(count));
    KL_GL_CHECK();
    LimitDrawsInFlight();
    return D3D_OK;
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                                UINT stride) {
    return DrawUserPointer(type, primitiveCount, vertices, stride, nullptr, D3DFMT_UNKNOWN);
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT, UINT, UINT primitiveCount,
                                       const void* indices, D3DFORMAT indexFormat,
                                       const void* vertices, UINT stride) {
    if (!indices || (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32))
        return D3DERR_INVALIDCALL;
    return DrawUserPointer(type, primitiveCount, vertices, stride, indices, indexFormat);
}

}  // namespace kl::d3d9
