// SPDX-License-Identifier: MIT

#ifndef PKHIDDENTEMPORARY_H
#define PKHIDDENTEMPORARY_H

#include <QString>

// The hidden file a copy is written into where the file system has no
// unnamed files, ".pickwell-" and six letters or digits, until it is renamed.
// One is in progress at a time, and a signal handler can remove it: its name
// is known before it exists.
class PkHiddenTemporary
{
public:
    // Creates one of a fresh name in folder, writable by its owner whatever
    // the picture's mode. Returns the open file, or -1 with errno set, and
    // its name into name.
    static int make(int folder, const char **name);
    // The one in progress was renamed: its name is gone already.
    static void forget();
    // Removes the one in progress, if there is one. Returns its name where
    // it cannot be removed (a drive that failed), else an empty string.
    static QString remove();
    // Removes the one in progress without a word; safe in a signal handler.
    static void removeQuietly();
};

#endif // PKHIDDENTEMPORARY_H
