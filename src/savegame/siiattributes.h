// The attributes of the small SII text files the game and mods ship beside their data
// (version.sii, manifest.sii, versions.sii), read line by line into a flat list. Not for saves,
// which are read as lines and never as a whole.
#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace kvn {

struct TSiiAttribute {
    QString UnitClass; // "mod_package" for "mod_package : .package_name {"
    QString UnitName;  // ".package_name"
    QString Key;       // array keys without their "[]" or "[3]"
    QString Value;     // without enclosing quotes
};

// Bounded: stops after MaxLines lines or MaxAttributes attributes; lines outside a unit and lines
// that are no "key: value" are passed over. "#" and "//" start a comment outside quotes.
std::vector<TSiiAttribute> ReadSiiAttributes(const QByteArray &Text, int MaxLines = 20000, int MaxAttributes = 5000);

// The values of Key in the units of UnitClass, in file order.
QStringList SiiAttributeValues(const std::vector<TSiiAttribute> &Attributes, const QString &UnitClass,
                               const QString &Key);

} // namespace kvn
