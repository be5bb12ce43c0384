// Test helpers for the job writer: a small save built to order, and a checker that compares a save
// before and after writing and accepts only the changes the writer is meant to make.
#pragma once

#include <QHash>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

namespace kvntest {

struct FixtureCompany {
    QString Company;
    QString City;
    int Offers = 1;
    int OfferAttributes = 13; // fewer make a shorter offer unit
    bool HasEvent = true;
};

inline QString OfferID(const FixtureCompany &C, int K)
{
    return QStringLiteral("_nameless.o.%1.%2.%3").arg(C.Company, C.City).arg(K);
}

inline QString EventID(const FixtureCompany &C)
{
    return QStringLiteral("_nameless.e.%1.%2").arg(C.Company, C.City);
}

// Companies, then offers, then the queue, then the events, each unit after a blank line. The queue
// holds the events in company order.
inline QStringList BuildSave(const std::vector<FixtureCompany> &Companies, int GameTime = 1000)
{
    static const char *const attributes[] = {
        "target: \"\"",          "expiration_time: nil",     "urgency: nil",   "shortest_distance_km: 0",
        "ferry_time: 0",         "ferry_price: 0",           "cargo: null",    "company_truck: \"\"",
        "trailer_variant: null", "trailer_definition: null", "units_count: 0", "fill_ratio: 1",
        "trailer_place: 0"};
    QStringList l{"SiiNunit", "{", "economy : _nameless.eco {", QStringLiteral(" game_time: %1").arg(GameTime), "}"};
    for (const FixtureCompany &c : Companies) {
        l << "" << QStringLiteral("company : company.volatile.%1.%2 {").arg(c.Company, c.City)
          << QStringLiteral(" permanent_data: company.permanent.%1").arg(c.Company)
          << QStringLiteral(" job_offer: %1").arg(c.Offers);
        for (int k = 0; k < c.Offers; ++k)
            l << QStringLiteral(" job_offer[%1]: %2").arg(k).arg(OfferID(c, k));
        l << " cargo_offer_seeds: 0"
          << "}";
    }
    for (const FixtureCompany &c : Companies)
        for (int k = 0; k < c.Offers; ++k) {
            l << "" << QStringLiteral("job_offer_data : %1 {").arg(OfferID(c, k));
            for (int a = 0; a < c.OfferAttributes; ++a)
                l << QStringLiteral(" ") + QString::fromLatin1(attributes[a]);
            l << "}";
        }
    QStringList events;
    for (const FixtureCompany &c : Companies)
        if (c.HasEvent)
            events << EventID(c);
    l << ""
      << "economy_event_queue : _nameless.queue {" << QStringLiteral(" data: %1").arg(events.size());
    for (int k = 0; k < events.size(); ++k)
        l << QStringLiteral(" data[%1]: %2").arg(k).arg(events.at(k));
    l << "}";
    for (const FixtureCompany &c : Companies)
        if (c.HasEvent)
            l << "" << QStringLiteral("economy_event : %1 {").arg(EventID(c)) << " time: 609"
              << QStringLiteral(" unit_link: company.volatile.%1.%2").arg(c.Company, c.City) << " param: 3"
              << "}";
    l << "}";
    return l;
}

// What one written job must have changed.
struct ExpectedJob {
    QString OfferID;
    QString EventID;
    QMap<QString, QString> Attributes; // offer attribute -> value
    QString EventTime;
};

inline QString Trim(const QString &S)
{
    return S.trimmed();
}

inline int FindHeader(const QStringList &L, const QString &Header)
{
    for (int i = 0; i < L.size(); ++i)
        if (Trim(L.at(i)) == Header)
            return i;
    return -1;
}

inline int UnitEnd(const QStringList &L, int From)
{
    for (int i = From; i < L.size(); ++i)
        if (Trim(L.at(i)).startsWith(u'}'))
            return i;
    return -1;
}

inline QString Value(const QString &Line)
{
    const qsizetype c = Line.indexOf(u':');
    return c < 0 ? QString() : Line.mid(c + 1).section(u':', 0, 0).trimmed();
}

// Headers of one class in file order.
inline QStringList Headers(const QStringList &L, const QString &ClassPrefix)
{
    QStringList out;
    for (const QString &line : L)
        if (Trim(line).startsWith(ClassPrefix))
            out << Trim(line);
    return out;
}

// The event identifiers of the queue, in order.
inline QStringList QueueEntries(const QStringList &L)
{
    QStringList out;
    int i = 0;
    while (i < L.size() && !Trim(L.at(i)).startsWith(QLatin1String("economy_event_queue : ")))
        ++i;
    for (i += 2; i < L.size() && Trim(L.at(i)).startsWith(QLatin1String("data[")); ++i)
        out << Value(L.at(i));
    return out;
}

// Empty when After is Before with exactly the changes of Jobs (in writing order); otherwise what differs.
inline QString CheckWrittenSave(const QStringList &Before, const QStringList &After,
                                const std::vector<ExpectedJob> &Jobs)
{
    QSet<QString> movedHeaders;
    for (const ExpectedJob &j : Jobs) {
        movedHeaders.insert(QStringLiteral("job_offer_data : %1 {").arg(j.OfferID));
        movedHeaders.insert(QStringLiteral("economy_event : %1 {").arg(j.EventID));
    }
    // Everything but the moved units (with the blank line above them) and the queue entries.
    auto skeleton = [&](const QStringList &L) {
        QStringList out;
        bool inQueue = false;
        for (int i = 0; i < L.size(); ++i) {
            const QString t = Trim(L.at(i));
            if (movedHeaders.contains(t)) {
                if (!out.isEmpty() && Trim(out.back()).isEmpty())
                    out.removeLast();
                i = UnitEnd(L, i);
                continue;
            }
            if (t.startsWith(QLatin1String("economy_event_queue : ")))
                inQueue = true;
            else if (inQueue && t.startsWith(u'}'))
                inQueue = false;
            if (inQueue && t.startsWith(QLatin1String("data[")))
                continue;
            out << L.at(i);
        }
        return out;
    };
    const QStringList a = skeleton(Before), b = skeleton(After);
    if (a.size() != b.size())
        return QStringLiteral("unrelated lines added or removed: %1 vs %2").arg(a.size()).arg(b.size());
    for (int i = 0; i < a.size(); ++i)
        if (a.at(i) != b.at(i))
            return QStringLiteral("unrelated line changed: '%1' -> '%2'").arg(a.at(i), b.at(i));

    // Each written offer: its listed attributes hold the new values, every other line is as it was.
    QHash<QString, QString> eventTimes;
    for (const ExpectedJob &j : Jobs) {
        const QString header = QStringLiteral("job_offer_data : %1 {").arg(j.OfferID);
        const int hb = FindHeader(Before, header), ha = FindHeader(After, header);
        if (hb < 0 || ha < 0)
            return "offer unit missing: " + j.OfferID;
        const int eb = UnitEnd(Before, hb), ea = UnitEnd(After, ha);
        if (eb - hb != ea - ha)
            return "offer unit changed size: " + j.OfferID;
        for (int k = 1; k < eb - hb; ++k) {
            const QString &was = Before.at(hb + k), &is = After.at(ha + k);
            const QString name = Trim(was).section(u':', 0, 0);
            // "*" accepts any value, for values the test cannot know (the catalogue's truck, learnt distances).
            if (j.Attributes.value(name) == QLatin1String("*")) {
                if (Trim(is).section(u':', 0, 0) != name || Value(is).isEmpty())
                    return QStringLiteral("offer %1 line '%2' lost its attribute").arg(j.OfferID, is);
                continue;
            }
            const QString expected = j.Attributes.contains(name)
                                         ? was.left(was.indexOf(u':')) + QStringLiteral(": ") + j.Attributes.value(name)
                                         : was;
            if (is != expected)
                return QStringLiteral("offer %1 line '%2', expected '%3'").arg(j.OfferID, is, expected);
        }
        eventTimes.insert(j.EventID, j.EventTime);
    }
    for (auto it = eventTimes.cbegin(); it != eventTimes.cend(); ++it) {
        const QString header = QStringLiteral("economy_event : %1 {").arg(it.key());
        const int hb = FindHeader(Before, header), ha = FindHeader(After, header);
        if (hb < 0 || ha < 0 || UnitEnd(Before, hb) - hb != UnitEnd(After, ha) - ha)
            return "event unit missing or resized: " + it.key();
        for (int k = 1; k < UnitEnd(Before, hb) - hb; ++k) {
            const QString &was = Before.at(hb + k), &is = After.at(ha + k);
            const QString expected = Trim(was).startsWith(QLatin1String("time:"))
                                         ? was.left(was.indexOf(u':')) + QStringLiteral(": ") + it.value()
                                         : was;
            if (is != expected)
                return QStringLiteral("event %1 line '%2', expected '%3'").arg(it.key(), is, expected);
        }
    }

    // Order: the written units are the last of their class, in writing order.
    QStringList offers = Headers(Before, "job_offer_data : "), events = Headers(Before, "economy_event : ");
    QStringList queue = QueueEntries(Before);
    for (const ExpectedJob &j : Jobs) {
        const QString o = QStringLiteral("job_offer_data : %1 {").arg(j.OfferID);
        const QString e = QStringLiteral("economy_event : %1 {").arg(j.EventID);
        offers.removeAll(o);
        offers << o;
        events.removeAll(e);
        events << e;
        if (queue.removeAll(j.EventID) > 0)
            queue << j.EventID;
    }
    if (Headers(After, "job_offer_data : ") != offers)
        return QStringLiteral("offer units not in the expected order");
    if (Headers(After, "economy_event : ") != events)
        return QStringLiteral("event units not in the expected order");
    if (QueueEntries(After) != queue)
        return QStringLiteral("queue not in the expected order");
    // The entries are numbered afresh from 0.
    const int q = FindHeader(After, Headers(After, "economy_event_queue : ").value(0));
    for (int k = 0; k < queue.size(); ++k)
        if (Trim(After.value(q + 2 + k)) != QStringLiteral("data[%1]: %2").arg(k).arg(queue.at(k)))
            return QStringLiteral("queue entry %1 misnumbered").arg(k);
    return {};
}

} // namespace kvntest
