// SPDX-License-Identifier: MIT

#ifndef PKARGUMENTS_H
#define PKARGUMENTS_H

#include "pkcommandline.h"

#include <QString>
#include <QStringList>

// The program's arguments: what they ask for, and the help text that
// explains them, decided without any application object.
class PkArguments
{
public:
    static PkCommandLine::Invocation parse(const QStringList &arguments);
    // The name that messages and the help text begin with.
    static QString programName();
};

#endif // PKARGUMENTS_H
