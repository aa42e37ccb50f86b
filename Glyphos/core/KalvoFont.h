// The editor's in-memory printer font: up to 256 monochrome characters of at
// most 64 x 96 dots, the property record of the PSW generation the font came
// from, a four-slot undo ring and the packed buffer that carries a selected
// rectangle of dots.
//
// All storage but the copy buffer is fixed and lives inside the object, so
// every dot operation is a constant-time bit operation whatever the font's
// size. A dot is bit 7 - (column mod 8) of byte column / 8 of its row: column
// 0 is the high bit of the row's first byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "Conversioni.h"
#include "PswRecords.h"

// The rectangle of the inked dots of a character, ends included.
struct InkRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

class KalvoFont : public CConversioni {
public:
    static constexpr int kChars = 256;
    static constexpr int kRows = 96;
    static constexpr int kCols = 64;
    static constexpr int kRowBytes = 8;
    static constexpr int kCharBytes = kRows * kRowBytes;  // 768
    static constexpr int kUndoSlots = 4;
    // Widest packed row a property record can describe: width 255 plus two
    // margins of 127 dots.
    static constexpr int kMaxPackedRowBytes = 64;

    KalvoFont();
    ~KalvoFont() override;
    KalvoFont(const KalvoFont&) = delete;
    KalvoFont& operator=(const KalvoFont&) = delete;

    // ---- Grid. Coordinates outside 256 characters x 96 rows x 64 columns
    // are ignored (reads answer 0), so a bad caller cannot write outside
    // the grid.
    void SetPixel(int ch, int row, int col);
    void ClearPixel(int ch, int row, int col);
    void TogglePixel(int ch, int row, int col);
    int GetPixel(int ch, int row, int col) const;
    // The n x n square whose top-left dot is (col0, row0), cut at the grid's
    // edge (brush, eraser, invert).
    void SetBlock(int ch, int col0, int row0, int n);
    void ClearBlock(int ch, int col0, int row0, int n);
    void ToggleBlock(int ch, int col0, int row0, int n);
    // Columns col0..col1 of rows row0..row1, both ends included.
    void ClearRect(int ch, int col0, int row0, int col1, int row1);
    // Inked dots of rows 0..rows-1, columns 0..maxCol. Without ink:
    // left = maxCol, top = rows, right = 0, bottom = 0.
    InkRect GetInkRect(int ch, int maxCol, int rows) const;
    void ClearAllChars();
    void ClearChar(int ch);
    // Raw grid bytes (the ".kfn" file stores them as they are); byteIndex
    // 0..7. Out-of-range reads answer 0 and writes are ignored.
    unsigned char GetGridByte(int ch, int row, int byteIndex) const;
    void SetGridByte(int ch, int row, int byteIndex, unsigned char value);
    // The 96 x 8 bytes of a character, or nullptr for a code outside 0..255.
    const unsigned char* GetCharBits(int ch) const;

    // ---- Undo ring.
    // Saves the whole 96 x 64 bitmap of ch into the slot at the undo index
    // and advances the index modulo 4: the fifth save overwrites the first.
    void PushUndo(int ch);
    // Copies a slot (0..3) back over the whole bitmap of ch.
    void RestoreUndo(int ch, int slot);
    void ClearUndoRing();
    // Clears the slot at the undo index.
    void ClearUndoSlot();
    int GetUndoIndex() const { return m_UndoIndex; }

    // ---- Copy buffer: rows of bytesPerRow bytes, each row starting on a
    // byte boundary, first column in the high bit.
    // Zero-filled; replaces a buffer that is still allocated. Returns 0
    // (allocated flag cleared) when the memory cannot be had or the sizes
    // are not positive.
    int AllocCopyBuffer(int rows, int bytesPerRow, int columns);
    void FreeCopyBuffer();
    // Packs columns col0..col1 of rows row0..row1 of ch into the buffer (as
    // much of it as the buffer holds) and marks it filled. Returns 0 when no
    // buffer is allocated.
    int CopyRectToBuffer(int ch, int col0, int row0, int col1, int row1);
    // 1 or 0 for the dot at (row, col) of the buffer; 2 when no buffer is
    // allocated; 0 outside the buffer.
    int GetBufferPixel(int row, int col) const;
    // Copies the buffer's length in bytes from src and marks it filled.
    // Returns 0 when no buffer is allocated.
    int SetBufferBytes(const unsigned char* src);
    // The same, copying no more than srcLength bytes (the rest stays zero).
    int SetBufferBytes(const unsigned char* src, std::size_t srcLength);
    const unsigned char* GetCopyBuffer() const { return m_CopyBuffer.get(); }
    int GetCopyBufferLength() const { return m_CopyBufferLength; }
    int GetCopyBufferRows() const { return m_CopyBufferRows; }
    int GetCopyBufferColumns() const { return m_CopyBufferColumns; }
    int IsCopyBufferAllocated() const { return m_CopyBufferAllocated; }
    int IsCopyBufferFilled() const { return m_CopyBufferFilled; }

