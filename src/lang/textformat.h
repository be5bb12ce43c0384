// Formatting of translated texts. Translations are outside input, so a text whose placeholders
// do not fit the arguments must still give a readable result instead of failing.
#pragma once

#include <QString>
#include <QVariantList>

namespace kvn {

// "%s" takes the next argument as text, "%d" as a whole number, "%%" is a percent sign.
// Surplus arguments are ignored, a missing argument formats as empty, a "%d" whose argument is
// not a number shows the argument's text, and any other "%" sequence is kept as written.
QString FormatText(const QString &Format, const QVariantList &Args);

// The kinds of the placeholders in order, one letter each: "From %s to %d (100 %%)" -> "sd".
QString PlaceholderKinds(const QString &Format);

// True when Translation has the same placeholders as Reference in number, kind and order.
bool PlaceholdersMatch(const QString &Reference, const QString &Translation);

} // namespace kvn
