// SPDX-License-Identifier: MIT

#include "pkxmppacket.h"

#include "pkexivfile.h"

#include <QDataStream>
#include <QIODevice>
#include <QXmlStreamReader>

#include <exiv2/exiv2.hpp>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr auto streamVersion = QDataStream::Qt_6_4;

const char subjectKey[] = "Xmp.dc.subject";
const char hierarchyKey[] = "Xmp.lr.hierarchicalSubject";
const char labelKey[] = "Xmp.xmp.Label";
const char ratingKey[] = "Xmp.xmp.Rating";
// Where raw converters and editors say which file a sidecar describes.
const char *const describedKeys[] = {"Xmp.crs.RawFileName", "Xmp.xmpMM.DerivedFrom"};

const char rdfNamespace[] = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";

std::string text(const QString &string)
{
    return string.toStdString();
}

// The toolkit takes any XML without an RDF body for an empty packet; such a
// file is someone else's, not a sidecar to add to.
bool holdsRdf(const QByteArray &bytes)
{
    QXmlStreamReader reader(bytes);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == QLatin1String("RDF")
            && reader.namespaceUri() == QLatin1String(rdfNamespace))
            return true;
    }
    return false;
}

bool decode(const QByteArray &bytes, Exiv2::XmpData *data)
{
    try {
        return Exiv2::XmpParser::decode(*data, bytes.toStdString()) == 0;
    } catch (...) {
        return false;
    }
}

using Property = std::tuple<std::string, int, std::string>;

// Every property as the toolkit reads it: its path (array items and
// qualifiers included), its type and its value, in a fixed order.
std::vector<Property> properties(const Exiv2::XmpData &data)
{
    std::vector<Property> all;
    for (const Exiv2::Xmpdatum &datum : data)
        all.emplace_back(datum.key(), int(datum.typeId()), datum.toString());
    std::sort(all.begin(), all.end());
    return all;
}

QList<std::string> items(const Exiv2::Xmpdatum &datum)
{
    QList<std::string> all;
    for (long i = 0; i < datum.count(); ++i)
        all.append(datum.toString(i));
    return all;
}

bool isList(const Exiv2::Xmpdatum &datum)
{
    return datum.typeId() == Exiv2::xmpBag || datum.typeId() == Exiv2::xmpSeq;
}

// Sets key's list to values, keeping its kind; an empty list is taken away.
void setItems(Exiv2::XmpData &data, const char *key, const QList<std::string> &values)
{
    const auto found = data.findKey(Exiv2::XmpKey(key));
    const Exiv2::TypeId type = found == data.end() ? Exiv2::xmpBag : found->typeId();
    if (found != data.end())
        data.erase(found);
    if (values.isEmpty())
        return;
    Exiv2::XmpArrayValue list(type);
    for (const std::string &value : values)
        list.read(value);
    data.add(Exiv2::XmpKey(key), &list);
}

// Adds or takes away item in key's list; error says where that list is not one.
bool changeItem(Exiv2::XmpData &data, const char *key, const std::string &item, bool remove, QString *error)
{
    const auto found = data.findKey(Exiv2::XmpKey(key));
    if (found != data.end() && !isList(*found)) {
        *error = QStringLiteral("its %1 is not a list").arg(QString::fromLatin1(key + 4).replace(QLatin1Char('.'), QLatin1Char(':')));
        return false;
    }
    QList<std::string> values = found == data.end() ? QList<std::string>() : items(*found);
    if (values.contains(item) != remove)
        return false;
    if (remove)
        values.removeAll(item);
    else
        values.append(item);
    setItems(data, key, values);
    return true;
}

QString labelOf(const Exiv2::XmpData &data)
{
    const auto found = data.findKey(Exiv2::XmpKey(labelKey));
    return found == data.end() ? QString() : QString::fromStdString(found->toString());
}

bool changeLabel(Exiv2::XmpData &data, const PkXmpPacket::Edit &edit)
{
    if (edit.label.isEmpty() || (labelOf(data) == edit.label) != edit.remove)
        return false;
    const auto found = data.findKey(Exiv2::XmpKey(labelKey));
    if (found != data.end())
        data.erase(found);
    if (!edit.remove)
        data.add(Exiv2::XmpKey(labelKey), std::make_unique<Exiv2::XmpTextValue>(text(edit.label)).get());
    return true;
}

// Whether a hierarchical keyword other than the one taken off ends in leaf.
bool leafStillUsed(const Exiv2::XmpData &data, const QString &leaf)
{
    const auto found = data.findKey(Exiv2::XmpKey(hierarchyKey));
    if (found == data.end() || !isList(*found))
        return false;
    const QList<std::string> paths = items(*found);
    return std::any_of(paths.cbegin(), paths.cend(), [&leaf](const std::string &path) {
        return QString::fromStdString(path).section(QLatin1Char('|'), -1) == leaf;
    });
}

// The leaf goes into the flat keywords, as catalogues write it there, and a
// hierarchical keyword's whole path into the hierarchy. A leaf that another
// hierarchical keyword still ends in stays when one is taken off.
bool changeKeyword(Exiv2::XmpData &data, const PkXmpPacket::Edit &edit, QString *error)
{
    const QString leaf = edit.keyword.section(QLatin1Char('|'), -1);
    const bool hierarchical = leaf.size() < edit.keyword.size();
    const bool changed = hierarchical && changeItem(data, hierarchyKey, text(edit.keyword), edit.remove, error);
    if (!error->isEmpty() || (edit.remove && leafStillUsed(data, leaf)))
        return changed;
    return changeItem(data, subjectKey, text(leaf), edit.remove, error) || changed;
}