    // Bytes per row as last stored: by SetBytesPerRow (the font block's
    // value) or by the copy buffer's allocation; a FreeCopyBuffer of an
    // allocated buffer sets it to 0. Callers that need the font's value use
    // GetFontBytesPerRow.
    void SetBytesPerRow(int n) { m_BytesPerRow = n; }
    int GetBytesPerRow() const { return m_BytesPerRow; }

    // ---- Font blocks: for each character first..last in turn, rows packed
    // rows of bytesPerRow bytes each. The left margin is the one of the
    // property record in force; the margin arguments stay in the signature
    // for the callers that pass the record's values.
    //
    // Nothing outside the block or the grid is read or written whatever the
    // sizes say: the block form without a length takes the length that the
    // sizes imply; a row that lies partly outside blockLength is read as if
    // the missing bytes were zero and written only as far as the block goes;
    // only the first 8 bytes of a wider row and the first 96 rows of a
    // taller character reach the grid, and codes outside 0..255 are skipped
    // while keeping their place in the block. Returns 0 (touching nothing)
    // when bytesPerRow is not 1..64, else 1.
    //
    // Unpacking reverses each packed row when byteOrder is 1, then shifts it
    // left by a positive left margin (right by a negative one), then copies
    // it into the grid; the caller's block is left as it was.
    int UnpackFontBlock(const unsigned char* block, int bytesPerRow, int rows, int leftMargin, int rightMargin,
                        int first, int last, int byteOrder);
    int UnpackFontBlock(const unsigned char* block, std::size_t blockLength, int bytesPerRow, int rows, int leftMargin,
                        int rightMargin, int first, int last, int byteOrder);
    // Packing is the exact inverse: the grid row shifted back first, then
    // reversed when byteOrder is 1, so that a font read and written again
    // keeps every dot for any byte order and margin.
    int PackFontBlock(unsigned char* block, int bytesPerRow, int rows, int leftMargin, int rightMargin, int first,
                      int last, int byteOrder) const;
    int PackFontBlock(unsigned char* block, std::size_t blockLength, int bytesPerRow, int rows, int leftMargin,
                      int rightMargin, int first, int last, int byteOrder) const;

    // ---- Property records. The generation flag chooses the one in force:
    // 0 the first-generation record, 1 the second-generation one. Every
    // accessor below by meaning reads or writes the record in force only.
    void SetHeaderGeneration(int flag) { m_HeaderGeneration = flag ? 1 : 0; }
    int GetHeaderGeneration() const { return m_HeaderGeneration; }
    _headerFont& GetHeaderFont() { return m_HeaderFont; }
    const _headerFont& GetHeaderFont() const { return m_HeaderFont; }
    _headerFont2& GetHeaderFont2() { return m_HeaderFont2; }
    const _headerFont2& GetHeaderFont2() const { return m_HeaderFont2; }
    // The record in force as bytes in memory order: 16 or 30 of them.
    unsigned char* GetHeaderBytes();
    const unsigned char* GetHeaderBytes() const;
    int GetHeaderSize() const;

    int GetTag() const;
    int GetFontNumber() const;
    int GetFontCount() const;
    int GetWidth() const;
    int GetHeight() const;
    int GetFirstChar() const;
    int GetLastChar() const;
    // The position field as stored: 24-bit (first generation) or 32-bit
    // big-endian. Turning it into a file offset is the document's business.
    std::uint32_t GetFontPosition() const;
    int GetOrientation() const;
    int GetMarginLeft() const;
    int GetMarginRight() const;
    int GetMarginUp() const;
    int GetMarginBottom() const;
    int GetByteOrder() const;
    void SetTag(int v);
    void SetWidth(int v);
    void SetHeight(int v);
    void SetFirstChar(int v);
    void SetLastChar(int v);
    void SetOrientation(int v);
    void SetMarginLeft(int v);
    void SetMarginRight(int v);
    void SetMarginUp(int v);
    void SetMarginBottom(int v);
    void SetByteOrder(int v);

    // BytesForBits(width + left margin + right margin) of the record in
    // force: the bytes of one packed row of the font block.
    int GetFontBytesPerRow() const;
    // Bytes of the whole packed block: bytes per row x height x number of
    // characters (0 when the last character is below the first).
    std::size_t GetFontBlockSize() const;

    void SetFontName(const CString& name) { m_FontName = name; }
    const CString& GetFontName() const { return m_FontName; }

private:
    unsigned char CharGrid[kChars][kRows][kRowBytes];
    unsigned char UndoRing[kUndoSlots][kRows][kRowBytes];
    std::uint8_t m_UndoIndex = 0;
    [[maybe_unused]] std::uint32_t m_Reserved = 0;

    std::unique_ptr<unsigned char[]> m_CopyBuffer;
    int m_CopyBufferLength = 0;
    int m_CopyBufferRows = 0;
    int m_CopyBufferColumns = 0;
    int m_BytesPerRow = 0;
    int m_CopyBufferAllocated = 0;
    int m_CopyBufferFilled = 0;

    _headerFont m_HeaderFont{};
    CString m_FontName;
    _headerFont2 m_HeaderFont2{};
    int m_HeaderGeneration = 0;
};
