// SPDX-License-Identifier: MIT

#include "pkdecodermessage.h"
#include "pkxmppacket.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QIODevice>
#include <QtEndian>

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr auto streamVersion = QDataStream::Qt_6_4;

bool writeAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        // MSG_NOSIGNAL: a helper that died is an error here, not a signal.
        const ssize_t written = TEMP_FAILURE_RETRY(::send(fd, data, size_t(size), MSG_NOSIGNAL));
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

bool readAll(int fd, char *data, qsizetype size, const QDeadlineTimer &deadline, bool *timedOut)
{
    while (size > 0) {
        pollfd wanted{fd, POLLIN, 0};
        const int ready = TEMP_FAILURE_RETRY(::poll(&wanted, 1, int(deadline.remainingTime())));
        *timedOut = ready == 0;
        if (ready <= 0)
            return false;
        const ssize_t got = TEMP_FAILURE_RETRY(::read(fd, data, size_t(size)));
        if (got <= 0)
            return false;
        data += got;
        size -= got;
    }
    return true;
}

} // namespace

QByteArray PkDecoderMessage::request(const Request &request)
{
    QByteArray frame;
    QDataStream out(&frame, QIODevice::WriteOnly);
    out.setVersion(streamVersion);
    out << request.path << qint32(request.box) << quint8(request.pass) << quint8(request.kind) << request.payload
        << request.judge << request.sidecars;
    return frame;
}

bool PkDecoderMessage::readRequest(const QByteArray &frame, Request *request)
{
    QDataStream in(frame);
    in.setVersion(streamVersion);
    qint32 box = 0;
    quint8 pass = 0, kind = 0;
    in >> request->path >> box >> pass >> kind >> request->payload >> request->judge >> request->sidecars;
    request->box = box;
    request->pass = pass ? PkPictureDecoder::Pass::Full : PkPictureDecoder::Pass::Quick;
    request->kind = kind ? Request::Kind::XmpEdit : Request::Kind::Thumbnail;
    if (in.status() != QDataStream::Ok || kind > quint8(Request::Kind::XmpEdit))
        return false;
    return request->kind == Request::Kind::XmpEdit || (box > 0 && box <= maxSide);
}

QByteArray PkDecoderMessage::answer(const PkThumbnail &thumbnail, bool found)
{
    QByteArray frame;
    QDataStream out(&frame, QIODevice::WriteOnly);
    out.setVersion(streamVersion);
    out << found << quint8(thumbnail.kind) << qint32(thumbnail.box) << thumbnail.reason << qint64(thumbnail.bytes)
        << thumbnail.taken << thumbnail.provisional << thumbnail.cutShort << thumbnail.judged
        << qint8(thumbnail.rating) << thumbnail.label;
    const QImage image = thumbnail.image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    out << qint32(image.width()) << qint32(image.height());
    for (int y = 0; y < image.height(); ++y)
        out.writeRawData(reinterpret_cast<const char *>(image.constScanLine(y)), image.width() * 4);
    return frame;
}

bool PkDecoderMessage::readAnswer(const QByteArray &frame, PkThumbnail *thumbnail, bool *found)
{
    QDataStream in(frame);
    in.setVersion(streamVersion);
    quint8 kind = 0;
    qint32 box = 0, width = 0, height = 0;
    qint64 bytes = 0;
    qint8 rating = 0;
    in >> *found >> kind >> box >> thumbnail->reason >> bytes >> thumbnail->taken >> thumbnail->provisional
        >> thumbnail->cutShort >> thumbnail->judged >> rating >> thumbnail->label >> width >> height;
    if (in.status() != QDataStream::Ok || kind > quint8(PkThumbnail::Kind::Broken) || width < 0 || height < 0
        || width > maxSide || height > maxSide || rating < -1 || rating > 5
        || thumbnail->label.size() > PkXmpPacket::maxLabelLength)
        return false;
    thumbnail->rating = rating;
    thumbnail->kind = PkThumbnail::Kind(kind);
    thumbnail->box = box;
    thumbnail->bytes = bytes;
    if (width == 0 || height == 0)
        return in.atEnd();
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y) {
        if (in.readRawData(reinterpret_cast<char *>(image.scanLine(y)), width * 4) != width * 4)
            return false;
    }
    thumbnail->image = image;
    return in.atEnd();
}

bool PkDecoderMessage::writeFrame(int fd, const QByteArray &payload)
{
    char length[4];
    qToLittleEndian(quint32(payload.size()), length);
    return writeAll(fd, length, 4) && writeAll(fd, payload.constData(), payload.size());
}

bool PkDecoderMessage::readFrame(int fd, QByteArray *payload, int deadlineMs, bool *timedOut)
{
    bool ignored;
    timedOut = timedOut ? timedOut : &ignored;
    // remainingTime() is -1, which poll() takes as forever, for a negative deadline.
    const QDeadlineTimer deadline(deadlineMs);
    char length[4];
    if (!readAll(fd, length, 4, deadline, timedOut))
        return false;
    const quint32 size = qFromLittleEndian<quint32>(length);
    if (size > maxFrame)
        return false;
    payload->resize(size);
    return readAll(fd, payload->data(), size, deadline, timedOut);
}
