// kestrovan-cli add-jobs <profile folder or game.sii> <jobs.csv> [--json] [--allow-country-bound]
#pragma once

#include <QStringList>
#include <QTextStream>

namespace kvn {

// Args are the words after "add-jobs" (without --json). Exit codes: 0 every job written, 3 some
// were not, 2 unusable input.
int AddJobsCommand(const QStringList &Args, bool Json, QTextStream &Out, QTextStream &Err);

// Where the program keeps its own files (history, learnt distances): its folder, or the user's
// data folder where its folder is not writable (an installed package).
QString ProgramFilesFolder();

} // namespace kvn
