// SPDX-License-Identifier: MIT

#ifndef PKIDGROUPS_H
#define PKIDGROUPS_H

#include "pkkeyfilter.h"
#include "pkselectionmatcher.h"

#include <QList>
#include <QString>

#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

class PkIdMatcher;

// The identifiers of a list fall into groups that select the same names: the
// same text, the same picture, or numbers equal but for leading zeros.
// Matching works on groups and hands the results back to the identifiers as
// written. Substrings go through the automaton; pictures and numbers are
// looked up by the name's picture and its runs of digits.
class PkIdGroups
{
public:
    // wholeNumber, when given, holds per identifier -1, or the length of the
    // text before its final digits: those must then stand in a name as a
    // whole run of digits, leading zeros aside, right after that text in
    // any case, whatever the options say.
    PkIdGroups(const QList<QString> &ids, PkMatchOptions options, qsizetype longestName,
               const std::vector<int> &wholeNumber = {});
    ~PkIdGroups();

    // Replaces found by the groups that select name, each once.
    void collect(const QString &name, std::vector<int> &found);

    int size() const { return count; }
    // -1 for an identifier that can select nothing (empty, or too long).
    int groupOf(qsizetype id) const { return idGroup[size_t(id)]; }
    qsizetype firstIdOf(int group) const { return firstId[size_t(group)]; }

private:
    using Keys = std::unordered_map<std::u16string_view, int>;

    int addPrefixed(const QString &id, qsizetype prefix);
    int addKey(QList<QString> &texts, Keys &keys, PkKeyFilter &filter, QString text, bool number);
    void collectNumbers(QStringView name, std::vector<int> &found);
    void collectPrefixed(QStringView name, qsizetype run, qsizetype runLength, std::u16string_view digits,
                         std::vector<int> &found);
    void addGroup(int group, std::vector<int> &found);

    std::unique_ptr<PkIdMatcher> matcher;
    std::vector<int> nodeGroup;
    // The keys point into these strings' data, which stays where it is.
    QList<QString> numberText, pictureText;
    Keys numberGroup, pictureGroup;
    PkKeyFilter numberFilter, pictureFilter;
    // The lengths of the texts that whole numbers must follow, other than none.
    std::vector<qsizetype> prefixLengths;
    // Per number group, the fewest digits a run must have to stand for it.
    std::vector<qsizetype> shortestRun;
    QString prefixed;
    std::vector<int> idGroup;
    std::vector<qsizetype> firstId;
    int count = 0;
    // A group is in the name's current collection when its stamp is the generation.
    std::vector<qsizetype> stamp;
    qsizetype generation = 0;
};

#endif // PKIDGROUPS_H
