// Conversions between the library's wide strings and Qt's strings, for the
// code on the Qt side of the library.
#pragma once

#include "CString.h"

#include <QString>

inline QString ToQString(const CString& s) { return QString::fromStdWString(s.str()); }
inline CString FromQString(const QString& s) { return CString(s.toStdWString()); }
