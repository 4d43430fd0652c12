// SPDX-License-Identifier: MIT

#ifndef PKCOPYCONTENTS_H
#define PKCOPYCONTENTS_H

#include <QByteArray>

#include <functional>

#include "pkcontenthash.h"

struct stat;

// Copies a picture's bytes into a copy that is not named yet, hashing them
// where they pass through the program. Verifying, every byte passes through
// (nothing is copied inside the kernel), and the copy is written out to its
// drive, dropped from this machine's cache and read back before it may be
// named: a copy is trusted for what it reads back, not for what was written.
class PkCopyContents
{
public:
    // No errno is negative: copy's ways of saying that the picture's size
    // or time changed while it was copied, and that the copy reads back
    // other bytes than were written.
    static constexpr int changedWhileCopied = -2;
    static constexpr int readsBackDifferent = -3;

    PkCopyContents(bool verify, const std::function<void(qint64)> &progressed);

    // Copies exactly the picture's size as it was when opened, from in's
    // current offset into out, which must be open for reading too when
    // verifying, and verifying reads it back. Returns 0, or the errno of the
    // failed call, or one of the two above.
    int copy(int in, int out, const struct stat &status);

    // The steps of copy, for copies that are read back in a batch: write
    // copies and hashes; startWriting lets the drive begin to write the copy
    // out; settle writes it out and drops it from this machine's cache, with
    // prefetch asking the drive for it again at once; check reads it back and
    // compares it with expected, the hash write made.
    int write(int in, int out, const struct stat &status);
    static void startWriting(int out);
    static int settle(int out, bool prefetch);
    int check(int in, int out, const struct stat &status, const QByteArray &expected);

    // Whether write counts the whole of each piece as done, its copy to be
    // read back later, with others, by another PkCopyContents.
    void setReadBackLater(bool later) { readLater = later; }

    // Whether the last failed call read the picture rather than the copy.
    bool failedReading() const { return reading; }
    // The copy's hash as 32 hex digits, or empty where its bytes did not
    // pass through the program.
    QByteArray hash() const { return passedThrough ? hex : QByteArray(); }

private:
    int copyByReadWrite(int in, int out, off_t remaining);
    int checkEnd(int in);
    int unchanged(int in, const struct stat &status);
    int readBack(int out, off_t size, const QByteArray &expected);

    bool verify;
    const std::function<void(qint64)> &progressed;
    PkContentHash contentHash;
    QByteArray hex;
    bool reading = false;
    bool passedThrough = false;
    bool readLater = false;
};

#endif // PKCOPYCONTENTS_H
