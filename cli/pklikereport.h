// SPDX-License-Identifier: MIT

#ifndef PKLIKEREPORT_H
#define PKLIKEREPORT_H

#include <QByteArray>

struct PkLikeResult;

// What the command line says of a match of example pictures: the counts,
// one line per example saying which picture it found and how, then the
// examples that found none, several, or are no pictures.
class PkLikeReport
{
public:
    static QByteArray summary(const PkLikeResult &result);
};

#endif // PKLIKEREPORT_H
