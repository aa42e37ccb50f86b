// The application-wide clipboard of the editor: one packed rectangle of dots
// (the layout of a font's copy buffer) that copy and cut leave here and paste
// takes into any open font. It outlives the document it came from.
#pragma once

#include <cstddef>
#include <memory>

class GYCopyPaste {
public:
    GYCopyPaste() = default;
    GYCopyPaste(const GYCopyPaste&) = delete;
    GYCopyPaste& operator=(const GYCopyPaste&) = delete;

    // Zero-filled rows x bytesPerRow bytes; replaces data still held.
    // Returns 0 (allocated flag cleared) when the memory cannot be had or the
    // sizes are not positive.
    int Alloc(int rows, int bytesPerRow, int columns);
    // Forgets the data and every size.
    void Free();
    // Takes the bytes of a block of the allocated shape. Any other shape is
    // refused with a message and the filled flag is returned unchanged.
    int Fill(const unsigned char* source, int rows, int bytesPerRow);

    const unsigned char* GetData() const { return m_Data.get(); }
    int GetLength() const { return m_Length; }
    int GetRows() const { return m_Rows; }
    int GetColumns() const { return m_Columns; }
    int GetBytesPerRow() const { return m_BytesPerRow; }
    int IsAllocated() const { return m_Allocated; }
    // 1 while the clipboard holds a copied rectangle.
    int IsFilled() const { return m_Filled; }

private:
    std::unique_ptr<unsigned char[]> m_Data;
    int m_Length = 0;
    int m_Rows = 0;
    int m_Columns = 0;
    int m_BytesPerRow = 0;
    int m_Allocated = 0;
    int m_Filled = 0;
};
