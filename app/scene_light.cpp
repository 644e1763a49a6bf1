#include "app/scene_light.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cwctype>
#include <string>

#include "app/scene_file.h"

namespace {

constexpr int kLightValueCount = 11;

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

const wchar_t* SkipDigits(const wchar_t* c) {
    while (IsDigit(*c)) ++c;
    return c;
}

// The end of the longest decimal number that starts at `start`, or `start`
// itself when there is none.
const wchar_t* EndOfDecimalNumber(const wchar_t* start) {
    const wchar_t* c = start;
    if (*c == L'+' || *c == L'-') ++c;
    const wchar_t* digitsStart = c;
    c = SkipDigits(c);
    bool sawDigit = c != digitsStart;
    if (*c == L'.') {
        const wchar_t* fractionStart = c + 1;
        const wchar_t* fractionEnd = SkipDigits(fractionStart);
        sawDigit = sawDigit || fractionEnd != fractionStart;
        c = fractionEnd;
    }
    if (!sawDigit) return start;
    if (*c == L'e' || *c == L'E') {
        const wchar_t* exponent = c + 1;
        if (*exponent == L'+' || *exponent == L'-') ++exponent;
        const wchar_t* exponentEnd = SkipDigits(exponent);
        if (exponentEnd != exponent) c = exponentEnd;
    }
    return c;
}

// The eleven values of a light file, in file order.
struct LightValues {
    float value[kLightValueCount];
};

bool ReadLightValues(SceneTextReader& reader, LightValues* values) {
    int read = 0;
    while (read < kLightValueCount) {
        if (!reader.ReadPiece()) return false;
        if (reader.Kind() != PieceKind::Entry) continue;
        values->value[read++] = ReadLightValue(reader.Piece());
    }
    return true;
}

}  // namespace

float ReadLightValue(const wchar_t* piece) {
    const wchar_t* start = piece;
    while (*start != L'\0' && std::iswspace(static_cast<wint_t>(*start))) ++start;
    const wchar_t* end = EndOfDecimalNumber(start);
    if (end == start) return 0.0f;
    // The matched characters are all ASCII, and the program never changes the
    // C locale, so strtod reads "." as the decimal point.
    const std::string number(start, end);
    return static_cast<float>(std::strtod(number.c_str(), nullptr));
}

int TruncateLightKind(float value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483648.0f) return INT_MAX;
    if (value <= -2147483648.0f) return INT_MIN;
    return static_cast<int>(value);
}

HRESULT SceneLight::Load(IDirect3DDevice9* device, const wchar_t* path) {
    if (!FileExistsAt(path)) return D3DERR_NOTFOUND;
    SceneTextReader reader(OpenSceneFile(path));
    if (!reader.IsOpen()) return D3DERR_NOTFOUND;
    return LoadValues(reader);
}

HRESULT SceneLight::LoadValues(SceneTextReader& reader) {
    LightValues values;
    if (!ReadLightValues(reader, &values)) return kLightFileTooShort;

    const float* v = values.value;
    colour.x = v[0];
    colour.y = v[1];
    colour.z = v[2];
    // The file holds the position in the order x, z, y.
    position.x = v[3];
    position.z = v[4];
    position.y = v[5];
    direction.x = v[6];
    direction.y = v[7];
    direction.z = v[8];
    radius = v[9];
    kind = TruncateLightKind(v[10]);
    loaded = true;
    return S_OK;
}

HRESULT SceneLight::Update(IDirect3DDevice9* device, const D3DXVECTOR3& origin,
                           const D3DXMATRIX& cameraMatrix, float aspectRatio, double t) {
    if (!loaded) return S_FALSE;

    // A camera matrix without an inverse leaves the view matrix at the identity.
    D3DXMATRIX view;
    D3DXMatrixIdentity(&view);
    D3DXMatrixInverse(&view, nullptr, &cameraMatrix);
    const D3DXVECTOR3 worldPosition(position.x, position.y, position.z);
    const D3DXVECTOR3 worldDirection(direction.x, direction.y, direction.z);
    D3DXVec3Transform(&viewPosition, &worldPosition, &view);
    // The direction goes through the whole view matrix, translation included:
    // the lighting techniques take the difference of l_dir and l_pos.
    D3DXVec3Transform(&viewDirection, &worldDirection, &view);

    if (kind == static_cast<int>(LightKind::PulsingPoint)) {
        // 180 radians per second, not pi: the radius swings between -25 and 25
        // about 28.6 times a second and starts again at 25 every whole second.
        const float fraction = static_cast<float>(t) - static_cast<float>(std::trunc(t));
        const float angle = 180.0f * fraction;
        radius = 25.0f * std::cos(angle);
    }
    return S_OK;
}

void SceneLight::Release() {
    loaded = false;
}
