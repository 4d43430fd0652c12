// SPDX-License-Identifier: MIT

#ifndef PKIDMATCHER_H
#define PKIDMATCHER_H

#include <QList>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <limits>
#include <vector>

// Finds out in one pass over a text whether any of many identifiers occurs in
// it (case-sensitive substring search), using an Aho-Corasick automaton over
// UTF-16 code units. Matching a folder of names against a long selection list
// with one indexOf per pair is far too slow; this keeps it near the cost of
// reading each name once. Empty identifiers occur nowhere: a stray blank line
// must not select a whole folder.
class PkIdMatcher
{
public:
    // The automaton becomes a full transition table when it has at most this
    // many cells (nodes x distinct characters); larger ones walk failure links.
    static constexpr qsizetype DefaultDenseCells = qsizetype(1) << 22;

    // Identifiers longer than longestText can never occur in the texts to be
    // scanned, so they are left out of the automaton (a single 50 MB line
    // would otherwise become 50 million nodes).
    explicit PkIdMatcher(const QList<QString> &ids,
                         qsizetype longestText = std::numeric_limits<qsizetype>::max(),
                         qsizetype denseCells = DefaultDenseCells);

    bool contains(QStringView text) const;

    // From now on an ASCII capital steps as its small letter does, so that
    // identifiers already folded find a name without folding it first. Only
    // for identifiers that hold no ASCII capital.
    void ignoreAsciiCase();

    // Calls found(node, end) with the end node of every identifier that
    // occurs in text, once per occurrence, and the index just past it;
    // identifiers that are equal share a node.
    // Returns the bitwise OR of the text's code units, which is at least the
    // highest of them: callers learn whether text holds any unit at or above
    // a bound without a second pass over it (rarely, one below it too).
    template <typename Found>
    char16_t forEachEnd(QStringView text, Found &&found) const
    {
        char16_t units = 0;
        int32_t node = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t unit = text[i].unicode();
            units |= unit;
            node = step(node, unit);
            if (!output[size_t(node)])
                continue;
            for (int32_t hit = terminal[size_t(node)] ? node : dictLink[size_t(node)]; hit != 0;
                 hit = dictLink[size_t(hit)])
                found(hit, i + 1);
        }
        return units;
    }

    // The end node of the index-th identifier of the list given to the
    // constructor; 0, the root, which no search reports, for one that is
    // never searched (empty, or too long).
    int32_t endNode(qsizetype index) const { return idNode[size_t(index)]; }
    // The length of the identifiers that end at node.
    qsizetype length(int32_t node) const { return depth[size_t(node)]; }

    bool isDense() const { return !delta.empty(); }
    qsizetype nodeCount() const { return qsizetype(fail.size()); }

private:
    void buildAlphabet(const std::vector<QStringView> &patterns);
    void buildTrie(std::vector<QStringView> patterns);
    void buildLinks(qsizetype denseCells);
    int32_t child(int32_t node, uint32_t cls) const;
    int32_t step(int32_t node, char16_t unit) const;

    std::vector<int32_t> idNode;          // per identifier: its end node, 0 if left out
    // UTF-16 code unit -> dense class, 0 = in no identifier. 32 bits, since a
    // list may use all 65,536 code units and class 0 comes on top of them.
    std::vector<uint32_t> classOf;
    int32_t classCount = 1;
    // Trie edges as one sorted run per node (CSR layout).
    std::vector<int32_t> edgeBegin;
    std::vector<uint32_t> edgeClass;
    std::vector<int32_t> edgeTarget;
    std::vector<int32_t> fail;
    std::vector<int32_t> dictLink;        // nearest proper suffix that ends an identifier, 0 if none
    std::vector<uint8_t> terminal;        // an identifier ends at this node
    std::vector<int32_t> depth;           // the length of the text that leads to this node
    std::vector<uint8_t> output;          // some identifier ends at this node or a suffix of it
    std::vector<int32_t> delta;           // full transition table, empty when too large
};

// Inline: it runs once for every code unit of every name scanned.
inline int32_t PkIdMatcher::step(int32_t node, char16_t unit) const
{
    const uint32_t cls = classOf[unit];
    if (!delta.empty())
        return delta[size_t(node) * size_t(classCount) + cls];
    if (cls == 0)
        return 0;
    for (;;) {
        const int32_t next = child(node, cls);
        if (next != -1)
            return next;
        if (node == 0)
            return 0;
        node = fail[size_t(node)];
    }
}

#endif // PKIDMATCHER_H
