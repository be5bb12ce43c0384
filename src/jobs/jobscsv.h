// The jobs file of "kestrovan-cli add-jobs": one job per line, comma-separated, with a fixed header.
// Outside input: every size is bounded, and a bad line is reported by its number and reason while
// the good lines go on.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace kvn {

inline constexpr qint64 kMaxJobsFileBytes = 4 * 1024 * 1024;
inline constexpr int kMaxJobsFileRows = 10000;
inline constexpr int kMaxJobsFieldLength = 256;

// departure_city,departure_company,destination_city,destination_company,cargo,trailer_definition,urgency,units
QStringList JobsCsvHeader();

struct TJobsCsvRow {
    int Line = 0; // 1-based line number in the file (the header is line 1)
    QString DepartureCity;
    QString DepartureCompany;
    QString DestinationCity;
    QString DestinationCompany;
    QString Cargo;
    QString TrailerDefinition;
    int Urgency = 0;
    int Units = -1; // -1: the trailer's maximum
    bool Ok = false;
    QString Reason; // why the line is unusable
};

struct TJobsCsv {
    bool Ok = false; // false: the file as a whole is unusable (Error says why)
    QString Error;
    std::vector<TJobsCsvRow> Rows; // one per non-blank data line, bad ones included
};

TJobsCsv ParseJobsCsv(const QByteArray &Bytes);
TJobsCsv ReadJobsCsvFile(const QString &FileName);

} // namespace kvn
