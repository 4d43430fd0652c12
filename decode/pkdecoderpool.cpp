// SPDX-License-Identifier: MIT

#include "pkdecoderpool.h"
#include "pkdecodermessage.h"
#include "pkjudgement.h"
#include "pkthumbnailcache.h"

#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <cstdlib>
#include <sys/prctl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

const char helperMark[] = "PICKWELL_DECODER_HELPER";

[[maybe_unused]] const bool servedAsHelper = PkDecoderPool::serveIfHelper();

void limitHelper()
{
    rlimit none{0, 0};
    ::setrlimit(RLIMIT_CORE, &none);
#if defined(NDEBUG)
    // The decoding libraries complain of every damaged file on the terminal;
    // the thumbnail already says what is wrong with it.
    ::dup2(::open("/dev/null", O_WRONLY | O_CLOEXEC), STDERR_FILENO);
#endif
#if !defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer reserves terabytes of address space up front.
    const rlim_t bytes = rlim_t(PkDecoderPool::memoryLimit);
    rlimit memory{bytes, bytes};
    ::setrlimit(RLIMIT_AS, &memory);
#endif
}

// The processor time pid has used so far, or -1 where it cannot be told.
qint64 cpuTimeMs(pid_t pid)
{
    clockid_t clock;
    timespec used;
    if (::clock_getcpuclockid(pid, &clock) != 0 || ::clock_gettime(clock, &used) != 0)
        return -1;
    return qint64(used.tv_sec) * 1000 + used.tv_nsec / 1'000'000;
}

PkThumbnailCache::Key keyOf(const QString &path)
{
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return {path, qint64(status.st_mtime), qint64(status.st_size)};
}

QByteArray serve(const PkDecoderMessage::Request &request)
{
    if (request.kind == PkDecoderMessage::Request::Kind::XmpEdit) {
        QByteArray old;
        PkXmpPacket::Edit edit;
        if (!PkXmpPacket::readRequest(request.payload, &old, &edit))
            ::_exit(0);
        return PkXmpPacket::answer(PkXmpPacket::apply(old, edit));
    }
    bool found;
    PkThumbnail thumbnail = PkPictureDecoder::decode(request.path, request.box, request.pass, &found);
    if (request.judge) {
        const PkXmpPacket::Judgement judgement = PkJudgement::read(request.path, request.sidecars);
        thumbnail.judged = judgement.read;
        thumbnail.rating = judgement.rating;
        thumbnail.label = judgement.label;
    }
    return PkDecoderMessage::answer(thumbnail, found);
}

} // namespace

bool PkDecoderPool::serveIfHelper()
{
    if (qEnvironmentVariableIsEmpty(helperMark))
        return false;
    limitHelper();
    // Qt refuses pictures over 256 MB of pixels unless told otherwise: within
    // the helper's limit, a large scan or panorama is still shown.
    QImageReader::setAllocationLimit(int(memoryLimit / (1024 * 1024)) * 3 / 4);
    ::prctl(PR_SET_NAME, "pickwell-decode");
    // Done while Pickwell is still opening its window.
    PkPictureDecoder::warmUp();
    // The tests' stand-ins for a decoding library that crashes on a file,
    // and for one that never returns from a file.
    const QString crashOn = qEnvironmentVariable("PICKWELL_DECODER_CRASH_ON");
    const QString holdOn = qEnvironmentVariable("PICKWELL_DECODER_HOLD_ON");
    for (;;) {
        QByteArray frame;
        PkDecoderMessage::Request request;
        if (!PkDecoderMessage::readFrame(STDIN_FILENO, &frame) || !PkDecoderMessage::readRequest(frame, &request))
            ::_exit(0);
        if (!crashOn.isEmpty() && request.path == crashOn)
            std::abort();
        while (!holdOn.isEmpty() && request.path == holdOn)
            ::pause();
        if (!PkDecoderMessage::writeFrame(STDOUT_FILENO, serve(request)))
            ::_exit(0);
    }
}

PkDecoderPool &PkDecoderPool::instance()
{
    static PkDecoderPool pool;
    return pool;
}

