// The calls a frame makes, in order, on a device and effect that only record
// them: the four geometry channels, the lighting quad per light with its
// states by index, the forward road, the statistics text, and what a failed
// BeginScene stops.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/scene.h"
#include "framework/framework_state.h"
#include "recording_objects.h"
#include "renderer/deferred_lighting.h"
#include "renderer/draw_frame.h"
#include "renderer/frame_controls.h"
#include "renderer/render_resources.h"
#include "renderer_test_support.h"

namespace kl::test {
namespace {

using Lines = std::vector<std::string>;

void Append(Lines& to, const Lines& more) {
    to.insert(to.end(), more.begin(), more.end());
}

Lines GeometryChannel(const std::string& target) {
    return {"Clear 0 flags 3 colour 00000000 z 1 stencil 0", "BeginScene", "EndScene",
            "StretchRect backbuffer -> " + target + " whole filter 2"};
}

Lines LightStates(int index) {
    if (index == 0) {
        return {"RS 27 0", "RS 15 0", "RS 137 0", "RS 139 0", "RS 29 0", "RS 22 3", "RS 7 1"};
    }
    return {"RS 27 1", "RS 15 1", "RS 137 0", "RS 139 0", "RS 29 0",
            "RS 22 3", "RS 7 0",  "RS 19 2",  "RS 20 2"};
}

Lines LightParameters() {
    return {"SetVector l_colAmbient 1,0.5,0.25,1", "SetVector l_dir 0,-1,1,1",
            "SetVector l_pos 0,0,0,1", "SetFloat l_radius 7"};
}

Lines LightingQuad(const std::string& technique) {
    Lines lines = {"SetTechnique " + technique,
                   "SetMatrix matWV",
                   "SetMatrix matW",
                   "SetMatrix matV",
                   "SetMatrix matP",
                   "SetMatrix matWVP",
                   "SetMatrix matInvTrW",
                   "SetMatrix matInvV",
                   "SetMatrix matInvP",
                   "SetMatrix matInvVP",
                   "SetTexture m_TexAlfa position",
                   "SetTexture m_TexBump normal",
                   "SetTexture m_TexDiffuse diffuse",
                   "SetTexture m_TexSpecular specular"};
    Append(lines, LightParameters());
    Append(lines, {"Begin 0", "BeginPass 0", "SetFVF 00000102", "DrawPrimitiveUP 6 2 stride 20",
                   "EndPass", "End"});
    return lines;
}

const Lines kStatistics = {"DrawText 12 count 2 format 0 colour 64000000", "EndScene"};

class FrameSequence : public ::testing::Test {
protected:
    void SetUp() override {
        ResetRendererState();
        effect = &effect_;
        normalTarget = &normal_;
        diffuseTarget = &diffuse_;
        positionTarget = &position_;
        specularTarget = &specular_;
        statsFont = &font_;
        statsRect = {0, 0, 68, 30};
        FillScreenQuad();
        GetFrameworkState().SetFramesPerSecond(123.7f);
    }
    void TearDown() override {
        effect = nullptr;
        normalTarget = diffuseTarget = positionTarget = specularTarget = nullptr;
        statsFont = nullptr;
        lightList = nullptr;
        lightCount = 0;
    }

    void SetLights(const std::vector<int>& kinds) {
        lights_.clear();
        for (int kind : kinds) {
            SceneLight light;
            light.kind = kind;
            light.colour = D3DXVECTOR4(1.0f, 0.5f, 0.25f, 1.0f);
            light.viewDirection = D3DXVECTOR4(0, -1, 1, 1);
            light.viewPosition = D3DXVECTOR4(0, 0, 0, 1);
            light.radius = 7.0f;
            lights_.push_back(light);
        }
        lightList = lights_.empty() ? nullptr : lights_.data();
        lightCount = static_cast<int>(lights_.size());
    }

    HRESULT Frame(RenderMode mode) {
        renderMode = mode;
        return DrawFrame(&device_, 1.0, 0.016f, nullptr);
    }

