// The fixed frame and caption sizes of this platform's windows. Linux window
// managers draw their own frames, so these are the proportions of a Windows 7
// desktop at 96 dots per inch (platform/README.md lists them).
#pragma once

namespace kl::win32 {

constexpr int kSizingBorder = 4;    // SM_CXSIZEFRAME
constexpr int kPaddedBorder = 4;    // SM_CXPADDEDBORDER, added to a sizing frame
constexpr int kDialogBorder = 3;    // WS_DLGFRAME (part of WS_CAPTION)
constexpr int kThinBorder = 1;      // SM_CXBORDER, WS_BORDER alone
constexpr int kCaptionHeight = 23;  // SM_CYCAPTION
constexpr int kMenuBarHeight = 20;  // SM_CYMENU
// The smallest window a user can drag to (SM_CXMINTRACK, SM_CYMINTRACK).
constexpr int kMinimumTrackWidth = 136;
constexpr int kMinimumTrackHeight = 39;

}  // namespace kl::win32
