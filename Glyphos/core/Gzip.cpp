#include "Gzip.h"

#include <zlib.h>

#include <climits>

bool IsGzip(const std::vector<unsigned char>& data) {
    return data.size() >= 2 && data[0] == 0x1F && data[1] == 0x8B;
}

bool Gunzip(const std::vector<unsigned char>& in, std::vector<unsigned char>& out, std::size_t limit,
            std::string& error) {
    out.clear();
    z_stream z{};
    if (in.size() > UINT_MAX || inflateInit2(&z, 15 + 16) != Z_OK) {
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
        rc = inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) break;
        out.insert(out.end(), chunk, chunk + (sizeof chunk - z.avail_out));
        if (out.size() > limit) {
            inflateEnd(&z);
            error = "the compressed file unpacks to more than " + std::to_string(limit / (1024 * 1024)) + " MiB";
            return false;
        }
        if (rc == Z_OK && z.avail_in == 0 && z.avail_out != 0) break;  // truncated stream
    }
    inflateEnd(&z);
    if (rc != Z_STREAM_END) {
        error = "the compressed data is damaged or cut short";
        return false;
    }
    return true;
}

std::vector<unsigned char> GzipCompress(const std::vector<unsigned char>& in) {
    z_stream z{};
    deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::vector<unsigned char> out(deflateBound(&z, static_cast<uLong>(in.size())));
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}
