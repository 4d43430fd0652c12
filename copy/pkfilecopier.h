// SPDX-License-Identifier: MIT

#ifndef PKFILECOPIER_H
#define PKFILECOPIER_H

#include <QList>
#include <QString>

#include "pkcopybatch.h"

#include <functional>

struct stat;
class PkCopyContents;
class PkFileDescriptor;

// Copies pictures into an output folder, one at a time, without ever
// overwriting a file and without leaving a partial one under a real name.
// One copier serves one run: it learns what the destination's file system
// refuses and does not ask again.
class PkFileCopier
{
public:
    // Pending: the copy waits to be read back with others (see setBatch).
    enum class Outcome { Copied, AlreadyThere, Failed, Pending };

    // A failure that no other file can escape either, so the run ends: the
    // destination's drive is full, or a side of the copy is no longer there,
    // or the destination returns other bytes than were written to it.
    enum class RunEnd { None, DriveFull, DestinationGone, PicturesGone, ReadsBackDifferent };

    struct Result
    {
        Outcome outcome = Outcome::Copied;
        QString reason; // why it failed, in words for the user
        RunEnd end = RunEnd::None;
        // A copy's hash as 32 hex digits where its bytes passed through the
        // program, as they always do when verifying.
        QByteArray hash;
        // A hidden temporary that could not be removed (a card pulled out
        // mid-file), by its name in the copy's folder.
        QString leftBehind;
    };

    // With resume, a name that is taken in the output folder is left alone
    // and counts as already there where the file has the picture's size;
    // otherwise it fails.
    explicit PkFileCopier(bool resume = false);

    // Whether each copy is read back from its drive and compared with its
    // picture before it is named; off, as cp copies.
    void setVerify(bool on) { verify = on; }
    // Verifying, copies onto file systems with unnamed files wait to be read
    // back together, up to files of them or about 256 MB: the drive then
    // writes and reads them in one stream, not one file at a time, which
    // makes verifying small files several times faster. Such a copy is
    // Pending, unnamed until finishPending. 1, the default: one at a time.
    void setBatch(int files) { batchFiles = files; }
    bool batchIsFull() const;
    bool hasPending() const { return !pending.isEmpty(); }
    // Reads back and names the oldest copy that waits, and says what became
    // of it. After one that ends the run, the rest are dropped, unnamed: the
    // destination cannot be trusted with them.
    Result finishNext();
    // Drops the copies that wait, unnamed, as if they were never begun.
    void dropPending();

    // Told how many more bytes of the file in hand are written, a few
    // megabytes at a time, so that a large file's progress shows.
    std::function<void(qint64 bytes)> progressed = [](qint64) {};

    // Copies source, or the regular file it links to, with its permission
    // bits and its times, where the destination's file system keeps them,
    // as name into the folder open at folder. Every call on the copy is made
    // relative to that folder, so a folder swapped for another, or for a
    // link, under the same path receives nothing.
    Result copy(const QString &source, int folder, const QString &name);

    // Why a run ended early, in words for the user ("the drive is full").
    static QString runEndText(RunEnd end);

    // Removes the hidden temporary being written, if there is one. Safe in a
    // signal handler: a second Ctrl+C ends the program without waiting for
    // the file in hand, and must not leave its temporary behind.
    static void removeTemporaryInProgress();

    // Tests only: called with the destination's name just before a complete
    // copy is given its name, where another program could take the name.
    // Where PICKWELL_TEST_HOLD_PATH names a named pipe, each copy waits
    // there too, until a test has opened the pipe for writing and closed it:
    // tests of the command line hold a run at a known point that way.
    using NamingHook = void (*)(const QString &destination);
    static void setNamingHook(NamingHook hook);

    // Tests only: asked before each call that a file system may refuse or
    // fail; a nonzero answer is taken as that call's errno, and the call is
    // not made. LinkDescriptor names an unnamed file; ChangeMode and
    // ChangeTimes give a copy the picture's mode and times; Close ends
    // writing a temporary, which RenameNoReplace or else Link names; Read and
    // Write copy where the file system cannot copy in place.
    // Flush writes a verified copy out to its drive. ReadBack is asked for
    // each piece of a copy read back: a nonzero answer changes its bytes, as
    // a destination that returns other bytes would. RemoveTemporary removes
    // a hidden temporary when its copy is named or has failed. KeepForBatch
    // keeps a copy's folder open for its batch.
    enum class Call {
        UnnamedFile, CopyInPlace, LinkDescriptor, ChangeMode, Close, RenameNoReplace, Link, ChangeTimes, Read, Write,
        Flush, ReadBack, RemoveTemporary, KeepForBatch
    };
    using FaultHook = int (*)(Call call);
    static void setFaultHook(FaultHook hook);
    // True, with errno set to the hook's answer, where a test plays a file
    // system that refuses or fails call.
    static bool injectedFault(Call call);

private:
    // How a temporary is given its final name, from the best a file system
    // offers down to what every one can do.
    enum class Naming { NoReplace, Link, CheckedRename };

    Result copyInto(const QString &source, int folder, const QString &name);
    Result nameTaken(int folder, const QByteArray &name, qint64 size) const;
    Result failure(int error, const QString &source, int folder) const;
    Result outcome(int error, const QString &source, int folder, const QByteArray &name, qint64 size,
                   const QByteArray &hash) const;
    Result finish(PkCopyBatch::Copy &copy);
    int keepForBatch(const struct stat &status, int folder, const QByteArray &name, int out, const QByteArray &hash);
    int name(int out, const struct stat &status, int folder, const QByteArray &name);
    int writeCopy(int in, const struct stat &status, int folder, const QByteArray &name, PkCopyContents &contents);
    int copyUnnamed(int in, const struct stat &status, int folder, const QByteArray &name, PkCopyContents &contents);
    int copyThroughTemporary(int in, const struct stat &status, int folder, const QByteArray &name,
                             PkCopyContents &contents);
    int giveName(int folder, const char *temporary, const char *name);

    bool resume;
    bool verify = false;
    bool unnamedFiles;
    bool modeRefused = false;  // by the destination's file system, once
    bool timesRefused = false;
    Naming naming = Naming::NoReplace;
    // Whether the last failed call read the picture rather than wrote the copy.
    bool failedReading = false;
    QString leftBehind; // of the copy in hand
    QString source;     // the picture in hand
    PkFileDescriptor *inHand = nullptr; // and where it is open
    int batchFiles = 1;
    bool retrying = false;
    PkCopyBatch pending;

};

#endif // PKFILECOPIER_H
