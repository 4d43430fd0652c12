// SPDX-License-Identifier: MIT

#include "pkfilereader.h"

PkFileReader::PkFileReader()
    : QObject(nullptr)
{
}

QList<QString> PkFileReader::readSelectionFile(QString) const
{
    return {};
}

QList<QString> PkFileReader::findFilesToCopy(QString, QList<QString>) const
{
    return {};
}

bool PkFileReader::folderExists(QString) const
{
    return false;
}

void PkFileReader::on_startCopySignal(QList<QString>, QString)
{
}
