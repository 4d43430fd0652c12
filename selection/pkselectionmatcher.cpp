// SPDX-License-Identifier: MIT

#include "pkselectionmatcher.h"

#include "pkfolderlister.h"
#include "pkidmatcher.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

// Text is compared composed (NFC): a Mac writes "ü" as "u" and a combining
// mark, a list typed elsewhere as one character. Text below U+0300 has no
// combining marks and is the same in both forms, so names in plain Latin
// skip the costly normalisation.
constexpr char16_t firstComposable = 0x300;

QString comparable(const QString &text)
{
    const bool plain = std::all_of(text.begin(), text.end(), [](QChar ch) { return ch.unicode() < firstComposable; });
    return plain ? text : text.normalized(QString::NormalizationForm_C);
}

bool isDigit(QChar ch)
{
    return ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
}

bool isNumber(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), isDigit);
}

std::u16string_view withoutLeadingZeros(QStringView digits)
{
    qsizetype start = 0;
    while (start + 1 < digits.size() && digits[start] == QLatin1Char('0'))
        ++start;
    return std::u16string_view(digits.utf16() + start, size_t(digits.size() - start));
}

bool isAsciiLetter(QChar ch)
{
    return (ch >= QLatin1Char('a') && ch <= QLatin1Char('z')) || (ch >= QLatin1Char('A') && ch <= QLatin1Char('Z'));
}

// How much of text stays when its last extension goes: a dot and 1 to 5
// ASCII letters or digits, at least one a letter, at its end.
qsizetype stemLength(QStringView text)
{
    const qsizetype dot = text.lastIndexOf(QLatin1Char('.'));
    const qsizetype length = text.size() - dot - 1;
    if (dot < 0 || length < 1 || length > 5)
        return text.size();
    bool letter = false;
    for (QChar ch : text.sliced(dot + 1)) {
        if (isAsciiLetter(ch))
            letter = true;
        else if (!isDigit(ch))
            return text.size();
    }
    // As for hidden files, leading dots begin the name, not an extension:
    // ".jpg" stays and still matches what it matches as written.
    const QStringView before = text.first(dot);
    const bool nameBefore = std::any_of(before.begin(), before.end(), [](QChar ch) { return ch != QLatin1Char('.'); });
    return letter && nameBefore ? dot : text.size();
}

// A picture is a file name without up to two extensions.
qsizetype pictureLength(QStringView fileName)
{
    return stemLength(fileName.first(stemLength(fileName)));
}

// The identifiers of a list fall into groups that select the same names: the
// same text, or numbers equal but for leading zeros. Matching works on groups
// and hands the results back to the identifiers as written.
class Groups
{
public:
    Groups(const QList<QString> &ids, PkMatchOptions options, qsizetype longestName)
    {
        QList<QString> patterns;
        patterns.reserve(ids.size());
        for (const QString &id : ids)
            patterns.append(comparable(options.withoutExtensions ? PkSelectionMatcher::withoutExtension(id) : id));
        idGroup.assign(size_t(ids.size()), -1);
        // Numbers stay out of the automaton, which then never sees them.
        if (options.wholeNumbers) {
            for (qsizetype i = 0; i < patterns.size(); ++i) {
                if (!isNumber(patterns.at(i)))
                    continue;
                numberText.append(patterns.at(i));
                patterns[i].clear();
                const auto [it, added] = numberGroup.try_emplace(withoutLeadingZeros(numberText.constLast()), count);
                idGroup[size_t(i)] = it->second;
                count += added ? 1 : 0;
            }
        }
        matcher = std::make_unique<PkIdMatcher>(patterns, longestName);
        nodeGroup.assign(size_t(matcher->nodeCount()), -1);
        for (qsizetype i = 0; i < patterns.size(); ++i) {
            const int32_t node = matcher->endNode(i);
            if (node < 0)
                continue;
            int &group = nodeGroup[size_t(node)];
            if (group < 0)
                group = count++;
            idGroup[size_t(i)] = group;
        }
        firstId.assign(size_t(count), ids.size());
        stamp.assign(size_t(count), 0);
        for (qsizetype i = ids.size() - 1; i >= 0; --i) {
            if (idGroup[size_t(i)] >= 0)
                firstId[size_t(idGroup[size_t(i)])] = i;
        }
    }

    // The groups that select name, each once.
    void collect(const QString &name, std::vector<int> &found)
    {
        found.clear();
        ++generation;
        const auto add = [this, &found](int32_t node) { addGroup(nodeGroup[size_t(node)], found); };
        // Most names are plain Latin and are scanned once, as they are.
        if (matcher->forEachEnd(name, add) >= firstComposable) {
            const QString composed = name.normalized(QString::NormalizationForm_C);
            if (composed != name) {
                found.clear();
                ++generation;
                matcher->forEachEnd(composed, add);
            }
        }
        if (numberGroup.empty())
            return;
        // Normalisation leaves ASCII digits and where their runs end alone.
        for (qsizetype i = 0; i < name.size();) {
            if (!isDigit(name.at(i))) {
                ++i;
                continue;
            }
            qsizetype end = i;
            while (end < name.size() && isDigit(name.at(end)))
                ++end;
            const auto it = numberGroup.find(withoutLeadingZeros(QStringView(name).sliced(i, end - i)));
            if (it != numberGroup.end())
                addGroup(it->second, found);
            i = end;
        }
    }

