// D3DX matrix, vector and quaternion functions. Conventions: row vectors
// (p' = p * M), so A * B applies A first; left-handed view and projection.
#include <d3dx9.h>

#include <cmath>

D3DXMATRIX* WINAPI D3DXMatrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1,
                                      const D3DXMATRIX* pM2) {
    D3DXMATRIX product;
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            product.m[row][col] = pM1->m[row][0] * pM2->m[0][col] +
                                  pM1->m[row][1] * pM2->m[1][col] +
                                  pM1->m[row][2] * pM2->m[2][col] + pM1->m[row][3] * pM2->m[3][col];
        }
    }
    *pOut = product;
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixTranspose(D3DXMATRIX* pOut, const D3DXMATRIX* pM) {
    D3DXMATRIX transposed;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) transposed.m[row][col] = pM->m[col][row];
    *pOut = transposed;
    return pOut;
}

namespace {

// Cofactor expansion of the 4x4 matrix: cofactors[r][c] is the signed minor of
// element (r, c). Shared by the determinant and the inverse.
void ComputeCofactors(const D3DXMATRIX& a, float cofactors[4][4]) {
    // 2x2 sub-determinants of the lower two rows and of the upper two rows.
    const float s0 = a._11 * a._22 - a._21 * a._12;
    const float s1 = a._11 * a._23 - a._21 * a._13;
    const float s2 = a._11 * a._24 - a._21 * a._14;
    const float s3 = a._12 * a._23 - a._22 * a._13;
    const float s4 = a._12 * a._24 - a._22 * a._14;
    const float s5 = a._13 * a._24 - a._23 * a._14;
    const float c5 = a._33 * a._44 - a._43 * a._34;
    const float c4 = a._32 * a._44 - a._42 * a._34;
    const float c3 = a._32 * a._43 - a._42 * a._33;
    const float c2 = a._31 * a._44 - a._41 * a._34;
    const float c1 = a._31 * a._43 - a._41 * a._33;
    const float c0 = a._31 * a._42 - a._41 * a._32;

    cofactors[0][0] = a._22 * c5 - a._23 * c4 + a._24 * c3;
    cofactors[0][1] = -(a._21 * c5 - a._23 * c2 + a._24 * c1);
    cofactors[0][2] = a._21 * c4 - a._22 * c2 + a._24 * c0;
    cofactors[0][3] = -(a._21 * c3 - a._22 * c1 + a._23 * c0);
    cofactors[1][0] = -(a._12 * c5 - a._13 * c4 + a._14 * c3);
    cofactors[1][1] = a._11 * c5 - a._13 * c2 + a._14 * c1;
    cofactors[1][2] = -(a._11 * c4 - a._12 * c2 + a._14 * c0);
    cofactors[1][3] = a._11 * c3 - a._12 * c1 + a._13 * c0;
    cofactors[2][0] = a._42 * s5 - a._43 * s4 + a._44 * s3;
    cofactors[2][1] = -(a._41 * s5 - a._43 * s2 + a._44 * s1);
    cofactors[2][2] = a._41 * s4 - a._42 * s2 + a._44 * s0;
    cofactors[2][3] = -(a._41 * s3 - a._42 * s1 + a._43 * s0);
    cofactors[3][0] = -(a._32 * s5 - a._33 * s4 + a._34 * s3);
    cofactors[3][1] = a._31 * s5 - a._33 * s2 + a._34 * s1;
    cofactors[3][2] = -(a._31 * s4 - a._32 * s2 + a._34 * s0);
    cofactors[3][3] = a._31 * s3 - a._32 * s1 + a._33 * s0;
}

}  // namespace

FLOAT WINAPI D3DXMatrixDeterminant(const D3DXMATRIX* pM) {
    float cofactors[4][4];
    ComputeCofactors(*pM, cofactors);
    return pM->_11 * cofactors[0][0] + pM->_12 * cofactors[0][1] + pM->_13 * cofactors[0][2] +
           pM->_14 * cofactors[0][3];
}

