// The home and game folder the window tests run in: a temporary HOME whose game folder holds the
// saves kvn-savegen generates, written afresh before each test so that none sees another's edits.
#pragma once

#include "savegen.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QtTest>

namespace kvntest {

// Points HOME and the XDG folders into Home; returns the game folder the program looks for there.
inline QString UseHomeFolder(const QString &Home)
{
    qputenv("HOME", Home.toUtf8());
    qputenv("XDG_DATA_HOME", (Home + "/.local/share").toUtf8());
    qputenv("XDG_CONFIG_HOME", (Home + "/.config").toUtf8());
    qputenv("XDG_DOCUMENTS_DIR", (Home + "/Documents").toUtf8());
    return Home + "/.local/share/Euro Truck Simulator 2";
}

// The same saves every time (one generator seed), in Profiles profiles; the job history beside
// the program goes too.
inline void WriteGeneratedGameFolder(const QString &GameFolder, const QString &ProgramFolder, int Profiles)
{
    QDir(GameFolder).removeRecursively();
    QFile::remove(ProgramFolder + "/job-history.ini");
    kvn::savegen::Options options;
    options.Seed = 7;
    options.Lines = 6000;
    options.Profiles = Profiles;
    QString error;
    QVERIFY2(kvn::savegen::WriteGameFolder(kvn::savegen::Catalogue::FromResources(), options, GameFolder, &error),
             qPrintable(error));
}

} // namespace kvntest
