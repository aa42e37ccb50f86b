// The floor of glyphos-cli's file commands (info, fonts, show): a process
// that loads libostrel, as they do, and reads a file's first bytes.
//
//   floor_ostrel FILE
#include "Conversioni.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: floor_ostrel FILE\n");
        return 2;
    }
    std::FILE* f = std::fopen(argv[1], "rb");
    if (!f) return 1;
    unsigned char head[64];
    const std::size_t n = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    // Something of the library, so that it is loaded and used.
    CConversioni conv;
    std::printf("%zu %02x\n", n, n ? static_cast<unsigned>(conv.ByteRotateSx(head[0], 1)) : 0u);
    return 0;
}
