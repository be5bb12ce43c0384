#include "catalogue/fields.h"

namespace kvn {

std::int32_t FieldToInt(const QString &Field, std::int32_t Default)
{
    // Leading blanks are tolerated, as the classic integer reader does; nothing may follow the digits.
    qsizetype i = 0;
    while (i < Field.size() && IsBlankOrControl(Field.at(i)) && Field.at(i) != QChar(0))
        ++i;
    bool negative = false;
    if (i < Field.size() && (Field.at(i) == u'-' || Field.at(i) == u'+')) {
        negative = Field.at(i) == u'-';
        ++i;
    }
    if (i >= Field.size())
        return Default;
    std::int64_t value = 0;
    for (; i < Field.size(); ++i) {
        const char16_t c = Field.at(i).unicode();
        if (c < u'0' || c > u'9')
            return Default;
        value = value * 10 + (c - u'0');
        if (value > std::int64_t(INT32_MAX) + 1)
            return Default;
    }
    if (negative)
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return Default;
    return static_cast<std::int32_t>(value);
}

} // namespace kvn
