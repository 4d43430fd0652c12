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

void PkFolderWatch::watch(const QString &path)
{
    if (path == folder)
        return;
    if (!watcher.directories().isEmpty())
        watcher.removePaths(watcher.directories());
    folder = path;
    settle.stop();
    if (!folder.isEmpty())
        watcher.addPath(folder);
}

void PkFolderWatch::list()
{
    pool.start([this, path = folder] {
        const QStringList names = PkFolderLister::fileNames(path);
        QSet<QString> present(names.begin(), names.end());
        QMetaObject::invokeMethod(
            this,
            [this, path, present = std::move(present)] {
                if (path == folder)
                    emit listed(present);
            },
            Qt::QueuedConnection);
    });
}
