// SPDX-License-Identifier: MIT

#include "pkreviewmodel.h"
#include "pkthumbnailreader.h"

#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QSet>

#include <algorithm>

namespace {

// What a tile shows first: a picture Qt reads, else a raw file's preview.
int showOrder(const QString &name)
{
    if (PkThumbnailReader::isRaw(name))
        return 1;
    static const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    return formats.contains(QFileInfo(name).suffix().toLower().toLatin1()) ? 0 : 2;
}

} // namespace

PkReviewModel::PkReviewModel(QObject *parent)
    : QObject(parent)
{
}

// Identifiers whose files all stand under an earlier one get no group: the
// files are shown once, and the identifier did find something, so it is not
// among those not found either.
void PkReviewModel::setSelection(const PkReviewSelection &selection, const QSet<QString> &leftOut)
{
    // Another job starts with every picture shown; the same one matched
    // again keeps what the user chose to see.
    if (!current.isSameJob(selection))
        shownFilter = PkReviewFilter();
    current = selection;
    const qsizetype idCount = selection.ids.size();
    QList<Group> byId(idCount + 1);
    for (int file = 0; file < selection.files.size(); ++file) {
        const qsizetype id = selection.fileIds.value(file, -1);
        byId[id >= 0 && id < idCount ? id : idCount].files.append(file);
    }
    allGroups.clear();
    for (qsizetype id = 0; id <= idCount; ++id) {
        Group &group = byId[id];
        // An example is shown even when it found nothing: that is when the
        // user most needs to see it.
        group.example = selection.examples.value(id);
        if (group.files.isEmpty() && group.example.isEmpty())
            continue;
        if (id < idCount) {
            group.id = selection.ids.at(id);
            group.ambiguous = selection.ambiguous.contains(group.id);
            group.near = selection.near.contains(group.id);
            group.how = selection.how.value(group.id);
            group.notFound = selection.idsNotFound.contains(group.id);
        }
        allGroups.append(std::move(group));
    }
    ticks.clear();
    ticked = 0;
    for (const QString &file : selection.files) {
        ticks.append(!leftOut.contains(file));
        ticked += ticks.last() ? 1 : 0;
    }
    unreadableFiles.clear();
    judgements.clear();
    makeTiles();
    emit ticksChanged();
    emit unreadableChanged();
    emit judgementsChanged();
}

void PkReviewModel::setEachFile(bool eachFile)
{
    if (perFile == eachFile)
        return;
    perFile = eachFile;
    makeTiles();
}

// A header that would only repeat the one picture's name is left out, unless
// the group has a mark to show.
void PkReviewModel::makeTiles()
{
    tileList.clear();
    fileTiles = QList<int>(current.files.size(), -1);
    groupList = allGroups;
    QSet<QString> allPictures;
    for (int g = 0; g < groupList.size(); ++g) {
        Group &group = groupList[g];
        group.tiles.clear();
        if (!group.example.isEmpty()) {
            group.tiles.append(int(tileList.size()));
            tileList.append({g, QFileInfo(group.example).fileName(), {}, group.example, {}});
        }
        QHash<QString, int> tileOf;
        for (int file : std::as_const(group.files)) {
            const QString &name = current.files.at(file);
            const QString picture = PkSelectionMatcher::pictureOf(name);
            allPictures.insert(picture);
            const QString key = perFile ? name : picture;
            if (!tileOf.contains(key)) {
                tileOf.insert(key, int(tileList.size()));
                group.tiles.append(int(tileList.size()));
                const qsizetype slash = key.lastIndexOf(QLatin1Char('/'));
                tileList.append({g, key.sliced(slash + 1), {}, {}, slash < 0 ? QString() : key.first(slash)});
            }
            tileList[tileOf.value(key)].files.append(file);
            fileTiles[file] = tileOf.value(key);
        }
        QSet<QString> pictures;
        for (int tile : std::as_const(group.tiles)) {
            QList<int> &files = tileList[tile].files;
            if (files.isEmpty())
                continue; // the example's
            std::stable_sort(files.begin(), files.end(),
                             [this](int a, int b) { return showOrder(current.files.at(a)) < showOrder(current.files.at(b)); });
            pictures.insert(PkSelectionMatcher::pictureOf(current.files.at(files.first())));
        }
        group.pictures = int(pictures.size());
        const QString named = PkSelectionMatcher::withoutExtension(group.id);
        group.header = !group.example.isEmpty() || group.tiles.size() > 1 || group.ambiguous || group.near || named.isEmpty()
                || !tileList.at(group.tiles.first()).name.contains(named, Qt::CaseInsensitive);
    }
    pictureTotal = int(allPictures.size());
    applyFilter();
    keepFoldersOfRepeatedNames();
    emit layoutChanged();
}

