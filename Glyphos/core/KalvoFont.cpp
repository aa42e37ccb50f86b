#include "KalvoFont.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "BigEndian.h"
#include "PswLayout.h"

namespace {

bool InGrid(int ch, int row, int col) {
    return static_cast<unsigned>(ch) < KalvoFont::kChars && static_cast<unsigned>(row) < KalvoFont::kRows &&
           static_cast<unsigned>(col) < KalvoFont::kCols;
}

unsigned char Mask(int col) {
    return static_cast<unsigned char>(0x80u >> (col % 8));
}

// The block length that the sizes of the block forms without a length
// imply, saturated instead of wrapping around.
std::size_t ImpliedBlockLength(int bytesPerRow, int rows, int first, int last) {
    if (bytesPerRow <= 0 || rows <= 0 || last < first) return 0;
    const unsigned long long chars = static_cast<unsigned long long>(static_cast<long long>(last) - first + 1);
    const unsigned long long perChar = static_cast<unsigned long long>(bytesPerRow) * static_cast<unsigned>(rows);
    if (chars > SIZE_MAX / perChar) return SIZE_MAX;
    return static_cast<std::size_t>(chars * perChar);
}

// Walks the packed rows of codes first..last that lie in the grid and start
// inside the block: fn(ch, row, offset of the packed row).
template <typename Fn>
void ForEachPackedRow(std::size_t blockLength, int bytesPerRow, int rows, int first, int last, int gridRows, Fn fn) {
    const std::size_t stride = static_cast<std::size_t>(bytesPerRow);
    const std::size_t perChar = stride * static_cast<std::size_t>(rows);
    const int from = std::max(first, 0);
    const int to = std::min(last, KalvoFont::kChars - 1);
    for (int ch = from; ch <= to; ++ch) {
        const unsigned long long index = static_cast<unsigned long long>(static_cast<long long>(ch) - first);
        if (index > SIZE_MAX / perChar) return;
        const std::size_t base = static_cast<std::size_t>(index) * perChar;
        if (base >= blockLength) return;
        for (int r = 0; r < gridRows; ++r) {
            const std::size_t offset = base + static_cast<std::size_t>(r) * stride;
            if (offset >= blockLength) return;
            fn(ch, r, offset);
        }
    }
}

// Shifts a packed row by whole bits, zeros entering. The same result as
// NShiftBufferLeft/Right, done in place: those copy the row into a fresh heap
// buffer each call, which is most of the time of opening a large font.
void ShiftRowLeft(unsigned char* row, int n, int shift) {
    const int bytes = std::min(shift / 8, n);
    const int bits = shift % 8;
    for (int i = 0; i < n; ++i) {
        const int src = i + bytes;
        const unsigned hi = src < n ? row[src] : 0u;
        const unsigned lo = src + 1 < n ? row[src + 1] : 0u;
        row[i] = static_cast<unsigned char>(bits ? (hi << bits) | (lo >> (8 - bits)) : hi);
    }
}

void ShiftRowRight(unsigned char* row, int n, int shift) {
    const int bytes = std::min(shift / 8, n);
    const int bits = shift % 8;
    for (int i = n - 1; i >= 0; --i) {
        const int src = i - bytes;
        const unsigned lo = src >= 0 ? row[src] : 0u;
        const unsigned hi = src - 1 >= 0 ? row[src - 1] : 0u;
        row[i] = static_cast<unsigned char>(bits ? (lo >> bits) | (hi << (8 - bits)) : lo);
    }
}

// Moves a packed row by a signed margin: positive to the left.
void ShiftRow(unsigned char* row, int n, int margin) {
    if (margin > 0)
        ShiftRowLeft(row, n, margin);
    else if (margin < 0)
        ShiftRowRight(row, n, -margin);
}

// Rows of up to 8 bytes, nearly every font, are turned in one 64-bit word:
// the row's bytes in its high end, first byte highest.
std::uint64_t LoadRow(const unsigned char* row, int n) {
    std::uint64_t v = 0;
    for (int i = 0; i < n; ++i) v |= std::uint64_t{row[i]} << (56 - 8 * i);
    return v;
}

void StoreRow(unsigned char* row, int n, std::uint64_t v) {
    for (int i = 0; i < n; ++i) row[i] = static_cast<unsigned char>(v >> (56 - 8 * i));
}

std::uint64_t ReverseRow(std::uint64_t v, int n) {
    return __builtin_bswap64(v) << (64 - 8 * n);
}

std::uint64_t ShiftRowWord(std::uint64_t v, int n, int margin) {
    if (margin > 0) return margin >= 64 ? 0 : v << margin;
    if (margin < 0) {
        const std::uint64_t rowBits = n == 8 ? ~std::uint64_t{0} : ~(~std::uint64_t{0} >> (8 * n));
        return margin <= -64 ? 0 : (v >> -margin) & rowBits;
    }
    return v;
}

// File order to grid order: reverse the bytes when asked, then shift by the
// margin.
void UnpackRow(unsigned char* row, int n, int margin, bool reversed) {
    if (n <= 8) {
        std::uint64_t v = LoadRow(row, n);
        if (reversed) v = ReverseRow(v, n);
        StoreRow(row, n, ShiftRowWord(v, n, margin));
        return;
    }
    if (reversed) std::reverse(row, row + n);
    ShiftRow(row, n, margin);
}

// The exact inverse, each step undone in reverse order.
void PackRow(unsigned char* row, int n, int margin, bool reversed) {
    if (n <= 8) {
        std::uint64_t v = ShiftRowWord(LoadRow(row, n), n, -margin);
        if (reversed) v = ReverseRow(v, n);
        StoreRow(row, n, v);
        return;
    }
    ShiftRow(row, n, -margin);
    if (reversed) std::reverse(row, row + n);
}

}  // namespace

