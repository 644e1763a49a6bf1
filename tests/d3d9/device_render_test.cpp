// Rendering read back from a headless device: clears, the pixels a quad
// covers, culling, blending, the alpha and depth tests, fill mode, scissor.
#include <cstring>

#include "device_fixture.h"

namespace kl::test {
namespace {

constexpr Rgba kBlack{0, 0, 0, 255};

TEST_F(D3d9DeviceTest, ClearFillsTheBackBufferAndOnlyTheListedRectangles) {
    CreateDevice();
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER,
                             D3DCOLOR_ARGB(0x00, 0x33, 0x66, 0x99), 1.0f, 0),
              D3D_OK);
    // X8R8G8B8 has no alpha: it reads back as 255 whatever was cleared.
    std::vector<uint8_t> pixels = ReadBack();
    EXPECT_EQ(CountColour(pixels, {0x33, 0x66, 0x99, 255}, 0, 0, 16, 16), 256);

    const D3DRECT rects[2] = {{0, 0, 4, 4}, {8, 10, 16, 16}};
    ASSERT_EQ(device_->Clear(2, rects, D3DCLEAR_TARGET, D3DCOLOR_XRGB(255, 0, 0), 1.0f, 0), D3D_OK);
    pixels = ReadBack();
    EXPECT_EQ(CountColour(pixels, {255, 0, 0, 255}, 0, 0, 4, 4), 16);
    EXPECT_EQ(CountColour(pixels, {255, 0, 0, 255}, 8, 10, 16, 16), 48);
    EXPECT_EQ(CountColour(pixels, {255, 0, 0, 255}, 0, 0, 16, 16), 64);
    EXPECT_EQ(device_->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
}

TEST_F(D3d9DeviceTest, ClearWithoutADepthBufferRefusesDepthAndStencil) {
    D3DPRESENT_PARAMETERS p = Parameters(8, 8, D3DFMT_X8R8G8B8);
    p.EnableAutoDepthStencil = FALSE;
    ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                 &p, &device_),
              D3D_OK);
    width_ = height_ = 8;
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0), D3D_OK);
    EXPECT_EQ(CountColour(ReadBack(), {0, 0, 255, 255}, 0, 0, 8, 8), 64);
}

// Pixel centres sit on integer coordinates in Direct3D 9: a quad from 1.5 to
// 3.5 covers the centres 2 and 3 in each direction, exactly the 2x2 block
// (2..3, 2..3). Without the half-pixel rule GL would cover (1..2, 1..2).
TEST_F(D3d9DeviceTest, ScreenSpaceQuadCoversThePixelsDirect3DCovers) {
    CreateDevice(8, 8);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 0), 1.0f, 0);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    DrawScreenRect(1.5f, 1.5f, 3.5f, 3.5f, D3DCOLOR_XRGB(255, 255, 255));
    // Edges off the pixel boundaries: 4.3 to 6.3 covers the centres 5 and 6.
    DrawScreenRect(4.3f, 4.3f, 6.3f, 6.3f, D3DCOLOR_XRGB(0, 255, 0));
    ASSERT_EQ(device_->EndScene(), D3D_OK);
    const std::vector<uint8_t> pixels = ReadBack();
    EXPECT_EQ(CountColour(pixels, {255, 255, 255, 255}, 2, 2, 4, 4), 4);
    EXPECT_EQ(CountColour(pixels, {255, 255, 255, 255}, 0, 0, 8, 8), 4);
    EXPECT_EQ(CountColour(pixels, {0, 255, 0, 255}, 5, 5, 7, 7), 4);
    EXPECT_EQ(CountColour(pixels, {0, 255, 0, 255}, 0, 0, 8, 8), 4);
}