QString describedFile(const Exiv2::XmpData &data)
{
    for (const char *key : describedKeys) {
        const auto found = data.findKey(Exiv2::XmpKey(key));
        if (found != data.end() && found->typeId() == Exiv2::xmpText)
            return QString::fromStdString(found->toString()).trimmed();
    }
    return {};
}

QByteArray encode(const Exiv2::XmpData &data, bool wrapped)
{
    // The toolkit encodes no properties as no packet at all, which is not
    // XMP; a sidecar whose last keyword went keeps an empty one.
    if (data.empty())
        return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
                                 " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
                                 "  <rdf:Description rdf:about=\"\"/>\n </rdf:RDF>\n</x:xmpmeta>\n");
    std::string packet;
    const uint16_t format = Exiv2::XmpParser::useCompactFormat | (wrapped ? 0 : Exiv2::XmpParser::omitPacketWrapper);
    try {
        if (Exiv2::XmpParser::encode(packet, data, format) != 0)
            return {};
    } catch (...) {
        return {};
    }
    const QByteArray bytes = QByteArray::fromStdString(packet);
    return wrapped ? bytes : "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + bytes;
}

bool hasControl(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

} // namespace

bool PkXmpPacket::isSidecar(const QString &name)
{
    return name.endsWith(QLatin1String(".xmp"), Qt::CaseInsensitive);
}

QString PkXmpPacket::keywordProblem(const QString &keyword)
{
    if (keyword.trimmed().isEmpty())
        return QStringLiteral("the keyword is empty");
    if (keyword.size() > maxKeywordLength)
        return QStringLiteral("the keyword is longer than %1 characters").arg(maxKeywordLength);
    if (hasControl(keyword))
        return QStringLiteral("the keyword holds a control character");
    const QStringList levels = keyword.split(QLatin1Char('|'));
    if (std::any_of(levels.cbegin(), levels.cend(), [](const QString &level) { return level.trimmed() != level || level.isEmpty(); }))
        return QStringLiteral("a level of the keyword is empty, or begins or ends with a space");
    return {};
}

QString PkXmpPacket::labelProblem(const QString &label)
{
    if (label.size() > maxLabelLength)
        return QStringLiteral("the label is longer than %1 characters").arg(maxLabelLength);
    if (hasControl(label))
        return QStringLiteral("the label holds a control character");
    // The toolkit would read this as the kind of a structured value.
    if (label.startsWith(QLatin1String("type=")) || label.trimmed() != label)
        return QStringLiteral("the label begins with \"type=\" or a space");
    return {};
}

PkXmpPacket::Result PkXmpPacket::apply(const QByteArray &old, const Edit &edit)
{
    PkExivFile::initialise();
    Result result;
    Exiv2::XmpData data;
    if (!old.isEmpty() && (!holdsRdf(old) || !decode(old, &data))) {
        result.error = QStringLiteral("not XMP");
        return result;
    }
    result.describes = describedFile(data);
    Exiv2::XmpData meant = data;
    bool changed = changeKeyword(meant, edit, &result.error);
    if (!result.error.isEmpty())
        return result;
    changed = changeLabel(meant, edit) || changed;
    if (!changed)
        return result;
    const QByteArray packet = encode(meant, old.contains("<?xpacket"));
    Exiv2::XmpData again;
    if (packet.isEmpty() || !decode(packet, &again) || properties(again) != properties(meant)) {
        result.error = QStringLiteral("XMP could not be written without losing what it holds");
        return result;
    }
    result.packet = packet;
    return result;
}

PkXmpPacket::Judgement PkXmpPacket::judgement(const QByteArray &packet)
{
    PkExivFile::initialise();
    Judgement judgement;
    Exiv2::XmpData data;
    if (packet.isEmpty() || !holdsRdf(packet) || !decode(packet, &data))
        return judgement;
    judgement.read = true;
    judgement.label = labelOf(data).left(maxLabelLength);
    const auto rating = data.findKey(Exiv2::XmpKey(ratingKey));
    bool number = false;
    const double stars = rating == data.end() ? 0 : QString::fromStdString(rating->toString()).toDouble(&number);
    if (number && std::isfinite(stars))
        judgement.rating = int(std::lround(std::clamp(stars, -1.0, 5.0)));
    return judgement;
}

QByteArray PkXmpPacket::request(const QByteArray &old, const Edit &edit)
{
    QByteArray frame;
    QDataStream out(&frame, QIODevice::WriteOnly);
    out.setVersion(streamVersion);
    out << old << edit.keyword << edit.label << edit.remove;
    return frame;
}

bool PkXmpPacket::readRequest(const QByteArray &frame, QByteArray *old, Edit *edit)
{
    QDataStream in(frame);
    in.setVersion(streamVersion);
    in >> *old >> edit->keyword >> edit->label >> edit->remove;
    return in.status() == QDataStream::Ok;
}

QByteArray PkXmpPacket::answer(const Result &result)
{
    QByteArray frame;
    QDataStream out(&frame, QIODevice::WriteOnly);
    out.setVersion(streamVersion);
    out << result.packet << result.error << result.describes;
    return frame;
}

bool PkXmpPacket::readAnswer(const QByteArray &frame, Result *result)
{
    QDataStream in(frame);
    in.setVersion(streamVersion);
    in >> result->packet >> result->error >> result->describes;
    return in.status() == QDataStream::Ok && result->packet.size() <= 2 * maxBytes;
}