// A tile's sub-folder is worth a line only where it tells two pictures of
// one name apart: two cameras' IMG_0001, a card that started again.
void PkReviewModel::keepFoldersOfRepeatedNames()
{
    QHash<QString, QSet<QString>> folders; // per name, as a card's file system compares them
    for (const Tile &tile : std::as_const(tileList)) {
        if (tile.example.isEmpty())
            folders[tile.name.toCaseFolded()].insert(tile.folder);
    }
    anyFolder = false;
    for (Tile &tile : tileList) {
        if (folders.value(tile.name.toCaseFolded()).size() < 2)
            tile.folder.clear();
        anyFolder = anyFolder || !tile.folder.isEmpty();
    }
}

QStringList PkReviewModel::badges(int tile) const
{
    QStringList kinds;
    if (isExample(tile))
        kinds << QFileInfo(tileList.at(tile).example).suffix().toUpper();
    for (int file : tileList.at(tile).files)
        kinds << QFileInfo(current.files.at(file)).suffix().toUpper();
    kinds.removeAll(QString());
    kinds.removeDuplicates();
    return kinds;
}

QString PkReviewModel::path(int file) const
{
    return current.folder + QLatin1Char('/') + current.files.at(file);
}

Qt::CheckState PkReviewModel::stateOf(const QList<int> &files) const
{
    int on = 0;
    for (int file : files)
        on += ticks.at(file) ? 1 : 0;
    if (on == 0)
        return Qt::Unchecked;
    return on == files.size() ? Qt::Checked : Qt::PartiallyChecked;
}

Qt::CheckState PkReviewModel::groupState(int group) const
{
    return stateOf(groupList.at(group).files);
}

Qt::CheckState PkReviewModel::tileState(int tile) const
{
    return stateOf(tileList.at(tile).files);
}

void PkReviewModel::setTicked(int file, bool on)
{
    if (ticks.at(file) == on)
        return;
    ticks[file] = on;
    ticked += on ? 1 : -1;
    emit ticksChanged();
}

void PkReviewModel::setAll(const QList<int> &files, bool on)
{
    QSignalBlocker blocker(this);
    for (int file : files)
        setTicked(file, on);
    blocker.unblock();
    emit ticksChanged();
}

void PkReviewModel::toggleGroup(int group)
{
    setAll(groupList.at(group).files, groupState(group) != Qt::Checked);
}

void PkReviewModel::toggleTile(int tile)
{
    if (isExample(tile))
        return; // the client's own picture is never copied
    setAll(tileList.at(tile).files, tileState(tile) != Qt::Checked);
}

void PkReviewModel::setTilesTicked(int first, int last, bool on)
{
    QList<int> files;
    for (int tile = std::min(first, last); tile <= std::max(first, last); ++tile)
        files += tileList.at(tile).files;
    setAll(files, on);
}

QList<QString> PkReviewModel::leftOut() const
{
    QList<QString> files;
    for (int file = 0; file < ticks.size(); ++file) {
        if (!ticks.at(file))
            files.append(current.files.at(file));
    }
    return files;
}

void PkReviewModel::setUnreadable(int file, bool unreadable)
{
    if (unreadableFiles.contains(file) == unreadable)
        return;
    if (unreadable)
        unreadableFiles.insert(file);
    else
        unreadableFiles.remove(file);
    emit unreadableChanged();
}

