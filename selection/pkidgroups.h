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
    PkIdGroups(const QList<QString> &ids, PkMatchOptions options, qsizetype longestName);
    ~PkIdGroups();

    // Replaces found by the groups that select name, each once.
    void collect(const QString &name, std::vector<int> &found);

    int size() const { return count; }
    // -1 for an identifier that can select nothing (empty, or too long).
    int groupOf(qsizetype id) const { return idGroup[size_t(id)]; }
    qsizetype firstIdOf(int group) const { return firstId[size_t(group)]; }

private:
    using Keys = std::unordered_map<std::u16string_view, int>;

    int addKey(QList<QString> &texts, Keys &keys, PkKeyFilter &filter, QString text, bool number);
    void collectNumbers(const QString &name, std::vector<int> &found);
    void addGroup(int group, std::vector<int> &found);

    std::unique_ptr<PkIdMatcher> matcher;
    std::vector<int> nodeGroup;
    // The keys point into these strings' data, which stays where it is.
    QList<QString> numberText, pictureText;
    Keys numberGroup, pictureGroup;
    PkKeyFilter numberFilter, pictureFilter;
    std::vector<int> idGroup;
    std::vector<qsizetype> firstId;
    int count = 0;
    // A group is in the name's current collection when its stamp is the generation.
    std::vector<qsizetype> stamp;
    qsizetype generation = 0;
};

#endif // PKIDGROUPS_H