KalvoFont::KalvoFont() {
    ClearAllChars();
    ClearUndoRing();
}

KalvoFont::~KalvoFont() = default;

// ---- Grid ----------------------------------------------------------------

void KalvoFont::SetPixel(int ch, int row, int col) {
    if (InGrid(ch, row, col)) CharGrid[ch][row][col / 8] |= Mask(col);
}

void KalvoFont::ClearPixel(int ch, int row, int col) {
    if (InGrid(ch, row, col)) CharGrid[ch][row][col / 8] &= static_cast<unsigned char>(~Mask(col));
}

void KalvoFont::TogglePixel(int ch, int row, int col) {
    if (InGrid(ch, row, col)) CharGrid[ch][row][col / 8] ^= Mask(col);
}

int KalvoFont::GetPixel(int ch, int row, int col) const {
    if (!InGrid(ch, row, col)) return 0;
    return (CharGrid[ch][row][col / 8] & Mask(col)) ? 1 : 0;
}

void KalvoFont::SetBlock(int ch, int col0, int row0, int n) {
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) SetPixel(ch, row0 + r, col0 + c);
}

void KalvoFont::ClearBlock(int ch, int col0, int row0, int n) {
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) ClearPixel(ch, row0 + r, col0 + c);
}

void KalvoFont::ToggleBlock(int ch, int col0, int row0, int n) {
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) TogglePixel(ch, row0 + r, col0 + c);
}

void KalvoFont::ClearRect(int ch, int col0, int row0, int col1, int row1) {
    if (static_cast<unsigned>(ch) >= kChars) return;
    const int c0 = std::max(col0, 0), c1 = std::min(col1, kCols - 1);
    const int r0 = std::max(row0, 0), r1 = std::min(row1, kRows - 1);
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c) ClearPixel(ch, r, c);
}

InkRect KalvoFont::GetInkRect(int ch, int maxCol, int rows) const {
    InkRect ink{maxCol, rows, 0, 0};
    if (static_cast<unsigned>(ch) >= kChars) return ink;
    const int lastCol = std::min(maxCol, kCols - 1);
    const int lastRow = std::min(rows, kRows) - 1;
    for (int r = 0; r <= lastRow; ++r) {
        for (int c = 0; c <= lastCol; ++c) {
            if (!(CharGrid[ch][r][c / 8] & Mask(c))) continue;
            ink.left = std::min(ink.left, c);
            ink.top = std::min(ink.top, r);
            ink.right = std::max(ink.right, c);
            ink.bottom = std::max(ink.bottom, r);
        }
    }
    return ink;
}

void KalvoFont::ClearAllChars() {
    std::memset(CharGrid, 0, sizeof CharGrid);
}

