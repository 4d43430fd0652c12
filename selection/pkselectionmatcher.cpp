// SPDX-License-Identifier: MIT

#include "pkselectionmatcher.h"

#include "pkfolderlisting.h"
#include "pkidgroups.h"
#include "pkmatchtext.h"
#include "pknearmatcher.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <functional>
#include <iterator>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {


// What the near matches found, for each identifier text that selected
// nothing, and the files they select, as (listing position, identifier) pairs.
struct NearResults
{
    std::vector<qsizetype> textOf; // per identifier, the text it is looked for as
    std::vector<PkNearMatcher::Found> found;
    std::vector<std::pair<qsizetype, qsizetype>> files;
};

// The identifiers that near matches look for, each text once, numbered as
// textOf says: those that selected nothing, or, before that is known, all.
QList<QString> nearTexts(const QList<QString> &ids, const std::vector<bool> &unfound, std::vector<qsizetype> &textOf)
{
    QList<QString> texts;
    std::unordered_map<std::u16string_view, qsizetype> index;
    index.reserve(size_t(ids.size()));
    textOf.assign(size_t(ids.size()), -1);
    for (qsizetype i = 0; i < ids.size(); ++i) {
        const QString &id = ids.at(i);
        if ((unfound.empty() || unfound[size_t(i)]) && !id.isEmpty()) {
            const std::u16string_view text(reinterpret_cast<const char16_t *>(id.utf16()), size_t(id.size()));
            const auto [it, added] = index.try_emplace(text, texts.size());
            if (added)
                texts.append(id);
            textOf[size_t(i)] = it->second;
        }
    }
    return texts;
}

