// gzip in memory (zlib), for compressed font files such as .psf.gz.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

bool IsGzip(const std::vector<unsigned char>& data);
// Inflates a whole gzip stream; refuses output beyond `limit` bytes so that a
// small hostile file cannot fill the memory.
bool Gunzip(const std::vector<unsigned char>& in, std::vector<unsigned char>& out, std::size_t limit,
            std::string& error);
// Empty when zlib cannot be loaded.
std::vector<unsigned char> GzipCompress(const std::vector<unsigned char>& in);