void KalvoFont::ClearChar(int ch) {
    if (static_cast<unsigned>(ch) < kChars) std::memset(CharGrid[ch], 0, kCharBytes);
}

unsigned char KalvoFont::GetGridByte(int ch, int row, int byteIndex) const {
    if (!InGrid(ch, row, byteIndex * 8)) return 0;
    return CharGrid[ch][row][byteIndex];
}

void KalvoFont::SetGridByte(int ch, int row, int byteIndex, unsigned char value) {
    if (InGrid(ch, row, byteIndex * 8)) CharGrid[ch][row][byteIndex] = value;
}

const unsigned char* KalvoFont::GetCharBits(int ch) const {
    return static_cast<unsigned>(ch) < kChars ? &CharGrid[ch][0][0] : nullptr;
}

// ---- Undo ring -----------------------------------------------------------

void KalvoFont::PushUndo(int ch) {
    if (static_cast<unsigned>(ch) >= kChars) return;
    std::memcpy(UndoRing[m_UndoIndex], CharGrid[ch], kCharBytes);
    m_UndoIndex = static_cast<std::uint8_t>((m_UndoIndex + 1) % kUndoSlots);
}

void KalvoFont::RestoreUndo(int ch, int slot) {
    if (static_cast<unsigned>(ch) >= kChars || static_cast<unsigned>(slot) >= kUndoSlots) return;
    std::memcpy(CharGrid[ch], UndoRing[slot], kCharBytes);
}

void KalvoFont::ClearUndoRing() {
    std::memset(UndoRing, 0, sizeof UndoRing);
}

void KalvoFont::ClearUndoSlot() {
    std::memset(UndoRing[m_UndoIndex], 0, kCharBytes);
}

// ---- Copy buffer ---------------------------------------------------------

int KalvoFont::AllocCopyBuffer(int rows, int bytesPerRow, int columns) {
    FreeCopyBuffer();
    m_CopyBufferAllocated = 0;
    if (rows <= 0 || bytesPerRow <= 0 || rows > INT_MAX / bytesPerRow) return 0;
    const int length = rows * bytesPerRow;
    m_CopyBuffer.reset(new (std::nothrow) unsigned char[static_cast<std::size_t>(length)]());
    if (!m_CopyBuffer) return 0;
    m_CopyBufferLength = length;
    m_CopyBufferRows = rows;
    m_CopyBufferColumns = columns;
    m_BytesPerRow = bytesPerRow;
    m_CopyBufferAllocated = 1;
    return 1;
}

void KalvoFont::FreeCopyBuffer() {
    if (!m_CopyBufferAllocated) return;
    m_CopyBuffer.reset();
    m_CopyBufferLength = 0;
    m_CopyBufferRows = 0;
    m_CopyBufferColumns = 0;
    m_BytesPerRow = 0;
    m_CopyBufferAllocated = 0;
    m_CopyBufferFilled = 0;
}

int KalvoFont::CopyRectToBuffer(int ch, int col0, int row0, int col1, int row1) {
    m_CopyBufferColumns = std::max(col1 - col0 + 1, 1);
    if (!m_CopyBufferAllocated) return 0;
    unsigned char* out = m_CopyBuffer.get();
    std::memset(out, 0, static_cast<std::size_t>(m_CopyBufferLength));
    // A row holds at most bytes-per-row x 8 dots; whatever the rectangle has
    // beyond that, or beyond the buffer's rows, is not packed.
    const int rows = std::min(row1 - row0 + 1, m_CopyBufferRows);
    const int cols = std::min(m_CopyBufferColumns, m_BytesPerRow * 8);
    for (int i = 0; i < rows; ++i) {
        unsigned char* row = out + static_cast<std::ptrdiff_t>(i) * m_BytesPerRow;
        for (int j = 0; j < cols; ++j) {
            if (GetPixel(ch, row0 + i, col0 + j)) row[j / 8] |= Mask(j);
        }
    }
    m_CopyBufferFilled = 1;
    return 1;
}

int KalvoFont::GetBufferPixel(int row, int col) const {
    if (!m_CopyBufferAllocated) return 2;
    if (row < 0 || col < 0 || row >= m_CopyBufferRows || col >= m_BytesPerRow * 8) return 0;
    const unsigned char byte = m_CopyBuffer[static_cast<std::size_t>(row) * static_cast<std::size_t>(m_BytesPerRow) +
                                            static_cast<std::size_t>(col / 8)];
    return (byte & Mask(col)) ? 1 : 0;
}