// General 4x4 inverse (adjugate over determinant). Returns nullptr and leaves
// pOut untouched when the matrix is singular, as D3DX does.
D3DXMATRIX* WINAPI D3DXMatrixInverse(D3DXMATRIX* pOut, FLOAT* pDeterminant, const D3DXMATRIX* pM) {
    float cofactors[4][4];
    ComputeCofactors(*pM, cofactors);
    const float determinant = pM->_11 * cofactors[0][0] + pM->_12 * cofactors[0][1] +
                              pM->_13 * cofactors[0][2] + pM->_14 * cofactors[0][3];
    if (pDeterminant) *pDeterminant = determinant;
    if (determinant == 0.0f) return nullptr;
    const float scale = 1.0f / determinant;
    D3DXMATRIX inverse;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) inverse.m[row][col] = cofactors[col][row] * scale;
    *pOut = inverse;
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixTranslation(D3DXMATRIX* pOut, FLOAT x, FLOAT y, FLOAT z) {
    D3DXMatrixIdentity(pOut);
    pOut->_41 = x;
    pOut->_42 = y;
    pOut->_43 = z;
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixScaling(D3DXMATRIX* pOut, FLOAT sx, FLOAT sy, FLOAT sz) {
    D3DXMatrixIdentity(pOut);
    pOut->_11 = sx;
    pOut->_22 = sy;
    pOut->_33 = sz;
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationX(D3DXMATRIX* pOut, FLOAT Angle) {
    const float c = std::cos(Angle), s = std::sin(Angle);
    *pOut = D3DXMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationY(D3DXMATRIX* pOut, FLOAT Angle) {
    const float c = std::cos(Angle), s = std::sin(Angle);
    *pOut = D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationZ(D3DXMATRIX* pOut, FLOAT Angle) {
    const float c = std::cos(Angle), s = std::sin(Angle);
    *pOut = D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationQuaternion(D3DXMATRIX* pOut, const D3DXQUATERNION* pQ) {
    const float x = pQ->x, y = pQ->y, z = pQ->z, w = pQ->w;
    *pOut = D3DXMATRIX(
        1.0f - 2.0f * (y * y + z * z), 2.0f * (x * y + z * w), 2.0f * (x * z - y * w), 0.0f,  //
        2.0f * (x * y - z * w), 1.0f - 2.0f * (x * x + z * z), 2.0f * (y * z + x * w), 0.0f,  //
        2.0f * (x * z + y * w), 2.0f * (y * z - x * w), 1.0f - 2.0f * (x * x + y * y), 0.0f,  //
        0.0f, 0.0f, 0.0f, 1.0f);
    return pOut;
}

// Roll about z first, then pitch about x, then yaw about y.
D3DXQUATERNION* WINAPI D3DXQuaternionRotationYawPitchRoll(D3DXQUATERNION* pOut, FLOAT Yaw,
                                                          FLOAT Pitch, FLOAT Roll) {
    const float sy = std::sin(Yaw * 0.5f), cy = std::cos(Yaw * 0.5f);
    const float sp = std::sin(Pitch * 0.5f), cp = std::cos(Pitch * 0.5f);
    const float sr = std::sin(Roll * 0.5f), cr = std::cos(Roll * 0.5f);
    pOut->x = cy * sp * cr + sy * cp * sr;
    pOut->y = sy * cp * cr - cy * sp * sr;
    pOut->z = cy * cp * sr - sy * sp * cr;
    pOut->w = cy * cp * cr + sy * sp * sr;
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye,
                                      const D3DXVECTOR3* pAt, const D3DXVECTOR3* pUp) {
    D3DXVECTOR3 forward = *pAt - *pEye;
    D3DXVec3Normalize(&forward, &forward);
    D3DXVECTOR3 right;
    D3DXVec3Cross(&right, pUp, &forward);
    D3DXVec3Normalize(&right, &right);
    D3DXVECTOR3 up;
    D3DXVec3Cross(&up, &forward, &right);
    *pOut = D3DXMATRIX(right.x, up.x, forward.x, 0.0f,  //
                       right.y, up.y, forward.y, 0.0f,  //
                       right.z, up.z, forward.z, 0.0f,  //
                       -D3DXVec3Dot(&right, pEye), -D3DXVec3Dot(&up, pEye),
                       -D3DXVec3Dot(&forward, pEye), 1.0f);
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, FLOAT fovy, FLOAT Aspect, FLOAT zn,
                                              FLOAT zf) {
    const float yScale = 1.0f / std::tan(fovy / 2.0f);
    const float xScale = yScale / Aspect;
    const float depthScale = zf / (zf - zn);
    *pOut = D3DXMATRIX(xScale, 0, 0, 0,      //
                       0, yScale, 0, 0,      //
                       0, 0, depthScale, 1,  //
                       0, 0, -zn * depthScale, 0);
    return pOut;
}

FLOAT WINAPI D3DXVec3Length(const D3DXVECTOR3* pV) {
    return std::sqrt(D3DXVec3Dot(pV, pV));
}

// A zero vector normalises to zero instead of dividing by zero.
D3DXVECTOR3* WINAPI D3DXVec3Normalize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV) {
    const float length = D3DXVec3Length(pV);
    if (length == 0.0f) {
        *pOut = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    } else {
        *pOut = *pV / length;
    }
    return pOut;
}

D3DXVECTOR4* WINAPI D3DXVec4Transform(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV,
                                      const D3DXMATRIX* pM) {
    const D3DXVECTOR4 v = *pV;
    pOut->x = v.x * pM->_11 + v.y * pM->_21 + v.z * pM->_31 + v.w * pM->_41;
    pOut->y = v.x * pM->_12 + v.y * pM->_22 + v.z * pM->_32 + v.w * pM->_42;
    pOut->z = v.x * pM->_13 + v.y * pM->_23 + v.z * pM->_33 + v.w * pM->_43;
    pOut->w = v.x * pM->_14 + v.y * pM->_24 + v.z * pM->_34 + v.w * pM->_44;
    return pOut;
}

D3DXVECTOR4* WINAPI D3DXVec3Transform(D3DXVECTOR4* pOut, const D3DXVECTOR3* pV,
                                      const D3DXMATRIX* pM) {
    const D3DXVECTOR4 point(pV->x, pV->y, pV->z, 1.0f);
    return D3DXVec4Transform(pOut, &point, pM);
}

D3DXVECTOR3* WINAPI D3DXVec3TransformCoord(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV,
                                           const D3DXMATRIX* pM) {
    D3DXVECTOR4 transformed;
    D3DXVec3Transform(&transformed, pV, pM);
    const float w = transformed.w;
    *pOut = D3DXVECTOR3(transformed.x / w, transformed.y / w, transformed.z / w);
    return pOut;
}

D3DXVECTOR3* WINAPI D3DXVec3TransformNormal(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV,
                                            const D3DXMATRIX* pM) {
    const D3DXVECTOR3 v = *pV;
    *pOut = D3DXVECTOR3(v.x * pM->_11 + v.y * pM->_21 + v.z * pM->_31,
                        v.x * pM->_12 + v.y * pM->_22 + v.z * pM->_32,
                        v.x * pM->_13 + v.y * pM->_23 + v.z * pM->_33);
    return pOut;
}
