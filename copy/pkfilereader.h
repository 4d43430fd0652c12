// SPDX-License-Identifier: MIT

#ifndef PKFILEREADER_H
#define PKFILEREADER_H

#include <QList>
#include <QObject>
#include <QString>

// Reads selection lists, matches picture folders against them, and copies the
// matches into the output folder on the thread it lives on.
class PkFileReader : public QObject
{
    Q_OBJECT

public:
    PkFileReader();

    QList<QString> readSelectionFile(QString path) const;
    QList<QString> findFilesToCopy(QString folderPath, QList<QString> ids) const;
    bool folderExists(QString path) const;

public slots:
    void on_startCopySignal(QList<QString> listOfFilesToCopy, QString filePath);

signals:
    void copyStatusSignal(int);
};

#endif // PKFILEREADER_H
