// The job offers this program wrote with an estimated distance. The learner must not take such an
// offer's distance for a real one, so the writer remembers them ("estimated-offers.dat" beside the
// learnt distances) and the learner skips every offer that still is exactly as written.
#pragma once

#include <QSet>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

namespace kvn {

struct TEstimatedOffer {
    QString OfferID;   // the job_offer_data unit's id
    QString Departure; // city tokens
    QString Target;
    std::int32_t KM = 0;
};

class TEstimatedOffers {
public:
    static QString FileName() { return QStringLiteral("estimated-offers.dat"); }
    // The file keeps the newest offers only; older ones have long left the game's job market.
    static constexpr int kMaxOffers = 5000;
    static constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;

    // An offer with these values, as the learner reads it from a save.
    static QString Key(QStringView OfferID, QStringView Departure, QStringView Target, std::int32_t KM);

    // The keys of the offers remembered in Folder; none when the file is missing, unreadable or
    // too big to be ours. Malformed lines are skipped.
    static QSet<QString> Read(const QString &Folder);
    // Appends Offers to the file in Folder (written aside and renamed over it). False with Error
    // when the file could not be read or written; it is then left as it was.
    static bool Remember(const QString &Folder, const std::vector<TEstimatedOffer> &Offers, QString *Error = nullptr);
};

} // namespace kvn
