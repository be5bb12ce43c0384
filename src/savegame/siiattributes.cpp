#include "savegame/siiattributes.h"

#include <QStringList>

namespace kvn {

namespace {

// The line without a "#" or "//" comment that starts outside quotes.
QString WithoutComment(const QString &Line)
{
    bool quoted = false;
    for (qsizetype i = 0; i < Line.size(); ++i) {
        const QChar c = Line.at(i);
        if (c == u'"' && (i == 0 || Line.at(i - 1) != u'\\'))
            quoted = !quoted;
        else if (!quoted && (c == u'#' || (c == u'/' && i + 1 < Line.size() && Line.at(i + 1) == u'/')))
            return Line.left(i);
    }
    return Line;
}

QString Unquoted(QString Value)
{
    Value = Value.trimmed();
    if (Value.size() >= 2 && Value.startsWith(u'"') && Value.endsWith(u'"'))
        return Value.mid(1, Value.size() - 2);
    return Value;
}

} // namespace

std::vector<TSiiAttribute> ReadSiiAttributes(const QByteArray &Text, int MaxLines, int MaxAttributes)
{
    std::vector<TSiiAttribute> attributes;
    QString unitClass, unitName;
    bool inUnit = false;
    int lineCount = 0;
    qsizetype start = 0;
    while (start < Text.size() && lineCount < MaxLines && int(attributes.size()) < MaxAttributes) {
        qsizetype end = Text.indexOf('\n', start);
        if (end < 0)
            end = Text.size();
        const QString line = WithoutComment(QString::fromUtf8(Text.constData() + start, end - start)).trimmed();
        start = end + 1;
        ++lineCount;
        if (line.isEmpty())
            continue;
        if (line.startsWith(u'}')) {
            inUnit = false;
            continue;
        }
        const qsizetype colon = line.indexOf(u':');
        if (!inUnit) {
            // "class : name {"; a brace on a line of its own is passed over like any line without a colon.
            if (colon > 0) {
                unitClass = line.left(colon).trimmed();
                unitName = line.mid(colon + 1).trimmed();
                if (unitName.endsWith(u'{'))
                    unitName.chop(1);
                unitName = unitName.trimmed();
                inUnit = true;
            }
            continue;
        }
        if (colon <= 0)
            continue;
        QString key = line.left(colon).trimmed();
        if (const qsizetype bracket = key.indexOf(u'['); bracket > 0)
            key.truncate(bracket);
        attributes.push_back({unitClass, unitName, key, Unquoted(line.mid(colon + 1))});
    }
    return attributes;
}

QStringList SiiAttributeValues(const std::vector<TSiiAttribute> &Attributes, const QString &UnitClass,
                               const QString &Key)
{
    QStringList values;
    for (const TSiiAttribute &a : Attributes)
        if (a.UnitClass == UnitClass && a.Key == Key)
            values.append(a.Value);
    return values;
}

} // namespace kvn
