// SPDX-License-Identifier: MIT

#include "pkidmatcher.h"

#include <algorithm>

namespace {

bool unitsLess(QStringView a, QStringView b)
{
    return std::lexicographical_compare(a.utf16(), a.utf16() + a.size(),
                                        b.utf16(), b.utf16() + b.size());
}

} // namespace

PkIdMatcher::PkIdMatcher(const QList<QString> &ids, qsizetype longestText, qsizetype denseCells)
{
    const auto searched = [longestText](const QString &id) { return !id.isEmpty() && id.size() <= longestText; };
    std::vector<QStringView> patterns;
    patterns.reserve(size_t(ids.size()));
    for (const QString &id : ids) {
        if (searched(id))
            patterns.push_back(id);
    }
    buildAlphabet(patterns);
    buildTrie(patterns);
    buildLinks(denseCells);

    idNode.assign(size_t(ids.size()), 0);
    for (qsizetype i = 0; i < ids.size(); ++i) {
        const QString &id = ids.at(i);
        if (!searched(id))
            continue;
        int32_t node = 0;
        for (QChar ch : id)
            node = child(node, classOf[ch.unicode()]);
        idNode[size_t(i)] = node;
    }
}

void PkIdMatcher::buildAlphabet(const std::vector<QStringView> &patterns)
{
    std::vector<uint8_t> present(0x10000, 0);
    for (QStringView pattern : patterns) {
        for (QChar ch : pattern)
            present[ch.unicode()] = 1;
    }
    // Classes follow code-unit order, so the sorted identifiers below give
    // every node its edges already sorted by class.
    uint32_t next = 1;
    classOf.resize(present.size());
    std::transform(present.begin(), present.end(), classOf.begin(), [&next](uint8_t here) { return here ? next++ : 0u; });
    classCount = int32_t(next);
}

void PkIdMatcher::buildTrie(std::vector<QStringView> patterns)
{
    std::sort(patterns.begin(), patterns.end(), unitsLess);
    patterns.erase(std::unique(patterns.begin(), patterns.end()), patterns.end());

    std::vector<int32_t> parent{-1};
    std::vector<uint32_t> cls{0};
    std::vector<uint8_t> ends{0};
    std::vector<int32_t> lengths{0};
    std::vector<int32_t> path{0};
    QStringView previous;
    for (QStringView pattern : patterns) {
        qsizetype common = 0;
        const qsizetype limit = std::min(previous.size(), pattern.size());
        while (common < limit && previous[common] == pattern[common])
            ++common;
        path.resize(size_t(common) + 1);
        for (qsizetype i = common; i < pattern.size(); ++i) {
            parent.push_back(path.back());
            cls.push_back(classOf[pattern[i].unicode()]);
            ends.push_back(0);
            lengths.push_back(int32_t(i + 1));
            path.push_back(int32_t(parent.size() - 1));
        }
        ends[size_t(path[size_t(pattern.size())])] = 1;
        previous = pattern;
    }

    const size_t nodes = parent.size();
    terminal = std::move(ends);
    depth = std::move(lengths);
    edgeBegin.assign(nodes + 1, 0);
    for (size_t node = 1; node < nodes; ++node)
        ++edgeBegin[size_t(parent[node]) + 1];
    for (size_t node = 0; node < nodes; ++node)
        edgeBegin[node + 1] += edgeBegin[node];
    edgeClass.resize(nodes > 0 ? nodes - 1 : 0);
    edgeTarget.resize(edgeClass.size());
    std::vector<int32_t> fill(edgeBegin.begin(), edgeBegin.end() - 1);
    for (size_t node = 1; node < nodes; ++node) {
        const int32_t slot = fill[size_t(parent[node])]++;
        edgeClass[size_t(slot)] = cls[node];
        edgeTarget[size_t(slot)] = int32_t(node);
    }
    fail.assign(nodes, 0);
}

void PkIdMatcher::buildLinks(qsizetype denseCells)
{
    const size_t nodes = fail.size();
    dictLink.assign(nodes, 0);
    output.assign(nodes, 0);
    std::vector<int32_t> order;
    order.reserve(nodes);
    order.push_back(0);
    for (size_t head = 0; head < order.size(); ++head) {
        const int32_t node = order[head];
        for (int32_t e = edgeBegin[size_t(node)]; e < edgeBegin[size_t(node) + 1]; ++e) {
            const int32_t next = edgeTarget[size_t(e)];
            int32_t link = 0;
            if (node != 0) {
                int32_t f = fail[size_t(node)];
                while (f != 0 && child(f, edgeClass[size_t(e)]) < 0)
                    f = fail[size_t(f)];
                link = std::max(child(f, edgeClass[size_t(e)]), 0);
            }
            fail[size_t(next)] = link;
            dictLink[size_t(next)] = terminal[size_t(link)] ? link : dictLink[size_t(link)];
            output[size_t(next)] = terminal[size_t(next)] | output[size_t(link)];
            order.push_back(next);
        }
    }

    const size_t width = size_t(classCount);
    if (qsizetype(nodes) > denseCells / classCount)
        return;
    delta.assign(nodes * width, 0);
    for (int32_t node : order) {
        int32_t *row = delta.data() + size_t(node) * width;
        if (node != 0) {
            const int32_t *inherited = delta.data() + size_t(fail[size_t(node)]) * width;
            std::copy(inherited, inherited + width, row);
        }
        for (int32_t e = edgeBegin[size_t(node)]; e < edgeBegin[size_t(node) + 1]; ++e)
            row[edgeClass[size_t(e)]] = edgeTarget[size_t(e)];
    }
}

int32_t PkIdMatcher::child(int32_t node, uint32_t cls) const
{
    const uint32_t *first = edgeClass.data() + edgeBegin[size_t(node)];
    const uint32_t *last = edgeClass.data() + edgeBegin[size_t(node) + 1];
    const uint32_t *it = std::lower_bound(first, last, cls);
    if (it == last || *it != cls)
        return -1;
    return edgeTarget[size_t(it - edgeClass.data())];
}

void PkIdMatcher::ignoreAsciiCase()
{
    for (char16_t unit = u'A'; unit <= u'Z'; ++unit)
        classOf[unit] = classOf[unit + (u'a' - u'A')];
}

bool PkIdMatcher::contains(QStringView text) const
{
    if (fail.size() <= 1)
        return false;
    int32_t node = 0;
    for (QChar ch : text) {
        node = step(node, ch.unicode());
        if (output[size_t(node)])
            return true;
    }
    return false;
}

