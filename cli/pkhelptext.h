// SPDX-License-Identifier: MIT

#ifndef PKHELPTEXT_H
#define PKHELPTEXT_H

#include <QString>

// What --help says beyond the options: what a run does and prints, with
// examples, and what its exit status means.
class PkHelpText
{
public:
    static QString description();
    static QString exitStatus();
};

#endif // PKHELPTEXT_H