// Quitting never waits for a picture: every helper is ended.
PkDecoderPool::~PkDecoderPool()
{
    QMutexLocker locker(&mutex);
    for (Helper *helper : std::as_const(busy))
        ::kill(helper->pid, SIGKILL);
    for (Helper *helper : std::as_const(idle))
        end(helper);
    idle.clear();
}

void PkDecoderPool::prepare(int count)
{
    QMutexLocker locker(&mutex);
    prepared = std::max(prepared, count);
    while (idle.size() + busy.size() < count) {
        Helper *helper = start();
        if (!helper)
            return;
        idle.append(helper);
    }
}

PkThumbnail PkDecoderPool::decode(const QString &path, int box, PkPictureDecoder::Pass pass, bool *found,
                                  const void *owner, const QStringList *sidecars)
{
    bool ignored;
    found = found ? found : &ignored;
    PkThumbnail thumbnail;
    qint64 cpuMs = 0;
    // An answer from a helper that failed halfway is not kept.
    const AnswerReader read = [&thumbnail, found](const QByteArray &answer) {
        thumbnail = PkThumbnail();
        return PkDecoderMessage::readAnswer(answer, &thumbnail, found);
    };
    PkDecoderMessage::Request request;
    request.path = path;
    request.box = box;
    request.pass = pass;
    request.judge = sidecars;
    request.sidecars = sidecars ? *sidecars : QStringList();
    const Outcome outcome = askTwice(request, owner, read, &cpuMs);
    if (outcome == Outcome::Answered)
        return thumbnail;
    thumbnail = PkThumbnail();
    thumbnail.box = box;
    *found = outcome != Outcome::Cancelled;
    if (outcome == Outcome::Cancelled)
        return thumbnail;
    const PkThumbnailCache::Key key = keyOf(path);
    if (!key.path.isEmpty())
        thumbnail.bytes = key.size;
    if (outcome == Outcome::NoHelper) {
        thumbnail.reason = QStringLiteral("The picture decoder cannot be started");
        return thumbnail;
    }
    thumbnail.reason = outcome == Outcome::TimedOut
        ? QStringLiteral("Took too long to decode (over %1 s)").arg(deadline / 1000.0)
        : QStringLiteral("The picture decoder failed on this file");
    // A crash happens again on the same file, and so does a decode that
    // worked until the deadline: neither is tried again.
    const bool remembered = outcome == Outcome::Failed || cpuMs >= rememberedCpu;
    if (remembered && !key.path.isEmpty() && PkThumbnailCache::levelFor(box) > 0)
        PkThumbnailCache::storeFailure(key, thumbnail.reason);
    return thumbnail;
}

// cpuMs: the processor time the helper spent on the request, where it
// timed out.
PkDecoderPool::Outcome PkDecoderPool::ask(const PkDecoderMessage::Request &request, const void *owner,
                                          const AnswerReader &read, qint64 *cpuMs)
{
    bool refused, timedOut = false;
    Helper *helper = take(owner, &refused);
    if (!helper)
        return refused ? Outcome::Cancelled : Outcome::NoHelper;
    QByteArray answer;
    const qint64 cpuBefore = cpuTimeMs(helper->pid);
    const bool answered = PkDecoderMessage::writeFrame(helper->fd, PkDecoderMessage::request(request))
        && PkDecoderMessage::readFrame(helper->fd, &answer, deadline, &timedOut)
        && read(answer);
    if (timedOut)
        *cpuMs = cpuBefore < 0 ? 0 : cpuTimeMs(helper->pid) - cpuBefore;
    QMutexLocker locker(&mutex);
    const bool cancelled = helper->cancelled;
    locker.unlock();
    release(helper, answered);
    if (answered)
        return Outcome::Answered;
    return cancelled ? Outcome::Cancelled : timedOut ? Outcome::TimedOut : Outcome::Failed;
}

