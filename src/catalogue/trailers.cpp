#include "catalogue/trailers.h"

#include "catalogue/fields.h"
#include "catalogue/resources.h"
#include "shared/strings.h"

#include <algorithm>

namespace kvn {

bool TCaseInsensitiveSortedList::Add(const QString &S)
{
    const auto less = [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; };
    const auto at = std::lower_bound(FItems.begin(), FItems.end(), S, less);
    if (at != FItems.end() && at->compare(S, Qt::CaseInsensitive) == 0)
        return false;
    FItems.insert(at, S);
    return true;
}

bool TCaseInsensitiveSortedList::Contains(const QString &S) const
{
    const auto less = [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; };
    const auto at = std::lower_bound(FItems.begin(), FItems.end(), S, less);
    return at != FItems.end() && at->compare(S, Qt::CaseInsensitive) == 0;
}

void TCaseInsensitiveSortedList::Assign(const QStringList &Items)
{
    FItems = Items;
    std::stable_sort(FItems.begin(), FItems.end(),
                     [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    const auto end = std::unique(FItems.begin(), FItems.end(), [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) == 0;
    });
    FItems.erase(end, FItems.end());
}

QStringList SplitCommaText(const QString &CommaList)
{
    // A NUL ends the text, as it would for the classic reader.
    const qsizetype end = [&] {
        const qsizetype nul = CommaList.indexOf(QChar(0));
        return nul < 0 ? CommaList.size() : nul;
    }();
    const auto isBlank = [&](qsizetype p) { return p < end && IsBlankOrControl(CommaList.at(p)); };
    QStringList items;
    qsizetype p = 0;
    while (isBlank(p))
        ++p;
    while (p < end) {
        QString item;
        if (CommaList.at(p) == u'"') {
            ++p;
            while (p < end) {
                if (CommaList.at(p) == u'"') {
                    if (p + 1 < end && CommaList.at(p + 1) == u'"') {
                        item += u'"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                item += CommaList.at(p++);
            }
        } else {
            const qsizetype start = p;
            while (p < end && !IsBlankOrControl(CommaList.at(p)) && CommaList.at(p) != u',')
                ++p;
            item = CommaList.mid(start, p - start);
        }
        items.append(item);
        while (isBlank(p))
            ++p;
        if (p < end && CommaList.at(p) == u',') {
            if (p + 1 >= end)
                items.append(QString());
            do {
                ++p;
            } while (isBlank(p));
        }
    }
    return items;
}

void TTrailerDefinitionData::AddCountryValidityList(const QString &CommaList)
{
    FIsCountryBoundTrailer = true;
    FCountryValidityList.Assign(SplitCommaText(CommaList));
    QStringList shown;
    for (const QString &item : FCountryValidityList.Items())
        shown.append(UpperFirst(item));
    // An empty list shows nothing rather than the countries of an earlier call.
    FCountryValidityListCommaList = shown.join(QStringLiteral(", "));
}

std::unique_ptr<TTrailerDefinitionData> ParseTrailerDefinitionLine(const QString &Line)
{
    const QString line = TrimControl(Line);
    if (line.isEmpty() || line.startsWith(u'#'))
        return nullptr;
    const QStringList fields = Explode(QStringLiteral(";"), line);
    if (fields.size() < 6)
        return nullptr;
    auto trailer = std::make_unique<TTrailerDefinitionData>();
    trailer->SetTrailerDefinition(fields[0]);
    trailer->SetWeightLimit(FieldToInt(fields[1], 0));
    trailer->SetChassisMass(FieldToInt(fields[2], 0));
    trailer->SetLength(StrToFloatLocaleFree(fields[3], 0));
    trailer->SetAxles(FieldToInt(fields[4], 0));
    trailer->SetVolume(StrToFloatLocaleFree(fields[5], 100));
    trailer->SetIsDoubleTrailer(fields[0].contains(QStringLiteral("double")));
    // Lines of eight or more fields come from another layout; their seventh field is not a country list.
    if (fields.size() == 7 && !TrimControl(fields[6]).isEmpty())
        trailer->AddCountryValidityList(fields[6]);
    return trailer;
}

void LoadTrailerDefinitionsFromLines(const QStringList &Lines, TTrailerDefinitionDataList &List)
{
    List.clear();
    List.reserve(static_cast<std::size_t>(Lines.size()));
    for (const QString &line : Lines) {
        if (auto trailer = ParseTrailerDefinitionLine(line))
            List.push_back(std::move(trailer));
    }
}

void LoadTrailerDefinitionsFromResource(TTrailerDefinitionDataList &List)
{
    LoadTrailerDefinitionsFromLines(CatalogueLines(QStringLiteral("TrailerDefinitions"), true), List);
}

PTrailerDefinitionData FindTrailerDefinition(const TTrailerDefinitionDataList &List, const QString &Name)
{
    for (const auto &trailer : List) {
        if (trailer->TrailerDefinition() == Name)
            return trailer;
    }
    return nullptr;
}

} // namespace kvn
