// SPDX-License-Identifier: MIT

#ifndef PKFILEREADER_H
#define PKFILEREADER_H

#include <QList>
#include <QObject>
#include <QString>

#include "pkfilecopier.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class PkRunDestination;

// Reads selection lists, matches picture folders against them, and copies the
// matches into the output folder on the thread it lives on.
class PkFileReader : public QObject
{
    Q_OBJECT

public:
    PkFileReader();

    // The folder, inside the picture folder, that every run copies into.
    static QString outputFolderName() { return QStringLiteral("FilesFromSelection"); }
    static constexpr qint64 largeFileSize = 64 * 1000 * 1000;

    // The list reading and folder matching that the window and the command
    // line use, in their plainest form.
    QList<QString> readSelectionFile(QString path) const;
    QList<QString> findFilesToCopy(QString folderPath, QList<QString> ids) const;
    bool folderExists(QString path) const;

    // Why a folder cannot take a run's copies, in words for the user; empty
    // when it can. With resume, an output folder that is there already is
    // accepted when it can be written into.
    static QString folderRefusal(const QString &folderPath, bool resume = false);

    // Ends the run-th run of on_startCopyIntoSignal (1 for the first run this
    // worker receives) after the file it is copying. Safe to call from any
    // thread, also before that run has begun; other runs are not touched.
    void requestStop(int run);

    // Whether runs from now on put every copy at the top of the output
    // folder instead of into the sub-folder its picture came from. Safe to
    // call from any thread before a run is started.
    void setFlatCopies(bool flat);
    // Whether runs from now on read each copy back before naming it (the
    // default); off, they are as fast as cp. Safe to call from any thread
    // before a run is started.
    void setVerify(bool on);
    // Folders that runs from now on copy into as well, each into its own
    // output folder, in the same pass: a backup drive beside the delivery.
    // Safe to call from any thread before a run is started.
    void setAlsoInto(const QList<QString> &folders);
    // How many verified copies at most wait to be read back together; 1
    // reads each back as it is made. Safe to call from any thread before a
    // run is started.
    void setBatch(int files);

public slots:
    // Copies the files from the picture folder filePath into the output
    // folder inside destination, or inside filePath where destination is
    // empty. With resume, the output folder may be there already, and names
    // taken in it are left alone as already there.
    void on_startCopyIntoSignal(QList<QString> listOfFilesToCopy, QString filePath, QString destination,
                                bool resume);

signals:
    void copyStatusSignal(int);
    // Once as the run begins and after each file, whatever became of it:
    // how many files and bytes were handled, of bytesTotal.
    void copyProgressSignal(int filesDone, qint64 bytesDone, qint64 bytesTotal);
    void alreadyThereSignal(int count);
    void copyFailedSignal(QString name, QString reason);
    // The run ends before its last file, for a reason that no file left
    // could escape ("the drive is full"); copyFinishedSignal follows.
    void copyStoppedSignal(QString why);
    void copyFinishedSignal(int copied, int failed, int alreadyThere);
    // The file in hand, when it is larger than largeFileSize, and how much
    // of it is copied: as it begins, and with the progress after that.
    void largeFileSignal(QString name, int percent);
    // Something to say of one file that is no failure: a copy that the
    // checksum list cannot hold, a leftover of an earlier run removed.
    void copyNoteSignal(QString name, QString note);
    // What became of the run in each folder of setAlsoInto, before
    // copyFinishedSignal: stopped says why it ended there early, and is
    // empty where it did not.
    // A file that failed in one of the folders of setAlsoInto.
    void alsoFailedSignal(QString folder, QString name, QString reason);
    void alsoFinishedSignal(QString folder, int copied, int failed, int alreadyThere, QString stopped);

private:
    using Destinations = std::vector<std::unique_ptr<PkRunDestination>>;

    bool stopRequested(int run) const;
    Destinations openDestinations(const QList<QString> &files, const QString &filePath, QString destination,
                                  bool resume);
    void handle(PkRunDestination &into, const QString &name, const PkFileCopier::Result &result, bool flat, int run);
    void fail(PkRunDestination &into, const QString &name, const QString &reason);
    void stop(PkRunDestination &into, const QString &why);
    void finishBatch(PkRunDestination &into, bool flat, int run);
    void finish(const Destinations &destinations, bool flat, int run);

    int runsStarted = 0; // touched only by the thread the worker lives on
    std::atomic<int> runToStop{0};
    std::atomic<bool> flatCopies{false};
    std::atomic<bool> verifyCopies{true};
    std::atomic<int> batchFiles{128};
    std::mutex alsoMutex;
    QList<QString> alsoInto; // guarded by alsoMutex
};

#endif // PKFILEREADER_H
