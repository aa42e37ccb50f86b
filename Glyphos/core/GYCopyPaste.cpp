#include "GYCopyPaste.h"

#include <climits>
#include <cstring>
#include <new>

#include "UiServices.h"

int GYCopyPaste::Alloc(int rows, int bytesPerRow, int columns) {
    Free();
    if (rows <= 0 || bytesPerRow <= 0 || rows > INT_MAX / bytesPerRow) return 0;
    const int length = rows * bytesPerRow;
    m_Data.reset(new (std::nothrow) unsigned char[static_cast<std::size_t>(length)]());
    if (!m_Data) return 0;
    m_Length = length;
    m_Rows = rows;
    m_Columns = columns;
    m_BytesPerRow = bytesPerRow;
    m_Allocated = 1;
    return 1;
}

void GYCopyPaste::Free() {
    m_Data.reset();
    m_Length = 0;
    m_Rows = 0;
    m_Columns = 0;
    m_BytesPerRow = 0;
    m_Allocated = 0;
    m_Filled = 0;
}

int GYCopyPaste::Fill(const unsigned char* source, int rows, int bytesPerRow) {
    if (!m_Allocated || !source || rows != m_Rows || bytesPerRow != m_BytesPerRow) {
        MessageBox(nullptr, L"The copy operation was not possible !", L"Error", MB_OK | MB_ICONSTOP);
        return m_Filled;
    }
    std::memcpy(m_Data.get(), source, static_cast<std::size_t>(m_Length));
    m_Filled = 1;
    return 1;
}
