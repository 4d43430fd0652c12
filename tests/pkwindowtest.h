// SPDX-License-Identifier: MIT

#ifndef PKWINDOWTEST_H
#define PKWINDOWTEST_H

#include "mainwindow.h"
#include "pkbutton.h"
#include "pkmatchjobs.h"
#include "pkruncontroller.h"

#include <QtTest>

#include <memory>

// The main window as its tests drive it: its tiles, and choices that wait
// for the disk work behind them.
// The painted buttons and tiles in creation order, named by their first or
// last word: "Select text file", ..., " Text file", " Image path", ...
enum Tile { TextButton, FolderButton, StartButton, TextTile, FolderTile, SelectedTile, ToCopyTile, WarningTile };

// A file with bytes in it, its folders made as needed.
inline QString writeTestFile(const QString &path, const QByteArray &bytes)
{
    QFile out(path);
    if (!QDir().mkpath(QFileInfo(out).path()) || !out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// A folder holding the given files, each of size bytes, or else with its own name as content.
inline QString makeTestFolder(const QString &path, const QStringList &files, int size = 0)
{
    QDir().mkpath(path);
    for (const QString &entry : files)
        writeTestFile(path + u'/' + entry, size ? QByteArray(size, 'p') : entry.toUtf8());
    return path;
}

inline PkButton *tile(MainWindow &window, Tile which)
{
    return window.findChildren<PkButton *>(Qt::FindDirectChildrenOnly).value(which);
}

// The window reads, matches and checks off the GUI thread; this waits until
// it shows what the last choice gave.
inline void settle(MainWindow &window)
{
    QTRY_VERIFY(!window.findChild<PkMatchJobs *>()->isBusy());
}

inline void chooseFolder(MainWindow &window, const QString &path)
{
    QVERIFY(QMetaObject::invokeMethod(&window, "on_imagePathSelected", Q_ARG(QString, path)));
    settle(window);
}

inline void chooseList(MainWindow &window, const QString &path)
{
    window.chooseTextFile(path);
    settle(window);
}

// Start checks the destination again before the run begins.
inline void pressStart(MainWindow &window)
{
    QSignalSpy started(window.findChild<PkRunController *>(), &PkRunController::startCopySignal);
    tile(window, StartButton)->click();
    QVERIFY(started.wait());
}

// The copies in the folder's FilesFromSelection, hidden files too; a copy
// whose size is not its source's is marked.
// What every run keeps in its output folder besides the copies.
inline QStringList runsOwn()
{
    return {QStringLiteral(".pickwell-checksums.xxh128"), QStringLiteral(".pickwell-lock")};
}

inline QStringList outputFiles(const QString &pictures)
{
    QStringList names;
    const QDir source(pictures), output(pictures + QStringLiteral("/FilesFromSelection"));
    // The checksum list and the lock are the run's own, not copies; a
    // temporary left would show.
    for (const QFileInfo &copy : output.entryInfoList(QDir::Files | QDir::Hidden, QDir::Name)) {
        if (!runsOwn().contains(copy.fileName()))
            names << copy.fileName() + (copy.size() == QFileInfo(source, copy.fileName()).size() ? "" : " (partial)");
    }
    return names;
}

// A temporary folder of the test's own, with settings inside that no other
// test run on the machine can touch.
inline std::unique_ptr<QTemporaryDir> testFolderWithSettings()
{
    auto dir = std::make_unique<QTemporaryDir>();
    if (!dir->isValid())
        qFatal("%s", qPrintable(dir->errorString()));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir->filePath(QStringLiteral("settings")));
    return dir;
}

#endif // PKWINDOWTEST_H
