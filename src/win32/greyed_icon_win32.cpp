#include "win32/greyed_icon_win32.h"

#include "win32/errors_win32.h"

#include <algorithm>
#include <vector>

namespace parlowen::win32 {
namespace {

// Closes the device context of the screen it was given for.
struct ScreenContext {
    HDC dc = ::GetDC(nullptr);
    ~ScreenContext() { ::ReleaseDC(nullptr, dc); }
};

}  // namespace

UniqueIcon GreyedIcon(HICON icon) {
    ICONINFO info{};
    ThrowLastErrorIf(!::GetIconInfo(icon, &info), "GetIconInfo");
    const UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
    BITMAP size{};
    ThrowLastErrorIf(!colour || !::GetObjectW(colour.get(), sizeof(size), &size), "GetObject");

    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = size.bmWidth;
    format.bmiHeader.biHeight = size.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<RGBQUAD> pixels(static_cast<std::size_t>(size.bmWidth) * static_cast<std::size_t>(size.bmHeight));
    const ScreenContext screen;
    ThrowLastErrorIf(!::GetDIBits(screen.dc, colour.get(), 0, static_cast<UINT>(size.bmHeight), pixels.data(),
                                  &format, DIB_RGB_COLORS),
                     "GetDIBits");
    for (RGBQUAD& pixel : pixels) {
        const int grey = (pixel.rgbRed * 30 + pixel.rgbGreen * 59 + pixel.rgbBlue * 11) / 100;
        pixel.rgbRed = pixel.rgbGreen = pixel.rgbBlue = static_cast<BYTE>((grey + 255) / 2);  // halfway to white
    }
    // A section of 32 bits a pixel keeps the alpha channel, which a bitmap of the
    // screen's format would lose.
    void* bits = nullptr;
    const UniqueBitmap greyed(::CreateDIBSection(screen.dc, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    ThrowLastErrorIf(!greyed, "CreateDIBSection");
    std::copy(pixels.begin(), pixels.end(), static_cast<RGBQUAD*>(bits));

    ICONINFO made = info;
    made.hbmColor = greyed.get();
    UniqueIcon result(::CreateIconIndirect(&made));
    ThrowLastErrorIf(!result, "CreateIconIndirect");
    return result;
}

}  // namespace parlowen::win32