// A clip-space quad over the left half of an 8-pixel target: x from -1 to 0
// maps to 0..4, covering the centres 0 to 3.
TEST_F(D3d9DeviceTest, ClipSpaceQuadCoversTheLeftHalf) {
    CreateDevice(8, 8);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    const ClipVertex quad[4] = {{-1, 1, 0.5f, 0xFFFF0000},
                                {0, 1, 0.5f, 0xFFFF0000},
                                {0, -1, 0.5f, 0xFFFF0000},
                                {-1, -1, 0.5f, 0xFFFF0000}};
    device_->SetFVF(kClipVertexFvf);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ClipVertex)), D3D_OK);
    const std::vector<uint8_t> pixels = ReadBack();
    EXPECT_EQ(CountColour(pixels, {255, 0, 0, 255}, 0, 0, 4, 8), 32);
    EXPECT_EQ(CountColour(pixels, kBlack, 4, 0, 8, 8), 32);
}

// Clockwise on screen is the front; the default D3DCULL_CCW drops the
// counter-clockwise triangle only.
TEST_F(D3d9DeviceTest, CullModesDropTheRightWinding) {
    CreateDevice(16, 16);
    const ScreenVertex clockwise[3] = {{0.5f, 0.5f, 0.5f, 1, 0xFFFF0000},
                                       {7.5f, 0.5f, 0.5f, 1, 0xFFFF0000},
                                       {0.5f, 15.5f, 0.5f, 1, 0xFFFF0000}};
    const ScreenVertex counterClockwise[3] = {{8.5f, 0.5f, 0.5f, 1, 0xFF00FF00},
                                              {8.5f, 15.5f, 0.5f, 1, 0xFF00FF00},
                                              {15.5f, 0.5f, 0.5f, 1, 0xFF00FF00}};
    device_->SetFVF(kScreenVertexFvf);
    struct Case {
        DWORD cull;
        bool keepsClockwise, keepsCounterClockwise;
    };
    for (const Case& c : {Case{D3DCULL_CCW, true, false}, Case{D3DCULL_CW, false, true},
                          Case{D3DCULL_NONE, true, true}}) {
        SCOPED_TRACE(c.cull);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        device_->SetRenderState(D3DRS_CULLMODE, c.cull);
        device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, clockwise, sizeof(ScreenVertex));
        device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, counterClockwise, sizeof(ScreenVertex));
        const std::vector<uint8_t> pixels = ReadBack();
        // Each triangle covers about half of its 7x15 box; 20 pixels is plenty.
        EXPECT_EQ(CountColour(pixels, {255, 0, 0, 255}, 0, 0, 8, 16) > 20, c.keepsClockwise);
        EXPECT_EQ(CountColour(pixels, {0, 255, 0, 255}, 8, 0, 16, 16) > 20,
                  c.keepsCounterClockwise);
    }
}

TEST_F(D3d9DeviceTest, AdditiveBlendingSumsAndSaturates) {
    CreateDevice();
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0x20, 0x40, 0xF0),
                   1.0f, 0);
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    DrawScreenRect(-0.5f, -0.5f, 15.5f, 15.5f, D3DCOLOR_XRGB(0x10, 0x20, 0x30));
    DrawScreenRect(-0.5f, -0.5f, 7.5f, 15.5f, D3DCOLOR_XRGB(0x10, 0x20, 0x30));
    const std::vector<uint8_t> pixels = ReadBack();
    // Right half: one quad added; left half: two. Blue saturates at 255.
    EXPECT_EQ(CountColour(pixels, {0x30, 0x60, 0xFF, 255}, 8, 0, 16, 16), 128);
    EXPECT_EQ(CountColour(pixels, {0x40, 0x80, 0xFF, 255}, 0, 0, 8, 16), 128);
}

TEST_F(D3d9DeviceTest, AlphaTestWithReferenceOneDropsAlphaZero) {
    CreateDevice();
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device_->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device_->SetRenderState(D3DRS_ALPHAREF, 1);
    device_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    DrawScreenRect(-0.5f, -0.5f, 7.5f, 15.5f, D3DCOLOR_ARGB(0x00, 255, 255, 255));
    DrawScreenRect(7.5f, -0.5f, 15.5f, 15.5f, D3DCOLOR_ARGB(0x01, 255, 255, 255));
    std::vector<uint8_t> pixels = ReadBack();
    EXPECT_EQ(CountColour(pixels, kBlack, 0, 0, 8, 16), 128);
    EXPECT_EQ(CountColour(pixels, {255, 255, 255, 255}, 8, 0, 16, 16), 128);

    // Switched off, the test lets alpha 0 through.
    device_->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    DrawScreenRect(-0.5f, -0.5f, 7.5f, 15.5f, D3DCOLOR_ARGB(0x00, 255, 0, 0));
    pixels = ReadBack();
    EXPECT_EQ(CountColour(pixels, {255, 0, 0, 255}, 0, 0, 8, 16), 128);
}

