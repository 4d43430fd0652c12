// SPDX-License-Identifier: MIT

#include "pwdarklook.h"

#include "pwtools.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QSplitter>
#include <QStyle>
#include <QStyleFactory>
#include <QToolTip>
#include <QTreeView>

QPalette PwDarkLook::palette()
{
    const PwTools tools;
    const auto grey = [&tools](const char *name) { return tools.getColor(QLatin1String(name)); };
    // From the button's and the window's greys Qt derives the shades between;
    // the texts and the rest are named here.
    QPalette palette(grey("gray2"), grey("gray1.5"));
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, grey("gray8"));
    palette.setColor(QPalette::Base, grey("gray1"));
    palette.setColor(QPalette::AlternateBase, grey("gray1.5"));
    palette.setColor(QPalette::Light, grey("gray3"));
    palette.setColor(QPalette::Midlight, grey("gray2.5"));
    palette.setColor(QPalette::Mid, grey("gray2"));
    palette.setColor(QPalette::Dark, grey("gray0.5"));
    palette.setColor(QPalette::Shadow, grey("gray0"));
    palette.setColor(QPalette::ToolTipBase, grey("gray2"));
    palette.setColor(QPalette::ToolTipText, grey("gray8"));
    palette.setColor(QPalette::PlaceholderText, grey("gray4.5"));
    palette.setColor(QPalette::Highlight, grey("marker"));
    palette.setColor(QPalette::HighlightedText, grey("gray0"));
    palette.setColor(QPalette::Link, grey("marker"));
    palette.setColor(QPalette::BrightText, grey("gray9.5"));
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, grey("gray4"));
    return palette;
}

void PwDarkLook::apply()
{
    // Desktop styles (GTK, Breeze) draw from their own themes; Fusion from the palette.
    if (QStyle *fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    QApplication::setPalette(palette());
    QToolTip::setPalette(palette());
    // Fusion frames a menu in a shade of its own dark background, which
    // leaves it without an edge on the dark window.
    const QString border = PwTools().getColor(QStringLiteral("gray4")).name();
    qApp->setStyleSheet(QStringLiteral("QMenu { border: 1px solid %1; }").arg(border));
}

// Enter takes the name the completer offers and closes the dialog; the
// completer's list, a window of its own, would otherwise stay behind it.
void PwDarkLook::closeCompleterWithDialog(QFileDialog *dialog)
{
    auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QCompleter *completer = edit ? edit->completer() : nullptr;
    if (!completer)
        return;
    QAbstractItemView *popup = completer->popup();
    QObject::connect(edit, &QLineEdit::returnPressed, popup, &QWidget::hide);
    QObject::connect(dialog, &QDialog::finished, popup, &QWidget::hide);
}

QFileDialog *PwDarkLook::fileDialog(QWidget *parent, const QString &title, const QString &folder, bool foldersOnly)
{
    auto *dialog = new QFileDialog(parent, title, folder, QString());
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    if (foldersOnly) {
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly);
    }
    dialog->resize(960, 560);
    // The places beside the list read whole too, whatever an earlier dialog left.
    if (auto *splitter = dialog->findChild<QSplitter *>(QStringLiteral("splitter")))
        splitter->setSizes({160, 800});
    // The name takes what the sizes, kinds and dates leave.
    if (auto *view = dialog->findChild<QTreeView *>(QStringLiteral("treeView"))) {
        QHeaderView *header = view->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    closeCompleterWithDialog(dialog);
    dialog->show();
    dialog->raise();
    return dialog;
}