int KalvoFont::SetBufferBytes(const unsigned char* src) {
    return SetBufferBytes(src, static_cast<std::size_t>(m_CopyBufferLength));
}

int KalvoFont::SetBufferBytes(const unsigned char* src, std::size_t srcLength) {
    if (!m_CopyBufferAllocated || !src) return 0;
    const std::size_t n = std::min(srcLength, static_cast<std::size_t>(m_CopyBufferLength));
    std::memcpy(m_CopyBuffer.get(), src, n);
    std::memset(m_CopyBuffer.get() + n, 0, static_cast<std::size_t>(m_CopyBufferLength) - n);
    m_CopyBufferFilled = 1;
    return 1;
}

// ---- Font blocks ---------------------------------------------------------

int KalvoFont::UnpackFontBlock(const unsigned char* block, int bytesPerRow, int rows, int leftMargin, int rightMargin,
                               int first, int last, int byteOrder) {
    return UnpackFontBlock(block, ImpliedBlockLength(bytesPerRow, rows, first, last), bytesPerRow, rows, leftMargin,
                           rightMargin, first, last, byteOrder);
}

int KalvoFont::UnpackFontBlock(const unsigned char* block, std::size_t blockLength, int bytesPerRow, int rows,
                               int /*leftMargin*/, int /*rightMargin*/, int first, int last, int byteOrder) {
    if (bytesPerRow < 1 || bytesPerRow > kMaxPackedRowBytes) return 0;
    if (!block || rows <= 0 || last < first) return 1;
    const int margin = GetMarginLeft();
    const std::size_t stride = static_cast<std::size_t>(bytesPerRow);
    const std::size_t toGrid = static_cast<std::size_t>(std::min(bytesPerRow, kRowBytes));
    unsigned char row[kMaxPackedRowBytes];
    ForEachPackedRow(blockLength, bytesPerRow, rows, first, last, std::min(rows, kRows),
                     [&](int ch, int r, std::size_t offset) {
                         const std::size_t have = std::min(stride, blockLength - offset);
                         std::memcpy(row, block + offset, have);
                         std::memset(row + have, 0, stride - have);
                         UnpackRow(row, bytesPerRow, margin, byteOrder == 1);
                         std::memcpy(CharGrid[ch][r], row, toGrid);
                     });
    return 1;
}

int KalvoFont::PackFontBlock(unsigned char* block, int bytesPerRow, int rows, int leftMargin, int rightMargin,
                             int first, int last, int byteOrder) const {
    return PackFontBlock(block, ImpliedBlockLength(bytesPerRow, rows, first, last), bytesPerRow, rows, leftMargin,
                         rightMargin, first, last, byteOrder);
}

int KalvoFont::PackFontBlock(unsigned char* block, std::size_t blockLength, int bytesPerRow, int rows,
                             int /*leftMargin*/, int /*rightMargin*/, int first, int last, int byteOrder) const {
    if (bytesPerRow < 1 || bytesPerRow > kMaxPackedRowBytes) return 0;
    if (!block || rows <= 0 || last < first) return 1;
    const int margin = GetMarginLeft();
    const std::size_t stride = static_cast<std::size_t>(bytesPerRow);
    const std::size_t fromGrid = static_cast<std::size_t>(std::min(bytesPerRow, kRowBytes));
    unsigned char row[kMaxPackedRowBytes];
    // Rows below the grid's 96th are blank dots like the bytes beyond a grid
    // row's 8th: walk every row of the character and pack those as zeros.
    ForEachPackedRow(blockLength, bytesPerRow, rows, first, last, rows, [&](int ch, int r, std::size_t offset) {
        std::memset(row, 0, stride);
        if (r < kRows) std::memcpy(row, CharGrid[ch][r], fromGrid);
        PackRow(row, bytesPerRow, margin, byteOrder == 1);
        std::memcpy(block + offset, row, std::min(stride, blockLength - offset));
    });
    return 1;
}

// ---- Property records ----------------------------------------------------

unsigned char* KalvoFont::GetHeaderBytes() {
    return m_HeaderGeneration ? reinterpret_cast<unsigned char*>(&m_HeaderFont2)
                              : reinterpret_cast<unsigned char*>(&m_HeaderFont);
}