TEST_F(D3d9DeviceTest, DepthTestComparesWithTheDepthOfAnEarlierDraw) {
    CreateDevice();
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    // The default comparison is LESSEQUAL with depth writes on.
    DrawScreenRect(-0.5f, -0.5f, 15.5f, 15.5f, D3DCOLOR_XRGB(255, 0, 0), 0.4f);
    DrawScreenRect(-0.5f, -0.5f, 15.5f, 7.5f, D3DCOLOR_XRGB(0, 255, 0), 0.6f);  // behind
    DrawScreenRect(-0.5f, 7.5f, 15.5f, 15.5f, D3DCOLOR_XRGB(0, 0, 255), 0.2f);  // in front
    std::vector<uint8_t> pixels = ReadBack();
    EXPECT_EQ(CountColour(pixels, {255, 0, 0, 255}, 0, 0, 16, 8), 128);
    EXPECT_EQ(CountColour(pixels, {0, 0, 255, 255}, 0, 8, 16, 16), 128);

    // With GREATER a depth of 0.3 passes over the 0.2 below but not the 0.4 above.
    device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_GREATER);
    DrawScreenRect(-0.5f, -0.5f, 15.5f, 15.5f, D3DCOLOR_XRGB(255, 255, 0), 0.3f);
    pixels = ReadBack();
    EXPECT_EQ(CountColour(pixels, {255, 0, 0, 255}, 0, 0, 16, 8), 128);
    EXPECT_EQ(CountColour(pixels, {255, 255, 0, 255}, 0, 8, 16, 16), 128);
}

TEST_F(D3d9DeviceTest, WireframeDrawsEdgesOnly) {
    CreateDevice();
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device_->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    DrawScreenRect(1.0f, 1.0f, 14.0f, 14.0f, D3DCOLOR_XRGB(255, 255, 255));
    const std::vector<uint8_t> pixels = ReadBack();
    const int lit = CountColour(pixels, {255, 255, 255, 255}, 0, 0, 16, 16);
    // Four edges and a diagonal: far fewer pixels than the 169 of the filled quad.
    EXPECT_GT(lit, 30);
    EXPECT_LT(lit, 100);
}

TEST_F(D3d9DeviceTest, ScissorAndViewportLimitDrawing) {
    CreateDevice();
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    const RECT scissor = {4, 4, 8, 12};
    ASSERT_EQ(device_->SetScissorRect(&scissor), D3D_OK);
    device_->SetRenderState(D3DRS_SCISSORTESTENABLE, TRUE);
    DrawScreenRect(-0.5f, -0.5f, 15.5f, 15.5f, D3DCOLOR_XRGB(255, 0, 0));
    std::vector<uint8_t> pixels = ReadBack();
    EXPECT_EQ(CountColour(pixels, {255, 0, 0, 255}, 4, 4, 8, 12), 32);
    EXPECT_EQ(CountColour(pixels, {255, 0, 0, 255}, 0, 0, 16, 16), 32);

    device_->SetRenderState(D3DRS_SCISSORTESTENABLE, FALSE);
    // A clip-space quad over the whole of the viewport's right half.
    const D3DVIEWPORT9 viewport = {8, 0, 8, 16, 0.0f, 1.0f};
    ASSERT_EQ(device_->SetViewport(&viewport), D3D_OK);
    const ClipVertex quad[4] = {{-1, 1, 0.5f, 0xFF00FF00},
                                {1, 1, 0.5f, 0xFF00FF00},
                                {1, -1, 0.5f, 0xFF00FF00},
                                {-1, -1, 0.5f, 0xFF00FF00}};
    device_->SetFVF(kClipVertexFvf);
    device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ClipVertex));
    pixels = ReadBack();
    EXPECT_EQ(CountColour(pixels, {0, 255, 0, 255}, 8, 0, 16, 16), 128);
    EXPECT_EQ(CountColour(pixels, {0, 255, 0, 255}, 0, 0, 8, 16), 0);
    const D3DVIEWPORT9 outside = {8, 0, 9, 16, 0.0f, 1.0f};
    EXPECT_EQ(device_->SetViewport(&outside), D3DERR_INVALIDCALL);
}

