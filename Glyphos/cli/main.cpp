// glyphos-cli: the editor's file work without a window.
#include "AtomicFile.h"
#include "CliCommon.h"
#include "UiServices.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

// Each command lives in its own Cli<Name>.cpp.
int CliInfo(const std::vector<std::string>& args);
int CliFonts(const std::vector<std::string>& args);
int CliExtract(const std::vector<std::string>& args);
int CliReplace(const std::vector<std::string>& args);
int CliShow(const std::vector<std::string>& args);
int CliExport(const std::vector<std::string>& args);
int CliConvert(const std::vector<std::string>& args);
#ifdef GLYPHOS_CLI_PRINT
int CliPrint(const std::vector<std::string>& args);
#endif
int CliRender(const std::vector<std::string>& args);
int CliSample(const std::vector<std::string>& args);

namespace {

struct CliCommand {
    const char* name;
    const char* usage;    // the arguments after the command name
    const char* summary;
    int (*run)(const std::vector<std::string>& args);
};

const CliCommand kCommands[] = {
    {"info", "FILE [--json]", "show what the headers of a PSW or PSW2 file say", CliInfo},
    {"fonts", "FILE.psw [--log-dir DIR]", "list the fonts of a PSW file, one line each", CliFonts},
    {"extract", "FILE.psw N OUT.kfn [--log-dir DIR]", "save font N (as listed by fonts) as a font file", CliExtract},
    {"replace", "FILE.psw IN.kfn [--font N] [--log-dir DIR]",
     "write a font file into a compatible font of a PSW file (re-scrambled, sums recomputed)", CliReplace},
    {"show", "FILE.kfn CODE", "print character CODE (decimal or 0x..) as rows of # and .", CliShow},
    {"sample", "FONT TEXT OUT.png [--font N] [--codepage N] [--scale S]",
     "draw TEXT with a font (.kfn, .bdf, .psf, .psf.gz, or font N of a .psw) at one pixel per printer dot", CliSample},
    {"export",
     "c|asm IN.kfn OUT --items N [--size byte|word|dword] [--comment star|semicolon] "
     "[--dialect default|mcuez] [--note TEXT]",
     "write a font file as a C or assembler source table", CliExport},
    {"convert", "IN OUT [--codepage N] [--first A --last B] [--psf1]",
     "convert a font between .kfn, .bdf, .psf and .psf.gz (by extension); Unicode fonts are mapped to codes "
     "0..255 through code page N (default 1252)",
     CliConvert},
#ifdef GLYPHOS_CLI_PRINT
    {"print", "IN.kfn OUT.pdf [--char CODE] [--factor N] [--paper a4|letter]",
     "write the printed page of a font file (a character's grid and the font table) to a PDF file", CliPrint},
#endif
    {"render",
     "FAMILY SIZE OUT.kfn [--style regular|bold|italic|bold-italic] [--underline] [--strikeout] "
     "[--codepage N] [--width W] [--height H] [--first A] [--last B] [--origin X,Y] [--stretch FX,FY] "
     "[--name TEXT]",
     "draw a new font from an installed font (SIZE in points at 96 dpi), as the editor's import does", CliRender},
};

void PrintUsage(std::FILE* out) {
    std::fprintf(out, "usage: glyphos-cli COMMAND [ARGUMENTS]\n       glyphos-cli --help | --version\n\ncommands:\n");
    for (const CliCommand& c : kCommands) {
        std::fprintf(out, "  %s %s\n      %s\n", c.name, c.usage, c.summary);
    }
}

const CliCommand* Find(const std::string& name) {
    for (const CliCommand& c : kCommands) {
        if (name == c.name) return &c;
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    static CliBoxes boxes;
    UiServices::Install(&boxes);
    // An interrupted command leaves no half-written file beside the user's.
    InstallTempFileCleanup();

    if (argc < 2) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintUsage(stdout);
        return kExitOk;
    }
    if (name == "--version") {
        std::printf("glyphos-cli %s\n", GLYPHOS_VERSION);
        return kExitOk;
    }
    const CliCommand* command = Find(name);
    if (!command) {
        PrintError("unknown command \"" + name + "\" (see glyphos-cli --help)");
        return kExitUsage;
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    for (const std::string& a : args) {
        if (a == "--") break;
        if (a == "--help" || a == "-h") {
            std::printf("usage: glyphos-cli %s %s\n  %s\n", command->name, command->usage, command->summary);
            return kExitOk;
        }
    }
    try {
        const int code = command->run(args);
        // What the library said on the way to a success is worth a look.
        for (const std::string& t : boxes.Texts()) PrintWarning(t);
        return code;
    } catch (const CliUsageError& e) {
        PrintError(e.what());
        std::fprintf(stderr, "usage: glyphos-cli %s %s\n", command->name, command->usage);
        return kExitUsage;
    } catch (const CliFailure& e) {
        PrintError(boxes.ErrorLine(e.what()));
        return kExitFailure;
    } catch (int) {
        // The library's release assertion: a check on the file failed.
        PrintError(boxes.ErrorLine("reading stopped at a failed check: the file is damaged or is not a PSW file"));
        return kExitFailure;
    } catch (const std::exception& e) {
        PrintError(boxes.ErrorLine(e.what()));
        return kExitFailure;
    }
}
