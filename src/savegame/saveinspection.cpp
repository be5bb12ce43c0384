#include "savegame/saveinspection.h"

#include "savegame/companies.h"
#include "savegame/gamesavelines.h"
#include "savegame/profilesession.h"
#include "savegame/savegamecargos.h"
#include "savegame/siidecryption.h"
#include "savegame/siitext.h"
#include "savegame/unknowndistances.h"
#include "shared/files.h"

#include <QFile>
#include <QTemporaryDir>

namespace kvn {

QString SiiFileForm(const QString &FileName)
{
    if (!IsExistingFile(FileName))
        return QStringLiteral("none");
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    const QByteArray head = file.read(64);
    if (IsPlainSiiBytes(head))
        return QStringLiteral("text");
    if (head.startsWith("ScsC"))
        return QStringLiteral("encrypted");
    if (head.startsWith("BSII"))
        return QStringLiteral("binary");
    if (head.startsWith("3nK"))
        return QStringLiteral("3nK");
    return QStringLiteral("unknown");
}

namespace {

void CountDistanceSources(const TCountries &Countries, const TDistanceTable &Table, TSaveInspection &Result)
{
    QStringList cities;
    for (const auto &country : Countries.CountryInfoList())
        cities << country->CityList();
    cities.removeDuplicates();
    for (const QString &from : std::as_const(cities))
        for (const QString &to : std::as_const(cities)) {
            if (from == to)
                continue;
            switch (Table.GetDistance(from, to).Source) {
            case TDistanceSource::Compiled:
                ++Result.KnownPairs;
                break;
            case TDistanceSource::Learnt:
                ++Result.LearntPairs;
                break;
            case TDistanceSource::Estimated:
                ++Result.EstimatedPairs;
                break;
            case TDistanceSource::None:
                ++Result.UnknownPairs;
                break;
            }
        }
}

} // namespace

TSaveInspection InspectSave(const QString &FileName, TCatalogue &Catalogue, const TSiiDecrypter &Decrypter)
{
    TSaveInspection result;
    result.Form = SiiFileForm(FileName);
    if (result.Form == QLatin1String("none")) {
        result.Error = QStringLiteral("There is no file %1").arg(FileName);
        return result;
    }
    QString readable = FileName;
    QTemporaryDir scratch;
    if (result.Form != QLatin1String("text")) {
        // The decrypter converts in place, so it works on a copy: the player's file stays as it is.
        if (!scratch.isValid()) {
            result.Error = QStringLiteral("No temporary folder for decoding the save");
            return result;
        }
        const TSiiDecryptStatus status = Decrypter.DecryptCopy(FileName, scratch.path(), readable);
        if (status == TSiiDecryptStatus::StartFailed) {
            result.Error = QStringLiteral("The decrypter %1 could not be started").arg(Decrypter.DecrypterPath());
            return result;
        }
        if (status == TSiiDecryptStatus::NotDecoded) {
            result.Error = QStringLiteral("The save could not be decoded");
            return result;
        }
    }
    TGameSaveLines save;
    const TSiiReadResult read = save.LoadFromFile(readable);
    if (!read.ok() || save.IsEmpty()) {
        result.Error = read.Status == TSiiReadStatus::TooLarge ? QStringLiteral("The save is too large to be read")
                                                               : QStringLiteral("The save could not be read");
        return result;
    }
    const TGameTimeAndCity timeAndCity = ReadGameTimeAndLastCity(save.Lines());
    result.GameTime = timeAndCity.GameTime;
    result.LastVisitedCity = timeAndCity.LastVisitedCity;

    Catalogue.Distances.ResetDistanceDeactivation();
    const auto table = Catalogue.Distances.Snapshot();
    Catalogue.Countries.LoadCountriesToDataClasses(save.Lines(), table.get(), nullptr);
    result.ProfileCities = int(Catalogue.Countries.CityCount());
    result.Countries = int(Catalogue.Countries.CountryInfoList().size());

    LoadCargosFromGameFileToClasses(save, Catalogue.CargoInfoList, Catalogue.TrailerDefinitionDataList, nullptr);
    result.CompatibleCargos = CompatibleCargoCount(Catalogue.CargoInfoList);
    result.CargoTrailerItems = CargoTrailerItemCount(Catalogue.CargoInfoList);

    TCompanyList companies;
    LoadCompaniesFromGameFile(save, companies);
    result.Companies = companies.Count();
    result.CompanyBranches = companies.BranchCount();

    for (int i = save.FindLineFrom(u"job_offer_data : ", 0); i >= 0; i = save.FindLineFrom(u"job_offer_data : ", i + 1))
        ++result.JobOffers;
    if (table) {
        result.LearnableDistances = int(CollectUnknownDistances(save, *table).size());
        CountDistanceSources(Catalogue.Countries, *table, result);
    }
    result.Ok = true;
    return result;
}

} // namespace kvn
