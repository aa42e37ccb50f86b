// Prints the library's identity and exercises a few of its helpers, so a
// freshly built libostrel.so can be checked from the command line.
#include "Conversioni.h"
#include "KalvoNewDebugObject.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc > 1) {
        if (std::strcmp(argv[1], "--version") == 0) {
            std::printf("ostrel-selfcheck %s\n", GLYPHOS_VERSION);
            return 0;
        }
        std::FILE* to = std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ? stdout : stderr;
        std::fputs("usage: ostrel-selfcheck [--help | --version]\n"
                   "Prints the library's identity and checks a few of its helpers (exit 0 when they work).\n",
                   to);
        return to == stdout ? 0 : 2;
    }
    CConversioni c;
    const CString rule = c.FormatMessageW(40, L"-", L"/*", L"*/");
    const CString title = c.FormatMessageW(L"Ostrel 1.00", L"/*", L"*/", 40);
    std::printf("%s\n%s\n%s\n", rule.ToUtf8().c_str(), title.ToUtf8().c_str(), rule.ToUtf8().c_str());
    CKalvoNewDebugObject log(nullptr, nullptr, L"", L"", L"selfcheck", 0);
    std::printf("%s %s\n", log.GetClassName().ToUtf8().c_str(), log.GetVersion().ToUtf8().c_str());
    return c.CStrExadecByteToInt(L"7f") == 127 ? 0 : 1;
}
