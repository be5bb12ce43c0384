// Field conversions shared by the catalogue's line loaders.
#pragma once

#include <QString>
#include <cstdint>

namespace kvn {

// A decimal 32-bit integer with an optional sign; Default for anything else (blank, "12a", overflow).
std::int32_t FieldToInt(const QString &Field, std::int32_t Default);

// Characters that may be blanks around a field: everything up to U+0020.
inline bool IsBlankOrControl(QChar C)
{
    return C.unicode() <= 0x20;
}

} // namespace kvn