const unsigned char* KalvoFont::GetHeaderBytes() const {
    return m_HeaderGeneration ? reinterpret_cast<const unsigned char*>(&m_HeaderFont2)
                              : reinterpret_cast<const unsigned char*>(&m_HeaderFont);
}

int KalvoFont::GetHeaderSize() const {
    return m_HeaderGeneration ? static_cast<int>(sizeof(_headerFont2)) : static_cast<int>(sizeof(_headerFont));
}

// Both records name their fields alike; only the offsets differ.
#define KALVOFONT_FIELD(name) (m_HeaderGeneration ? m_HeaderFont2.name : m_HeaderFont.name)

int KalvoFont::GetTag() const {
    return KALVOFONT_FIELD(Tag);
}
int KalvoFont::GetFontNumber() const {
    return KALVOFONT_FIELD(NumFont);
}
int KalvoFont::GetFontCount() const {
    return KALVOFONT_FIELD(NumTotFont);
}
int KalvoFont::GetWidth() const {
    return KALVOFONT_FIELD(Width);
}
int KalvoFont::GetHeight() const {
    return KALVOFONT_FIELD(Height);
}
int KalvoFont::GetFirstChar() const {
    return KALVOFONT_FIELD(FirstChar);
}
int KalvoFont::GetLastChar() const {
    return KALVOFONT_FIELD(LastChar);
}
int KalvoFont::GetOrientation() const {
    return KALVOFONT_FIELD(Orientation);
}
int KalvoFont::GetMarginLeft() const {
    return KALVOFONT_FIELD(MarginLeft);
}
int KalvoFont::GetMarginRight() const {
    return KALVOFONT_FIELD(MarginRight);
}
int KalvoFont::GetMarginUp() const {
    return KALVOFONT_FIELD(MarginUp);
}
int KalvoFont::GetMarginBottom() const {
    return KALVOFONT_FIELD(MarginBottom);
}
int KalvoFont::GetByteOrder() const {
    return KALVOFONT_FIELD(ByteOrder);
}

void KalvoFont::SetTag(int v) {
    KALVOFONT_FIELD(Tag) = static_cast<unsigned char>(v);
}
void KalvoFont::SetWidth(int v) {
    KALVOFONT_FIELD(Width) = static_cast<unsigned char>(v);
}
void KalvoFont::SetHeight(int v) {
    KALVOFONT_FIELD(Height) = static_cast<unsigned char>(v);
}
void KalvoFont::SetFirstChar(int v) {
    KALVOFONT_FIELD(FirstChar) = static_cast<unsigned char>(v);
}
void KalvoFont::SetLastChar(int v) {
    KALVOFONT_FIELD(LastChar) = static_cast<unsigned char>(v);
}
void KalvoFont::SetOrientation(int v) {
    KALVOFONT_FIELD(Orientation) = static_cast<unsigned char>(v);
}
void KalvoFont::SetMarginLeft(int v) {
    KALVOFONT_FIELD(MarginLeft) = static_cast<signed char>(v);
}
void KalvoFont::SetMarginRight(int v) {
    KALVOFONT_FIELD(MarginRight) = static_cast<signed char>(v);
}
void KalvoFont::SetMarginUp(int v) {
    KALVOFONT_FIELD(MarginUp) = static_cast<signed char>(v);
}
void KalvoFont::SetMarginBottom(int v) {
    KALVOFONT_FIELD(MarginBottom) = static_cast<signed char>(v);
}
void KalvoFont::SetByteOrder(int v) {
    KALVOFONT_FIELD(ByteOrder) = static_cast<unsigned char>(v);
}

#undef KALVOFONT_FIELD

std::uint32_t KalvoFont::GetFontPosition() const {
    return m_HeaderGeneration ? psw::RecordFontPosition(m_HeaderFont2) : psw::RecordFontPosition(m_HeaderFont);
}

int KalvoFont::GetFontBytesPerRow() const {
    return BytesForBits(GetWidth() + GetMarginLeft() + GetMarginRight());
}

std::size_t KalvoFont::GetFontBlockSize() const {
    return psw::FontBlockSize(GetWidth(), GetMarginLeft(), GetMarginRight(), GetHeight(), GetFirstChar(),
                              GetLastChar());
}
