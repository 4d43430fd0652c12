// SPDX-License-Identifier: MIT

#include "pkcataloguefilter.h"

#include "pkfoldertree.h"

#include <QFile>
#include <QSet>
#include <QStringList>

QList<QString> PkCatalogueFilter::names(const QList<QString> &files)
{
    QList<QString> names;
    QSet<QString> seen;
    for (const QString &file : files) {
        const QString name = file.sliced(file.lastIndexOf(QLatin1Char('/')) + 1);
        if (PkFolderTree::isSidecar(QFile::encodeName(name).toStdString()) || seen.contains(name))
            continue;
        seen.insert(name);
        names.append(name);
    }
    return names;
}

QString PkCatalogueFilter::text(const QList<QString> &files, Join join)
{
    return QStringList(names(files)).join(join == Join::Or ? QStringLiteral(" OR ") : QStringLiteral(", "));
}
