// One libFuzzer target: the build compiles this file once per target with
// FUZZ_TARGET naming the input it feeds.
#include "FuzzTargets.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::Input run = [] {
        const fuzz::Input r = fuzz::Find(FUZZ_TARGET);
        if (!r) {
            std::fprintf(stderr, "no fuzz target named %s\n", FUZZ_TARGET);
            std::abort();
        }
        return r;
    }();
    run(data, size);
    return 0;
}