// prepared, when set, has already looked for every identifier, or for those
// unfound when preparedForUnfound, names scanned in the order that order gives.
void findNear(const QStringList &names, const QList<QString> &ids, const std::vector<bool> &unfound,
              PkMatchOptions options, NearResults &near, PkNearMatcher *prepared, bool preparedForUnfound,
              const std::vector<qint32> &order)
{
    if (!options.nearMatches || std::none_of(unfound.begin(), unfound.end(), [](bool b) { return b; }))
        return;
    if (prepared) {
        nearTexts(ids, preparedForUnfound ? unfound : std::vector<bool>(), near.textOf);
        near.found = prepared->found(names, order);
    } else {
        near.found = PkNearMatcher::find(names, nearTexts(ids, unfound, near.textOf), options);
    }
    // Each file once, under the first identifier in list order that selects it.
    for (qsizetype i = 0; i < ids.size(); ++i) {
        if (!unfound[size_t(i)] || ids.at(i).isEmpty())
            continue;
        for (qsizetype file : near.found[size_t(near.textOf[size_t(i)])].files)
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
// A near match selects one picture only, so a file it selects is never held.
void mergeFiles(const QStringList &names, const std::vector<qsizetype> &listed,
                const std::vector<std::pair<qsizetype, qsizetype>> &nearFiles, PkMatchResult &result)
{
    QList<QString> files;
    QList<qsizetype> fileIds;
    QList<bool> held;
    files.reserve(qsizetype(listed.size() + nearFiles.size()));
    fileIds.reserve(files.capacity());
    held.reserve(files.capacity());
    size_t a = 0, b = 0;
    while (a < listed.size() || b < nearFiles.size()) {
        const qsizetype nameA = a < listed.size() ? listed[a] : names.size();
        const qsizetype nameB = b < nearFiles.size() ? nearFiles[b].first : names.size();
        if (nameA <= nameB) {
            files.append(result.files.at(qsizetype(a)));
            held.append(nameA != nameB && result.held.at(qsizetype(a)));
            fileIds.append(nameA == nameB ? std::min(result.fileIds.at(qsizetype(a)), nearFiles[b++].second)
                                          : result.fileIds.at(qsizetype(a)));
            ++a;
        } else {
            files.append(names.at(nameB));
            held.append(false);
            fileIds.append(nearFiles[b++].second);
        }
    }
    result.files = std::move(files);
    result.fileIds = std::move(fileIds);
    result.held = std::move(held);
}

// Per picture, a number shared by the pictures that differ from it only by
// an edit or copy marker ("IMG_2403", "IMG_2403-Edit", "IMG_2403 (1)"): to
// the user they are one picture, and an identifier that selects them all is
// no less clear for it.
std::vector<int> unmarkedPictures(const QList<QString> &pictures)
{
    QHash<QString, int> number;
    std::vector<int> unmarked;
    unmarked.reserve(size_t(pictures.size()));
    for (const QString &picture : pictures) {
        QString key = PkMatchText::folded(picture);
        for (qsizetype length = PkMatchText::unmarkedLength(key); length >= 0; length = PkMatchText::unmarkedLength(key))
            key.truncate(length);
        const auto it = number.constFind(key);
        unmarked.push_back(it == number.cend() ? *number.insert(key, int(number.size())) : *it);
    }
    return unmarked;
}

// Pictures of one name in different folders that options.oneShot takes for
// one shot are one picture to the user: their numbers in unmarked are made
// one. firstFile holds a file of each picture.
void joinOneShots(const QList<QString> &pictures, const std::vector<qsizetype> &firstFile, const QStringList &names,
                  const std::vector<std::pair<int, int>> &selections, const std::vector<size_t> &runStart,
                  const std::vector<size_t> &runLength, const PkMatchOptions &options, std::vector<int> &unmarked)
{
    if (!options.oneShot)
        return;
    for (size_t group = 0; group < runStart.size(); ++group) {
        for (size_t k = runStart[group]; k < runStart[group] + runLength[group]; ++k) {
            for (size_t l = k + 1; l < runStart[group] + runLength[group]; ++l) {
                const int a = selections[k].second, b = selections[l].second;
                const int from = unmarked[size_t(b)], to = unmarked[size_t(a)];
                if (from == to
                    || PkMatchText::baseName(pictures.at(a)).compare(PkMatchText::baseName(pictures.at(b)), Qt::CaseInsensitive) != 0
                    || !options.oneShot(names.at(firstFile[size_t(a)]), names.at(firstFile[size_t(b)])))
                    continue;
                std::replace(unmarked.begin(), unmarked.end(), from, to);
            }
        }
    }
}

// Which groups selected files of more than one picture as written, markers
// aside, and per file selected so far, whether only such groups select it:
// those files wait for the user's answer, the others are copied whatever
// else selects them too.
std::vector<bool> holdAmbiguous(const std::vector<std::pair<int, int>> &selections, const std::vector<size_t> &runStart,
                                const std::vector<size_t> &runLength, const std::vector<int> &unmarked,
                                const PkCollected &collected, const std::vector<qint32> &order,
                                const std::vector<qsizetype> &listed, PkMatchResult &result)
{
    std::vector<bool> ambiguous(runStart.size());
    for (size_t group = 0; group < runStart.size(); ++group) {
        const size_t first = runStart[group];
        for (size_t k = first + 1; k < first + runLength[group] && !ambiguous[group]; ++k)
            ambiguous[group] = unmarked[size_t(selections[k].second)] != unmarked[size_t(selections[first].second)];
    }
    result.held.clear();
    result.held.reserve(qsizetype(listed.size()));
    for (const qsizetype n : listed) {
        const size_t at = size_t(order.empty() ? n : order[size_t(n)]);
        result.held.append(std::all_of(collected.groups.begin() + collected.start[at],
                                       collected.groups.begin() + collected.start[at + 1],
                                       [&ambiguous](int group) { return ambiguous[size_t(group)]; }));
    }
    return ambiguous;
}

// Sorts out what the names selected: names[p] was collected at order[p], or
// at p when order is empty.
PkMatchResult assemble(const QStringList &names, const std::vector<qint32> &order, const PkCollected &collected,
                       const PkIdGroups &groups, const QList<QString> &ids, PkMatchOptions options,
                       PkNearMatcher *near = nullptr, bool nearForUnfound = false)
{
    PkMatchResult result;
    // Pictures are numbered as they first turn up in the listing. Each group
    // and picture it selected make a pair, sorted out once all names are seen.
    QHash<QString, int> pictureNumber;
    QList<QString> pictures;
    std::vector<std::pair<int, int>> selections;
    std::vector<qsizetype> listed, firstFile;
    for (qsizetype n = 0; n < names.size(); ++n) {
        const size_t at = size_t(order.empty() ? n : order[size_t(n)]);
        const auto matchedBegin = collected.groups.begin() + collected.start[at];
        const auto matchedEnd = collected.groups.begin() + collected.start[at + 1];
        if (matchedBegin == matchedEnd)
            continue;
        const QString &name = names.at(n);
        qsizetype first = ids.size();
        for (auto group = matchedBegin; group != matchedEnd; ++group)
            first = std::min(first, groups.firstIdOf(*group));
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
                firstFile.push_back(n);
            }
        }
        for (auto group = matchedBegin; group != matchedEnd; ++group)
            selections.emplace_back(*group, number);
    }
    std::sort(selections.begin(), selections.end());
    selections.erase(std::unique(selections.begin(), selections.end()), selections.end());
    // Each group's pictures, in listing order, are a run of the sorted pairs.
    std::vector<size_t> runStart(size_t(groups.size()), 0), runLength(size_t(groups.size()), 0);
    for (size_t k = selections.size(); k-- > 0;) {
        runStart[size_t(selections[k].first)] = k;
        ++runLength[size_t(selections[k].first)];
    }
    std::vector<int> unmarked = unmarkedPictures(pictures);
    joinOneShots(pictures, firstFile, names, selections, runStart, runLength, options, unmarked);
    const std::vector<bool> ambiguous =
        holdAmbiguous(selections, runStart, runLength, unmarked, collected, order, listed, result);

    std::vector<bool> unfound(size_t(ids.size()));
    for (qsizetype i = 0; i < ids.size(); ++i)
        unfound[size_t(i)] = groups.groupOf(i) < 0 || runLength[size_t(groups.groupOf(i))] == 0;
    NearResults nearResults;
    findNear(names, ids, unfound, options, nearResults, near, nearForUnfound, order);
    if (!nearResults.files.empty())
        mergeFiles(names, listed, nearResults.files, result);

    // Reported as the user wrote them, extensions included, each once.
    QSet<QString> reported;
    result.idCount = ids.size();
    for (qsizetype i = 0; i < ids.size(); ++i) {
        const QString &id = ids.at(i);
        if (!unfound[size_t(i)]) {
            const size_t group = size_t(groups.groupOf(i));
            if (!ambiguous[group] || reported.contains(id))
                continue;
            reported.insert(id);
            PkAmbiguousId entry{id, {}, true};
            for (size_t k = runStart[group]; k < runStart[group] + runLength[group]; ++k)
                entry.pictures.append(pictures.at(selections[k].second));
            result.ambiguous.append(entry);
            continue;
        }
        if (id.isEmpty())
            continue;
        const PkNearMatcher::Found *found =
            nearResults.found.empty() ? nullptr : &nearResults.found[size_t(nearResults.textOf[size_t(i)])];
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

// Which of the texts that groups were made of selected any name as written.
std::vector<bool> selectedAsWritten(const PkCollected &collected, const PkIdGroups &groups, qsizetype textCount)
{
    std::vector<bool> hit(size_t(groups.size()));
    for (const int group : collected.groups)
        hit[size_t(group)] = true;
    std::vector<bool> selects(static_cast<size_t>(textCount));
    for (qsizetype t = 0; t < textCount; ++t)
        selects[size_t(t)] = groups.groupOf(t) >= 0 && hit[size_t(groups.groupOf(t))];
    return selects;
}

PkMatchResult matchWith(const QStringList &names, const QList<QString> &ids, const std::vector<int> &wholeNumbers,
                        PkMatchOptions options)
{
    qsizetype longestName = 0;
    for (const QString &name : names)
        longestName = std::max(longestName, name.size());
    PkIdGroups groups(ids, options, longestName, wholeNumbers);
    PkCollected collected;
    std::vector<int> found;
    for (const QString &name : names)
        collected.add(groups, PkMatchText::baseName(name), found);
    return assemble(names, {}, collected, groups, ids, options);
}

// Once it is known what each identifier and piece selects as written, the
// identifiers as read are matched again, against the names that anything
// selected or a near try found: those are all they can select.
PkMatchResult matchPieces(const PkLinePieces &pieces, const QStringList &names, const std::vector<bool> &selects,
                          PkMatchOptions options)
{
    PkLinePieces::Reading reading = pieces.read(selects);
    PkMatchResult result = matchWith(names, reading.ids, reading.wholeNumber, options);
    PkLinePieces::finish(std::move(reading), result);
    return result;
}

} // namespace

// Ranges and sentences are matched as their pieces in the same pass as the
// identifiers: the listing is what costs.
PkMatchResult PkSelectionMatcher::matchOwnFiles(const QString &folderPath, const QList<QString> &ids,
                                                PkMatchOptions options, PkFolderLister::Others *others)
{
    // An empty path would list the working directory, which no user chose.
    if (folderPath.isEmpty())
        return matchNames({}, ids, options);
    return matchListed([&](const PkFolderLister::Batch &batch) {
        PkFolderLister::listInBatches(folderPath, batch, nullptr, others);
        return qsizetype(0);
    }, ids, options);
}

PkMatchResult PkSelectionMatcher::matchListed(const Listing &listed, const QList<QString> &ids, PkMatchOptions options,
                                              NearTries near)
{
    const PkLinePieces pieces(ids);
    const QList<QString> texts = pieces.texts();
    PkFolderListing listing;
    std::vector<qsizetype> textOf;
    if (near == NearTries::Afterwards) {
        listing.nearLater = [&texts, &textOf](const std::vector<bool> &unfound) {
            return nearTexts(texts, unfound, textOf);
        };
    }
    listing.list(listed, texts,
                 options.nearMatches && !listing.nearLater ? nearTexts(texts, {}, textOf) : QList<QString>(),
                 pieces.wholeNumbers(), options);
    if (!pieces.isEmpty())
        return matchPieces(pieces, listing.sorted,
                           selectedAsWritten(listing.collected, *listing.groups, texts.size()), options);
    PkMatchResult result = assemble(listing.sorted, listing.order, listing.collected, *listing.groups, ids, options,
                                    listing.near ? &*listing.near : nullptr, bool(listing.nearLater));
    PkLinePieces::finish(pieces.read({}), result);
    return result;
}

PkMatchResult PkSelectionMatcher::matchNames(const QStringList &names, const QList<QString> &ids,
                                             PkMatchOptions options)
{
    const PkLinePieces pieces(ids);
    if (pieces.isEmpty()) {
        PkMatchResult result = matchWith(names, ids, {}, options);
        PkLinePieces::finish(pieces.read({}), result);
        return result;
    }
    const QList<QString> texts = pieces.texts();
    qsizetype longestName = 0;
    for (const QString &name : names)
        longestName = std::max(longestName, name.size());
    PkIdGroups groups(texts, options, longestName, pieces.wholeNumbers());
    PkCollected collected;
    std::vector<int> found;
    for (const QString &name : names)
        collected.add(groups, PkMatchText::baseName(name), found);
    return matchPieces(pieces, names, selectedAsWritten(collected, groups, texts.size()), options);
}

QString PkSelectionMatcher::withoutExtension(const QString &id)
{
    return id.first(PkMatchText::stemLength(id));
}

QString PkSelectionMatcher::pictureOf(const QString &fileName)
{
    return fileName.first(PkMatchText::pictureLength(fileName));
}
