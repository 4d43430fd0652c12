// SPDX-License-Identifier: MIT

#ifndef PKKEYFILTER_H
#define PKKEYFILTER_H

#include <QStringView>

#include <bitset>

// Tells at the cost of a few instructions that most keys are in no table:
// one bit per hash of the keys that are. Matching looks up every file name's
// picture and runs of digits in tables of a few thousand identifiers, and a
// table's buckets spill out of the cache where this one bit stays in it.
class PkKeyFilter
{
public:
    void add(QStringView key) { bits.set(slot(key)); }
    bool mayContain(QStringView key) const { return bits.test(slot(key)); }

private:
    static constexpr size_t slotCount = size_t(1) << 16;

    // FNV-1a over the code units, inline and a fraction of qHash's cost.
    // Keys that differ only in the case of ASCII letters share a bit, so a
    // key folded to lower case may be asked for before folding it.
    static size_t slot(QStringView key)
    {
        quint32 hash = 2166136261u;
        for (QChar ch : key) {
            const char16_t unit = ch.unicode();
            hash = (hash ^ (unit >= u'A' && unit <= u'Z' ? unit + (u'a' - u'A') : unit)) * 16777619u;
        }
        return (hash ^ (hash >> 16)) % slotCount;
    }

    std::bitset<slotCount> bits;
};

#endif // PKKEYFILTER_H
