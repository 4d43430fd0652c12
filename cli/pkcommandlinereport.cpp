// SPDX-License-Identifier: MIT

#include "pkcommandline.h"

#include "pkmatchcsv.h"
#include "pwsavedfile.h"

// The report describes the match, whatever is copied after it: it is
// written before any copy, on a dry run too. A run whose report cannot be
// written stops there, so that a script never copies without the record it
// asked for.
int PkCommandLine::writeReport(const Invocation &invocation, const PkMatchResult &match,
                               const QList<PkNearMatch> *examples)
{
    if (invocation.reportPath.isEmpty())
        return Success;
    const QString why = PwSavedFile::write(invocation.reportPath, PkMatchCsv::report(match, {}, examples));
    if (why.isEmpty())
        return Success;
    printError(QStringLiteral("Cannot write the report %1: %2").arg(invocation.reportPath, why));
    return CopyFailed;
}
