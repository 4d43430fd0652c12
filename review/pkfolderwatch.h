// SPDX-License-Identifier: MIT

#ifndef PKFOLDERWATCH_H
#define PKFOLDERWATCH_H

#include <QFileSystemWatcher>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QTimer>

// Tells which of a folder's files are there whenever the folder changes, so
// that the review can say which pictures were removed or renamed since they
// were matched. The folder is listed off the GUI thread: on a share that
// takes round trips.
class PkFolderWatch : public QObject
{
    Q_OBJECT

public:
    explicit PkFolderWatch(QObject *parent = nullptr);
    ~PkFolderWatch() override;

    // Watches folder from now on, and the sub-folders that hold any of files
    // (paths relative to it); an empty folder watches nothing.
    void watch(const QString &folder, const QList<QString> &files = {});
    // The folders watched: the last one given, or none.
    QStringList watched() const { return watcher.directories(); }

signals:
    // The names of the folder's files, and the relative paths of the
    // watched sub-folders' files, after a change.
    void listed(const QSet<QString> &names);

private:
    void list();

    QFileSystemWatcher watcher;
    QTimer settle;
    QThreadPool pool;
    QString folder;
    QStringList subfolders; // relative, each once
};

#endif // PKFOLDERWATCH_H
