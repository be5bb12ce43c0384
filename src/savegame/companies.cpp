#include "savegame/companies.h"

#include "savegame/gamesavelines.h"
#include "shared/strings.h"

#include <QHash>
#include <algorithm>

namespace kvn {

TCompanyInfo *TCompanyList::FindCompany(const QString &Name) const
{
    for (const auto &company : FItems)
        if (company->CompanyName() == Name)
            return company.get();
    return nullptr;
}

TCompanyInfo *TCompanyList::Append(std::unique_ptr<TCompanyInfo> Company)
{
    FItems.push_back(std::move(Company));
    return FItems.back().get();
}

int TCompanyList::BranchCount() const
{
    int branches = 0;
    for (const auto &company : FItems)
        branches += int(company->CityList().size());
    return branches;
}

namespace {

// Counts the offers of every branch unit ("company : company.volatile.<company>.<city> {") the
// way the writer takes them over: entries that name an offer, not "null". One pass over the units.
void CountBranchOffers(const TGameSaveLines &Save, const QHash<QString, TCompanyInfo *> &ByName)
{
    const QString header = QStringLiteral("company : company.volatile.");
    const int lines = Save.Count();
    for (int h = Save.FindLineFrom(header, 0); h >= 0; h = Save.FindLineFrom(header, h + 1)) {
        const QStringView trimmed = TrimmedView(Save.Line(h));
        const QStringView link = trimmed.sliced(header.size()).split(u' ').first();
        const qsizetype dot = link.indexOf(u'.');
        if (dot <= 0)
            continue;
        TCompanyInfo *company = ByName.value(link.first(dot).toString(), nullptr);
        if (!company)
            continue;
        int offers = 0;
        int i = h + 1;
        for (; i < lines; ++i) {
            const QStringView t = TrimmedView(Save.Line(i));
            if (t.startsWith(u'}'))
                break;
            if (!t.startsWith(u"job_offer["))
                continue;
            const qsizetype colon = t.indexOf(u':');
            const QStringView value = colon < 0 ? QStringView() : t.sliced(colon + 1).trimmed();
            if (!value.isEmpty() && value != u"null")
                ++offers;
        }
        company->SetOfferCount(link.sliced(dot + 1).toString(), offers);
        h = std::max(h, i - 1); // the next unit starts after this one
    }
}

} // namespace

void LoadCompaniesFromGameFile(const TGameSaveLines &Save, TCompanyList &List)
{
    List.Clear();
    if (Save.IsEmpty())
        return;
    const int countLine = Save.FindLineFrom(u"companies: ", 0);
    if (countLine < 0)
        return;
    const QStringList countFields = Explode(QStringLiteral(": "), TrimmedView(Save.Line(countLine)).toString());
    const int count = countFields.size() > 1 ? ToIntDefault(countFields.at(1), -1) : -1;
    if (count <= 0)
        return;

    // A hash beside the list keeps this linear for saves with thousands of companies; the list
    // keeps the order of first appearance.
    QHash<QString, TCompanyInfo *> byName;
    int k = 0;
    const int lines = Save.Count();
    QString prefix = QStringLiteral("companies[0]: ");
    for (int i = 0; i < lines && k < count; ++i) {
        const QString &line = Save.Line(i);
        if (!TrimmedStartsWith(line, prefix))
            continue;
        const QStringView trimmed = TrimmedView(line);
        const QStringView value = trimmed.sliced(trimmed.indexOf(QLatin1String(": ")) + 2);
        const QStringList fields = value.toString().split(u'.');
        if (fields.size() != 4)
            continue; // and no later item can match, as the game's own reader expects
        const QString &company = fields.at(2);
        const QString &city = fields.at(3);
        ++k;
        prefix = QStringLiteral("companies[%1]: ").arg(k);
        TCompanyInfo *known = byName.value(company, nullptr);
        if (!known) {
            known = List.Append(std::make_unique<TCompanyInfo>(company));
            byName.insert(company, known);
        }
        known->AddCity(city);
    }
    CountBranchOffers(Save, byName);
}

} // namespace kvn
