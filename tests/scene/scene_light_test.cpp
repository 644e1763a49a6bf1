// Light files and the light update: value order, number reading, the pulsing
// radius and the view-space values.
#include "app/scene_light.h"

#include <climits>
#include <cstdint>
#include <cmath>

#include <gtest/gtest.h>

#include "scene_files.h"

namespace kl::scene_test {
namespace {

using SceneLightTest = SceneFolderTest;

D3DXMATRIX Identity() {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

const D3DXVECTOR3 kOrigin(0.0f, 0.0f, 0.0f);

void ExpectVector(const D3DXVECTOR4& v, float x, float y, float z, float w) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
    EXPECT_FLOAT_EQ(v.w, w);
}

TEST_F(SceneLightTest, ReadsElevenValuesWithPositionInTheOrderXZY) {
    WriteFile("light.txt", Lines({"1", "0.5", "0", "10", "20", "30", "0", "-1", "0", "50", "2"}));
    SceneLight light;
    ASSERT_EQ(light.Load(nullptr, L"light.txt"), S_OK);
    EXPECT_TRUE(light.loaded);
    ExpectVector(light.colour, 1.0f, 0.5f, 0.0f, 0.0f);
    ExpectVector(light.position, 10.0f, 30.0f, 20.0f, 0.0f);
    ExpectVector(light.direction, 0.0f, -1.0f, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(light.radius, 50.0f);
    EXPECT_EQ(light.kind, static_cast<int>(LightKind::Point));
}

TEST_F(SceneLightTest, CommentsAndEmptyLinesAnywhereDoNotCount) {
    WriteFile("light.txt",
              "! a red sun\r\n\r\n0.9\r\n!green\r\n0.1\r\n0.2\r\n\r\n"
              "1\r\n2\r\n3\r\n!dir\r\n4\r\n5\r\n6\r\n7\r\n1\r\n! trailing\r\nextra\r\n");
    SceneLight light;
    ASSERT_EQ(light.Load(nullptr, L"light.txt"), S_OK);
    ExpectVector(light.colour, 0.9f, 0.1f, 0.2f, 0.0f);
    ExpectVector(light.position, 1.0f, 3.0f, 2.0f, 0.0f);
    ExpectVector(light.direction, 4.0f, 5.0f, 6.0f, 0.0f);
    EXPECT_FLOAT_EQ(light.radius, 7.0f);
    EXPECT_EQ(light.kind, static_cast<int>(LightKind::Sun));
}

TEST(ReadLightValueTest, TakesTheLongestDecimalNumberAtTheStart) {
    EXPECT_FLOAT_EQ(ReadLightValue(L"abc\n"), 0.0f);
    EXPECT_FLOAT_EQ(ReadLightValue(L"12.5xyz\n"), 12.5f);
    EXPECT_FLOAT_EQ(ReadLightValue(L"  \t-3.25\n"), -3.25f);
    EXPECT_FLOAT_EQ(ReadLightValue(L"+.5\n"), 0.5f);
    EXPECT_FLOAT_EQ(ReadLightValue(L"7.\n"), 7.0f);
    EXPECT_FLOAT_EQ(ReadLightValue(L"1.5e2\n"), 150.0f);
    EXPECT_FLOAT_EQ(ReadLightValue(L"2E-1x\n"), 0.2f);
    EXPECT_FLOAT_EQ(ReadLightValue(L"3e\n"), 3.0f);  // no exponent digits: the "e" is not read
    EXPECT_FLOAT_EQ(ReadLightValue(L"4e+x\n"), 4.0f);
    EXPECT_FLOAT_EQ(ReadLightValue(L"1,5\n"), 1.0f);  // "," is not a decimal point
    EXPECT_FLOAT_EQ(ReadLightValue(L"-\n"), 0.0f);
    EXPECT_FLOAT_EQ(ReadLightValue(L".\n"), 0.0f);
    EXPECT_FLOAT_EQ(ReadLightValue(L"0x10\n"), 0.0f);  // decimal only
    EXPECT_FLOAT_EQ(ReadLightValue(L"inf\n"), 0.0f);
    EXPECT_FLOAT_EQ(ReadLightValue(L""), 0.0f);
}

TEST(ReadLightValueTest, OverlargeNumberBecomesInfinity) {
    EXPECT_TRUE(std::isinf(ReadLightValue(L"1e999\n")));
}

TEST(TruncateLightKindTest, TruncatesTowardZeroAndHoldsTheRange) {
    EXPECT_EQ(TruncateLightKind(21.7f), 21);
    EXPECT_EQ(TruncateLightKind(2.9f), 2);
    EXPECT_EQ(TruncateLightKind(-1.9f), -1);
    EXPECT_EQ(TruncateLightKind(3e9f), INT_MAX);
    EXPECT_EQ(TruncateLightKind(-3e9f), INT_MIN);
    EXPECT_EQ(TruncateLightKind(INFINITY), INT_MAX);
    EXPECT_EQ(TruncateLightKind(NAN), 0);
}

TEST_F(SceneLightTest, KindIsTruncatedAndUnknownKindsLoad) {
    WriteFile("pulse.txt", Lines({"1", "1", "1", "0", "0", "0", "0", "0", "0", "5", "21.7"}));
    WriteFile("odd.txt", Lines({"1", "1", "1", "0", "0", "0", "0", "0", "0", "5", "3"}));
    SceneLight pulse;
    SceneLight odd;
    ASSERT_EQ(pulse.Load(nullptr, L"pulse.txt"), S_OK);
    ASSERT_EQ(odd.Load(nullptr, L"odd.txt"), S_OK);
    EXPECT_EQ(pulse.kind, static_cast<int>(LightKind::PulsingPoint));
    EXPECT_EQ(odd.kind, 3);
    EXPECT_TRUE(odd.loaded);
}

TEST_F(SceneLightTest, NonNumbersReadAsZero) {
    WriteFile("light.txt", Lines({"abc", "12.5xyz", "0", "0", "0", "0", "0", "0", "0", "1", "2"}));
    SceneLight light;
    ASSERT_EQ(light.Load(nullptr, L"light.txt"), S_OK);
    EXPECT_FLOAT_EQ(light.colour.x, 0.0f);
    EXPECT_FLOAT_EQ(light.colour.y, 12.5f);
}

TEST_F(SceneLightTest, MissingFileIsNotFound) {
    SceneLight light;
    EXPECT_EQ(light.Load(nullptr, L"lights\\none.txt"), D3DERR_NOTFOUND);
    EXPECT_FALSE(light.loaded);
    std::filesystem::create_directories("folder.txt");
    EXPECT_EQ(light.Load(nullptr, L"folder.txt"), D3DERR_NOTFOUND);
}

TEST_F(SceneLightTest, FileEndingBeforeTheEleventhValueFailsAndStoresNothing) {
    WriteFile("short.txt", Lines({"0.5", "0.5", "0.5", "1", "2", "3", "0", "0", "0", "9"}));
    SceneLight light;
    const HRESULT hr = light.Load(nullptr, L"short.txt");
    EXPECT_EQ(hr, kLightFileTooShort);
    EXPECT_EQ(static_cast<uint32_t>(hr), 0x80070026u);
    EXPECT_TRUE(FAILED(hr));
    EXPECT_FALSE(light.loaded);
    ExpectVector(light.colour, 1.0f, 1.0f, 1.0f, 0.0f);
    EXPECT_FLOAT_EQ(light.radius, 10.0f);
}

TEST_F(SceneLightTest, EleventhValueWithoutLineBreakCounts) {
    WriteFile("light.txt", "1\n1\n1\n0\n0\n0\n0\n0\n0\n5\n1");
    SceneLight light;
    ASSERT_EQ(light.Load(nullptr, L"light.txt"), S_OK);
    EXPECT_EQ(light.kind, static_cast<int>(LightKind::Sun));
}

TEST_F(SceneLightTest, OpensPathsWithBackslashesInAnyLetterCase) {
    WriteFile("Lights/Red.TXT", Lines({"1", "0", "0", "0", "0", "0", "0", "0", "0", "5", "2"}));
    SceneLight light;
    EXPECT_EQ(light.Load(nullptr, L"lights\\red.txt"), S_OK);
}

// A list byte above 0x7F widens to the character of that code; the file is
// found under that character's name, as a mesh file of the same name is.
TEST_F(SceneLightTest, NameWithCharactersBeyondAsciiOpens) {
    WriteFile("lights/\xC3\xA9t\xC3\xA9.txt",
              Lines({"1", "0", "0", "0", "0", "0", "0", "0", "0", "5", "2"}));
    SceneLight light;
    EXPECT_EQ(light.Load(nullptr, L"lights\\\u00E9t\u00E9.txt"), S_OK);
    EXPECT_FLOAT_EQ(light.radius, 5.0f);
}

TEST(SceneLightUpdateTest, DefaultsBeforeLoading) {
    SceneLight light;
    ExpectVector(light.colour, 1.0f, 1.0f, 1.0f, 0.0f);
    ExpectVector(light.position, 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(light.radius, 10.0f);
    EXPECT_EQ(light.kind, 2);
    EXPECT_FALSE(light.loaded);
}

TEST(SceneLightUpdateTest, NotLoadedLightAnswersOneAndStaysUnchanged) {
    SceneLight light;
    light.kind = static_cast<int>(LightKind::PulsingPoint);
    light.viewPosition = D3DXVECTOR4(7.0f, 7.0f, 7.0f, 7.0f);
    EXPECT_EQ(light.Update(nullptr, kOrigin, Identity(), 1.0f, 0.0), 1);
    EXPECT_FLOAT_EQ(light.radius, 10.0f);
    ExpectVector(light.viewPosition, 7.0f, 7.0f, 7.0f, 7.0f);
}

TEST(SceneLightUpdateTest, IdentityCameraKeepsPositionAndDirectionWithWOne) {
    SceneLight light;
    light.loaded = true;
    light.position = D3DXVECTOR4(10.0f, 30.0f, 20.0f, 0.0f);
    light.direction = D3DXVECTOR4(0.0f, -1.0f, 0.0f, 0.0f);
    EXPECT_EQ(light.Update(nullptr, kOrigin, Identity(), 1.0f, 0.0), S_OK);
    ExpectVector(light.viewPosition, 10.0f, 30.0f, 20.0f, 1.0f);
    ExpectVector(light.viewDirection, 0.0f, -1.0f, 0.0f, 1.0f);
}

TEST(SceneLightUpdateTest, DirectionIsTransformedLikeAPoint) {
    // The camera stands at (0, 0, -100): the view matrix moves everything by +100 in z.
    D3DXMATRIX camera;
    D3DXMatrixTranslation(&camera, 0.0f, 0.0f, -100.0f);
    SceneLight light;
    light.loaded = true;
    light.kind = static_cast<int>(LightKind::Sun);
    light.position = D3DXVECTOR4(0.0f, 0.0f, 0.0f, 0.0f);
    light.direction = D3DXVECTOR4(0.2f, -1.0f, 0.5f, 0.0f);
    light.radius = 33.0f;
    light.Update(nullptr, kOrigin, camera, 1.0f, 10.5);
    ExpectVector(light.viewPosition, 0.0f, 0.0f, 100.0f, 1.0f);
    ExpectVector(light.viewDirection, 0.2f, -1.0f, 100.5f, 1.0f);
    // A sun's radius is never changed by the update.
    EXPECT_FLOAT_EQ(light.radius, 33.0f);
}

TEST(SceneLightUpdateTest, PulsingRadiusFollowsTheFractionOfTheSecond) {
    SceneLight light;
    light.loaded = true;
    light.kind = static_cast<int>(LightKind::PulsingPoint);
    light.Update(nullptr, kOrigin, Identity(), 1.0f, 0.0);
    EXPECT_FLOAT_EQ(light.radius, 25.0f);
    // t = 10.5: the angle is 180 * 0.5 = 90 radians; cos(90) = -0.448074.
    light.Update(nullptr, kOrigin, Identity(), 1.0f, 10.5);
    EXPECT_NEAR(light.radius, -11.2018f, 1e-3f);
    // Every whole second starts again at 25.
    light.Update(nullptr, kOrigin, Identity(), 1.0f, 3.0);
    EXPECT_FLOAT_EQ(light.radius, 25.0f);
    // t = 0.01: the angle is 1.8 radians; cos(1.8) = -0.227202.
    light.Update(nullptr, kOrigin, Identity(), 1.0f, 0.01);
    EXPECT_NEAR(light.radius, -5.68006f, 1e-3f);
}

TEST(SceneLightUpdateTest, PointLightRadiusDoesNotPulse) {
    SceneLight light;
    light.loaded = true;
    light.radius = 50.0f;
    light.Update(nullptr, kOrigin, Identity(), 1.0f, 10.5);
    EXPECT_FLOAT_EQ(light.radius, 50.0f);
}

TEST(SceneLightUpdateTest, ReleaseMarksTheLightNotLoaded) {
    SceneLight light;
    light.loaded = true;
    light.Release();
    EXPECT_FALSE(light.loaded);
    EXPECT_EQ(light.Update(nullptr, kOrigin, Identity(), 1.0f, 0.0), 1);
}

}  // namespace
}  // namespace kl::scene_test
