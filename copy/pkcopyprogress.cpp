// SPDX-License-Identifier: MIT

#include "pkcopyprogress.h"

#include <QStringList>

#include <cmath>

namespace {

const char *const units[] = {"B", "kB", "MB", "GB", "TB"};
constexpr int lastUnit = 4;
// How far back the rate looks.
constexpr qint64 recentSpan = 5000;

} // namespace

void PkCopyProgress::start(int files)
{
    this->files = files;
    filesDone = 0;
    bytesDone = 0;
    bytesTotal = 0;
    samples.clear();
    timer.start();
}

void PkCopyProgress::update(int filesDone, qint64 bytesDone, qint64 bytesTotal)
{
    this->filesDone = filesDone;
    this->bytesDone = bytesDone;
    this->bytesTotal = bytesTotal;
    const qint64 now = timer.isValid() ? timer.elapsed() : 0;
    samples.emplace_back(now, bytesDone);
    // One sample from before the span stays, so the span is covered whole.
    while (samples.size() > 1 && samples[1].first <= now - recentSpan)
        samples.pop_front();
}

QString PkCopyProgress::text() const
{
    const qint64 now = timer.isValid() ? timer.elapsed() : 0;
    const auto [since, bytesThen] = samples.empty() ? std::make_pair(now, bytesDone) : samples.front();
    return text(filesDone, files, bytesDone, bytesTotal, now, bytesDone - bytesThen, now - since);
}

QString PkCopyProgress::text(int filesDone, int files, qint64 bytesDone, qint64 bytesTotal, qint64 elapsedMs,
                             qint64 recentBytes, qint64 recentMs)
{
    QStringList parts{QStringLiteral("%1 of %2").arg(filesDone).arg(files)};
    const int unit = unitOf(bytesTotal);
    parts << QStringLiteral("%1 of %2 %3").arg(amount(bytesDone, unit), amount(bytesTotal, unit),
                                               QLatin1String(units[unit]));
    if (elapsedMs >= 1000 && bytesDone > 0) {
        const double rate = recentBytes > 0 && recentMs >= 1000 ? recentBytes * 1000.0 / recentMs
                                                                : bytesDone * 1000.0 / elapsedMs;
        const int rateUnit = unitOf(qint64(rate));
        const double inUnit = rate / std::pow(1000.0, rateUnit);
        // Two digits at least: "48 MB/s", "4.8 MB/s".
        parts << QString::number(inUnit, 'f', inUnit < 10 && rateUnit > 0 ? 1 : 0) + QLatin1Char(' ')
                + QLatin1String(units[rateUnit]) + QStringLiteral("/s");
        parts << duration(qint64(std::ceil((bytesTotal - bytesDone) / rate))) + QStringLiteral(" left");
    }
    return parts.join(QStringLiteral(" \u00b7 "));
}

QString PkCopyProgress::amount(qint64 bytes, int unit)
{
    if (unit == 0)
        return QString::number(bytes);
    return QString::number(bytes / std::pow(1000.0, unit), 'f', 1);
}

int PkCopyProgress::unitOf(qint64 bytes)
{
    int unit = 0;
    for (qint64 size = 1000; unit < lastUnit && bytes >= size; size *= 1000)
        ++unit;
    return unit;
}

QString PkCopyProgress::duration(qint64 seconds)
{
    const auto twoDigits = [](qint64 value) { return QString::number(value).rightJustified(2, QLatin1Char('0')); };
    const QString minutesAndSeconds = QString::number(seconds / 60 % 60) + QLatin1Char(':') + twoDigits(seconds % 60);
    if (seconds < 3600)
        return minutesAndSeconds;
    return QString::number(seconds / 3600) + QLatin1Char(':') + twoDigits(seconds / 60 % 60) + QLatin1Char(':')
        + twoDigits(seconds % 60);
}
