// SPDX-License-Identifier: MIT

#ifndef PKMATCHREPORT_H
#define PKMATCHREPORT_H

#include <QByteArray>
#include <QList>
#include <QString>

struct PkMatchResult;

// What the command line prints of a match: the summary line, then one line
// per identifier that needs a look (not found, ambiguous), and, for a dry
// run, the files that would be copied.
class PkMatchReport
{
public:
    static QByteArray summary(const PkMatchResult &match);
    static QByteArray fileList(const QList<QString> &files);
};

#endif // PKMATCHREPORT_H