TEST_F(D3d9DeviceTest, IndexedDrawsFromBuffersThroughADeclaration) {
    CreateDevice();
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    const ScreenVertex vertices[4] = {{-0.5f, -0.5f, 0.5f, 1, 0xFF0000FF},
                                      {15.5f, -0.5f, 0.5f, 1, 0xFF0000FF},
                                      {15.5f, 7.5f, 0.5f, 1, 0xFF0000FF},
                                      {-0.5f, 7.5f, 0.5f, 1, 0xFF0000FF}};
    const WORD indices[6] = {0, 1, 2, 0, 2, 3};
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(sizeof(vertices), D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED,
                                          &vb, nullptr),
              D3D_OK);
    ASSERT_EQ(device_->CreateIndexBuffer(sizeof(indices), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                         D3DPOOL_MANAGED, &ib, nullptr),
              D3D_OK);
    void* data = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
    std::memcpy(data, vertices, sizeof(vertices));
    ASSERT_EQ(vb->Unlock(), D3D_OK);
    ASSERT_EQ(ib->Lock(0, 0, &data, 0), D3D_OK);
    std::memcpy(data, indices, sizeof(indices));
    ASSERT_EQ(ib->Unlock(), D3D_OK);
    const D3DVERTEXELEMENT9 elements[] = {
        {0, 0, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITIONT, 0},
        {0, 16, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
        D3DDECL_END()};
    IDirect3DVertexDeclaration9* declaration = nullptr;
    ASSERT_EQ(device_->CreateVertexDeclaration(elements, &declaration), D3D_OK);
    device_->SetVertexDeclaration(declaration);
    // The device keeps what it needs of a declaration released while selected.
    EXPECT_EQ(declaration->Release(), 0u);
    device_->SetStreamSource(0, vb, 0, sizeof(ScreenVertex));
    device_->SetIndices(ib);
    ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
    const std::vector<uint8_t> pixels = ReadBack();
    EXPECT_EQ(CountColour(pixels, {0, 0, 255, 255}, 0, 0, 16, 8), 128);
    EXPECT_EQ(CountColour(pixels, kBlack, 0, 8, 16, 16), 128);
    ib->Release();
    vb->Release();
}

// A vertex buffer with an FVF, drawn from a start vertex: the first strip
// vertices are skipped.
TEST_F(D3d9DeviceTest, DrawPrimitiveStartsAtTheGivenVertex) {
    CreateDevice();
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    const ScreenVertex vertices[6] = {
        {99, 99, 0.5f, 1, 0xFFFF0000},  // never drawn
        {99, 99, 0.5f, 1, 0xFFFF0000},  // never drawn
        {-0.5f, 7.5f, 0.5f, 1, 0xFF00FF00}, {-0.5f, 15.5f, 0.5f, 1, 0xFF00FF00},
        {15.5f, 7.5f, 0.5f, 1, 0xFF00FF00}, {15.5f, 15.5f, 0.5f, 1, 0xFF00FF00}};
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(sizeof(vertices), 0, kScreenVertexFvf, D3DPOOL_DEFAULT,
                                          &vb, nullptr),
              D3D_OK);
    void* data = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
    std::memcpy(data, vertices, sizeof(vertices));
    ASSERT_EQ(vb->Unlock(), D3D_OK);
    EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);
    device_->SetFVF(kScreenVertexFvf);
    device_->SetStreamSource(0, vb, 0, sizeof(ScreenVertex));
    // Both strip triangles wind the same way on screen; culling is off so the
    // test does not depend on which way that is.
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 2, 2), D3D_OK);
    const std::vector<uint8_t> pixels = ReadBack();
    EXPECT_EQ(CountColour(pixels, {0, 255, 0, 255}, 0, 8, 16, 16), 128);
    EXPECT_EQ(CountColour(pixels, kBlack, 0, 0, 16, 8), 128);
    IDirect3DVertexBuffer9* bound = nullptr;
    UINT offset = 1, stride = 0;
    ASSERT_EQ(device_->GetStreamSource(0, &bound, &offset, &stride), D3D_OK);
    EXPECT_EQ(bound, vb);
    EXPECT_EQ(stride, sizeof(ScreenVertex));
    bound->Release();
    EXPECT_EQ(vb->Release(), 0u);
}

