// SPDX-License-Identifier: MIT

// Times reading a 50 MB selection list, side by side: the reading of one
// identifier per line that Pickwell did before it knew separated lists and
// spreadsheet exports (kept here as the reference) against PkListReader, for
// the same identifiers one a line, as comma- and space-separated lines and as
// a CSV with a title line and a header. Checks that every form gives the same
// identifiers.

#include "pklistreader.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QStringDecoder>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>

namespace {

constexpr int rounds = 5;
constexpr qsizetype targetBytes = 50'000'000;

// Today's reading as it was: UTF-8 only here, which is what the lists below are.
QList<QString> referenceRead(QByteArrayView bytes)
{
    const auto flags = QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;
    QStringDecoder decoder(QStringConverter::Utf8, flags);
    (void)bytes.isValidUtf8();
    QList<QString> ids;
    for (qsizetype start = 0; start < bytes.size();) {
        const qsizetype feed = bytes.indexOf('\n', start);
        const qsizetype end = feed < 0 ? bytes.size() : feed + 1;
        QString line = decoder(bytes.sliced(start, end - start));
        ids.append(std::move(line).simplified());
        start = end;
    }
    return ids;
}

// Names as cameras write them, with and without extensions.
QList<QByteArray> makeIds()
{
    static const char *const forms[] = {"IMG_%04d", "DSC%05d.JPG", "_MG_%04d", "DSCF%04d.RAF", "P101%04d", "20231014-%04d"};
    QList<QByteArray> ids;
    for (qsizetype bytes = 0, i = 0; bytes < targetBytes; ++i) {
        char id[32];
        std::snprintf(id, sizeof id, forms[i % 6], int(i % 10000));
        ids.append(QByteArray(id));
        bytes += ids.constLast().size() + 1;
    }
    return ids;
}

QByteArray joined(const QList<QByteArray> &ids, const QByteArray &separator, int perLine)
{
    QByteArray out;
    out.reserve(targetBytes * 2);
    for (qsizetype i = 0; i < ids.size(); ++i) {
        out += ids.at(i);
        out += (i + 1) % perLine == 0 ? QByteArray("\n") : separator;
    }
    return out;
}

double bestSeconds(const std::function<QList<QString>()> &read, qsizetype &count)
{
    double best = std::numeric_limits<double>::max();
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        const QList<QString> ids = read();
        best = std::min(best, timer.nsecsElapsed() / 1e9);
        count = ids.size();
    }
    return best;
}

} // namespace

int main()
{
    const QList<QByteArray> ids = makeIds();
    const QByteArray perLine = joined(ids, "\n", 1);
    const QList<QString> expected = referenceRead(perLine);
    struct Form
    {
        const char *name;
        QByteArray bytes;
        QString fileName;
    };
    const Form forms[] = {
        {"one a line", perLine, "picks.txt"},
        {"comma-separated, 20 a line", joined(ids, ", ", 20), "picks.txt"},
        {"space-separated, 20 a line", joined(ids, " ", 20), "picks.txt"},
        {"CSV, title line and header", "Favourites\nFilename,Rating\n" + QByteArray(perLine).replace("\n", ",3\n"),
         "favourites.csv"},
    };
    std::printf("%lld identifiers, %.1f MB one a line, best of %d rounds\n", static_cast<long long>(ids.size()),
                perLine.size() / 1e6, rounds);
    qsizetype count = 0;
    const double reference = bestSeconds([&] { return referenceRead(perLine); }, count);
    std::printf("%-40s %7.3f s  1.00x\n", "reference reading, one a line", reference);
    bool same = true;
    for (const Form &form : forms) {
        const double seconds = bestSeconds([&] { return PkListReader::readBytes(form.bytes, form.fileName).ids; }, count);
        const bool equal = PkListReader::readBytes(form.bytes, form.fileName).ids == expected;
        same = same && equal;
        std::printf("%-40s %7.3f s  %.2fx%s\n", form.name, seconds, seconds / reference, equal ? "" : "  DIFFERENT IDENTIFIERS");
    }
    return same ? 0 : 1;
}
