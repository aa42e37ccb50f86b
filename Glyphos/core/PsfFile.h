// PC Screen Font, versions 1 and 2: the Linux console's bitmap fonts, read
// into and written from a BitmapFont (compression is the caller's business).
#pragma once

#include "BitmapFont.h"

#include <string>
#include <vector>

class PsfFile {
public:
    static bool IsPsf(const std::vector<unsigned char>& data);
    // A font with a Unicode table comes back keyed by code point, one
    // without by glyph position; a file of ours, by character code with its
    // property record and name. False with a one-line reason on failure.
    static bool Read(const std::vector<unsigned char>& data, BitmapFont& out, std::string& error);
    // 256 glyphs, glyph n holding code n (codes without a glyph blank), so
    // that the console shows the font in its own order; a Unicode table when
    // `unicodeOf` is filled. Version 2 also carries the name and the property
    // record in its header; version 1 can only hold fonts 8 dots wide.
    static bool Write(const BitmapFont& font, int version, std::vector<unsigned char>& out, std::string& error);
};