    CallLog log_;
    RecordingDevice device_{&log_};
    RecordingEffect effect_{&log_};
    RecordingFont font_{&log_};
    RecordingTexture normal_{"normal"};
    RecordingTexture diffuse_{"diffuse"};
    RecordingTexture position_{"position"};
    RecordingTexture specular_{"specular"};
    std::vector<SceneLight> lights_;
};

Lines GeometryPass() {
    Lines lines = {"RS 27 0"};
    for (const char* target : {"diffuse", "normal", "specular", "position"}) {
        Append(lines, GeometryChannel(target));
    }
    return lines;
}

TEST_F(FrameSequence, DeferredFrameFillsTheBufferThenLightsByIndex) {
    SetLights({1, 3, 2, 21});
    EXPECT_EQ(Frame(RenderMode::Deferred), S_OK);

    Lines expected = GeometryPass();
    Append(expected, {"Clear 0 flags 1 colour FF000000 z 0 stencil 0", "BeginScene"});
    Append(expected, LightStates(0));
    Append(expected, LightingQuad("RenderDSSun"));
    Append(expected, LightStates(1));  // kind 3: states only
    Append(expected, LightStates(2));
    Append(expected, LightingQuad("RenderDSPoint"));
    Append(expected, LightStates(3));
    Append(expected, LightingQuad("RenderDSPoint"));
    Append(expected, kStatistics);
    EXPECT_EQ(log_, expected);
}

TEST_F(FrameSequence, LightingQuadMatricesAreTheFixedOnes) {
    SetLights({1});
    aspectRatio = 1.5f;
    Frame(RenderMode::Deferred);
    const LightingMatrices m = ComputeLightingMatrices(1.5f);
    const D3DXMATRIX expected[] = {m.worldView,
                                   m.world,
                                   m.view,
                                   m.projection,
                                   m.worldViewProjection,
                                   m.inverseTransposeWorld,
                                   m.inverseView,
                                   m.inverseProjection,
                                   m.inverseViewProjection};
    ASSERT_EQ(effect_.matrices.size(), 9u);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(0, std::memcmp(&effect_.matrices[i], &expected[i], sizeof(D3DXMATRIX)))
            << "matrix " << i;
    }
}

TEST_F(FrameSequence, FailedLightingBeginSceneEndsTheFrameWithItsResult) {
    SetLights({1});
    device_.beginSceneResults = {S_OK, S_OK, S_OK, S_OK, D3DERR_DEVICELOST};
    EXPECT_EQ(Frame(RenderMode::Deferred), D3DERR_DEVICELOST);
    Lines expected = GeometryPass();
    Append(expected, {"Clear 0 flags 1 colour FF000000 z 0 stencil 0", "BeginScene failed"});
    EXPECT_EQ(log_, expected);
}

TEST_F(FrameSequence, FailedChannelSceneIsStillCopied) {
    device_.beginSceneResults = {E_FAIL};
    EXPECT_EQ(Frame(RenderMode::Deferred), S_OK);
    ASSERT_GE(log_.size(), 5u);
    EXPECT_EQ(log_[1], "Clear 0 flags 3 colour 00000000 z 1 stencil 0");
    EXPECT_EQ(log_[2], "BeginScene failed");
    EXPECT_EQ(log_[3], "StretchRect backbuffer -> diffuse whole filter 2");
    EXPECT_EQ(log_[4], "Clear 0 flags 3 colour 00000000 z 1 stencil 0");
}

TEST_F(FrameSequence, ClassicAddsEveryLightOfAKnownKind) {
    SetLights({1, 3, 2});
    EXPECT_EQ(Frame(RenderMode::Classic), S_OK);
    const Lines blending = {"RS 27 1", "RS 19 2", "RS 20 2"};
    Lines expected = {"Clear 0 flags 3 colour 00000000 z 1 stencil 0", "BeginScene"};
    Append(expected, blending);
    Append(expected, LightParameters());
    Append(expected, blending);  // kind 3: blending only
    Append(expected, blending);
    Append(expected, LightParameters());
    Append(expected, kStatistics);
    EXPECT_EQ(log_, expected);
}

TEST_F(FrameSequence, ChannelViewSetsEveryLightWhateverItsKind) {
    SetLights({3, 0});
    EXPECT_EQ(Frame(RenderMode::ChannelView), S_OK);
    const Lines blending = {"RS 27 1", "RS 19 2", "RS 20 2"};
    Lines expected = {"Clear 0 flags 3 colour 00000000 z 1 stencil 0", "BeginScene"};
    for (int light = 0; light < 2; ++light) {
        Append(expected, blending);
        Append(expected, LightParameters());
    }
    Append(expected, kStatistics);
    EXPECT_EQ(log_, expected);
}

TEST_F(FrameSequence, FailedForwardBeginSceneDrawsNothing) {
    SetLights({1});
    device_.beginSceneResults = {D3DERR_DEVICELOST};
    EXPECT_EQ(Frame(RenderMode::Classic), D3DERR_DEVICELOST);
    const Lines expected = {"Clear 0 flags 3 colour 00000000 z 1 stencil 0", "BeginScene failed"};
    EXPECT_EQ(log_, expected);
}

TEST_F(FrameSequence, WithoutResourcesOnlyTheFrameAndTextRemain) {
    SetLights({1, 2});
    effect = nullptr;
    EXPECT_EQ(Frame(RenderMode::Deferred), S_OK);
    Lines expected = {"Clear 0 flags 1 colour FF000000 z 0 stencil 0", "BeginScene"};
    Append(expected, kStatistics);
    EXPECT_EQ(log_, expected);

    log_.clear();
    statsFont = nullptr;
    EXPECT_EQ(Frame(RenderMode::Classic), S_OK);
    const Lines forward = {"Clear 0 flags 3 colour 00000000 z 1 stencil 0", "BeginScene",
                           "EndScene"};
    EXPECT_EQ(log_, forward);
}

}  // namespace
}  // namespace kl::test
