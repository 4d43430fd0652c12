// SPDX-License-Identifier: MIT

#include "pknearmatcher.h"

#include "pkidmatcher.h"
#include "pkkeyfilter.h"
#include "pkmatchtext.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace {

enum Step : int { IgnoringCase, WithoutMarker, ByNumber };

std::u16string_view unitsOf(QStringView text)
{
    return std::u16string_view(text.utf16(), size_t(text.size()));
}

// A file that a try found for an identifier.
struct Hit
{
    int id;
    int step;
    qsizetype name;

    bool operator<(const Hit &other) const
    {
        return std::tie(id, step, name) < std::tie(other.id, other.step, other.name);
    }
    bool operator==(const Hit &other) const { return std::tie(id, step, name) == std::tie(other.id, other.step, other.name); }
};

} // namespace

// The keys each try looks up for the identifiers, and the hits of one pass
// over the names.
class PkNearMatcher::Tries
{
public:
    Tries(const QList<QString> &ids, PkMatchOptions options, qsizetype longestName)
    {
        QList<QString> patterns(ids.size());
        // Most identifiers give a picture key and some another without a marker.
        keyText.reserve(ids.size() * 2);
        pictureKeys.table.reserve(size_t(ids.size()) * 2);
        for (qsizetype j = 0; j < ids.size(); ++j) {
            const QString &id = ids.at(j);
            const qsizetype stemLength = PkMatchText::stemLength(id);
            const QString stem = PkMatchText::folded(QStringView(id).first(stemLength));
            const bool number = options.wholeNumbers && PkMatchText::isNumber(stem);
            const bool picture = options.withoutExtensions && stemLength < id.size();
            // Folding changes no digit: numbers find nothing new ignoring case.
            if (picture && !number)
                addKey(pictureKeys, stem, int(j), IgnoringCase);
            else if (!number && !picture)
                patterns[j] = stemLength == id.size() ? stem : PkMatchText::folded(id);
            const qsizetype unmarked = PkMatchText::unmarkedLength(stem);
            if (unmarked > 0)
                addKey(pictureKeys, stem.first(unmarked), int(j), WithoutMarker);
            const QStringView digits = PkMatchText::pictureNumber(QStringView(stem).first(unmarked > 0 ? unmarked : stem.size()));
            if (!digits.isEmpty())
                addKey(numberKeys, PkMatchText::withoutLeadingZeros(digits), int(j), ByNumber);
        }
        matcher = std::make_unique<PkIdMatcher>(patterns, longestName);
        matcher->ignoreAsciiCase();
        substrings = matcher->nodeCount() > 1;
        nodeIds.resize(size_t(matcher->nodeCount()));
        // Identifiers left out of the automaton stay at the root, where no
        // scan looks.
        for (qsizetype j = 0; j < patterns.size(); ++j)
            nodeIds[size_t(matcher->endNode(j))].push_back(int(j));
    }

    // An ASCII name is never folded as a whole: the automaton and the key
    // filters take its capitals as small letters, and only a picture that
    // passes a filter is folded to be looked up.
    void scan(const QString &name, qsizetype position)
    {
        const qsizetype pictureLength = PkMatchText::pictureLength(name);
        const size_t before = hits.size();
        qsizetype picture = pictureLength;
        // As when matched as written, a try begins in the picture's name.
        const auto found = [this, position, &picture](int32_t node, qsizetype end) {
            if (end - matcher->length(node) > picture)
                return;
            for (int id : nodeIds[size_t(node)])
                hits.push_back({id, IgnoringCase, position});
        };
        const char16_t units = substrings ? matcher->forEachEnd(name, found) : unitsOr(name);
        QStringView view = name;
        if (units >= 0x80) {
            hits.resize(before);
            folded = PkMatchText::folded(name);
            view = folded;
            picture = PkMatchText::pictureLength(view);
            if (substrings)
                matcher->forEachEnd(view, found);
        }
        if (!pictureKeys.empty())
            addHits(pictureKeys, view.first(picture), position);
        if (!numberKeys.empty())
            scanNumbers(QStringView(name).first(pictureLength), position);
    }

    std::vector<Hit> hits;

private:
    // What a key stands for, one of a chain: all entries of a key are in one
    // vector rather than a vector each.
    struct Key
    {
        int id;
        int step;
        int next; // the key's next entry, -1 after its last
    };
    struct Keys
    {
        std::unordered_map<std::u16string_view, int> table; // each key's first entry
        std::vector<Key> entries;
        PkKeyFilter filter;
        bool empty() const { return table.empty(); }
    };

    // The keys point into these strings' data, which stays where it is.
    QList<QString> keyText;
    Keys pictureKeys, numberKeys;
    QString folded;
    std::u16string lowered;
    bool substrings = false;
    std::unique_ptr<PkIdMatcher> matcher;
    std::vector<std::vector<int>> nodeIds;

