#include "DotPng.h"

#include <png.h>

#include <csetjmp>
#include <cstdint>

#include "FileUtil.h"
#include "LazyLibrary.h"

namespace {

#define GLYPHOS_PNG_FUNCTIONS(X) \
    X(png_create_info_struct)    \
    X(png_create_write_struct)   \
    X(png_destroy_write_struct)  \
    X(png_get_error_ptr)         \
    X(png_get_io_ptr)            \
    X(png_longjmp)               \
    X(png_set_IHDR)              \
    X(png_set_longjmp_fn)        \
    X(png_set_write_fn)          \
    X(png_write_end)             \
    X(png_write_info)            \
    X(png_write_row)
GLYPHOS_LAZY_LIBRARY(PngLibrary, Png, "libpng16.so.16", GLYPHOS_PNG_FUNCTIONS)

void Append(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<unsigned char>*>(Png().png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

// libpng reports errors by longjmp; the message is kept for the caller.
void OnError(png_structp png, png_const_charp message) {
    auto* error = static_cast<std::string*>(Png().png_get_error_ptr(png));
    if (error) *error = message;
    Png().png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// The pixels, a row at a time (1 = white). Apart from Encode, whose locals
// a longjmp out of libpng must find as they were.
void WriteRows(png_structp png, const DotImage& image, int scale) {
    const std::int64_t w = std::int64_t{image.width} * scale;
    std::vector<png_byte> row(static_cast<std::size_t>((w + 7) / 8));
    for (int y = 0; y < image.height; ++y) {
        std::fill(row.begin(), row.end(), png_byte{0xFF});
        for (int x = 0; x < image.width; ++x) {
            if (!image.Ink(x, y)) continue;
            for (std::int64_t px = std::int64_t{x} * scale; px < std::int64_t{x + 1} * scale; ++px)
                row[static_cast<std::size_t>(px / 8)] &= static_cast<png_byte>(~(0x80u >> (px % 8)));
        }
        for (int k = 0; k < scale; ++k) Png().png_write_row(png, row.data());
    }
}

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

    if (!Png().loaded) return fail("PNG pictures need libpng (libpng16.so.16), which is not installed");
    std::vector<unsigned char> out;
    png_structp png = Png().png_create_write_struct(PNG_LIBPNG_VER_STRING, &reason, OnError, OnWarning);
    if (!png) return fail("out of memory");
    png_infop info = Png().png_create_info_struct(png);
    if (!info || setjmp(*Png().png_set_longjmp_fn(png, longjmp, sizeof(jmp_buf)))) {
        Png().png_destroy_write_struct(&png, &info);
        return fail("PNG encoding failed: " + reason);
    }
    Png().png_set_write_fn(png, &out, Append, NoFlush);
    Png().png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 1, PNG_COLOR_TYPE_GRAY,
                       PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    Png().png_write_info(png, info);
    WriteRows(png, image, scale);
    Png().png_write_end(png, nullptr);
    Png().png_destroy_write_struct(&png, &info);
    return out;
}

bool DotPng::Write(const DotImage& image, int scale, const CString& path, std::string* error) {
    const std::vector<unsigned char> png = Encode(image, scale, error);
    if (png.empty()) return false;
    return WriteFileAtomically(path, png.data(), png.size(), error);
}
