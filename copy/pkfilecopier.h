// SPDX-License-Identifier: MIT

#ifndef PKFILECOPIER_H
#define PKFILECOPIER_H

#include <QString>

// Copies one picture into the output folder without ever overwriting a file
// and without leaving a partial one behind.
class PkFileCopier
{
public:
    // Empty when the copy is in place, otherwise why it is not.
    static QString copyWithoutOverwrite(const QString &source, const QString &destination);

    // Creates the run's output folder, or says why it cannot be used. A
    // folder that is there already is used as it is.
    static QString makeOutputFolder(const QString &path);
};

#endif // PKFILECOPIER_H
