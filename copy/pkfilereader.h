// SPDX-License-Identifier: MIT

#ifndef PKFILEREADER_H
#define PKFILEREADER_H

#include <QList>
#include <QObject>
#include <QString>

// What matching a folder against a selection list found: the files to copy,
// in listing order, and the identifiers that named no file at all.
struct PkMatchResult
{
    QList<QString> files;
    QList<QString> idsNotFound;
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

    PkMatchResult matchFolder(const QString &folderPath, const QList<QString> &ids) const;

public slots:
    void on_startCopySignal(QList<QString> listOfFilesToCopy, QString filePath);

signals:
    void copyStatusSignal(int);
};

#endif // PKFILEREADER_H
