// SPDX-License-Identifier: MIT

#ifndef PKCOLLECTED_H
#define PKCOLLECTED_H

#include "pkidgroups.h"

#include <QString>

#include <cstdint>
#include <vector>

// The groups that each name selects, for the names in the order they were
// collected.
struct PkCollected
{
    std::vector<uint32_t> start{0};
    std::vector<int> groups;

    void add(PkIdGroups &idGroups, const QString &name, std::vector<int> &found)
    {
        idGroups.collect(name, found);
        groups.insert(groups.end(), found.begin(), found.end());
        start.push_back(uint32_t(groups.size()));
    }
};

#endif // PKCOLLECTED_H
