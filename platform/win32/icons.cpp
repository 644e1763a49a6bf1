// Icons and cursors. Linux programs carry no icon resources, so the system
// arrow cursor and the application icon are drawn here: the arrow as a
// monochrome cursor (AND mask above XOR mask, 32 x 64), the icon as a 32 x 32
// colour icon with a mask; every existing file "contains" that one icon for
// ExtractIconW.
#include <map>

#include "common/paths.h"
#include "win32/gdi_objects.h"
#include "win32/window_system.h"

#include <sys/stat.h>

namespace kl::win32 {

namespace {

constexpr LONG kIconSize = 32;
constexpr uint32_t kWhite = 0x00FFFFFF;
constexpr uint32_t kBlack = 0x00000000;
constexpr uint32_t kOpaque = 0xFF000000;
constexpr uint32_t kTitleBlue = kOpaque | 0x002050A0;
constexpr uint32_t kFrameGrey = kOpaque | 0x00606060;
constexpr uint32_t kBodyWhite = kOpaque | 0x00F0F0F0;
constexpr uintptr_t kFirstIconHandle = 0x80010;
constexpr uintptr_t kIconHandleStep = 0x10;
constexpr int kArrowHeight = 16;
constexpr LONG kIconMargin = 2;
constexpr LONG kTitleBarBottom = 8;

struct Icon {
    bool isIcon = true;
    DWORD hotspotX = 0;
    DWORD hotspotY = 0;
    Bitmap mask;
    bool hasColor = false;
    Bitmap color;
    bool shared = false;  // system icons are never destroyed
};

struct IconTable {
    uintptr_t nextHandle = kFirstIconHandle;
    std::map<HICON, Icon> icons;
    HCURSOR arrow = nullptr;
    HICON application = nullptr;
};

IconTable& Icons() {
    // Never destroyed: the framework tears down from an exit handler that may
    // run after static destructors, and still uses this state.
    static IconTable& table = *new IconTable;
    return table;
}

HICON AddIcon(Icon icon) {
    IconTable& table = Icons();
    const HICON handle = reinterpret_cast<HICON>(table.nextHandle);
    table.nextHandle += kIconHandleStep;
    table.icons[handle] = std::move(icon);
    return handle;
}

// The arrow: a right triangle along the left edge and the diagonal, black
// outline, white inside, transparent elsewhere; hot spot at its tip.
Icon ArrowCursor() {
    Icon arrow;
    arrow.isIcon = false;
    arrow.mask =
        Bitmap{kIconSize, kIconSize * 2, 1,
               std::vector<uint32_t>(static_cast<size_t>(kIconSize) * kIconSize * 2, kBlack)};
    for (LONG y = 0; y < kIconSize; ++y) {
        for (LONG x = 0; x < kIconSize; ++x) {
            const bool inside = y < kArrowHeight && x <= y;
            const bool outline = inside && (x == 0 || x == y || y == kArrowHeight - 1);
            arrow.mask.pixels[y * kIconSize + x] = inside ? kBlack : kWhite;  // AND
            arrow.mask.pixels[(y + kIconSize) * kIconSize + x] =
                inside && !outline ? kWhite : kBlack;  // XOR
        }
    }
    return arrow;
}

// The application icon: a small window picture with a blue title bar.
Icon ApplicationIcon() {
    Icon icon;
    icon.hotspotX = kIconSize / 2;
    icon.hotspotY = kIconSize / 2;
    icon.hasColor = true;
    icon.mask = Bitmap{kIconSize, kIconSize, 1,
                       std::vector<uint32_t>(static_cast<size_t>(kIconSize) * kIconSize, kWhite)};
    icon.color = Bitmap{kIconSize, kIconSize, 32,
                        std::vector<uint32_t>(static_cast<size_t>(kIconSize) * kIconSize, kBlack)};
    const LONG last = kIconSize - 1 - kIconMargin;
    for (LONG y = kIconMargin; y <= last; ++y) {
        for (LONG x = kIconMargin; x <= last; ++x) {
            const bool edge = x == kIconMargin || x == last || y == kIconMargin || y == last;
            uint32_t colour = kBodyWhite;
            if (y < kTitleBarBottom) colour = kTitleBlue;
            if (edge) colour = kFrameGrey;
            icon.mask.pixels[y * kIconSize + x] = kBlack;
            icon.color.pixels[y * kIconSize + x] = colour;
        }
    }
    return icon;
}

HCURSOR SharedArrow() {
    IconTable& table = Icons();
    if (!table.arrow) {
        Icon arrow = ArrowCursor();
        arrow.shared = true;
        table.arrow = AddIcon(std::move(arrow));
    }
    return table.arrow;
}

HICON SharedApplicationIcon() {
    IconTable& table = Icons();
    if (!table.application) {
        Icon icon = ApplicationIcon();
        icon.shared = true;
        table.application = AddIcon(std::move(icon));
    }
    return table.application;
}

bool FileExists(LPCWSTR path) {
    struct stat info;
    return path && ::stat(platform::ResolvePlatformPath(path).c_str(), &info) == 0 &&
           S_ISREG(info.st_mode);
}

}  // namespace

}  // namespace kl::win32

using namespace kl::win32;

HCURSOR WINAPI LoadCursorW(HINSTANCE hInstance, LPCWSTR lpCursorName) {
    // Programs here have no cursor resources of their own.
    if (hInstance || lpCursorName != IDC_ARROW) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return SharedArrow();
}

HICON WINAPI LoadIconW(HINSTANCE hInstance, LPCWSTR lpIconName) {
    if (hInstance || lpIconName != IDI_APPLICATION) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return SharedApplicationIcon();
}

HICON WINAPI ExtractIconW(HINSTANCE, LPCWSTR pszExeFileName, UINT nIconIndex) {
    if (!FileExists(pszExeFileName)) return nullptr;
    // Index -1 asks for the number of icons in the file.
    if (nIconIndex == static_cast<UINT>(-1)) return reinterpret_cast<HICON>(1);
    if (nIconIndex != 0) return nullptr;
    return AddIcon(ApplicationIcon());
}

BOOL WINAPI GetIconInfo(HICON hIcon, PICONINFO piconinfo) {
    const auto found = Icons().icons.find(hIcon);
    if (found == Icons().icons.end() || !piconinfo) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const Icon& icon = found->second;
    piconinfo->fIcon = icon.isIcon ? TRUE : FALSE;
    piconinfo->xHotspot = icon.hotspotX;
    piconinfo->yHotspot = icon.hotspotY;
    // The caller owns (and deletes) copies of the icon's bitmaps.
    piconinfo->hbmMask = AddBitmap(icon.mask);
    piconinfo->hbmColor = icon.hasColor ? AddBitmap(icon.color) : nullptr;
    return TRUE;
}

BOOL WINAPI DestroyIcon(HICON hIcon) {
    auto& icons = Icons().icons;
    const auto found = icons.find(hIcon);
    if (found == icons.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!found->second.shared) icons.erase(found);
    return TRUE;
}