PkXmpPacket::Result PkDecoderPool::editXmp(const QString &path, const QByteArray &old, const PkXmpPacket::Edit &edit)
{
    PkDecoderMessage::Request request;
    request.path = path;
    request.kind = PkDecoderMessage::Request::Kind::XmpEdit;
    request.payload = PkXmpPacket::request(old, edit);
    PkXmpPacket::Result result;
    const AnswerReader read = [&result](const QByteArray &answer) {
        result = PkXmpPacket::Result();
        return PkXmpPacket::readAnswer(answer, &result);
    };
    qint64 cpuMs = 0;
    const Outcome outcome = askTwice(request, nullptr, read, &cpuMs);
    if (outcome == Outcome::Answered)
        return result;
    result = PkXmpPacket::Result();
    result.error = outcome == Outcome::NoHelper ? QStringLiteral("the XMP reader cannot be started")
        : outcome == Outcome::TimedOut           ? QStringLiteral("took too long to read (over %1 s)").arg(deadline / 1000.0)
                                                 : QStringLiteral("the XMP reader failed on it");
    return result;
}

// A helper that fails is tried once more with a new one: the first may have
// died of something else.
PkDecoderPool::Outcome PkDecoderPool::askTwice(const PkDecoderMessage::Request &request, const void *owner,
                                               const AnswerReader &read, qint64 *cpuMs)
{
    const Outcome outcome = ask(request, owner, read, cpuMs);
    return outcome == Outcome::Failed ? ask(request, owner, read, cpuMs) : outcome;
}

void PkDecoderPool::cancel(const void *owner)
{
    QMutexLocker locker(&mutex);
    cancelled.append(owner);
    for (Helper *helper : std::as_const(busy)) {
        if (helper->owner == owner) {
            helper->cancelled = true;
            ::kill(helper->pid, SIGKILL);
        }
    }
}

void PkDecoderPool::forget(const void *owner)
{
    QMutexLocker locker(&mutex);
    cancelled.removeAll(owner);
}

bool PkDecoderPool::isBusyFor(const void *owner)
{
    QMutexLocker locker(&mutex);
    return std::any_of(busy.cbegin(), busy.cend(), [owner](const Helper *helper) { return helper->owner == owner; });
}

PkDecoderPool::Helper *PkDecoderPool::take(const void *owner, bool *refused)
{
    QMutexLocker locker(&mutex);
    *refused = owner && cancelled.contains(owner);
    if (*refused)
        return nullptr;
    Helper *helper = idle.isEmpty() ? start() : idle.takeFirst();
    if (helper) {
        helper->owner = owner;
        helper->cancelled = false;
        busy.append(helper);
    }
    return helper;
}

// A helper that did not answer in time, or answered nonsense, is ended: it
// may still be working, or no longer be what it was started as. The others
// are kept: there are never more than callers waiting at once.
void PkDecoderPool::release(Helper *helper, bool keep)
{
    QMutexLocker locker(&mutex);
    busy.removeOne(helper);
    if (keep) {
        idle.append(helper);
        return;
    }
    end(helper);
    // The one ended is replaced at once, so the next picture does not wait
    // for a helper to start.
    Helper *fresh = idle.size() + busy.size() < prepared ? start() : nullptr;
    if (fresh)
        idle.append(fresh);
}

PkDecoderPool::Helper *PkDecoderPool::start()
{
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
        return nullptr;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    std::vector<char *> environment;
    for (char **variable = environ; *variable; ++variable)
        environment.push_back(*variable);
    QByteArray mark = QByteArray(helperMark) + "=1";
    environment.push_back(mark.data());
    environment.push_back(nullptr);
    char name[] = "pickwell-decoder";
    char *arguments[] = {name, nullptr};
    pid_t pid = -1;
    const int error = posix_spawn(&pid, "/proc/self/exe", &actions, &attributes, arguments, environment.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(fds[1]);
    if (error != 0) {
        ::close(fds[0]);
        return nullptr;
    }
    return new Helper{pid, fds[0]};
}

void PkDecoderPool::end(Helper *helper)
{
    ::kill(helper->pid, SIGKILL);
    ::waitpid(helper->pid, nullptr, 0);
    ::close(helper->fd);
    delete helper;
}