// Tiles the filter hides leave the grid, and groups left without a tile go
// with them; their files keep their ticks.
void PkReviewModel::applyFilter()
{
    hiddenPictures = 0;
    if (shownFilter.kind == PkReviewFilter::Kind::All)
        return;
    QSet<QString> hidden;
    QList<Tile> tiles;
    QList<Group> groups;
    fileTiles.fill(-1);
    for (Group group : std::as_const(groupList)) {
        QList<int> kept, files;
        for (int tile : std::as_const(group.tiles)) {
            Tile shown = tileList.at(tile);
            if (hides(tile)) {
                for (int file : std::as_const(shown.files))
                    hidden.insert(pictureKey(file));
                continue;
            }
            shown.group = int(groups.size());
            for (int file : std::as_const(shown.files)) {
                fileTiles[file] = int(tiles.size());
                files.append(file);
            }
            kept.append(int(tiles.size()));
            tiles.append(shown);
        }
        if (kept.isEmpty())
            continue;
        group.tiles = kept;
        group.files = files;
        groups.append(group);
    }
    tileList = tiles;
    groupList = groups;
    hiddenPictures = int(hidden.size());
}

bool PkReviewModel::hides(int tile) const
{
    return !isExample(tile) && !shownFilter.passes(judgement(tile));
}

QString PkReviewModel::pictureKey(int file) const
{
    return PkSelectionMatcher::pictureOf(current.files.at(file));
}

void PkReviewModel::setJudgement(int file, const PkXmpPacket::Judgement &judgement)
{
    const auto known = judgements.constFind(file);
    if (known != judgements.cend() && known->read == judgement.read && known->rating == judgement.rating
        && known->label == judgement.label)
        return;
    // Most pictures have no rating or label: knowing that changes no count,
    // and a folder of thousands must not redo the summary for each.
    const auto said = [](const PkXmpPacket::Judgement &one) { return one.rating != 0 || !one.label.isEmpty(); };
    const bool counted = said(judgement) || (known != judgements.cend() && said(*known));
    judgements.insert(file, judgement);
    const int tile = tileOf(file);
    if (shownFilter.kind != PkReviewFilter::Kind::All && (tile < 0 || hides(tile)))
        makeTiles();
    if (counted || shownFilter.kind != PkReviewFilter::Kind::All)
        emit judgementsChanged();
}

// A picture's files all read its sidecars; one that brought a judgement
// from them speaks for the picture.
const PkXmpPacket::Judgement *PkReviewModel::judgement(int tile) const
{
    const PkXmpPacket::Judgement *found = nullptr;
    for (int file : tileList.at(tile).files) {
        const auto known = judgements.constFind(file);
        if (known != judgements.cend() && (!found || known->read))
            found = &*known;
        if (found && found->read)
            break;
    }
    return found;
}

void PkReviewModel::setFilter(const PkReviewFilter &filter)
{
    if (filter == shownFilter)
        return;
    shownFilter = filter;
    makeTiles();
    emit judgementsChanged();
}

int PkReviewModel::rejectedCount() const
{
    QSet<QString> rejected;
    for (auto known = judgements.cbegin(); known != judgements.cend(); ++known) {
        if (known->rating < 0)
            rejected.insert(pictureKey(known.key()));
    }
    return int(rejected.size());
}

bool PkReviewModel::isJudged() const
{
    return std::any_of(judgements.cbegin(), judgements.cend(), [](const PkXmpPacket::Judgement &known) {
        return known.rating != 0 || !known.label.isEmpty();
    });
}

QList<QString> PkReviewModel::labels() const
{
    QSet<QString> labels;
    for (const PkXmpPacket::Judgement &known : judgements) {
        if (!known.label.isEmpty())
            labels.insert(known.label);
    }
    QList<QString> sorted(labels.cbegin(), labels.cend());
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

QHash<QString, QStringList> PkReviewModel::sidecars(const PkReviewSelection &selection)
{
    QHash<QString, QStringList> ofPicture;
    for (const QString &file : selection.files) {
        if (PkXmpPacket::isSidecar(file))
            ofPicture[PkSelectionMatcher::pictureOf(file)].append(selection.folder + QLatin1Char('/') + file);
    }
    QHash<QString, QStringList> ofFile;
    for (const QString &file : selection.files)
        ofFile.insert(selection.folder + QLatin1Char('/') + file, ofPicture.value(PkSelectionMatcher::pictureOf(file)));
    return ofFile;
}
