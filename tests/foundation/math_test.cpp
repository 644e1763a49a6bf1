// D3DX math against matrices and vectors worked out by hand.
#include <gtest/gtest.h>

#include <d3dx9.h>

#include <cmath>

namespace {

void ExpectMatrixNear(const D3DXMATRIX& expected, const D3DXMATRIX& actual, float tolerance,
                      int line) {
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            EXPECT_NEAR(expected.m[row][col], actual.m[row][col], tolerance)
                << "row " << row << " col " << col << " (checked at line " << line << ")";
}
#define EXPECT_MATRIX_NEAR(e, a, tol) ExpectMatrixNear((e), (a), (tol), __LINE__)

TEST(D3DXMatrix, PerspectiveFovForTheSceneCamera) {
    // fov pi/4, aspect 1, near 10, far 1000: h = cot(pi/8) = 2.4142135,
    // f/(f-n) = 1000/990 = 1.0101010, -n*f/(f-n) = -10.101010.
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 4, 1.0f, 10.0f, 1000.0f);
    const D3DXMATRIX expected(2.4142135f, 0, 0, 0,  //
                              0, 2.4142135f, 0, 0,  //
                              0, 0, 1.0101010f, 1,  //
                              0, 0, -10.101010f, 0);
    EXPECT_MATRIX_NEAR(expected, projection, 1e-5f);
}

TEST(D3DXMatrix, PerspectiveWidthScalesWithAspect) {
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 4, 2.0f, 10.0f, 1000.0f);
    EXPECT_NEAR(2.4142135f / 2.0f, projection._11, 1e-5f);
    EXPECT_NEAR(2.4142135f, projection._22, 1e-5f);
}

TEST(D3DXMatrix, LookAtFromTheStartPoseIsATranslation) {
    const D3DXVECTOR3 eye(0, 0, -100), at(0, 0, 1000), up(0, 1, 0);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMATRIX expected;
    D3DXMatrixTranslation(&expected, 0, 0, 100);
    EXPECT_MATRIX_NEAR(expected, view, 1e-6f);
}

TEST(D3DXMatrix, LookAtSideways) {
    // Looking from the origin along +x with +y up: right axis is -z.
    const D3DXVECTOR3 eye(0, 0, 0), at(5, 0, 0), up(0, 1, 0);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    const D3DXVECTOR3 ahead(1, 0, 0);
    D3DXVECTOR4 inView;
    D3DXVec3Transform(&inView, &ahead, &view);
    EXPECT_NEAR(0.0f, inView.x, 1e-6f);
    EXPECT_NEAR(0.0f, inView.y, 1e-6f);
    EXPECT_NEAR(1.0f, inView.z, 1e-6f);
    const D3DXVECTOR3 minusZ(0, 0, -1);
    D3DXVec3Transform(&inView, &minusZ, &view);
    EXPECT_NEAR(1.0f, inView.x, 1e-6f);
}

TEST(D3DXMatrix, InverseOfACameraMatrix) {
    // A camera turned 30 degrees about y standing at (3, 4, -5).
    D3DXMATRIX rotation, translation, camera;
    D3DXMatrixRotationY(&rotation, D3DX_PI / 6);
    D3DXMatrixTranslation(&translation, 3, 4, -5);
    D3DXMatrixMultiply(&camera, &rotation, &translation);
    D3DXMATRIX view;
    float determinant = 0;
    ASSERT_NE(nullptr, D3DXMatrixInverse(&view, &determinant, &camera));
    EXPECT_NEAR(1.0f, determinant, 1e-6f);
    D3DXMATRIX identity, product;
    D3DXMatrixIdentity(&identity);
    D3DXMatrixMultiply(&product, &camera, &view);
    EXPECT_MATRIX_NEAR(identity, product, 1e-6f);
    // The camera's position maps to the view-space origin.
    const D3DXVECTOR3 position(3, 4, -5);
    D3DXVECTOR4 origin;
    D3DXVec3Transform(&origin, &position, &view);
    EXPECT_NEAR(0.0f, origin.x, 1e-5f);
    EXPECT_NEAR(0.0f, origin.y, 1e-5f);
    EXPECT_NEAR(0.0f, origin.z, 1e-5f);
    EXPECT_NEAR(1.0f, origin.w, 1e-6f);
}

TEST(D3DXMatrix, InverseOfAGeneralMatrix) {
    const D3DXMATRIX m(2, 0, 0, 1,  //
                       0, 3, 1, 0,  //
                       1, 0, 1, 0,  //
                       0, 0, 0, 4);
    D3DXMATRIX inverse, product, identity;
    float determinant = 0;
    ASSERT_NE(nullptr, D3DXMatrixInverse(&inverse, &determinant, &m));
    // det = 4 * det([[2,0,0],[0,3,1],[1,0,1]]) = 4 * (2*3 - 0 + 0*(..) ) = 4 * 6 = 24
    EXPECT_NEAR(24.0f, determinant, 1e-5f);
    D3DXMatrixMultiply(&product, &m, &inverse);
    D3DXMatrixIdentity(&identity);
    EXPECT_MATRIX_NEAR(identity, product, 1e-6f);
}

