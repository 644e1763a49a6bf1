// The renderer on small scenes, headless. Expected values are worked out
// from the lighting the effect applies: a sun adds albedo x max(0, N.L) x
// colour plus a specular term that is 0 for a black specular map. The quad
// stands at view depth 100 facing the camera (normal (0, 0, -1) in view
// space); a sun whose view-space direction is (0, -1, 1) meets it at 45
// degrees, N.L = 0.7071.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "framework/framework_state.h"
#include "picture_scene.h"
#include "renderer/frame_controls.h"
#include "renderer/render_resources.h"

namespace kl::test {
namespace {

constexpr UINT kSide = 64;
constexpr int kCentre = 32;
const D3DXVECTOR4 kStraightOn(0, 0, 1, 1);
const D3DXVECTOR4 kFromAbove(0, -1, 1, 1);
const D3DXVECTOR4 kWhite(1, 1, 1, 1);

void ExpectNear(const Rgb& actual, const Rgb& expected, int tolerance, const char* where) {
    EXPECT_NEAR(actual.r, expected.r, tolerance) << where << ": red";
    EXPECT_NEAR(actual.g, expected.g, tolerance) << where << ": green";
    EXPECT_NEAR(actual.b, expected.b, tolerance) << where << ": blue";
}

void ExpectBlack(const std::vector<std::uint32_t>& picture, UINT width, int x, int y,
                 const char* where) {
    ExpectNear(PixelAt(picture, width, x, y), {0, 0, 0}, 0, where);
}

class Pictures : public ::testing::Test {
protected:
    void SetUp() override {
        scene_ = std::make_unique<PictureScene>(kSide, kSide);
        ASSERT_TRUE(scene_->Problem().empty()) << scene_->Problem();
        GetFrameworkState().SetFramesPerSecond(0.0f);
    }
    void TearDown() override { scene_.reset(); }

    // Loads the standard quad with the given albedo and specular map.
    void AddQuad(Rgb albedo, Rgb specular = {0, 0, 0}, bool cut = false) {
        QuadDescription quad;
        quad.name = "quad" + std::to_string(quads_++);
        quad.albedo = albedo;
        quad.specular = specular;
        quad.cutLeftHalf = cut;
        ASSERT_EQ(scene_->AddQuad(quad), S_OK);
    }

    std::vector<std::uint32_t> Draw(RenderMode mode) {
        scene_->Publish();
        if (effect == nullptr) {
            EXPECT_EQ(scene_->Acquire(), S_OK);
        }
        EXPECT_EQ(scene_->DrawFrameIn(mode), S_OK);
        return scene_->ReadBackBuffer();
    }

    Rgb CentreIn(RenderMode mode) { return PixelAt(Draw(mode), kSide, kCentre, kCentre); }

