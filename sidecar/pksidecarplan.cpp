// SPDX-License-Identifier: MIT

#include "pksidecarplan.h"

#include "pkpicturedecoder.h"
#include "pkselectionmatcher.h"
#include "pkxmppacket.h"

#include <QHash>

namespace {

// The picture a file belongs to, folder and all: two cards' IMG_0001 are two.
QString groupOf(const QString &path)
{
    return PkSidecarPlan::folderOf(path) + QLatin1Char('/') + PkSelectionMatcher::pictureOf(PkSidecarPlan::nameOf(path));
}

QString newSidecar(const PkSidecarTarget &target)
{
    for (const QString &file : target.files) {
        // A raw file's name has an extension: its last dot.
        if (PkPictureDecoder::isRaw(file))
            return file.left(file.lastIndexOf(QLatin1Char('.'))) + QStringLiteral(".xmp");
    }
    return target.files.first() + QStringLiteral(".xmp");
}

} // namespace

QString PkSidecarPlan::folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash);
}

QString PkSidecarPlan::nameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QList<PkSidecarTarget> PkSidecarPlan::plan(const QList<QString> &files)
{
    QList<QString> order;
    QHash<QString, QList<QString>> sidecars, others;
    for (const QString &file : files) {
        const QString group = groupOf(file);
        if (!sidecars.contains(group) && !others.contains(group))
            order.append(group);
        (PkXmpPacket::isSidecar(file) ? sidecars : others)[group].append(file);
    }
    QList<PkSidecarTarget> targets;
    for (const QString &group : std::as_const(order)) {
        PkSidecarTarget target;
        target.picture = nameOf(group);
        target.files = others.value(group);
        target.exists = true;
        for (const QString &sidecar : sidecars.value(group)) {
            target.sidecar = sidecar;
            targets.append(target);
        }
        if (sidecars.contains(group))
            continue;
        target.exists = false;
        target.sidecar = newSidecar(target);
        targets.append(target);
    }
    return targets;
}

QList<QString> PkSidecarPlan::withCreated(const QList<QString> &files, const QList<PkSidecarTarget> &created)
{
    QList<QString> all = files;
    for (const PkSidecarTarget &target : created) {
        const qsizetype last = all.lastIndexOf(target.files.last());
        all.insert(last < 0 ? all.size() : last + 1, target.sidecar);
    }
    return all;
}
