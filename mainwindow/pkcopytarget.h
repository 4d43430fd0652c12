// SPDX-License-Identifier: MIT

#ifndef PKCOPYTARGET_H
#define PKCOPYTARGET_H

#include <QList>
#include <QString>

// Where the window's copies go for the chosen picture folder: into it, as
// always by default, or into another folder the user chose, for pictures on a
// write-protected card or share; and whether they are added to the
// FilesFromSelection of an earlier run.
class PkCopyTarget
{
public:
    // Another picture folder: the choices made for the one before are forgotten.
    void choosePictures(const QString &folder);
    // Why folder can never take the copies, empty when it is taken.
    QString chooseDestination(const QString &folder);
    // Why folder cannot take the copies as well, as a backup beside the
    // destination; empty when it is taken.
    QString chooseAlso(const QString &folder);
    void dropAlso() { also.clear(); }
    void addToExisting() { adding = true; }
    // A new list is a new job: what it copies is not added to an earlier run
    // unless the user says so again.
    void dropAddToExisting() { adding = false; }

    QString pictures() const { return picturesFolder; }
    // The folder that holds, or is to hold, FilesFromSelection.
    QString destination() const { return otherDestination.isEmpty() ? picturesFolder : otherDestination; }
    // The folders that hold, or are to hold, a FilesFromSelection as well.
    QList<QString> alsoFolders() const { return also; }
    bool resume() const { return adding; }
    bool canAddToExisting() const;

    // Why the copies cannot go where they would, with what the user can do
    // about it; empty when they can.
    QString warning() const;
    // The Image path tile's text: the picture folder, and where the copies go
    // when that is not the default.
    QString pathText() const;

private:
    QString picturesFolder;
    QString otherDestination;
    QList<QString> also;
    bool adding = false;
};

#endif // PKCOPYTARGET_H