    std::unique_ptr<PictureScene> scene_;
    int quads_ = 0;
};

TEST_F(Pictures, DeferredSunLightsTheQuadAndLeavesTheBackgroundBlack) {
    AddQuad({200, 100, 50});
    scene_->AddSun(kFromAbove);
    const auto picture = Draw(RenderMode::Deferred);
    ASSERT_EQ(picture.size(), kSide * kSide);
    // 200, 100, 50 times 0.7071.
    ExpectNear(PixelAt(picture, kSide, kCentre, kCentre), {141, 71, 35}, 2, "centre");
    ExpectNear(PixelAt(picture, kSide, 40, 45), {141, 71, 35}, 2, "inside");
    ExpectBlack(picture, kSide, 60, 60, "bottom-right background");
    ExpectBlack(picture, kSide, 3, 60, "bottom-left background");
    ExpectBlack(picture, kSide, 60, 3, "top-right background");
}

TEST_F(Pictures, DeferredSecondLightAdds) {
    AddQuad({100, 60, 20});
    scene_->AddSun(kStraightOn);
    ExpectNear(CentreIn(RenderMode::Deferred), {100, 60, 20}, 2, "one light");
    // Plus 0.7071 x (100, 60, 20) x (1, 0.5, 0).
    scene_->AddSun(kFromAbove, {1.0f, 0.5f, 0.0f, 1.0f});
    const auto picture = Draw(RenderMode::Deferred);
    ExpectNear(PixelAt(picture, kSide, kCentre, kCentre), {171, 81, 20}, 2, "two lights");
    ExpectBlack(picture, kSide, 60, 60, "background");
}

TEST_F(Pictures, LightOfAnotherKindAddsNothing) {
    AddQuad({200, 100, 50});
    scene_->AddSun(kStraightOn);
    scene_->AddLight(3, {0, 0, 50, 1}, kStraightOn, kWhite, 500.0f);
    const auto picture = Draw(RenderMode::Deferred);
    ExpectNear(PixelAt(picture, kSide, kCentre, kCentre), {200, 100, 50}, 2, "centre");
    ExpectBlack(picture, kSide, 60, 60, "background");
}

TEST_F(Pictures, SunAsLightZeroIsWrittenWithoutBlending) {
    AddQuad({200, 100, 50});
    scene_->AddSun(kStraightOn);
    Draw(RenderMode::Deferred);
    DWORD blending = TRUE;
    DWORD depthTest = D3DZB_FALSE;
    scene_->Device()->GetRenderState(D3DRS_ALPHABLENDENABLE, &blending);
    scene_->Device()->GetRenderState(D3DRS_ZENABLE, &depthTest);
    EXPECT_EQ(blending, static_cast<DWORD>(FALSE));
    EXPECT_EQ(depthTest, static_cast<DWORD>(D3DZB_TRUE));
}

TEST_F(Pictures, LightOfAnotherKindFirstMakesTheFirstDrawnLightAdditive) {
    AddQuad({200, 100, 50});
    scene_->AddLight(3, {0, 0, 50, 1}, kStraightOn, kWhite, 500.0f);
    scene_->AddSun(kStraightOn);
    const auto picture = Draw(RenderMode::Deferred);
    DWORD blending = FALSE;
    DWORD depthTest = D3DZB_TRUE;
    scene_->Device()->GetRenderState(D3DRS_ALPHABLENDENABLE, &blending);
    scene_->Device()->GetRenderState(D3DRS_ZENABLE, &depthTest);
    EXPECT_EQ(blending, static_cast<DWORD>(TRUE));
    EXPECT_EQ(depthTest, static_cast<DWORD>(D3DZB_FALSE));
    // Added onto the cleared black; the alpha test drops the background.
    ExpectNear(PixelAt(picture, kSide, kCentre, kCentre), {200, 100, 50}, 2, "centre");
    ExpectBlack(picture, kSide, 60, 60, "background");
}

TEST_F(Pictures, ClassicMatchesDeferredWithAHighlight) {
    // Specular map red 255 (intensity 1), green 128 (power 2^(1 + 7 x 0.502) = 22.9).
    // Half vector at the centre: N.H = 0.9239, 0.9239^22.9 = 0.164 -> +42 on
    // every channel over 0.7071 x albedo.
    AddQuad({200, 100, 50}, {255, 128, 0});
    scene_->AddSun(kFromAbove);
    const auto deferred = Draw(RenderMode::Deferred);
    ExpectNear(PixelAt(deferred, kSide, kCentre, kCentre), {183, 113, 77}, 3, "deferred");
    const auto classic = Draw(RenderMode::Classic);
    // The highlight moves with the eye direction, so compare pixel for pixel.
    for (int y = 12; y < 54; y += 6) {
        for (int x = 12; x < 54; x += 6) {
            const std::string where = "pixel " + std::to_string(x) + "," + std::to_string(y);
            ExpectNear(PixelAt(classic, kSide, x, y), PixelAt(deferred, kSide, x, y), 3,
                       where.c_str());
        }
    }
    ExpectBlack(classic, kSide, 60, 60, "classic background");
}

TEST_F(Pictures, PointLightFallsOffToItsRadius) {
    // Light 40 units in front of the quad's centre with radius 100:
    // (1 - 40 / 100)^2 = 0.36 of the albedo, in both roads.
    AddQuad({200, 100, 50});
    scene_->AddLight(2, {0, 0, 60, 1}, kStraightOn, kWhite, 100.0f);
    ExpectNear(CentreIn(RenderMode::Deferred), {72, 36, 18}, 2, "deferred");
    ExpectNear(CentreIn(RenderMode::Classic), {72, 36, 18}, 2, "classic");
}

TEST_F(Pictures, PointLightLightsNothingBeyondItsRadiusOrWithoutOne) {
    AddQuad({200, 100, 50});
    scene_->AddLight(2, {0, 0, 60, 1}, kStraightOn, kWhite, 39.0f);
    scene_->AddLight(21, {0, 0, 90, 1}, kStraightOn, kWhite, 0.0f);
    for (RenderMode mode : {RenderMode::Deferred, RenderMode::Classic}) {
        ExpectBlack(Draw(mode), kSide, kCentre, kCentre, "centre");
    }
}

// Point lights draw their quad only over the screen rectangle their sphere
// can reach. The full-screen quad (the sun's vertex shader) must give the
// same picture, including lights that cross the screen's edges, sit behind
// or around the eye, or pulse down to radius 0.
TEST_F(Pictures, BoundedPointLightQuadsDrawTheFullScreenPicture) {
    QuadDescription wall;  // view depth 100, beyond every screen edge
    wall.name = "wall";
    wall.halfSize = 50.0f;
    ASSERT_EQ(scene_->AddQuad(wall), S_OK);
    QuadDescription nearQuad;  // view depth 50, pixels 24 to 40
    nearQuad.name = "near";
    nearQuad.halfSize = 5.0f;
    nearQuad.z = -50.0f;
    nearQuad.albedo = {60, 200, 120};
    ASSERT_EQ(scene_->AddQuad(nearQuad), S_OK);
    const D3DXVECTOR4 grey(0.6f, 0.6f, 0.6f, 1);
    // Light 0 alone: 8 units before the wall, lighting a disc of radius 12.7
    // around pixel (51, 24). There (1 - 8.02 / 15)^2 x N.L 0.9975 x 0.6 of
    // the albedo; the rest of the screen keeps the cleared black.
    scene_->AddLight(2, {25, 10, 92, 1}, kStraightOn, grey, 15.0f);
    const auto first = Draw(RenderMode::Deferred);
    ExpectNear(PixelAt(first, kSide, 51, 24), {26, 13, 6}, 2, "first light's centre");
    for (int y = 0; y < static_cast<int>(kSide); y += 3) {
        for (int x = 0; x < static_cast<int>(kSide); x += 3) {
            if (x >= 38 && y <= 40) continue;  // the lit disc and its margin
            ExpectBlack(
                first, kSide, x, y,
                ("outside the first light, pixel " + std::to_string(x) + "," + std::to_string(y))
                    .c_str());
        }
    }
    const D3DXVECTOR4 cool(0.3f, 0.5f, 0.7f, 1);
    scene_->AddLight(2, {-45, -5, 90, 1}, kStraightOn, cool, 20.0f);    // across the left edge
    scene_->AddLight(2, {42, 42, 95, 1}, kStraightOn, grey, 18.0f);     // top-right corner
    scene_->AddLight(2, {80, 0, 100, 1}, kStraightOn, grey, 20.0f);     // wholly off the screen
    scene_->AddLight(2, {0, 0, -40, 1}, kStraightOn, grey, 30.0f);      // behind the near plane
    scene_->AddLight(2, {5, 0, -30, 1}, kStraightOn, cool, 180.0f);     // behind, reaching in
    scene_->AddLight(2, {0, 0, 5, 1}, kStraightOn, grey, 60.0f);        // around the eye
    scene_->AddLight(2, {40, 0, 3, 1}, kStraightOn, grey, 12.0f);       // across the eye's plane
    scene_->AddLight(2, {12, 0, 40, 1}, kStraightOn, cool, 30.0f);      // just before the eye
    scene_->AddLight(21, {0, 0, 90, 1}, kStraightOn, grey, 0.0f);       // pulsed down to nothing
    scene_->AddLight(21, {-10, -20, 92, 1}, kStraightOn, cool, 12.0f);  // pulsing
    const auto bounded = Draw(RenderMode::Deferred);
    // A wide frame too, so that the two axes' scales differ.
    ASSERT_EQ(scene_->ResetTo(96, 48), S_OK);
    aspectRatio = 2.0f;
    const auto boundedWide = Draw(RenderMode::Deferred);
    ASSERT_TRUE(scene_->EditEffect("compile vs_3_0 PointLightVS()", "compile vs_3_0 QuadVS()"));
    ASSERT_EQ(scene_->ResetTo(96, 48), S_OK);
    const auto fullWide = Draw(RenderMode::Deferred);
    ASSERT_EQ(scene_->ResetTo(kSide, kSide), S_OK);
    aspectRatio = 1.0f;
    const auto full = Draw(RenderMode::Deferred);
    const auto compare = [](const std::vector<std::uint32_t>& ours,
                            const std::vector<std::uint32_t>& theirs, int width, int height) {
        ASSERT_EQ(ours.size(), theirs.size());
        int differing = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const Rgb a = PixelAt(ours, width, x, y);
                const Rgb b = PixelAt(theirs, width, x, y);
                if (std::abs(a.r - b.r) <= 1 && std::abs(a.g - b.g) <= 1 &&
                    std::abs(a.b - b.b) <= 1)
                    continue;
                if (++differing <= 5)
                    ADD_FAILURE() << width << "x" << height << " pixel " << x << "," << y
                                  << ": bounded " << a.r << " " << a.g << " " << a.b
                                  << ", full screen " << b.r << " " << b.g << " " << b.b;
            }
        }
        EXPECT_EQ(differing, 0) << width << "x" << height;
    };
    compare(bounded, full, kSide, kSide);
    compare(boundedWide, fullWide, 96, 48);
    // The comparison covers lit edges: the left-edge and corner lights reach them.
    EXPECT_GT(PixelAt(full, kSide, 1, 36).r, 8) << "left edge";
    EXPECT_GT(PixelAt(full, kSide, 62, 1).r, 20) << "top-right corner";
}

