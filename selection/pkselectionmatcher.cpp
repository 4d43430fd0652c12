// SPDX-License-Identifier: MIT

#include "pkselectionmatcher.h"

#include "pkfolderlister.h"
#include "pkidmatcher.h"
#include "pkmatchtext.h"
#include "pknearmatcher.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

constexpr char16_t firstComposable = PkMatchText::firstComposable;

std::u16string_view unitsOf(QStringView text)
{
    return std::u16string_view(text.utf16(), size_t(text.size()));
}

// The identifiers of a list fall into groups that select the same names: the
// same text, the same picture, or numbers equal but for leading zeros.
// Matching works on groups and hands the results back to the identifiers as
// written. Substrings go through the automaton; pictures and numbers are
// looked up by the name's picture and its runs of digits.
class Groups
{
public:
    Groups(const QList<QString> &ids, PkMatchOptions options, qsizetype longestName)
    {
        QList<QString> patterns(ids.size());
        idGroup.assign(size_t(ids.size()), -1);
        for (qsizetype i = 0; i < ids.size(); ++i) {
            const QString &id = ids.at(i);
            const qsizetype stem = PkMatchText::stemLength(id);
            const bool picture = options.withoutExtensions && stem < id.size();
            QString pattern = PkMatchText::comparable(picture ? id.first(stem) : id);
            if (options.wholeNumbers && PkMatchText::isNumber(pattern))
                idGroup[size_t(i)] = addKey(numberText, numberGroup, std::move(pattern), true);
            else if (picture)
                idGroup[size_t(i)] = addKey(pictureText, pictureGroup, std::move(pattern), false);
            else
                patterns[i] = std::move(pattern);
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
        QString composed;
        if (matcher->forEachEnd(name, add) >= firstComposable) {
            composed = name.normalized(QString::NormalizationForm_C);
            if (composed != name) {
                found.clear();
                ++generation;
                matcher->forEachEnd(composed, add);
            }
        }
        if (!pictureGroup.empty()) {
            const QStringView comparable = composed.isNull() ? QStringView(name) : QStringView(composed);
            const auto it = pictureGroup.find(unitsOf(comparable.first(PkMatchText::pictureLength(comparable))));
            if (it != pictureGroup.end())
                addGroup(it->second, found);
        }
        if (!numberGroup.empty())
            collectNumbers(name, found);
    }

    int size() const { return count; }
    // -1 for an identifier that can select nothing (empty, or too long).
    int groupOf(qsizetype id) const { return idGroup[size_t(id)]; }
    qsizetype firstIdOf(int group) const { return firstId[size_t(group)]; }

private:
    using Keys = std::unordered_map<std::u16string_view, int>;

    std::unique_ptr<PkIdMatcher> matcher;
    std::vector<int> nodeGroup;
    // The keys point into these strings' data, which stays where it is.
    QList<QString> numberText, pictureText;
    Keys numberGroup, pictureGroup;
    std::vector<int> idGroup;
    std::vector<qsizetype> firstId;
    int count = 0;
    // A group is in the names' current collection when its stamp is the generation.
    std::vector<qsizetype> stamp;
    qsizetype generation = 0;

    int addKey(QList<QString> &texts, Keys &keys, QString text, bool number)
    {
        texts.append(std::move(text));
        const QStringView key = texts.constLast();
        const auto [it, added] = keys.try_emplace(number ? PkMatchText::withoutLeadingZeros(key) : unitsOf(key), count);
        count += added ? 1 : 0;
        return it->second;
    }

    // Normalisation leaves ASCII digits and where their runs end alone.
    void collectNumbers(const QString &name, std::vector<int> &found)
    {
        for (qsizetype i = 0; i < name.size();) {
            if (!PkMatchText::isDigit(name.at(i))) {
                ++i;
                continue;
            }
            qsizetype end = i;
            while (end < name.size() && PkMatchText::isDigit(name.at(end)))
                ++end;
            const auto it = numberGroup.find(PkMatchText::withoutLeadingZeros(QStringView(name).sliced(i, end - i)));
            if (it != numberGroup.end())
                addGroup(it->second, found);
            i = end;
        }
    }

    void addGroup(int group, std::vector<int> &found)
    {
        if (stamp[size_t(group)] != generation) {
            stamp[size_t(group)] = generation;
            found.push_back(group);
        }
    }
};

// What the near matches found, for each identifier text that selected
// nothing, and the files they select, as (listing position, identifier) pairs.
struct NearResults
{
    QHash<QString, qsizetype> index;
    std::vector<PkNearMatcher::Found> found;
    std::vector<std::pair<qsizetype, qsizetype>> files;
};

void findNear(const QStringList &names, const QList<QString> &ids, const std::vector<bool> &unfound,
              PkMatchOptions options, NearResults &near)
{
    QList<QString> texts;
    for (qsizetype i = 0; i < ids.size(); ++i) {
        if (unfound[size_t(i)] && !ids.at(i).isEmpty() && !near.index.contains(ids.at(i))) {
            near.index.insert(ids.at(i), texts.size());
            texts.append(ids.at(i));
        }
    }
    if (!options.nearMatches || texts.isEmpty())
        return;
    near.found = PkNearMatcher::find(names, texts, options);
    // Each file once, under the first identifier in list order that selects it.
    for (qsizetype i = 0; i < ids.size(); ++i) {
        if (!unfound[size_t(i)] || ids.at(i).isEmpty())
            continue;
        for (qsizetype file : near.found[size_t(near.index.value(ids.at(i)))].files)
            near.files.emplace_back(file, i);
    }
    std::sort(near.files.begin(), near.files.end());
    near.files.erase(std::unique(near.files.begin(), near.files.end(),
                                 [](const auto &a, const auto &b) { return a.first == b.first; }),
                     near.files.end());
}

// Adds the files that near matches selected to the files that the
// identifiers selected as written, in listing order, each under the first
// identifier that selects it.
void mergeFiles(const QStringList &names, const std::vector<qsizetype> &listed,
                const std::vector<std::pair<qsizetype, qsizetype>> &nearFiles, PkMatchResult &result)
{
    QList<QString> files;
    QList<qsizetype> fileIds;
    files.reserve(qsizetype(listed.size() + nearFiles.size()));
    fileIds.reserve(files.capacity());
    size_t a = 0, b = 0;
    while (a < listed.size() || b < nearFiles.size()) {
        const qsizetype nameA = a < listed.size() ? listed[a] : names.size();
        const qsizetype nameB = b < nearFiles.size() ? nearFiles[b].first : names.size();
        if (nameA <= nameB) {
            files.append(result.files.at(qsizetype(a)));
            fileIds.append(nameA == nameB ? std::min(result.fileIds.at(qsizetype(a)), nearFiles[b++].second)
                                          : result.fileIds.at(qsizetype(a)));
            ++a;
        } else {
            files.append(names.at(nameB));
            fileIds.append(nearFiles[b++].second);
        }
    }
    result.files = std::move(files);
    result.fileIds = std::move(fileIds);
}

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
    // Pictures are numbered as they first turn up in the listing. Each group
    // and picture it selected make a pair, sorted out once all names are seen.
    QHash<QString, int> pictureNumber;
    QList<QString> pictures;
    std::vector<std::pair<int, int>> selections;
    std::vector<int> matched;
    std::vector<qsizetype> listed;
    for (qsizetype n = 0; n < names.size(); ++n) {
        const QString &name = names.at(n);
        groups.collect(name, matched);
        if (matched.empty())
            continue;
        qsizetype first = ids.size();
        for (int group : matched)
            first = std::min(first, groups.firstIdOf(group));
        result.files.append(name);
        result.fileIds.append(first);
        listed.push_back(n);

        // A picture's files mostly follow each other in the listing.
        const QStringView picture = QStringView(name).first(PkMatchText::pictureLength(name));
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

    std::vector<bool> unfound(size_t(ids.size()));
    for (qsizetype i = 0; i < ids.size(); ++i)
        unfound[size_t(i)] = groups.groupOf(i) < 0 || runLength[size_t(groups.groupOf(i))] == 0;
    NearResults near;
    findNear(names, ids, unfound, options, near);
    if (!near.files.empty())
        mergeFiles(names, listed, near.files, result);

    // Reported as the user wrote them, extensions included, each once.
    QSet<QString> reported;
    result.idCount = ids.size();
    for (qsizetype i = 0; i < ids.size(); ++i) {
        const QString &id = ids.at(i);
        if (!unfound[size_t(i)]) {
            const size_t group = size_t(groups.groupOf(i));
            if (runLength[group] < 2 || reported.contains(id))
                continue;
            reported.insert(id);
            PkAmbiguousId entry{id, {}};
            for (size_t k = runStart[group]; k < runStart[group] + runLength[group]; ++k)
                entry.pictures.append(pictures.at(selections[k].second));
            result.ambiguous.append(entry);
            continue;
        }
        if (id.isEmpty())
            continue;
        const PkNearMatcher::Found *found = near.found.empty() ? nullptr : &near.found[size_t(near.index.value(id))];
        const size_t pictureCount = found ? found->pictures.size() : 0;
        // A greeting or a signature is no pick: it is neither counted nor missed.
        const bool text = pictureCount == 0 && PkMatchText::isText(id);
        result.idCount -= text ? 1 : 0;
        if (reported.contains(id))
            continue;
        reported.insert(id);
        if (text) {
            result.textLines.append(id);
        } else if (pictureCount == 0) {
            result.idsNotFound.append(id);
        } else if (pictureCount == 1) {
            result.near.append({id, found->pictures.constFirst()});
        } else {
            result.ambiguous.append({id, found->pictures});
        }
    }
    return result;
}

QString PkSelectionMatcher::withoutExtension(const QString &id)
{
    return id.first(PkMatchText::stemLength(id));
}

QString PkSelectionMatcher::pictureOf(const QString &fileName)
{
    return fileName.first(PkMatchText::pictureLength(fileName));
}
