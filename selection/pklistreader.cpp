// SPDX-License-Identifier: MIT

#include "pklistreader.h"

#include "pkcsvreader.h"
#include "pklinesplitter.h"
#include "pksmartcollection.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <optional>

namespace {

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

// A file name never holds a NUL, so NULs are no part of an identifier: they
// pad a list cut short on a memory card, or come from UTF-16 too mixed to be
// recognised without its byte-order mark, which then still reads right for
// its ASCII text.
void dropNulls(QString &line)
{
    if (line.contains(QChar::Null))
        line.remove(QChar::Null);
}

// Notepad's "Unicode" and some exports write UTF-16 without its byte-order
// mark. Picture lists are mostly ASCII, so over the first kilobyte the bytes
// at one parity are then mostly zero; those at the other never are, which no
// list padded or cut short with NULs shows.
std::optional<QStringConverter::Encoding> utf16WithoutMark(QByteArrayView bytes)
{
    const QByteArrayView head = bytes.first(std::min<qsizetype>(bytes.size(), 1024) / 2 * 2);
    qsizetype zeros[2] = {0, 0};
    for (qsizetype at = 0; at < head.size(); ++at)
        zeros[at % 2] += head.at(at) == '\0' ? 1 : 0;
    const qsizetype units = head.size() / 2;
    if (zeros[0] == 0 && zeros[1] * 2 > units)
        return QStringConverter::Utf16LE;
    if (zeros[1] == 0 && zeros[0] * 2 > units)
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

bool isAsciiBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// ASCII blanks are those of the bytes' quick look, so that both ways a line
// is read agree.
bool isBlank(QStringView line)
{
    return std::all_of(line.begin(), line.end(), [](QChar c) {
        return c.unicode() < 0x80 ? isAsciiBlank(char(c.unicode())) : c.isSpace();
    });
}

// Lists come from spreadsheets and editors of every kind: UTF-16 announces
// itself with a byte-order mark, and a list that is not valid UTF-8 was most
// likely saved in the Western Windows code page. Each line is decoded on its
// own, so a huge list is never held whole both as bytes and as text. The
// lines keep everything but their line feed; reading them decides the rest.
// Blank lines are only counted: a list of millions of them must not take a
// string each.
QList<QString> decodeLines(QByteArrayView bytes, qsizetype &blankLines)
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
    } else if (const auto unmarked = utf16WithoutMark(bytes)) {
        encoding = *unmarked;
        lineFeed = encoding == QStringConverter::Utf16LE ? QByteArrayView("\n\0", 2) : QByteArrayView("\0\n", 2);
    } else {
        windowsCodePage = !bytes.isValidUtf8();
    }
    // "CSV (Macintosh)" and other classic Mac programs end lines with a lone
    // carriage return; a file with no line feed at all was written so.
    if (findLineFeed(bytes, 0, lineFeed) < 0) {
        const QByteArrayView carriageReturn = encoding == QStringConverter::Utf16LE ? QByteArrayView("\r\0", 2)
            : encoding == QStringConverter::Utf16BE                                 ? QByteArrayView("\0\r", 2)
                                                                                    : QByteArrayView("\r", 1);
        if (findLineFeed(bytes, 0, carriageReturn) >= 0)
            lineFeed = carriageReturn;
    }
    QStringDecoder decoder(encoding, flags);
    if (windowsCodePage) {
        decoder = QStringDecoder("windows-1252", flags);
        // Qt built without ICU knows no Windows code pages. Latin-1 differs
        // from this one only in 0x80-0x9F: curly quotes, dashes, the euro sign.
        if (!decoder.isValid())
            decoder = QStringDecoder(QStringConverter::Latin1, flags);
    }

    // One look at the bytes spares millions of lines a look each.
    const bool nulls = encoding != QStringConverter::Utf8 || bytes.contains('\0');
    const bool singleBytes = lineFeed.size() == 1;
    QList<QString> lines;
    for (qsizetype start = 0; start < bytes.size() && lines.size() <= PkListReader::maxIds;) {
        const qsizetype feed = findLineFeed(bytes, start, lineFeed);
        const qsizetype end = feed < 0 ? bytes.size() : feed;
        const QByteArrayView bytesOfLine = bytes.sliced(start, end - start);
        start = end + lineFeed.size();
        if (singleBytes && std::all_of(bytesOfLine.begin(), bytesOfLine.end(), isAsciiBlank)) {
            ++blankLines;
            continue;
        }
        QString line = decoder(bytesOfLine);
        if (nulls)
            dropNulls(line);
        if (isBlank(line))
            ++blankLines;
        else
            lines.append(std::move(line));
    }
    return lines;
}

// Blank lines count as identifiers of a plain list; a spreadsheet's and a
// smart collection's never did.
PkSelectionList readLines(QList<QString> lines, const QString &fileName, qsizetype blankLines)
{
    PkSelectionList list;
    if (lines.size() > PkListReader::maxIds) {
        list.error = PkListReader::tooLarge(false);
        return list;
    }
    if (!lines.isEmpty() && QStringView(lines.constFirst()).trimmed().startsWith(u"s = {")) {
        const QString text = lines.join(QLatin1Char('\n'));
        if (PkSmartCollection::isSmartCollection(text)) {
            list.ids = PkSmartCollection::read(text, list.error);
            return list;
        }
    }
    if (PkCsvReader::read(lines, fileName, list.ids))
        return list;
    PkLineSplitter::read(lines, PkListReader::maxIds);
    if (lines.size() > PkListReader::maxIds) {
        list.error = PkListReader::tooLarge(false);
        return list;
    }
    list.ids = std::move(lines);
    list.blankLines = blankLines;
    return list;
}

} // namespace

PkSelectionList PkListReader::readFile(const QString &path)
{
    PkSelectionList list;
    if (!QFile::exists(path))
        return list;
    // Opening a FIFO dropped by mistake would wait for a writer for ever.
    const QFileInfo info(path);
    if (!info.isDir() && !info.isFile()) {
        list.error = QStringLiteral("not a regular file");
        return list;
    }
    if (info.size() > maxBytes) {
        list.error = tooLarge(true);
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
    return readBytes(bytes, path);
}

QString PkListReader::tooLarge(bool bytes)
{
    return bytes ? QStringLiteral("too large (over %1 MB)").arg(maxBytes / 1'000'000)
                 : QStringLiteral("too large (over %1 identifiers)").arg(QLocale(QLocale::English).toString(maxIds));
}

PkSelectionList PkListReader::readBytes(QByteArrayView bytes, const QString &fileName)
{
    qsizetype blankLines = 0;
    QList<QString> lines = decodeLines(bytes, blankLines);
    return readLines(std::move(lines), fileName, blankLines);
}

PkSelectionList PkListReader::readText(const QString &text)
{
    const QChar lineEnd = !text.contains(QLatin1Char('\n')) && text.contains(QLatin1Char('\r')) ? QLatin1Char('\r')
                                                                                            : QLatin1Char('\n');
    QList<QString> lines;
    qsizetype blankLines = 0;
    if (text.isEmpty())
        return {};
    for (const QStringView piece : QStringView(text).tokenize(lineEnd)) {
        if (lines.size() > maxIds)
            break;
        QString line = piece.toString();
        dropNulls(line);
        if (isBlank(line))
            ++blankLines;
        else
            lines.append(std::move(line));
    }
    // A final line end ends the last line; it starts no further one.
    if (text.endsWith(lineEnd))
        --blankLines;
    return readLines(std::move(lines), QString(), blankLines);
}
