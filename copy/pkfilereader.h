// SPDX-License-Identifier: MIT

#ifndef PKFILEREADER_H
#define PKFILEREADER_H

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>

// What matching a folder against a selection list found: the files to copy,
// in listing order, and the identifiers that named no file at all.
struct PkMatchResult
{
    QList<QString> files;
    QList<QString> idsNotFound;
};

// A selection list as read from its file. error holds the system's reason when
// the file exists but cannot be read; a missing file is simply an empty list.
struct PkSelectionList
{
    QList<QString> ids;
    QString error;
};

// Reads selection lists, matches picture folders against them, and copies the
// matches into the output folder on the thread it lives on.
class PkFileReader : public QObject
{
    Q_OBJECT

public:
    PkFileReader();

    // The folder, inside the picture folder, that every run copies into.
    static QString outputFolderName() { return QStringLiteral("FilesFromSelection"); }

    QList<QString> readSelectionFile(QString path) const;
    QList<QString> findFilesToCopy(QString folderPath, QList<QString> ids) const;
    bool folderExists(QString path) const;

    PkSelectionList readSelectionList(const QString &path) const;
    // With withoutExtensions, each identifier is matched as withoutExtension
    // gives it, while idsNotFound still names the identifiers as written.
    PkMatchResult matchFolder(const QString &folderPath, const QList<QString> &ids,
                              bool withoutExtensions = false) const;

    // id without its last extension: a dot and 1 to 5 ASCII letters or digits
    // at its end, at least one of them a letter ("IMG_1.CR2" -> "IMG_1", but
    // "v1.2" stays). Leading dots start no extension, so ".jpg" stays as it is.
    static QString withoutExtension(const QString &id);

    // Why a folder cannot take a run's copies, in words for the user; empty
    // when it can. With resume, an output folder that is there already is
    // accepted when it can be written into.
    QString folderRefusal(const QString &folderPath, bool resume = false) const;

    // Ends the run-th run of on_startCopySignal (1 for the first run this
    // worker receives) after the file it is copying. Safe to call from any
    // thread, also before that run has begun; other runs are not touched.
    void requestStop(int run);

public slots:
    void on_startCopySignal(QList<QString> listOfFilesToCopy, QString filePath);
    // Copies into the output folder inside destination instead of inside the
    // picture folder filePath. With resume, the output folder may be there
    // already, and names taken in it are left alone as already there.
    void on_startCopyIntoSignal(QList<QString> listOfFilesToCopy, QString filePath, QString destination,
                                bool resume);

signals:
    void copyStatusSignal(int);
    void alreadyThereSignal(int count);
    void copyFailedSignal(QString name, QString reason);
    void copyFinishedSignal(int copied, int failed, int alreadyThere);

private:
    bool stopRequested(int run) const;

    int runsStarted = 0; // touched only by the thread the worker lives on
    std::atomic<int> runToStop{0};
};

#endif // PKFILEREADER_H
