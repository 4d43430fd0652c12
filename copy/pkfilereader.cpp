// SPDX-License-Identifier: MIT

#include "pkfilereader.h"

#include "pkfilecopier.h"
#include "pkfolderlister.h"
#include "pkidmatcher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QThread>

#include <algorithm>
#include <cerrno>

#include <unistd.h>

namespace {

QString notRegular()
{
    return QStringLiteral("not a regular file");
}

// A name handed to the copy slot must stay inside the picture folder.
bool isPlainName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/'));
}

// The first line feed at or after from that starts a code unit, so that in
// UTF-16 the byte 0x0A of another character is not taken for one.
qsizetype findLineFeed(QByteArrayView bytes, qsizetype from, QByteArrayView lineFeed)
{
    for (qsizetype at = bytes.indexOf(lineFeed, from); at >= 0; at = bytes.indexOf(lineFeed, at + 1)) {
        if (at % lineFeed.size() == 0)
            return at;
    }
    return -1;
}

// Lists come from spreadsheets and editors of every kind: UTF-16 announces
// itself with a byte-order mark, and a list that is not valid UTF-8 was most
// likely saved in the Western Windows code page. Each line is decoded on its
// own, so a huge list is never held whole both as bytes and as text.
QList<QString> decodeLines(QByteArrayView bytes)
{
    const auto flags = QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;
    QStringConverter::Encoding encoding = QStringConverter::Utf8;
    QByteArrayView lineFeed("\n", 1);
    bool windowsCodePage = false;
    if (bytes.startsWith("\xFF\xFE")) {
        encoding = QStringConverter::Utf16LE;
        lineFeed = QByteArrayView("\n\0", 2);
        bytes = bytes.sliced(2);
    } else if (bytes.startsWith("\xFE\xFF")) {
        encoding = QStringConverter::Utf16BE;
        lineFeed = QByteArrayView("\0\n", 2);
        bytes = bytes.sliced(2);
    } else if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes = bytes.sliced(3);
    } else {
        windowsCodePage = !bytes.isValidUtf8();
    }
    QStringDecoder decoder(encoding, flags);
    if (windowsCodePage) {
        decoder = QStringDecoder("windows-1252", flags);
        // Qt built without ICU knows no Windows code pages. Latin-1 differs
        // from this one only in 0x80-0x9F: curly quotes, dashes, the euro sign.
        if (!decoder.isValid())
            decoder = QStringDecoder(QStringConverter::Latin1, flags);
    }

    QList<QString> ids;
    for (qsizetype start = 0; start < bytes.size();) {
        const qsizetype feed = findLineFeed(bytes, start, lineFeed);
        const qsizetype end = feed < 0 ? bytes.size() : feed + lineFeed.size();
        QString line = decoder(bytes.sliced(start, end - start));
        ids.append(std::move(line).simplified());
        start = end;
    }
    return ids;
}

} // namespace

PkFileReader::PkFileReader()
    : QObject(nullptr)
{
}

QList<QString> PkFileReader::readSelectionFile(QString path) const
{
    return readSelectionList(path).ids;
}

PkSelectionList PkFileReader::readSelectionList(const QString &path) const
{
    PkSelectionList list;
    if (!QFile::exists(path))
        return list;
    // Opening a FIFO dropped by mistake would wait for a writer for ever.
    const QFileInfo info(path);
    if (!info.isDir() && !info.isFile()) {
        list.error = notRegular();
        return list;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        // QFile refuses a directory with words of its own; the user gets the system's.
        list.error = info.isDir() ? qt_error_string(EISDIR) : file.errorString();
        return list;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        list.error = file.errorString();
        return list;
    }
    list.ids = decodeLines(bytes);
    return list;
}

