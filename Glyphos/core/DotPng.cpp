#include "DotPng.h"

#include <png.h>

#include <csetjmp>
#include <cstdint>

#include "FileUtil.h"

namespace {

void Append(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

// libpng reports errors by longjmp; the message is kept for the caller.
void OnError(png_structp png, png_const_charp message) {
    auto* error = static_cast<std::string*>(png_get_error_ptr(png));
    if (error) *error = message;
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

}  // namespace

std::vector<unsigned char> DotPng::Encode(const DotImage& image, int scale, std::string* error) {
    std::string reason;
    auto fail = [&](std::string why) {
        if (error) *error = std::move(why);
        return std::vector<unsigned char>{};
    };
    if (image.width <= 0 || image.height <= 0) return fail("there is nothing to draw");
    if (scale < 1 || scale > kMaxScale) return fail("the scale must be from 1 to " + std::to_string(kMaxScale));
    const std::int64_t w = std::int64_t{image.width} * scale, h = std::int64_t{image.height} * scale;
    if (w > kMaxSide || h > kMaxSide)
        return fail("a picture of " + std::to_string(w) + " x " + std::to_string(h) + " pixels is larger than PNG " +
                    "writers take (" + std::to_string(kMaxSide) + " on a side)");

    std::vector<unsigned char> out;
    // One packed row of pixels, 1 = white.
    std::vector<png_byte> row(static_cast<std::size_t>((w + 7) / 8));
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &reason, OnError, OnWarning);
    if (!png) return fail("out of memory");
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return fail("PNG encoding failed: " + reason);
    }
    png_set_write_fn(png, &out, Append, NoFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 1, PNG_COLOR_TYPE_GRAY,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y) {
        std::fill(row.begin(), row.end(), png_byte{0xFF});
        for (int x = 0; x < image.width; ++x) {
            if (!image.Ink(x, y)) continue;
            for (std::int64_t px = std::int64_t{x} * scale; px < std::int64_t{x + 1} * scale; ++px)
                row[static_cast<std::size_t>(px / 8)] &= static_cast<png_byte>(~(0x80u >> (px % 8)));
        }
        for (int k = 0; k < scale; ++k) png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

bool DotPng::Write(const DotImage& image, int scale, const CString& path, std::string* error) {
    const std::vector<unsigned char> png = Encode(image, scale, error);
    if (png.empty()) return false;
    return WriteFileAtomically(path, png.data(), png.size(), error);
}
