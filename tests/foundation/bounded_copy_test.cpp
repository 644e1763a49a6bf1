#include <gtest/gtest.h>

#include "framework/bounded_copy.h"

namespace {

TEST(BoundedCopyWide, CopiesTextThatFits) {
    WCHAR buffer[4] = {L'x', L'x', L'x', L'x'};
    EXPECT_EQ(S_OK, BoundedCopyWide(buffer, 4, L"abc"));
    EXPECT_STREQ(L"abc", buffer);
}

TEST(BoundedCopyWide, CutsAndTerminatesTextThatDoesNotFit) {
    WCHAR buffer[4];
    EXPECT_EQ(static_cast<HRESULT>(0x8007007A), BoundedCopyWide(buffer, 4, L"abcd"));
    EXPECT_STREQ(L"abc", buffer);
}

TEST(BoundedCopyWide, ZeroCapacityLeavesTheDestinationAlone) {
    WCHAR buffer[2] = {L'q', L'\0'};
    EXPECT_EQ(E_INVALIDARG, BoundedCopyWide(buffer, 0, L"abc"));
    EXPECT_EQ(L'q', buffer[0]);
}

TEST(BoundedCopyWide, EmptySourceAndCapacityOne) {
    WCHAR buffer[1] = {L'q'};
    EXPECT_EQ(S_OK, BoundedCopyWide(buffer, 1, L""));
    EXPECT_EQ(L'\0', buffer[0]);
    buffer[0] = L'q';
    EXPECT_EQ(static_cast<HRESULT>(0x8007007A), BoundedCopyWide(buffer, 1, L"a"));
    EXPECT_EQ(L'\0', buffer[0]);
}

}  // namespace
