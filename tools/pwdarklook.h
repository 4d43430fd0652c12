// SPDX-License-Identifier: MIT

#ifndef PWDARKLOOK_H
#define PWDARKLOOK_H

#include <QPalette>

QT_BEGIN_NAMESPACE
class QFileDialog;
class QString;
class QWidget;
QT_END_NAMESPACE

// The window's dark greys for everything Qt draws itself: context menus,
// tooltips, message boxes, file dialogs and the review window. Set once for
// the application, so that every window, made now or later, follows it.
class PwDarkLook
{
public:
    // The palette of named greys, with the marker colour for selections.
    static QPalette palette();
    // Makes the application draw its standard widgets in palette(), in a
    // style that follows the palette rather than the desktop's theme.
    static void apply();
    // Opens a file dialog titled with what it chooses on folder, without
    // blocking parent, in the same look (the desktop's own would not follow
    // it) and large enough that every column of its detail view reads in
    // full; with foldersOnly it lists and chooses folders alone.
    static QFileDialog *fileDialog(QWidget *parent, const QString &title, const QString &folder, bool foldersOnly);

private:
    static void closeCompleterWithDialog(QFileDialog *dialog);
};

#endif // PWDARKLOOK_H