// Saving the vertex declaration and restoring it (as the effect and font
// helpers do) keeps a vertex format set with SetFVF.
TEST_F(D3d9DeviceTest, DeclarationOfAnFvfRestoresTheFvf) {
    CreateDevice();
    ASSERT_EQ(device_->SetFVF(kScreenVertexFvf), D3D_OK);
    IDirect3DVertexDeclaration9* saved = nullptr;
    ASSERT_EQ(device_->GetVertexDeclaration(&saved), D3D_OK);
    ASSERT_NE(saved, nullptr);
    D3DVERTEXELEMENT9 elements[MAXD3DDECLLENGTH];
    UINT count = 0;
    ASSERT_EQ(saved->GetDeclaration(elements, &count), D3D_OK);
    ASSERT_EQ(count, 3u);  // position, colour, end marker
    EXPECT_EQ(elements[0].Usage, D3DDECLUSAGE_POSITIONT);
    EXPECT_EQ(elements[1].Offset, 16);
    EXPECT_EQ(elements[1].Type, D3DDECLTYPE_D3DCOLOR);
    EXPECT_EQ(elements[2].Stream, 0xFF);
    device_->SetFVF(D3DFVF_XYZ);
    ASSERT_EQ(device_->SetVertexDeclaration(saved), D3D_OK);
    saved->Release();
    DWORD fvf = 0;
    device_->GetFVF(&fvf);
    EXPECT_EQ(fvf, kScreenVertexFvf);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    const ScreenVertex quad[4] = {{-0.5f, -0.5f, 0.5f, 1, 0xFF00FF00},
                                  {15.5f, -0.5f, 0.5f, 1, 0xFF00FF00},
                                  {15.5f, 15.5f, 0.5f, 1, 0xFF00FF00},
                                  {-0.5f, 15.5f, 0.5f, 1, 0xFF00FF00}};
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ScreenVertex)), D3D_OK);
    EXPECT_EQ(CountColour(ReadBack(), {0, 255, 0, 255}, 0, 0, 16, 16), 256);
}

// Vertices from user memory go through one streaming buffer that is renewed
// when full and grows for a draw larger than itself. `padding` degenerate
// triangles come first, so the quad that shows sits at the end of the data.
std::vector<ScreenVertex> PaddedQuad(size_t padding, float left, float right, D3DCOLOR colour) {
    std::vector<ScreenVertex> vertices(padding * 3, ScreenVertex{0, 0, 0.5f, 1, 0xFFFFFFFF});
    const ScreenVertex corners[4] = {{left, 0, 0.5f, 1, colour},
                                     {right, 0, 0.5f, 1, colour},
                                     {right, 16, 0.5f, 1, colour},
                                     {left, 16, 0.5f, 1, colour}};
    for (int corner : {0, 1, 2, 0, 2, 3}) vertices.push_back(corners[corner]);
    return vertices;
}

