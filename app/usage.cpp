#include "app/usage.h"

#include <windows.h>

#include "framework/console_text.h"

namespace {

constexpr wchar_t kUsage[] =
    L"Usage: kestralune [options]\n"
    L"\n"
    L"Renders the scene of the working directory in a window titled Orvantis.\n"
    L"Start it in its folder: test.meshs lists the .x meshes, test.lights the light\n"
    L"files; textures are read from textures\\ and the effect from shaders\\DS_prep.fx.\n"
    L"\n"
    L"Options: -name or /name, valued ones -name:value; names ignore case.\n"
    L"  -adapter:N                  use adapter N\n"
    L"  -windowed, -fullscreen      start windowed or fullscreen\n"
    L"  -forcehal, -forceref        force the hardware or the reference device\n"
    L"  -forcepurehwvp, -forcehwvp, -forceswvp\n"
    L"                              force pure hardware, hardware or software\n"
    L"                              vertex processing\n"
    L"  -forcevsync:0, -forcevsync:1  present immediately / at the vertical retrace\n"
    L"  -width:N, -height:N         back-buffer size\n"
    L"  -startx:N, -starty:N        window position\n"
    L"  -constantframetime[:S]      advance time by S seconds a frame (0.0333)\n"
    L"  -quitafterframe:N           quit after frame N\n"
    L"  -noerrormsgboxes            no error boxes from the framework\n"
    L"  -nostats                    do not measure the frame rate\n"
    L"  -relaunchmce                start the media-centre shell again at exit\n"
    L"  -automation                 accepted, no effect\n"
    L"  --help, -?, /?              show this text and exit\n"
    L"Anything else is ignored.\n"
    L"\n"
    L"Keys:\n"
    L"  0 deferred shading, 1 2 3 4 diffuse, specular, position, normal channel,\n"
    L"  5 classic forward lighting\n"
    L"  W S forward, back   A D left, right   Page Up, Page Down up, down\n"
    L"  Left, Right turn   Up, Down tilt   Q E roll\n"
    L"  Pause pause   F3 reference device   F8 wireframe\n"
    L"  Alt+Enter windowed/fullscreen   Escape quit\n";

}  // namespace

void ShowUsage() {
    if (!WriteStandardOutput(kUsage)) {
        MessageBoxW(nullptr, kUsage, L"Orvantis", MB_OK | MB_ICONINFORMATION);
    }
}
