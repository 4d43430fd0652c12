// SPDX-License-Identifier: MIT

#ifndef PKLOOKTEST_H
#define PKLOOKTEST_H

#include <QtTest>
#include <QtWidgets>

// The painted look, pixel for pixel, against the pictures in tests/look.
// They hold where text, curves and scaled pictures are drawn as on the
// machine they were made on (the same Qt and FreeType); elsewhere the look
// is not compared, and the test says so once. After a change of look,
// PICKWELL_LOOK_WRITE=1 makes them afresh: look at them before committing.
namespace PkLookTest {

inline QString reference(const QString &name)
{
    return QStringLiteral(PICKWELL_LOOK_DIR "/%1.png").arg(QString(name).replace(u' ', u'-'));
}

// Keeps image as the picture of name where asked to, else compares.
inline bool asKept(const QImage &image, const QString &name)
{
    if (qEnvironmentVariableIsSet("PICKWELL_LOOK_WRITE"))
        return image.save(reference(name));
    return image == QImage(reference(name)).convertToFormat(QImage::Format_RGB32);
}

// Drawn by Qt alone: the shipped fonts (which the widgets then find), the
// machine's own, a curve, a picture scaled up.
inline QImage probe()
{
    for (const char *font : {"Quillmark - Bender.otf", "Quillmark - Bender-Bold.otf", "Consolas.ttf"})
        QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/") + QLatin1String(font));
    QImage image(320, 60, QImage::Format_RGB32), small(3, 2, QImage::Format_RGB32);
    image.fill(Qt::black);
    for (int pixel = 0; pixel < 6; ++pixel)
        small.setPixel(pixel % 3, pixel / 3, qRgb(pixel * 40, 255 - pixel * 40, 128));
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.setPen(Qt::white);
    painter.setFont(QFont(QStringLiteral("Bender"), 13, QFont::Bold));
    painter.drawText(4, 20, QStringLiteral("To copy 40 · Review"));
    painter.setFont(QFont(QStringLiteral("Consolas"), 9));
    painter.drawText(4, 44, QStringLiteral("IMG_2403.JPG 1.2 MB"));
    painter.setFont(QFont()); // what the machine's own fonts give
    painter.drawText(120, 44, QStringLiteral("Done: 40 copied"));
    painter.drawArc(QRectF(262.5, 5.5, 49, 49), 30 * 16, 250 * 16);
    painter.drawImage(QRect(200, 30, 45, 25), small);
    return image;
}

// Called before the first widget is made, so that none is laid out in
// other fonts than it is painted in.
inline bool drawsAsBefore()
{
    static const bool same = asKept(probe(), QStringLiteral("probe"))
        || (qInfo("The look is not compared: this machine draws text otherwise than the one tests/look was made on."), false);
    return same;
}

inline bool looksAsBefore(QWidget *widget, const QString &name)
{
    if (!drawsAsBefore())
        return true;
    // A text changed last may have asked for a layout not made yet, which
    // may ask for more: the picture is taken once two in a row agree.
    QImage shown, before;
    for (int round = 0; round < 20 && (round < 2 || shown != before); ++round) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        before = std::exchange(shown, widget->grab().toImage().convertToFormat(QImage::Format_RGB32));
    }
    if (asKept(shown, name))
        return true;
    const QString now = QDir::temp().filePath(name + QStringLiteral("-now.png"));
    shown.save(now);
    qWarning("%s is drawn otherwise than %s: see %s", qPrintable(name), qPrintable(reference(name)), qPrintable(now));
    return false;
}

} // namespace PkLookTest

#endif // PKLOOKTEST_H