    int size() const { return count; }
    // -1 for an identifier that can select nothing (empty, or too long).
    int groupOf(qsizetype id) const { return idGroup[size_t(id)]; }
    qsizetype firstIdOf(int group) const { return firstId[size_t(group)]; }

private:
    std::unique_ptr<PkIdMatcher> matcher;
    std::vector<int> nodeGroup;
    // The keys point into these strings' data, which stays where it is.
    QList<QString> numberText;
    std::unordered_map<std::u16string_view, int> numberGroup;
    std::vector<int> idGroup;
    std::vector<qsizetype> firstId;
    int count = 0;
    // A group is in the names' current collection when its stamp is the generation.
    std::vector<qsizetype> stamp;
    qsizetype generation = 0;

    void addGroup(int group, std::vector<int> &found)
    {
        if (stamp[size_t(group)] != generation) {
            stamp[size_t(group)] = generation;
            found.push_back(group);
        }
    }
};

} // namespace

PkMatchResult PkSelectionMatcher::matchFolder(const QString &folderPath, const QList<QString> &ids,
                                              PkMatchOptions options)
{
    // An empty path would list the working directory, which no user chose.
    return matchNames(folderPath.isEmpty() ? QStringList() : PkFolderLister::fileNames(folderPath), ids, options);
}

PkMatchResult PkSelectionMatcher::matchNames(const QStringList &names, const QList<QString> &ids,
                                             PkMatchOptions options)
{
    qsizetype longestName = 0;
    for (const QString &name : names)
        longestName = std::max(longestName, name.size());
    Groups groups(ids, options, longestName);

    PkMatchResult result;
    result.idCount = ids.size();
    // Pictures are numbered as they first turn up in the listing. Each group
    // and picture it selected make a pair, sorted out once all names are seen.
    QHash<QString, int> pictureNumber;
    QList<QString> pictures;
    std::vector<std::pair<int, int>> selections;
    std::vector<int> matched;
    for (const QString &name : names) {
        groups.collect(name, matched);
        if (matched.empty())
            continue;
        qsizetype first = ids.size();
        for (int group : matched)
            first = std::min(first, groups.firstIdOf(group));
        result.files.append(name);
        result.fileIds.append(first);

        // A picture's files mostly follow each other in the listing.
        const QStringView picture = QStringView(name).first(pictureLength(name));
        int number = int(pictures.size()) - 1;
        if (pictures.isEmpty() || pictures.constLast() != picture) {
            const QString key = picture.toString();
            number = pictureNumber.value(key, int(pictures.size()));
            if (number == pictures.size()) {
                pictureNumber.insert(key, number);
                pictures.append(key);
            }
        }
        for (int group : matched)
            selections.emplace_back(group, number);
    }
    std::sort(selections.begin(), selections.end());
    selections.erase(std::unique(selections.begin(), selections.end()), selections.end());
    // Each group's pictures, in listing order, are a run of the sorted pairs.
    std::vector<size_t> runStart(size_t(groups.size()), 0), runLength(size_t(groups.size()), 0);
    for (size_t k = selections.size(); k-- > 0;) {
        runStart[size_t(selections[k].first)] = k;
        ++runLength[size_t(selections[k].first)];
    }

    // Reported as the user wrote them, extensions included, each once.
    QSet<QString> notFound, ambiguous;
    for (qsizetype i = 0; i < ids.size(); ++i) {
        const QString &id = ids.at(i);
        const int group = groups.groupOf(i);
        const size_t count = group < 0 ? 0 : runLength[size_t(group)];
        if (count == 0) {
            if (!id.isEmpty() && !notFound.contains(id)) {
                notFound.insert(id);
                result.idsNotFound.append(id);
            }
            continue;
        }
        if (count < 2 || ambiguous.contains(id))
            continue;
        ambiguous.insert(id);
        PkAmbiguousId entry{id, {}};
        for (size_t k = runStart[size_t(group)]; k < runStart[size_t(group)] + count; ++k)
            entry.pictures.append(pictures.at(selections[k].second));
        result.ambiguous.append(entry);
    }
    return result;
}

QString PkSelectionMatcher::withoutExtension(const QString &id)
{
    return id.first(stemLength(id));
}

QString PkSelectionMatcher::pictureOf(const QString &fileName)
{
    return fileName.first(pictureLength(fileName));
}
