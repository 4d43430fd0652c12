// SPDX-License-Identifier: MIT

#include "benchsupport.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>

#include <sys/resource.h>

namespace BenchSupport {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double threadCpuMs()
{
    rusage usage{};
    ::getrusage(RUSAGE_THREAD, &usage);
    const auto ms = [](const timeval &t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

bool writePictures(const QString &folder, int count, int size, QList<QString> &names)
{
    QDir().mkpath(folder);
    QRandomGenerator rng(11);
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < count; ++i) {
        rng.fillRange(reinterpret_cast<quint32 *>(data.data()), size / 4);
        const QString name = QStringLiteral("IMG_%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
        QFile file(folder + QLatin1Char('/') + name);
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != size)
            return false;
        names.append(name);
    }
    return true;
}

} // namespace BenchSupport
