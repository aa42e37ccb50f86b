// Dot pictures as PNG files: one-bit greyscale (ink black, paper white), each
// dot S x S pixels. Encoded with libpng rather than Qt's image writer so that
// the commands that write samples and receipts run without Qt's GUI module.
#pragma once

#include <string>
#include <vector>

#include "CString.h"
#include "SampleText.h"

class DotPng {
public:
    static constexpr int kMaxScale = 16;
    // libpng's own limit on a side.
    static constexpr int kMaxSide = 1000000;

    // Empty, with a reason in `error`, when the picture is empty, the scale
    // is not 1..kMaxScale or a side would pass kMaxSide.
    static std::vector<unsigned char> Encode(const DotImage& image, int scale, std::string* error = nullptr);
    // Encodes and replaces `path` in one step (the old file stays whole on
    // any failure).
    static bool Write(const DotImage& image, int scale, const CString& path, std::string* error = nullptr);
};
