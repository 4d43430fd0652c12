// SPDX-License-Identifier: MIT

#include "pwdarklook.h"

#include "pwtools.h"

#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
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
}

QFileDialog *PwDarkLook::fileDialog(QWidget *parent, const QString &folder, bool foldersOnly)
{
    auto *dialog = new QFileDialog(parent, QString(), folder, QString());
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
    dialog->show();
    dialog->raise();
    return dialog;
}
