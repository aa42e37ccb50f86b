// fuzz-make-seeds DIR: writes the seed inputs of every target into
// DIR/<target>/, where ./dev fuzz starts each target's corpus.
#include "FuzzTargets.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz-make-seeds DIR\n");
        return 2;
    }
    for (const fuzz::Seed& s : fuzz::Seeds()) {
        const std::filesystem::path dir = std::filesystem::path(argv[1]) / s.target;
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        std::ofstream out(dir / s.name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(s.bytes.data()), static_cast<std::streamsize>(s.bytes.size()));
        if (!out) {
            std::fprintf(stderr, "fuzz-make-seeds: cannot write %s\n", (dir / s.name).c_str());
            return 1;
        }
    }
    return 0;
}
