// SPDX-License-Identifier: MIT

#include "pkfolderwatch.h"

#include "pkfolderlister.h"

PkFolderWatch::PkFolderWatch(QObject *parent)
    : QObject(parent)
{
    pool.setMaxThreadCount(1);
    // A copy into the folder changes it many times a second: list it once
    // the changes have settled.
    settle.setSingleShot(true);
    settle.setInterval(300);
    connect(&watcher, &QFileSystemWatcher::directoryChanged, &settle, qOverload<>(&QTimer::start));
    connect(&settle, &QTimer::timeout, this, &PkFolderWatch::list);
}

// A listing under way posts its result to this object, so it must end first.
PkFolderWatch::~PkFolderWatch()
{
    pool.waitForDone();
}

void PkFolderWatch::watch(const QString &path, const QList<QString> &files)
{
    QSet<QString> inside;
    for (const QString &file : files) {
        const qsizetype slash = file.lastIndexOf(QLatin1Char('/'));
        if (slash > 0)
            inside.insert(file.first(slash));
    }
    QStringList folders(inside.cbegin(), inside.cend());
    folders.sort();
    if (path == folder && folders == subfolders)
        return;
    if (!watcher.directories().isEmpty())
        watcher.removePaths(watcher.directories());
    folder = path;
    subfolders = folders;
    settle.stop();
    if (folder.isEmpty())
        return;
    watcher.addPath(folder);
    for (const QString &subfolder : std::as_const(subfolders))
        watcher.addPath(folder + QLatin1Char('/') + subfolder);
}

void PkFolderWatch::list()
{
    pool.start([this, path = folder, folders = subfolders] {
        QSet<QString> present;
        for (const QString &name : PkFolderLister::fileNames(path))
            present.insert(name);
        for (const QString &subfolder : folders) {
            for (const QString &name : PkFolderLister::fileNames(path + QLatin1Char('/') + subfolder))
                present.insert(subfolder + QLatin1Char('/') + name);
        }
        QMetaObject::invokeMethod(
            this,
            [this, path, present = std::move(present)] {
                if (path == folder)
                    emit listed(present);
            },
            Qt::QueuedConnection);
    });
}
