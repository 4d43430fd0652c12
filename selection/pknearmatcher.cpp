// SPDX-License-Identifier: MIT

#include "pknearmatcher.h"

#include "pkidmatcher.h"
#include "pkmatchtext.h"

#include <algorithm>

PkNearMatcher::PkNearMatcher(const QStringList &names, PkMatchOptions options)
    : names(names)
    , options(options)
{
}

std::vector<PkNearMatcher::Found> PkNearMatcher::find(const QList<QString> &ids)
{
    std::vector<Found> found(size_t(ids.size()));
    if (ids.isEmpty() || names.isEmpty())
        return found;
    indexPictures();
    findIgnoringCase(ids, found);
    findWithoutMarker(ids, found);
    findByNumber(ids, found);
    return found;
}

PkNearMatcher::Kind PkNearMatcher::kindOf(const QString &id) const
{
    const qsizetype stem = PkMatchText::stemLength(id);
    const bool number = options.wholeNumbers && PkMatchText::isNumber(QStringView(id).first(stem));
    if (options.withoutExtensions && stem < id.size())
        return number ? Kind::Number : Kind::Picture;
    return number && stem == id.size() ? Kind::Number : Kind::Substring;
}

// Pictures are numbered in listing order, so that sorted numbers list them
// as the folder does.
void PkNearMatcher::indexPictures()
{
    QHash<QString, int> numberOf;
    namePicture.reserve(size_t(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString &name = names.at(i);
        const QString picture = name.first(PkMatchText::pictureLength(name));
        const int number = numberOf.value(picture, int(pictures.size()));
        if (number == pictures.size()) {
            numberOf.insert(picture, number);
            pictures.append(picture);
            pictureFiles.emplace_back();
            foldedPictures[PkMatchText::folded(picture)].push_back(number);
        }
        namePicture.push_back(number);
        pictureFiles[size_t(number)].push_back(i);
    }
}

void PkNearMatcher::indexNumbers()
{
    numbersIndexed = true;
    for (int p = 0; p < int(pictures.size()); ++p) {
        const QString &picture = pictures.at(p);
        for (qsizetype i = 0; i < picture.size();) {
            qsizetype end = i;
            while (end < picture.size() && PkMatchText::isDigit(picture.at(end)))
                ++end;
            if (end > i) {
                const std::u16string_view digits = PkMatchText::withoutLeadingZeros(picture.sliced(i, end - i));
                std::vector<int> &list = numberPictures[QString::fromUtf16(digits.data(), qsizetype(digits.size()))];
                if (list.empty() || list.back() != p)
                    list.push_back(p);
            }
            i = end + 1;
        }
    }
}

// The same comparison as the first try, case-folded on both sides: pictures
// by equality, substrings in one pass of an automaton over the folded names.
// Folding changes no digit, so numbers find nothing new here.
void PkNearMatcher::findIgnoringCase(const QList<QString> &ids, std::vector<Found> &found)
{
    QList<QString> patterns(ids.size());
    bool substrings = false;
    for (qsizetype j = 0; j < ids.size(); ++j) {
        const Kind kind = kindOf(ids.at(j));
        if (kind == Kind::Picture)
            selectPictures(foldedPictures.value(PkMatchText::folded(PkSelectionMatcher::withoutExtension(ids.at(j)))),
                           found[size_t(j)]);
        else if (kind == Kind::Substring)
            patterns[j] = PkMatchText::folded(ids.at(j)), substrings = true;
    }
    if (!substrings)
        return;
    qsizetype longest = 0;
    for (const QString &name : names)
        longest = std::max(longest, name.size());
    const PkIdMatcher matcher(patterns, longest);
    std::vector<std::pair<int32_t, int>> hits;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const int picture = namePicture[size_t(i)];
        matcher.forEachEnd(PkMatchText::folded(names.at(i)),
                           [&hits, picture](int32_t node) { hits.emplace_back(node, picture); });
    }
    std::sort(hits.begin(), hits.end());
    hits.erase(std::unique(hits.begin(), hits.end()), hits.end());
    for (qsizetype j = 0; j < ids.size(); ++j) {
        const int32_t node = matcher.endNode(j);
        if (node < 0)
            continue;
        auto run = std::lower_bound(hits.begin(), hits.end(), std::make_pair(node, 0));
        Found &result = found[size_t(j)];
        for (; run != hits.end() && run->first == node; ++run)
            result.pictures.push_back(run->second);
        if (result.pictures.size() != 1)
            continue;
        for (qsizetype file : pictureFiles[size_t(result.pictures.front())]) {
            if (PkMatchText::folded(names.at(file)).contains(patterns.at(j)))
                result.files.push_back(file);
        }
    }
}

void PkNearMatcher::findWithoutMarker(const QList<QString> &ids, std::vector<Found> &found)
{
    for (qsizetype j = 0; j < ids.size(); ++j) {
        if (!found[size_t(j)].pictures.empty())
            continue;
        const QString stem = PkMatchText::folded(PkSelectionMatcher::withoutExtension(ids.at(j)));
        const qsizetype length = PkMatchText::unmarkedLength(stem);
        if (length > 0)
            selectPictures(foldedPictures.value(stem.first(length)), found[size_t(j)]);
    }
}

void PkNearMatcher::findByNumber(const QList<QString> &ids, std::vector<Found> &found)
{
    for (qsizetype j = 0; j < ids.size(); ++j) {
        if (!found[size_t(j)].pictures.empty())
            continue;
        const QString stem = PkMatchText::folded(PkSelectionMatcher::withoutExtension(ids.at(j)));
        const qsizetype length = PkMatchText::unmarkedLength(stem);
        const QStringView number = PkMatchText::pictureNumber(QStringView(stem).first(length > 0 ? length : stem.size()));
        if (number.isEmpty())
            continue;
        if (!numbersIndexed)
            indexNumbers();
        const std::u16string_view key = PkMatchText::withoutLeadingZeros(number);
        selectPictures(numberPictures.value(QString::fromUtf16(key.data(), qsizetype(key.size()))), found[size_t(j)]);
    }
}

void PkNearMatcher::selectPictures(std::vector<int> list, Found &found) const
{
    std::sort(list.begin(), list.end());
    found.pictures = std::move(list);
    if (found.pictures.size() == 1)
        found.files = pictureFiles[size_t(found.pictures.front())];
}
