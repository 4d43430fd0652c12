// SPDX-License-Identifier: MIT

#ifndef PWDARKLOOK_H
#define PWDARKLOOK_H

#include <QPalette>

QT_BEGIN_NAMESPACE
class QFileDialog;
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
    // A file dialog in the same look (the desktop's own would not follow it),
    // large enough that every column of its detail view reads in full; with
    // foldersOnly it lists and chooses folders alone.
    static void shape(QFileDialog *dialog, bool foldersOnly);
};

#endif // PWDARKLOOK_H
