// SPDX-License-Identifier: MIT

#ifndef PKXMPPACKET_H
#define PKXMPPACKET_H

#include <QByteArray>
#include <QString>

// What a sidecar's XMP packet says of a picture, and the one change Pickwell
// makes to it: a keyword, and perhaps a colour label, added or taken away.
// Runs in the decoder helpers, as the XMP toolkit is another parser of
// hostile files. The packet is decoded, changed and encoded again by the
// field's library, and the result is decoded once more and compared with
// what was meant: every property, array item and qualifier of the old packet
// with the change, and nothing else.
class PkXmpPacket
{
public:
    // Larger than any sidecar a catalogue writes, develop history and all.
    static constexpr qsizetype maxBytes = 32 * 1024 * 1024;
    static constexpr qsizetype maxLabelLength = 100;
    static constexpr qsizetype maxKeywordLength = 1000;

    struct Edit
    {
        // Levels joined by '|', as catalogues write a keyword's hierarchy.
        QString keyword;
        QString label; // set with the keyword; taken off with it only if it is this one
        bool remove = false;
    };

    struct Result
    {
        QByteArray packet; // the new packet; empty where nothing changes
        QString error;     // why the sidecar is left as it is
        // The file the sidecar says it describes, where it names one: a
        // sidecar renamed from another picture's is not to be written.
        QString describes;

        bool changed() const { return !packet.isEmpty(); }
    };

    // Whether name is an XMP sidecar's (IMG_2403.xmp, IMG_2403.CR2.XMP).
    static bool isSidecar(const QString &name);

    // Why keyword or label cannot be written as they are, or an empty string.
    static QString keywordProblem(const QString &keyword);
    static QString labelProblem(const QString &label);

    // old: the sidecar's bytes, or empty for a sidecar to create.
    static Result apply(const QByteArray &old, const Edit &edit);

    // What a sidecar says of its picture: the photographer's rating (-1 for
    // rejected, 0 for none) and colour label.
    struct Judgement
    {
        int rating = 0;
        QString label;
        bool read = false; // whether the packet was XMP at all
    };
    static Judgement judgement(const QByteArray &packet);

    // The frames that carry an edit to a helper and its result back.
    static QByteArray request(const QByteArray &old, const Edit &edit);
    static bool readRequest(const QByteArray &frame, QByteArray *old, Edit *edit);
    static QByteArray answer(const Result &result);
    static bool readAnswer(const QByteArray &frame, Result *result);
};

#endif // PKXMPPACKET_H