TEST_F(Pictures, ChannelViewAddsTheChannelOncePerLight) {
    AddQuad({200, 100, 50});
    scene_->AddSun(kStraightOn);
    channelTechnique = "RenderDiffuseToTexture";
    ExpectNear(CentreIn(RenderMode::ChannelView), {200, 100, 50}, 1, "one light");
    scene_->AddSun(kFromAbove);
    ExpectNear(CentreIn(RenderMode::ChannelView), {255, 200, 100}, 1, "two lights");
}

TEST_F(Pictures, CutOutPixelsShowTheBackgroundInEveryMode) {
    // Alpha map: left half black. u = 0.25 lands on pixel 20, u = 0.75 on 44.
    AddQuad({200, 100, 50}, {0, 0, 0}, true);
    scene_->AddSun(kStraightOn);
    channelTechnique = "RenderDiffuseToTexture";
    for (RenderMode mode : {RenderMode::Deferred, RenderMode::Classic, RenderMode::ChannelView}) {
        const auto picture = Draw(mode);
        const std::string name = "mode " + std::to_string(static_cast<int>(mode));
        ExpectBlack(picture, kSide, 20, 45, (name + " cut out").c_str());
        ExpectNear(PixelAt(picture, kSide, 44, 45), {200, 100, 50}, 2, (name + " kept").c_str());
    }
}