QString PkFileReader::withoutExtension(const QString &id)
{
    // A dot and one to five ASCII letters and digits, at least one a letter,
    // at the end. As for hidden files, leading dots begin the name, not an
    // extension: ".jpg" stays and still matches what it matches as written.
    static const QRegularExpression extension(QStringLiteral("[^.].*(\\.(?=[0-9]*[A-Za-z])[A-Za-z0-9]{1,5})\\z"),
                                              QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = extension.match(id);
    return match.hasMatch() ? id.left(match.capturedStart(1)) : id;
}

PkMatchResult PkFileReader::matchFolder(const QString &folderPath, const QList<QString> &ids,
                                        bool withoutExtensions) const
{
    PkMatchResult result;
    QStringList names;
    // An empty path would list the working directory, which no user chose.
    if (!folderPath.isEmpty())
        names = PkFolderLister::fileNames(folderPath);
    qsizetype longestName = 0;
    for (const QString &name : std::as_const(names))
        longestName = std::max(longestName, name.size());

    QList<QString> patterns = ids;
    if (withoutExtensions) {
        for (QString &id : patterns)
            id = withoutExtension(id);
    }
    PkIdMatcher matcher(patterns, longestName);
    for (const QString &name : std::as_const(names)) {
        if (matcher.record(name))
            result.files.append(name);
    }
    // Reported as the user wrote them, extensions included.
    QSet<QString> listed;
    for (qsizetype i : matcher.unseenIndices()) {
        if (!listed.contains(ids.at(i))) {
            listed.insert(ids.at(i));
            result.idsNotFound.append(ids.at(i));
        }
    }
    return result;
}

QList<QString> PkFileReader::findFilesToCopy(QString folderPath, QList<QString> ids) const
{
    return matchFolder(folderPath, ids).files;
}

bool PkFileReader::folderExists(QString path) const
{
    return QDir(path).exists();
}

QString PkFileReader::folderRefusal(const QString &folderPath, bool resume) const
{
    // Copying into the output of an earlier run would silently mix two
    // selections, unless the user asks to finish that run; a file of that
    // name would make every copy fail.
    const QString output = folderPath + QLatin1Char('/') + outputFolderName();
    const QFileInfo outputInfo(output);
    if (outputInfo.exists() && !(resume && outputInfo.isDir()))
        return QStringLiteral("Folder \"%1\" already exists! Delete it!").arg(outputFolderName());
    // Checked up front so that a write-protected card or share is refused
    // before anything is matched; the run still reports what this cannot foresee.
    const QString written = outputInfo.exists() ? output : folderPath;
    if (::access(QFile::encodeName(written).constData(), W_OK | X_OK) != 0)
        return QStringLiteral("Cannot write into this folder!");
    return QString();
}

void PkFileReader::requestStop(int run)
{
    runToStop.store(run);
}

bool PkFileReader::stopRequested(int run) const
{
    // Closing the window interrupts the thread; the Stop button names a run.
    return runToStop.load() == run || QThread::currentThread()->isInterruptionRequested();
}

void PkFileReader::on_startCopySignal(QList<QString> listOfFilesToCopy, QString filePath)
{
    on_startCopyIntoSignal(std::move(listOfFilesToCopy), filePath, filePath, false);
}

void PkFileReader::on_startCopyIntoSignal(QList<QString> listOfFilesToCopy, QString filePath, QString destination,
                                          bool resume)
{
    const int run = ++runsStarted;
    int copied = 0;
    int failed = 0;
    int alreadyThere = 0;
    const auto fail = [this, &failed](const QString &name, const QString &reason) {
        ++failed;
        emit copyFailedSignal(name, reason);
    };

    // With nothing to copy nothing is created: an empty output folder would
    // only make the next choice of this picture folder be refused.
    const QString outputPath = (destination.isEmpty() ? filePath : destination) + QLatin1Char('/') + outputFolderName();
    const QString folderError = listOfFilesToCopy.isEmpty() ? QString()
                              : filePath.isEmpty()          ? QStringLiteral("no picture folder")
                                                            : PkFileCopier::makeOutputFolder(outputPath);
    if (!folderError.isEmpty()) {
        for (const QString &name : std::as_const(listOfFilesToCopy))
            fail(name, folderError);
        emit copyFinishedSignal(0, failed, 0);
        return;
    }

    PkFileCopier copier(resume);
    for (const QString &name : std::as_const(listOfFilesToCopy)) {
        // Checked between files only: a file is either copied whole or not begun.
        if (stopRequested(run))
            break;
        if (!isPlainName(name)) {
            fail(name, QStringLiteral("not a file of the picture folder"));
            continue;
        }
        const PkFileCopier::Result result =
            copier.copy(filePath + QLatin1Char('/') + name, outputPath + QLatin1Char('/') + name);
        switch (result.outcome) {
        case PkFileCopier::Outcome::Copied:
            emit copyStatusSignal(++copied);
            break;
        case PkFileCopier::Outcome::AlreadyThere:
            emit alreadyThereSignal(++alreadyThere);
            break;
        case PkFileCopier::Outcome::Failed:
            fail(name, result.reason);
            break;
        }
    }
    emit copyFinishedSignal(copied, failed, alreadyThere);
}
