// SPDX-License-Identifier: MIT

#include "pkcsvcolumns.h"

#include <QSet>

namespace {

// Header keys as columnKey makes them. The closed lists of the names that
// exports and clients' own sheets give the column, in the languages most
// galleries offer.
const QList<QSet<QString>> &headerRanks()
{
    static const QList<QSet<QString>> ranks = {
        {
            // The original file name, before a gallery renamed its copy.
            u"originalfilename"_qs, u"originaldateiname"_qs, u"ursprünglicherdateiname"_qs,
            u"nomdefichieroriginal"_qs, u"nomdufichieroriginal"_qs, u"nomoriginal"_qs,
            u"nombredearchivooriginal"_qs, u"nombredelarchivooriginal"_qs, u"nombreoriginal"_qs,
            u"nomefileoriginale"_qs, u"nomedelfileoriginale"_qs, u"nomeoriginale"_qs,
            u"nomedoarquivooriginal"_qs, u"nomedearquivooriginal"_qs, u"nomedoficheirooriginal"_qs,
            u"oorspronkelijkebestandsnaam"_qs, u"originelebestandsnaam"_qs,
            u"oryginalnanazwapliku"_qs,
            u"ursprungligtfilnamn"_qs, u"originalfilnamn"_qs,
            u"oprindeligtfilnavn"_qs, u"originaltfilnavn"_qs, u"originalfilnavn"_qs, u"opprinneligfilnavn"_qs,
            u"alkuperäinentiedostonimi"_qs,
            u"původnínázevsouboru"_qs,
        },
        {
            // "File name" and "Filename" are one key once blanks are ignored.
            u"filename"_qs, u"dateiname"_qs, u"nomdefichier"_qs, u"nomdufichier"_qs, u"nombredearchivo"_qs,
            u"nombredelarchivo"_qs, u"nomefile"_qs, u"nomedelfile"_qs, u"nomedoarquivo"_qs, u"nomedearquivo"_qs,
            u"nomedoficheiro"_qs, u"bestandsnaam"_qs, u"nazwapliku"_qs, u"filnamn"_qs, u"filnavn"_qs,
            u"tiedostonimi"_qs, u"tiedostonnimi"_qs, u"názevsouboru"_qs,
        },
        {
            u"photoname"_qs, u"imagename"_qs, u"fotoname"_qs, u"bildname"_qs,
            u"nomdelaphoto"_qs, u"nomdephoto"_qs, u"nomdelimage"_qs, u"nomdimage"_qs,
            u"nombredelafoto"_qs, u"nombredefoto"_qs, u"nombredelaimagen"_qs, u"nombredeimagen"_qs,
            u"nomefoto"_qs, u"nomedellafoto"_qs, u"nomeimmagine"_qs, u"nomedellimmagine"_qs,
            u"nomedafoto"_qs, u"nomedafotografia"_qs, u"nomedaimagem"_qs,
            u"fotonaam"_qs, u"afbeeldingsnaam"_qs,
            u"nazwazdjęcia"_qs, u"nazwaobrazu"_qs,
            u"fotonamn"_qs, u"bildnamn"_qs,
            u"fotonavn"_qs, u"billednavn"_qs, u"bildenavn"_qs, u"bildnavn"_qs,
            u"kuvannimi"_qs, u"valokuvannimi"_qs,
            u"názevfotografie"_qs, u"názevfotky"_qs, u"názevobrázku"_qs,
        },
        {u"name"_qs},
        {u"file"_qs},
        {u"image"_qs},
        {u"photo"_qs},
    };
    return ranks;
}

// Composed first: a Mac saves "ä" as "a" and a combining mark.
QString columnKey(const QString &field)
{
    QString key;
    for (const QChar c : field.normalized(QString::NormalizationForm_C)) {
        if (!c.isSpace() && c != u'_' && c != u'-' && c != u'\'' && c != u'\u2019')
            key += c.toLower();
    }
    return key;
}

// What cameras, raw converters and phones save; sidecars are left out, as a
// column of them would name each picture again.
bool isPictureExtension(QStringView extension)
{
    static const QSet<QString> extensions = {
        u"jpg"_qs, u"jpeg"_qs, u"jpe"_qs, u"png"_qs, u"tif"_qs, u"tiff"_qs, u"heic"_qs, u"heif"_qs, u"avif"_qs,
        u"webp"_qs, u"gif"_qs, u"bmp"_qs, u"jxl"_qs, u"psd"_qs, u"dng"_qs, u"cr2"_qs, u"cr3"_qs, u"crw"_qs,
        u"nef"_qs, u"nrw"_qs, u"arw"_qs, u"srf"_qs, u"sr2"_qs, u"raf"_qs, u"orf"_qs, u"rw2"_qs, u"pef"_qs,
        u"srw"_qs, u"x3f"_qs, u"3fr"_qs, u"fff"_qs, u"iiq"_qs, u"rwl"_qs, u"erf"_qs, u"mef"_qs, u"mos"_qs,
        u"mrw"_qs, u"kdc"_qs, u"dcr"_qs, u"raw"_qs};
    return extension.size() <= 4 && extensions.contains(extension.toString().toLower());
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// A camera's own name for a picture: an optional `_`, one to five letters,
// an optional `_`, then four digits or more, and nothing else.
bool isCameraNumbering(QStringView cell)
{
    qsizetype at = cell.startsWith(u'_') ? 1 : 0;
    const qsizetype lettersFrom = at;
    while (at < cell.size() && isAsciiLetter(cell.at(at)))
        ++at;
    const qsizetype letters = at - lettersFrom;
    if (letters < 1 || letters > 5)
        return false;
    if (at < cell.size() && cell.at(at) == u'_')
        ++at;
    const qsizetype digitsFrom = at;
    while (at < cell.size() && cell.at(at) >= u'0' && cell.at(at) <= u'9')
        ++at;
    return at == cell.size() && at - digitsFrom >= 4;
}

} // namespace

qsizetype PkCsvColumns::byHeader(const QList<QString> &header)
{
    QList<QString> keys;
    for (const QString &field : header)
        keys.append(columnKey(field));
    for (const QSet<QString> &rank : headerRanks()) {
        for (qsizetype column = 0; column < keys.size(); ++column) {
            if (rank.contains(keys.at(column)))
                return column;
        }
    }
    return -1;
}

bool PkCsvColumns::looksLikePictureName(QStringView cell)
{
    cell = cell.trimmed();
    const qsizetype dot = cell.lastIndexOf(u'.');
    if (dot > 0 && isPictureExtension(cell.sliced(dot + 1)))
        return true;
    return isCameraNumbering(cell);
}

void PkCsvColumns::addRow(const QList<QString> &fields)
{
    if (qsizetype(cells.size()) < fields.size()) {
        cells.resize(size_t(fields.size()));
        names.resize(size_t(fields.size()));
    }
    for (qsizetype column = 0; column < fields.size(); ++column) {
        const QStringView cell = QStringView(fields.at(column)).trimmed();
        if (cell.isEmpty())
            continue;
        ++cells[size_t(column)];
        if (looksLikePictureName(cell))
            ++names[size_t(column)];
    }
}

qsizetype PkCsvColumns::byContent() const
{
    if (cells.size() < 2)
        return -1;
    qsizetype found = -1;
    for (size_t column = 0; column < cells.size(); ++column) {
        if (names[column] * 2 <= cells[column])
            continue;
        if (found >= 0)
            return -1;
        found = qsizetype(column);
    }
    return found;
}
