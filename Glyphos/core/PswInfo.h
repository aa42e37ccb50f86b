// What a PSW or PSW2 file says about itself, collected from the library's
// header readers without any window: printer identity, sizes, banks, logos,
// supported printers, modules and every font with the place and size of its
// data block. Used by glyphos-cli and by anything else that wants to show a
// file's contents.
#pragma once

#include "CString.h"
#include "KalvoNewDebugObject.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct PswFontInfo {
    int number = 0;          // byte 1 of the record
    int width = 0;
    int height = 0;
    int first = 0;
    int last = 0;
    wchar_t orientation = L'H';
    std::array<int, 4> margins{};  // left, right, upper, bottom (signed)
    int byteOrder = 0;
    // Absolute file offset of the data block, as the font document computes
    // it: PSW2 records hold it; first-generation records hold a position in
    // the binary image, to which the header size is added.
    std::uint32_t offset = 0;
    std::uint32_t blockSize = 0;
};

struct PswSupportedPrinterInfo {
    int number = 0;
    CString printer, hwRelease, swRelease, date;
    int gsiModel = 0;  // plain
};

struct PswModuleInfo {
    wchar_t type = 0;
    int number = 0;
    int count = 0;
    std::uint32_t address = 0;
    std::uint32_t size = 0;
};

struct PswInfo {
    int generation = 0;  // 1 or 2
    CString printer, hwRelease, swRelease, date;
    int scrambleByte = 0;
    int gsiModel = 0;    // plain
    int initBank = 0;
    int portType = 0;
    std::uint32_t headerSize = 0;
    std::uint32_t binarySize = 0;

    // First generation.
    unsigned banks = 0;
    std::uint32_t bankSize = 0;
    std::array<int, 4> sums{};  // the four bytes at file offset 26
    std::vector<int> softwareBanks;
    int logos = 0;

    // Second generation.
    CString softwareModuleRelease;
    std::vector<PswSupportedPrinterInfo> supportedPrinters;
    std::vector<PswModuleInfo> modules;
    int propFonts = 0;

    std::vector<PswFontInfo> fonts;
};

// Reads the headers of `path` through the library's readers, which report
// through `log` (may be null). Returns true when the file was read; false
// with `error` set to one line that says why. A file that ends inside a
// first-generation header stops the readers with their release assertion:
// the integer it throws is not caught here.
bool ReadPswInfo(const CString& path, CKalvoNewDebugObject* log, PswInfo& info, std::string& error);