TEST_F(Pictures, OverlappingQuadsKeepTheNearerSurfaceOverFrames) {
    QuadDescription far;
    far.name = "far";
    far.albedo = {200, 100, 50};
    ASSERT_EQ(scene_->AddQuad(far), S_OK);
    QuadDescription near;
    near.name = "near";
    near.halfSize = 10.0f;
    near.z = -50.0f;
    near.albedo = {50, 100, 200};
    ASSERT_EQ(scene_->AddQuad(near), S_OK);
    scene_->AddSun(kStraightOn, {0.5f, 0.5f, 0.5f, 1});
    scene_->AddSun(kStraightOn, {0.5f, 0.5f, 0.5f, 1});
    // The second frame starts with the last light's additive blending on.
    for (int frame = 0; frame < 2; ++frame) {
        const auto picture = Draw(RenderMode::Deferred);
        ExpectNear(PixelAt(picture, kSide, kCentre, kCentre), {50, 100, 200}, 2, "near quad");
        ExpectNear(PixelAt(picture, kSide, 12, 50), {200, 100, 50}, 2, "far quad");
    }
}

TEST_F(Pictures, ResetToANewSizeResizesTheTargetsAndDrawsRightAtOnce) {
    AddQuad({200, 100, 50});
    scene_->AddSun(kFromAbove);
    Draw(RenderMode::Deferred);
    ASSERT_EQ(scene_->ResetTo(96, 48), S_OK);
    for (IDirect3DTexture9* target :
         {normalTarget, diffuseTarget, positionTarget, specularTarget}) {
        ASSERT_NE(target, nullptr);
        D3DSURFACE_DESC desc{};
        ASSERT_EQ(target->GetLevelDesc(0, &desc), S_OK);
        EXPECT_EQ(desc.Width, 96u);
        EXPECT_EQ(desc.Height, 48u);
    }
    D3DSURFACE_DESC position{};
    positionTarget->GetLevelDesc(0, &position);
    EXPECT_EQ(position.Format, D3DFMT_A8B8G8R8);

    aspectRatio = 2.0f;  // what WM_SIZE would have set
    UINT width = 0;
    UINT height = 0;
    scene_->Publish();
    ASSERT_EQ(scene_->DrawFrameIn(RenderMode::Deferred), S_OK);
    const auto picture = scene_->ReadBackBuffer(&width, &height);
    ASSERT_EQ(width, 96u);
    ASSERT_EQ(height, 48u);
    ExpectNear(PixelAt(picture, width, 48, 24), {141, 71, 35}, 2, "centre");
    ExpectBlack(picture, width, 92, 44, "background");
}

TEST_F(Pictures, SceneWithoutLightsShowsTheClearedBlack) {
    AddQuad({200, 100, 50});
    for (RenderMode mode : {RenderMode::Deferred, RenderMode::Classic}) {
        const auto picture = Draw(mode);
        ExpectBlack(picture, kSide, kCentre, kCentre, "centre");
    }
}

}  // namespace
}  // namespace kl::test
