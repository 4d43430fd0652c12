// SPDX-License-Identifier: MIT

#include "pkselectionexports.h"

#include "pkbutton.h"
#include "pkmatchcsv.h"
#include "pksmartcollection.h"
#include "pwdarklook.h"
#include "pwsavedfile.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QSet>

PkSelectionExports::PkSelectionExports(PkButton *toCopyTile, QObject *parent)
    : QObject(parent)
    , tile(toCopyTile)
{
    // Both ways in which catalogues take several words: a list, or a search.
    QAction *commas = addAction(QStringLiteral("Copy as catalogue filter (A, B)"));
    connect(commas, &QAction::triggered, this, [this] { copyFilter(PkCatalogueFilter::Join::Commas); });
    QAction *joined = addAction(QStringLiteral("Copy as catalogue filter (A OR B)"));
    connect(joined, &QAction::triggered, this, [this] { copyFilter(PkCatalogueFilter::Join::Or); });
    QAction *collection = addAction(QStringLiteral("Save as smart collection\u2026"));
    connect(collection, &QAction::triggered, this, [this] {
        choosePath(QStringLiteral("Save as smart collection"), QStringLiteral("lrsmcol"), &PkSelectionExports::saveSmartCollection);
    });
    fileActions = {commas, joined, collection};
    reportAction = addAction(QStringLiteral("Save report\u2026"));
    connect(reportAction, &QAction::triggered, this, [this] {
        choosePath(QStringLiteral("Save report"), QStringLiteral("csv"), &PkSelectionExports::saveReport);
    });
}

QAction *PkSelectionExports::addAction(const QString &text)
{
    auto *action = new QAction(text, tile);
    action->setEnabled(false);
    tile->addAction(action);
    return action;
}

void PkSelectionExports::setMatch(const PkMatchResult &shown, const PkLikeResult *like)
{
    match = shown;
    examples = like ? std::make_optional(like->foundPictures()) : std::nullopt;
    reportAction->setEnabled(!match.ids.isEmpty());
}

void PkSelectionExports::setFilesToCopy(const QList<QString> &files)
{
    filesToCopy = files;
    for (QAction *action : std::as_const(fileActions))
        action->setEnabled(!files.isEmpty());
}

void PkSelectionExports::copyFilter(PkCatalogueFilter::Join join)
{
    QGuiApplication::clipboard()->setText(PkCatalogueFilter::text(filesToCopy, join));
}

void PkSelectionExports::choosePath(const QString &title, const QString &suffix,
                                    bool (PkSelectionExports::*save)(const QString &))
{
    QFileDialog *dialog = PwDarkLook::fileDialog(tile->window(), title, QDir::homePath(), false);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(suffix);
    dialog->setNameFilters({QStringLiteral("*.") + suffix, QStringLiteral("All files (*)")});
    connect(dialog, &QFileDialog::fileSelected, this, [this, save](const QString &path) { (this->*save)(path); });
}

// The files left out in the review are left out of the report's rows; those
// of ambiguous identifiers still waiting for an answer stay on theirs.
bool PkSelectionExports::saveReport(const QString &path)
{
    const QSet<QString> kept(filesToCopy.cbegin(), filesToCopy.cend());
    QList<QString> leftOut;
    for (qsizetype file = 0; file < match.files.size(); ++file) {
        if (!match.isHeld(file) && !kept.contains(match.files.at(file)))
            leftOut.append(match.files.at(file));
    }
    return save(path, PkMatchCsv::report(match, leftOut, examples ? &*examples : nullptr));
}

// The catalogue names a collection it imports by its title: the file's name.
bool PkSelectionExports::saveSmartCollection(const QString &path)
{
    const QString title = QFileInfo(path).completeBaseName();
    return save(path, PkSmartCollection::write(title, PkCatalogueFilter::names(filesToCopy)));
}

bool PkSelectionExports::save(const QString &path, const QByteArray &bytes)
{
    const QString why = PwSavedFile::write(path, bytes);
    if (why.isEmpty())
        return true;
    auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Not saved"),
                                QStringLiteral("Cannot save %1: %2").arg(QDir::toNativeSeparators(path), why),
                                QMessageBox::Ok, tile->window());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return false;
}
