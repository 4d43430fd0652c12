// SPDX-License-Identifier: MIT

#include "pkcommandline.h"

#include "pkarguments.h"
#include "pkmatchcsv.h"
#include "pwsavedfile.h"

#include <cstdio>

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
    std::fflush(stdout);
    const QByteArray line = (PkArguments::programName() + QStringLiteral(": Cannot write the report %1: %2\n")
                                                              .arg(invocation.reportPath, why)).toLocal8Bit();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    return CopyFailed;
}