TEST(D3DXMatrix, SingularMatrixHasNoInverse) {
    const D3DXMATRIX singular(1, 2, 3, 4, 2, 4, 6, 8, 0, 0, 1, 0, 0, 0, 0, 1);
    D3DXMATRIX out;
    D3DXMatrixIdentity(&out);
    float determinant = 1;
    EXPECT_EQ(nullptr, D3DXMatrixInverse(&out, &determinant, &singular));
    EXPECT_EQ(0.0f, determinant);
    EXPECT_EQ(1.0f, out._11);  // untouched
}

TEST(D3DXMatrix, MultiplyAppliesTheLeftMatrixFirst) {
    D3DXMATRIX translate, scale, product;
    D3DXMatrixTranslation(&translate, 1, 0, 0);
    D3DXMatrixScaling(&scale, 2, 2, 2);
    D3DXMatrixMultiply(&product, &translate, &scale);  // translate, then scale
    const D3DXVECTOR3 origin(0, 0, 0);
    D3DXVECTOR4 moved;
    D3DXVec3Transform(&moved, &origin, &product);
    EXPECT_FLOAT_EQ(2.0f, moved.x);
    // Aliasing the output with an input gives the same product.
    D3DXMatrixMultiply(&translate, &translate, &scale);
    EXPECT_MATRIX_NEAR(product, translate, 0.0f);
}

TEST(D3DXMatrix, TransposeSwapsRowsAndColumns) {
    const D3DXMATRIX m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    D3DXMATRIX t;
    D3DXMatrixTranspose(&t, &m);
    EXPECT_EQ(5.0f, t._12);
    EXPECT_EQ(2.0f, t._21);
    EXPECT_EQ(16.0f, t._44);
    EXPECT_EQ(13.0f, t._14);
}

TEST(D3DXQuaternion, YawOfHalfPiTurnsForwardIntoRight) {
    D3DXQUATERNION q;
    D3DXQuaternionRotationYawPitchRoll(&q, D3DX_PI / 2, 0, 0);
    D3DXMATRIX rotation;
    D3DXMatrixRotationQuaternion(&rotation, &q);
    const D3DXVECTOR3 forward(0, 0, 1);
    D3DXVECTOR4 turned;
    D3DXVec3Transform(&turned, &forward, &rotation);
    EXPECT_NEAR(1.0f, turned.x, 1e-6f);
    EXPECT_NEAR(0.0f, turned.y, 1e-6f);
    EXPECT_NEAR(0.0f, turned.z, 1e-6f);
}

TEST(D3DXQuaternion, RotationsComposeRollThenPitchThenYaw) {
    const float yaw = 0.3f, pitch = -0.7f, roll = 1.1f;
    D3DXQUATERNION q;
    D3DXQuaternionRotationYawPitchRoll(&q, yaw, pitch, roll);
    D3DXMATRIX fromQuaternion;
    D3DXMatrixRotationQuaternion(&fromQuaternion, &q);
    D3DXMATRIX rz, rx, ry, expected;
    D3DXMatrixRotationZ(&rz, roll);
    D3DXMatrixRotationX(&rx, pitch);
    D3DXMatrixRotationY(&ry, yaw);
    D3DXMatrixMultiply(&expected, &rz, &rx);
    D3DXMatrixMultiply(&expected, &expected, &ry);
    EXPECT_MATRIX_NEAR(expected, fromQuaternion, 1e-6f);
}

TEST(D3DXQuaternion, PositivePitchTiltsForwardDown) {
    D3DXQUATERNION q;
    D3DXQuaternionRotationYawPitchRoll(&q, 0, 0.5f, 0);
    D3DXMATRIX rotation;
    D3DXMatrixRotationQuaternion(&rotation, &q);
    const D3DXVECTOR3 forward(0, 0, 1);
    D3DXVECTOR4 turned;
    D3DXVec3Transform(&turned, &forward, &rotation);
    EXPECT_NEAR(-std::sin(0.5f), turned.y, 1e-6f);
}

TEST(D3DXVector, Vec3TransformTreatsTheVectorAsAPoint) {
    D3DXMATRIX translation;
    D3DXMatrixTranslation(&translation, 10, 20, 30);
    const D3DXVECTOR3 direction(0, -1, 0);
    D3DXVECTOR4 out;
    D3DXVec3Transform(&out, &direction, &translation);
    EXPECT_EQ(10.0f, out.x);
    EXPECT_EQ(19.0f, out.y);
    EXPECT_EQ(30.0f, out.z);
    EXPECT_EQ(1.0f, out.w);
}

TEST(D3DXVector, NormalizeAndCross) {
    D3DXVECTOR3 v(3, 0, 4), n;
    D3DXVec3Normalize(&n, &v);
    EXPECT_FLOAT_EQ(0.6f, n.x);
    EXPECT_FLOAT_EQ(0.8f, n.z);
    const D3DXVECTOR3 zero(0, 0, 0);
    D3DXVec3Normalize(&n, &zero);
    EXPECT_EQ(0.0f, n.x);
    const D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0);
    D3DXVECTOR3 z;
    D3DXVec3Cross(&z, &x, &y);
    EXPECT_EQ(D3DXVECTOR3(0, 0, 1), z);
}

}  // namespace
