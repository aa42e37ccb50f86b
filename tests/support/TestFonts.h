// Fonts the editor's tests build in a document: a first-generation record of
// the given size and range, and "Tiny", the font of the generator's expected
// tables.
#pragma once

#include "GlyphosDocCore.h"
#include "PswRecords.h"

inline void ApplyTestFont(CGlyphosDocCore& doc, int width, int height, int first, int last, const wchar_t* name,
                          int left = 0, int right = 0) {
    _headerFont r{};
    r.Tag = 'F';
    r.Width = static_cast<unsigned char>(width);
    r.Height = static_cast<unsigned char>(height);
    r.FirstChar = static_cast<unsigned char>(first);
    r.LastChar = static_cast<unsigned char>(last);
    r.Orientation = 'H';
    r.MarginLeft = static_cast<signed char>(left);
    r.MarginRight = static_cast<signed char>(right);
    doc.ApplyPropertyRecord(reinterpret_cast<const unsigned char*>(&r), 0, name);
}

// 10 x 2, 'A' and 'B', each dot row of its two bytes set apart.
inline void MakeTinyFont(CGlyphosDocCore& doc) {
    ApplyTestFont(doc, 10, 2, 0x41, 0x42, L"Tiny");
    const unsigned char rows[] = {0x1F, 0x80, 0xC0, 0x40, 0xFF, 0xC0, 0x00, 0x00};
    for (int i = 0; i < 8; ++i) doc.GetFont().SetGridByte(0x41 + i / 4, (i / 2) % 2, i % 2, rows[i]);
}
