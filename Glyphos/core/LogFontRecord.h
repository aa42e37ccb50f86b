// The typeface an import draws with, kept as the fields of a Windows logical
// font: the document stores it between imports and the font dialog starts
// from it. No Qt here, so that the document's headless logic can hold one.
#pragma once

#include <cstdint>
#include <string>

struct LogFontRecord {
    // Negative: the character height in pixels; positive: the cell height
    // (character plus internal leading); 0: the face's default size.
    std::int32_t lfHeight = -15;
    std::int32_t lfWidth = 0;
    std::int32_t lfEscapement = 0;
    std::int32_t lfOrientation = 0;
    std::int32_t lfWeight = 400;
    std::uint8_t lfItalic = 0;
    std::uint8_t lfUnderline = 0;
    std::uint8_t lfStrikeOut = 0;
    std::uint8_t lfCharSet = 0;
    std::uint8_t lfOutPrecision = 3;
    std::uint8_t lfClipPrecision = 2;
    std::uint8_t lfQuality = 1;
    std::uint8_t lfPitchAndFamily = 0x22;  // variable pitch, Swiss
    std::wstring lfFaceName;

    // The height of a font of `points` points on a 96 dpi device, as the
    // font dialog stores it: -(points x 96 / 72), rounded half away from 0.
    static std::int32_t HeightForPoints(int points) {
        const long long n = static_cast<long long>(points) * 96;
        const long long q = (n >= 0 ? n + 36 : n - 36) / 72;
        return static_cast<std::int32_t>(-q);
    }
};

// Where an imported character lands in its cell: moved by (x, y) dots and
// stretched by fx, fy before it is cut to the cell.
struct ImportPlacement {
    int x = 0;
    int y = 0;
    float fx = 1.0f;
    float fy = 1.0f;
};
