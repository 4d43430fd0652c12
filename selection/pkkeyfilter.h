// SPDX-License-Identifier: MIT

#ifndef PKKEYFILTER_H
#define PKKEYFILTER_H

#include <QHashFunctions>
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

    static size_t slot(QStringView key) { return qHash(key) % slotCount; }

    std::bitset<slotCount> bits;
};

#endif // PKKEYFILTER_H
