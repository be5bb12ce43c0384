#include "jobs/jobscsv.h"

#include "shared/files.h"

#include <QFile>
#include <QStringDecoder>

namespace kvn {

namespace {

// Splits one line; double quotes may enclose a field ("" inside is a quote). False on a quote
// that is never closed or text after a closing quote.
bool SplitCsvLine(QStringView Line, QStringList &Fields)
{
    Fields.clear();
    QString field;
    bool quoted = false, wasQuoted = false;
    for (qsizetype i = 0; i < Line.size(); ++i) {
        const QChar c = Line[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < Line.size() && Line[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == u',') {
            Fields << field;
            field.clear();
            wasQuoted = false;
        } else if (c == u'"' && field.trimmed().isEmpty() && !wasQuoted) {
            quoted = wasQuoted = true;
            field.clear();
        } else if (wasQuoted && !c.isSpace()) {
            return false;
        } else {
            field += c;
        }
        if (field.size() > kMaxJobsFieldLength)
            return false;
    }
    if (quoted)
        return false;
    Fields << field;
    for (QString &f : Fields)
        f = f.trimmed();
    return true;
}

bool ReadInt(const QString &Text, int Min, int Max, int &Value)
{
    bool ok = false;
    const int v = Text.toInt(&ok);
    if (!ok || v < Min || v > Max)
        return false;
    Value = v;
    return true;
}

} // namespace

QStringList JobsCsvHeader()
{
    return {"departure_city", "departure_company",  "destination_city", "destination_company",
            "cargo",          "trailer_definition", "urgency",          "units"};
}

TJobsCsv ParseJobsCsv(const QByteArray &Bytes)
{
    TJobsCsv result;
    if (Bytes.size() > kMaxJobsFileBytes) {
        result.Error = QStringLiteral("The jobs file is larger than %1 bytes.").arg(kMaxJobsFileBytes);
        return result;
    }
    QByteArray body = Bytes;
    if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(body);
    if (decoder.hasError()) {
        result.Error = QStringLiteral("The jobs file is not UTF-8 text.");
        return result;
    }
    const QStringList lines = text.split(u'\n');
    int headerLine = -1;
    QStringList fields;
    for (int i = 0; i < int(lines.size()); ++i) {
        QStringView line(lines.at(i));
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        const int number = i + 1;
        if (headerLine < 0) {
            headerLine = number;
            QStringList header;
            if (!SplitCsvLine(line, header) || header != JobsCsvHeader()) {
                result.Error =
                    QStringLiteral("Line %1: the header must be \"%2\".").arg(number).arg(JobsCsvHeader().join(u','));
                return result;
            }
            continue;
        }
        if (int(result.Rows.size()) >= kMaxJobsFileRows) {
            result.Error = QStringLiteral("The jobs file holds more than %1 jobs.").arg(kMaxJobsFileRows);
            result.Rows.clear();
            return result;
        }
        TJobsCsvRow row;
        row.Line = number;
        if (!SplitCsvLine(line, fields)) {
            row.Reason = QStringLiteral("The line is not valid CSV (an open quote or a field over %1 characters).")
                             .arg(kMaxJobsFieldLength);
        } else if (fields.size() != JobsCsvHeader().size()) {
            row.Reason =
                QStringLiteral("The line has %1 columns instead of %2.").arg(fields.size()).arg(JobsCsvHeader().size());
        } else {
            row.DepartureCity = fields[0];
            row.DepartureCompany = fields[1];
            row.DestinationCity = fields[2];
            row.DestinationCompany = fields[3];
            row.Cargo = fields[4];
            row.TrailerDefinition = fields[5];
            for (int k = 0; k < 6 && row.Reason.isEmpty(); ++k)
                if (fields[k].isEmpty())
                    row.Reason = QStringLiteral("The column \"%1\" is empty.").arg(JobsCsvHeader().at(k));
            if (row.Reason.isEmpty() && !ReadInt(fields[6], 0, 2, row.Urgency))
                row.Reason = QStringLiteral("The urgency \"%1\" is not 0, 1 or 2.").arg(fields[6]);
            if (row.Reason.isEmpty() && !fields[7].isEmpty() && !ReadInt(fields[7], 1, 1000000, row.Units))
                row.Reason = QStringLiteral("The units \"%1\" are not a positive whole number.").arg(fields[7]);
            row.Ok = row.Reason.isEmpty();
        }
        result.Rows.push_back(row);
    }
    if (headerLine < 0) {
        result.Error = QStringLiteral("The jobs file is empty.");
        return result;
    }
    result.Ok = true;
    return result;
}

TJobsCsv ReadJobsCsvFile(const QString &FileName)
{
    QFile file(FileName);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly) && ReadFileAtMost(file, kMaxJobsFileBytes, bytes))
        return ParseJobsCsv(bytes);
    TJobsCsv result;
    // An open file that read without error was refused for its size.
    result.Error =
        file.isOpen() && file.error() == QFileDevice::NoError
            ? QStringLiteral("The jobs file is larger than %1 bytes.").arg(kMaxJobsFileBytes)
            : QStringLiteral("The jobs file \"%1\" could not be read (%2).").arg(FileName, file.errorString());
    return result;
}

} // namespace kvn
