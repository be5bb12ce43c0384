// kestrovan-cli catalogue [--game <folder>] [--profile <folder>] [--json]
#pragma once

#include <QStringList>
#include <QTextStream>

namespace kvn {

// Args are the words after "catalogue" (without --json). Exit codes: 0 a catalogue was built (from
// the game or the compiled data), 2 unusable arguments.
int CatalogueCommand(const QStringList &Args, bool Json, QTextStream &Out, QTextStream &Err);

} // namespace kvn
