// SPDX-License-Identifier: MIT

#ifndef PKDECODERPOOL_H
#define PKDECODERPOOL_H

#include "pkdecodermessage.h"
#include "pkxmppacket.h"

#include <QList>
#include <QMutex>

#include <sys/types.h>

#include <functional>

// Decodes pictures in helper processes, so that a hostile file costs at most
// one helper's deadline and memory limit, and a crash in a decoding library
// costs one thumbnail. The helpers are this same program, started again with
// a mark in their environment, kept between pictures and started ahead.
// Any thread but the GUI's may ask; each caller waits for its own helper.
class PkDecoderPool
{
public:
    static constexpr int deadlineMs = 5000;
    // A file that kept its helper working this long before the deadline
    // ended it is remembered like one that crashed it; one that timed out
    // with less was waiting for a busy machine or a slow share.
    static constexpr int rememberedCpuMs = 4000;
    static constexpr qint64 memoryLimit = 1024LL * 1024 * 1024;

    static PkDecoderPool &instance();
    ~PkDecoderPool();

    // Starts helpers until count are there.
    void prepare(int count);
    // The thumbnail a helper made, or a broken one saying why there is none.
    // owner: whose request it is, for cancel().
    // sidecars: where given, the thumbnail comes with the picture's
    // judgement, read from them or from the file itself.
    PkThumbnail decode(const QString &path, int box, PkPictureDecoder::Pass pass, bool *found = nullptr,
                       const void *owner = nullptr, const QStringList *sidecars = nullptr);
    // An edit of the sidecar at path, whose bytes are old, made by a helper:
    // a toolkit that crashes or hangs on a hostile packet costs one helper.
    PkXmpPacket::Result editXmp(const QString &path, const QByteArray &old, const PkXmpPacket::Edit &edit);
    // Ends the helpers working for owner, and refuses its requests until
    // forget(owner); its callers get nothing found.
    void cancel(const void *owner);
    void forget(const void *owner);
    // Whether a helper is at work for owner now.
    bool isBusyFor(const void *owner);
    void setDeadline(int ms) { deadline = ms; }
    void setRememberedCpu(int ms) { rememberedCpu = ms; }

    // In a helper: answers requests until Pickwell goes, then exits. Runs
    // before main(), so that every program linking this library, its tests
    // and benchmarks too, is its own helper.
    static bool serveIfHelper();

private:
    struct Helper
    {
        pid_t pid = -1;
        int fd = -1;
        const void *owner = nullptr;
        bool cancelled = false;
    };

    PkDecoderPool() = default;
    enum class Outcome { Answered, TimedOut, Cancelled, Failed, NoHelper };

    // read takes the answer apart, and says whether it made sense.
    using AnswerReader = std::function<bool(const QByteArray &answer)>;
    Outcome ask(const PkDecoderMessage::Request &request, const void *owner, const AnswerReader &read, qint64 *cpuMs);
    Outcome askTwice(const PkDecoderMessage::Request &request, const void *owner, const AnswerReader &read, qint64 *cpuMs);
    Helper *take(const void *owner, bool *cancelled);
    void release(Helper *helper, bool keep);
    static Helper *start();
    static void end(Helper *helper);

    QMutex mutex;
    QList<Helper *> idle;
    QList<Helper *> busy;
    QList<const void *> cancelled;
    int prepared = 0; // helpers kept started
    int deadline = deadlineMs;
    int rememberedCpu = rememberedCpuMs;
};

#endif // PKDECODERPOOL_H