TEST_F(D3d9DeviceTest, UserMemoryDrawsLargerThanAndBeyondTheStreamBufferArriveWhole) {
    CreateDevice(16, 16);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 0), 1.0f, 0);
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    ASSERT_EQ(device_->SetFVF(kScreenVertexFvf), D3D_OK);
    // 2.4 MB in one draw: more than the buffer holds at first.
    const std::vector<ScreenVertex> large = PaddedQuad(40000, 0, 16, D3DCOLOR_XRGB(255, 0, 0));
    ASSERT_EQ(
        device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 40002, large.data(), sizeof(ScreenVertex)),
        D3D_OK);
    EXPECT_EQ(CountColour(ReadBack(), {255, 0, 0, 255}, 0, 0, 16, 16), 256);

    // Sixteen columns, each from a draw of 120 KB, renewing the buffer many
    // times; the last column drawn indexed.
    for (int column = 0; column < 15; ++column) {
        const std::vector<ScreenVertex> quad =
            PaddedQuad(2000, static_cast<float>(column), static_cast<float>(column + 1),
                       D3DCOLOR_XRGB(0, 16 * column, 255));
        ASSERT_EQ(
            device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2002, quad.data(), sizeof(ScreenVertex)),
            D3D_OK);
    }
    const std::vector<ScreenVertex> last = PaddedQuad(2000, 15, 16, D3DCOLOR_XRGB(0, 240, 255));
    std::vector<uint16_t> indices(last.size());
    for (size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<uint16_t>(i);
    ASSERT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(last.size()),
                                              2002, indices.data(), D3DFMT_INDEX16, last.data(),
                                              sizeof(ScreenVertex)),
              D3D_OK);
    ASSERT_EQ(device_->EndScene(), D3D_OK);
    const std::vector<uint8_t> pixels = ReadBack();
    for (int column = 0; column < 16; ++column) {
        EXPECT_EQ(CountColour(pixels, {0, 16 * column, 255, 255}, column, 0, column + 1, 16), 16)
            << "column " << column;
    }
}

// Consecutive user-memory draws of different strides (20, 16, then 20
// indexed) share one buffer: each must read its own vertices.
TEST_F(D3d9DeviceTest, UserMemoryDrawsOfDifferentStridesReadTheirOwnVertices) {
    CreateDevice(16, 16);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 0), 1.0f, 0);
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    const D3DCOLOR red = D3DCOLOR_XRGB(255, 0, 0), green = D3DCOLOR_XRGB(0, 255, 0),
                   blue = D3DCOLOR_XRGB(0, 0, 255);
    const ScreenVertex topLeft[4] = {
        {0, 0, 0.5f, 1, red}, {8, 0, 0.5f, 1, red}, {8, 8, 0.5f, 1, red}, {0, 8, 0.5f, 1, red}};
    ASSERT_EQ(device_->SetFVF(kScreenVertexFvf), D3D_OK);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, topLeft, sizeof(ScreenVertex)),
              D3D_OK);
    // The lower half in clip space (y down to -1 is the bottom row).
    const ClipVertex bottom[4] = {
        {-1, 0, 0.5f, green}, {1, 0, 0.5f, green}, {1, -1, 0.5f, green}, {-1, -1, 0.5f, green}};
    ASSERT_EQ(device_->SetFVF(kClipVertexFvf), D3D_OK);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, bottom, sizeof(ClipVertex)), D3D_OK);
    const ScreenVertex topRight[4] = {{8, 0, 0.5f, 1, blue},
                                      {16, 0, 0.5f, 1, blue},
                                      {16, 8, 0.5f, 1, blue},
                                      {8, 8, 0.5f, 1, blue}};
    const uint16_t fan[6] = {0, 1, 2, 0, 2, 3};
    ASSERT_EQ(device_->SetFVF(kScreenVertexFvf), D3D_OK);
    ASSERT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, fan, D3DFMT_INDEX16,
                                              topRight, sizeof(ScreenVertex)),
              D3D_OK);
    ASSERT_EQ(device_->EndScene(), D3D_OK);
    const std::vector<uint8_t> pixels = ReadBack();
    EXPECT_EQ(CountColour(pixels, {255, 0, 0, 255}, 0, 0, 8, 8), 64);
    EXPECT_EQ(CountColour(pixels, {0, 0, 255, 255}, 8, 0, 16, 8), 64);
    EXPECT_EQ(CountColour(pixels, {0, 255, 0, 255}, 0, 8, 16, 16), 128);
}

}  // namespace
}  // namespace kl::test