    void addKey(Keys &keys, const QString &key, int id, int step)
    {
        keyText.append(key);
        const auto [it, added] = keys.table.try_emplace(unitsOf(keyText.constLast()), 0);
        keys.entries.push_back({id, step, added ? -1 : it->second});
        it->second = int(keys.entries.size()) - 1;
        keys.filter.add(keyText.constLast());
    }
    void addKey(Keys &keys, std::u16string_view key, int id, int step)
    {
        addKey(keys, QStringView(key.data(), qsizetype(key.size())).toString(), id, step);
    }

    void addHits(const Keys &keys, QStringView key, qsizetype name)
    {
        if (!keys.filter.mayContain(key))
            return;
        lowered.resize(key.size());
        std::transform(key.begin(), key.end(), lowered.begin(),
                       [](QChar ch) {
                           const char16_t unit = ch.unicode();
                           return unit >= u'A' && unit <= u'Z' ? char16_t(unit + (u'a' - u'A')) : unit;
                       });
        const auto it = keys.table.find(lowered);
        if (it == keys.table.end())
            return;
        for (int entry = it->second; entry >= 0; entry = keys.entries[size_t(entry)].next)
            hits.push_back({keys.entries[size_t(entry)].id, keys.entries[size_t(entry)].step, name});
    }

    void scanNumbers(QStringView picture, qsizetype name)
    {
        for (qsizetype i = 0; i < picture.size();) {
            qsizetype end = i;
            while (end < picture.size() && PkMatchText::isDigit(picture.at(end)))
                ++end;
            if (end > i) {
                const std::u16string_view digits = PkMatchText::withoutLeadingZeros(picture.sliced(i, end - i));
                addHits(numberKeys, QStringView(digits.data(), qsizetype(digits.size())), name);
            }
            i = end + 1;
        }
    }

    static char16_t unitsOr(QStringView name)
    {
        char16_t units = 0;
        for (QChar ch : name)
            units |= ch.unicode();
        return units;
    }
};

PkNearMatcher::PkNearMatcher(const QList<QString> &ids, PkMatchOptions options, qsizetype longestName)
    : idCount(ids.size())
    , tries(std::make_unique<Tries>(ids, options, longestName))
{
}

PkNearMatcher::~PkNearMatcher() = default;

void PkNearMatcher::scan(const QString &name, qsizetype position)
{
    tries->scan(name, position);
}

void PkNearMatcher::markFound(std::vector<bool> &positions) const
{
    for (const Hit &hit : tries->hits)
        positions[size_t(hit.name)] = true;
}

std::vector<PkNearMatcher::Found> PkNearMatcher::found(const QStringList &names, const std::vector<qint32> &order)
{
    std::vector<Hit> &hits = tries->hits;
    if (!order.empty()) {
        std::vector<qint32> rank(size_t(*std::max_element(order.begin(), order.end())) + 1);
        for (size_t p = 0; p < order.size(); ++p)
            rank[size_t(order[p])] = qint32(p);
        for (Hit &hit : hits)
            hit.name = rank[size_t(hit.name)];
    }
    std::sort(hits.begin(), hits.end());
    hits.erase(std::unique(hits.begin(), hits.end()), hits.end());
    std::vector<Found> results(static_cast<size_t>(idCount));
    // Hits come sorted by identifier, then try, then listing order: each
    // identifier's first run is the try that decides.
    for (auto run = hits.begin(); run != hits.end();) {
        Found &result = results[size_t(run->id)];
        const auto end = std::find_if(run, hits.end(),
                                      [&run](const Hit &hit) { return hit.id != run->id || hit.step != run->step; });
        std::unordered_set<std::u16string_view> seen;
        for (auto hit = run; hit != end; ++hit) {
            const QString &name = names.at(hit->name);
            const QStringView picture = QStringView(name).first(PkMatchText::pictureLength(name));
            if (seen.insert(unitsOf(picture)).second)
                result.pictures.append(picture.toString());
            result.files.push_back(hit->name);
        }
        if (result.pictures.size() != 1)
            result.files.clear();
        const int id = run->id;
        run = std::find_if(end, hits.end(), [id](const Hit &hit) { return hit.id != id; });
    }
    hits.clear();
    return results;
}

std::vector<PkNearMatcher::Found> PkNearMatcher::find(const QStringList &names, const QList<QString> &ids,
                                                      PkMatchOptions options)
{
    qsizetype longestName = 0;
    for (const QString &name : names)
        longestName = std::max(longestName, name.size());
    PkNearMatcher matcher(ids, options, longestName);
    for (qsizetype i = 0; i < names.size(); ++i)
        matcher.scan(PkMatchText::baseName(names.at(i)), i);
    return matcher.found(names);
}
