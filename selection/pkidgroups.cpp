// SPDX-License-Identifier: MIT

#include "pkidgroups.h"

#include "pkidmatcher.h"
#include "pkmatchtext.h"

#include <algorithm>

namespace {

std::u16string_view unitsOf(QStringView text)
{
    return std::u16string_view(text.utf16(), size_t(text.size()));
}

} // namespace

PkIdGroups::PkIdGroups(const QList<QString> &ids, PkMatchOptions options, qsizetype longestName,
                       const std::vector<int> &wholeNumber)
{
    QList<QString> patterns(ids.size());
    idGroup.assign(size_t(ids.size()), -1);
    for (qsizetype i = 0; i < ids.size(); ++i) {
        const QString &id = ids.at(i);
        const int prefix = size_t(i) < wholeNumber.size() ? wholeNumber[size_t(i)] : -1;
        if (prefix >= 0) {
            idGroup[size_t(i)] = addPrefixed(PkMatchText::comparable(id), prefix);
            continue;
        }
        const qsizetype stem = PkMatchText::stemLength(id);
        const bool picture = options.withoutExtensions && stem < id.size();
        QString pattern = PkMatchText::comparable(picture ? id.first(stem) : id);
        if (options.wholeNumbers && PkMatchText::isNumber(pattern)) {
            const int group = addKey(numberText, numberGroup, numberFilter, std::move(pattern), true);
            shortestRun.resize(size_t(count), 0);
            shortestRun[size_t(group)] = 0;
            idGroup[size_t(i)] = group;
        }
        else if (picture)
            idGroup[size_t(i)] = addKey(pictureText, pictureGroup, pictureFilter, std::move(pattern), false);
        else
            patterns[i] = std::move(pattern);
    }
    matcher = std::make_unique<PkIdMatcher>(patterns, longestName);
    nodeGroup.assign(size_t(matcher->nodeCount()), -1);
    for (qsizetype i = 0; i < patterns.size(); ++i) {
        const int32_t node = matcher->endNode(i);
        if (node == 0)
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

void PkIdGroups::collect(const QString &name, std::vector<int> &found)
{
    found.clear();
    ++generation;
    // An identifier must begin in the picture's name: the 2 of a .CR2, the 4
    // of an .MP4 or the xmp of a sidecar name no picture. One that begins
    // there may go on into the extensions, as IMG_0001.CR2 does.
    qsizetype pictureLength = PkMatchText::pictureLength(name);
    const auto add = [this, &found, &pictureLength](int32_t node, qsizetype end) {
        if (end - matcher->length(node) <= pictureLength)
            addGroup(nodeGroup[size_t(node)], found);
    };
    // Most names are plain Latin and are scanned once, as they are.
    QString composed;
    if (matcher->forEachEnd(name, add) >= PkMatchText::firstComposable) {
        composed = name.normalized(QString::NormalizationForm_C);
        if (composed != name) {
            found.clear();
            ++generation;
            pictureLength = PkMatchText::pictureLength(composed);
            matcher->forEachEnd(composed, add);
        }
    }
    if (!pictureGroup.empty()) {
        const QStringView comparable = composed.isNull() ? QStringView(name) : QStringView(composed);
        const QStringView picture = comparable.first(pictureLength);
        const auto it = pictureFilter.mayContain(picture) ? pictureGroup.find(unitsOf(picture)) : pictureGroup.end();
        if (it != pictureGroup.end())
            addGroup(it->second, found);
    }
    if (!numberGroup.empty())
        collectNumbers(QStringView(name).first(PkMatchText::pictureLength(name)), found);
}

// The key is the folded text and the number without its leading zeros, as
// collectPrefixed makes it from a name. A number stands in a run of at least
// as many digits as written: "0002" is no "2" in "IMG_0001.CR2".
int PkIdGroups::addPrefixed(const QString &id, qsizetype prefix)
{
    if (prefix > 0 && std::find(prefixLengths.begin(), prefixLengths.end(), prefix) == prefixLengths.end())
        prefixLengths.push_back(prefix);
    const std::u16string_view digits = PkMatchText::withoutLeadingZeros(QStringView(id).sliced(prefix));
    QString key = PkMatchText::folded(QStringView(id).first(prefix));
    key.append(QStringView(digits.data(), qsizetype(digits.size())));
    const int before = count;
    const int group = addKey(numberText, numberGroup, numberFilter, std::move(key), false);
    shortestRun.resize(size_t(count), 0);
    const qsizetype written = id.size() - prefix;
    shortestRun[size_t(group)] = group >= before ? written : std::min(shortestRun[size_t(group)], written);
    return group;
}

int PkIdGroups::addKey(QList<QString> &texts, Keys &keys, PkKeyFilter &filter, QString text, bool number)
{
    texts.append(std::move(text));
    const std::u16string_view key = number ? PkMatchText::withoutLeadingZeros(texts.constLast()) : unitsOf(texts.constLast());
    filter.add(QStringView(key.data(), qsizetype(key.size())));
    const auto [it, added] = keys.try_emplace(key, count);
    count += added ? 1 : 0;
    return it->second;
}

    // Normalisation leaves ASCII digits and where their runs end alone.
void PkIdGroups::collectNumbers(QStringView name, std::vector<int> &found)
{
    for (qsizetype i = 0; i < name.size();) {
        if (!PkMatchText::isDigit(name.at(i))) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < name.size() && PkMatchText::isDigit(name.at(end)))
            ++end;
        const std::u16string_view digits = PkMatchText::withoutLeadingZeros(QStringView(name).sliced(i, end - i));
        if (!prefixLengths.empty())
            collectPrefixed(name, i, end - i, digits, found);
        if (numberFilter.mayContain(QStringView(digits.data(), qsizetype(digits.size())))) {
            const auto it = numberGroup.find(digits);
            if (it != numberGroup.end() && end - i >= shortestRun[size_t(it->second)])
                addGroup(it->second, found);
        }
        i = end;
    }
}

void PkIdGroups::collectPrefixed(QStringView name, qsizetype run, qsizetype runLength, std::u16string_view digits,
                                 std::vector<int> &found)
{
    for (const qsizetype length : prefixLengths) {
        if (length > run)
            continue;
        prefixed = PkMatchText::folded(name.sliced(run - length, length));
        prefixed.append(QStringView(digits.data(), qsizetype(digits.size())));
        if (numberFilter.mayContain(prefixed)) {
            const auto it = numberGroup.find(unitsOf(prefixed));
            if (it != numberGroup.end() && runLength >= shortestRun[size_t(it->second)])
                addGroup(it->second, found);
        }
    }
}

void PkIdGroups::addGroup(int group, std::vector<int> &found)
{
    if (stamp[size_t(group)] != generation) {
        stamp[size_t(group)] = generation;
        found.push_back(group);
    }
}

PkIdGroups::~PkIdGroups() = default;
