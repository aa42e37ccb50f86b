#include "Gzip.h"

#include "LazyLibrary.h"

#include <zlib.h>

#include <climits>

namespace {

#define GLYPHOS_ZLIB_FUNCTIONS(X) \
    X(deflate)                    \
    X(deflateBound)               \
    X(deflateEnd)                 \
    X(deflateInit2_)              \
    X(inflate)                    \
    X(inflateEnd)                 \
    X(inflateInit2_)
GLYPHOS_LAZY_LIBRARY(ZlibLibrary, Zlib, "libz.so.1", GLYPHOS_ZLIB_FUNCTIONS)

}  // namespace

bool IsGzip(const std::vector<unsigned char>& data) {
    return data.size() >= 2 && data[0] == 0x1F && data[1] == 0x8B;
}

bool Gunzip(const std::vector<unsigned char>& in, std::vector<unsigned char>& out, std::size_t limit,
            std::string& error) {
    out.clear();
    z_stream z{};
    if (!Zlib().loaded) {
        error = "compressed files need zlib (libz.so.1), which is not installed";
        return false;
    }
    if (in.size() > UINT_MAX || Zlib().inflateInit2_(&z, 15 + 16, ZLIB_VERSION, static_cast<int>(sizeof z)) != Z_OK) {
        error = "cannot decompress the file";
        return false;
    }
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    unsigned char chunk[65536];
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        z.next_out = chunk;
        z.avail_out = sizeof chunk;
        rc = Zlib().inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) break;
        out.insert(out.end(), chunk, chunk + (sizeof chunk - z.avail_out));
        if (out.size() > limit) {
            Zlib().inflateEnd(&z);
            error = "the compressed file unpacks to more than " + std::to_string(limit / (1024 * 1024)) + " MiB";
            return false;
        }
        if (rc == Z_OK && z.avail_in == 0 && z.avail_out != 0) break;  // truncated stream
    }
    Zlib().inflateEnd(&z);
    if (rc != Z_STREAM_END) {
        error = "the compressed data is damaged or cut short";
        return false;
    }
    return true;
}

std::vector<unsigned char> GzipCompress(const std::vector<unsigned char>& in) {
    z_stream z{};
    if (!Zlib().loaded || Zlib().deflateInit2_(&z, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY,
                                               ZLIB_VERSION, static_cast<int>(sizeof z)) != Z_OK)
        return {};
    std::vector<unsigned char> out(Zlib().deflateBound(&z, static_cast<uLong>(in.size())));
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    Zlib().deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    Zlib().deflateEnd(&z);
    return out;
}
