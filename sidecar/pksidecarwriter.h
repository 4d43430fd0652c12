// SPDX-License-Identifier: MIT

#ifndef PKSIDECARWRITER_H
#define PKSIDECARWRITER_H

#include "pksidecarplan.h"
#include "pkxmppacket.h"

#include <QByteArray>
#include <QString>

#include <functional>

// Writes one mark into one sidecar without ever leaving it half-written:
// the sidecar is read whole and changed in memory, the result is written to
// a hidden temporary beside it and renamed over it, and only a regular file
// that nobody changed meanwhile is replaced. A link is never written
// through, a read-only sidecar is left as it is, and a new sidecar never
// takes the place of a file that appeared meanwhile.
class PkSidecarWriter
{
public:
    enum class Outcome { Written, Created, Unchanged, Refused };

    struct Result
    {
        Outcome outcome = Outcome::Refused;
        QString reason; // where refused: why, for "NAME: reason; left as it is"
    };

    // Makes the change to a packet: by default in a decoder helper.
    using Editor = std::function<PkXmpPacket::Result(const QString &path, const QByteArray &old,
                                                     const PkXmpPacket::Edit &edit)>;

    explicit PkSidecarWriter(const QString &folder, Editor editor = {});

    // Why marks cannot go into subfolder ("" for the picture folder itself),
    // or an empty string: a read-only file system or folder.
    QString folderProblem(const QString &subfolder) const;

    // dryRun: everything but the writing, so that a dry run says exactly
    // what a run would do.
    Result mark(const PkSidecarTarget &target, const PkXmpPacket::Edit &edit, bool dryRun) const;

    // The tests' stand-in for a file system that answers a new sidecar's
    // exclusive rename with error; 0 for none.
    static void setRenameFault(int error);

private:
    QString folder;
    Editor editor;
};

#endif // PKSIDECARWRITER_H
