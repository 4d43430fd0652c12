// SPDX-License-Identifier: MIT

#include "pkfolderlister.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The fast listing against QDir::entryList(QDir::Files) on generated folders,
// and its error texts.
class TestPkFolderLister : public QObject
{
    Q_OBJECT

private slots:
    void sameAsQDirOnRandomFolders();
    void folderThatCannotBeListed_data();
    void folderThatCannotBeListed();
};

namespace {

// Letters whose lower-case form is odd: long s and Kelvin sign lower-case
// to other letters or stay apart from what case folding would make of them,
// capital I with dot grows to two code units, the Deseret and fullwidth
// letters put a surrogate pair against a code unit above it.
const QStringList namePieces{
    "a", "A", "b", "B", "s", "S", "k", "K", "i", "I", "0", "1", "9", ".", "_", " ",
    QString::fromUtf8("ſ"), QString::fromUtf8("\u212A"), QString::fromUtf8("ß"), QString::fromUtf8("ẞ"),
    QString::fromUtf8("σ"), QString::fromUtf8("Σ"), QString::fromUtf8("ς"), QString::fromUtf8("İ"),
    QString::fromUtf8("ı"), QString::fromUtf8("ж"), QString::fromUtf8("Ж"), QString::fromUtf8("ǅ"),
    QString::fromUtf8("\U00010400"), QString::fromUtf8("\U00010428"), QString::fromUtf8("Ａ"),
    QString::fromUtf8("ｓ")};

// Folders of ASCII names and folders of any names are sorted on different
// keys; a long shared start, in two cases, puts the names' ends to the test.
struct NameRule
{
    bool asciiOnly;
    bool longStart;
};

// Few pieces per name, so that many names differ in case only and the
// order of ties is put to the test.
QByteArray randomName(QRandomGenerator &rng, NameRule rule = {false, false})
{
    const int pieces = rule.asciiOnly ? 16 : int(namePieces.size());
    QString name = rule.longStart ? QStringList{"", "Holiday_2024_Kyoto_", "HOLIDAY_2024_kyoto_"}.at(rng.bounded(3))
                                  : QString();
    for (int i = 1 + int(rng.bounded(4)); i > 0; --i)
        name += namePieces.at(rng.bounded(pieces));
    QByteArray bytes = QFile::encodeName(name);
    if (!rule.asciiOnly && rng.bounded(30) == 0)
        bytes += '\xFF'; // not UTF-8
    if (rng.bounded(10) == 0)
        bytes.prepend('.');
    return bytes;
}

// One entry of a random kind. Links mostly point at entries made before
// (files, folders, FIFOs, other links), else at nothing.
bool makeEntry(QRandomGenerator &rng, const QByteArray &path, const QList<QByteArray> &made)
{
    const QByteArray target = made.isEmpty() || rng.bounded(4) == 0 ? randomName(rng)
                                                                    : made.at(rng.bounded(int(made.size())));
    switch (rng.bounded(10)) {
    case 0:
        return ::mkdir(path.constData(), 0755) == 0;
    case 1:
        return ::mkfifo(path.constData(), 0644) == 0;
    case 2:
    case 3:
        return ::symlink(target.constData(), path.constData()) == 0;
    default: {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        return fd >= 0 && ::close(fd) == 0;
    }
    }
}

} // namespace

void TestPkFolderLister::sameAsQDirOnRandomFolders()
{
    const quint32 seed = 20240612;
    QRandomGenerator rng(seed);
    for (int round = 0; round < 40; ++round) {
        QTemporaryDir dir;
        QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
        const QByteArray folder = QFile::encodeName(dir.path());
        // Folders of up to 16 entries are sorted by insertion, which keeps
        // ties in place; larger ones show whether ties move as in QDir.
        const int entries = round < 5 ? round * 4 : int(rng.bounded(600));
        const NameRule rule{round % 2 == 1, round % 4 >= 2};
        QList<QByteArray> made;
        for (int i = 0; i < entries; ++i) {
            const QByteArray name = randomName(rng, rule);
            if (makeEntry(rng, folder + '/' + name, made))
                made.append(name);
            else if (errno != EEXIST)
                QFAIL(qPrintable(QString("cannot create %1: %2").arg(QFile::decodeName(name), qt_error_string())));
        }

        QString error = QStringLiteral("left over");
        const QStringList actual = PkFolderLister::fileNames(dir.path(), &error);
        const QStringList expected = QDir(dir.path()).entryList(QDir::Files);
        // QTemporaryDir cannot remove what QDir cannot name.
        for (const QByteArray &name : std::as_const(made)) {
            if (!name.isValidUtf8())
                ::remove(folder + '/' + name);
        }
        if (actual != expected || !error.isEmpty())
            qWarning("seed %u, round %d: %s", seed, round, qPrintable(error));
        QCOMPARE(actual, expected);
        QCOMPARE(error, QString());
    }
}

void TestPkFolderLister::folderThatCannotBeListed_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("reason");
    QTest::newRow("missing folder") << "missing" << ENOENT;
    QTest::newRow("file given as folder") << "file.jpg" << ENOTDIR;
    QTest::newRow("link to a file") << "link" << ENOTDIR;
    QTest::newRow("empty path, not the working folder") << "" << 0;
}

void TestPkFolderLister::folderThatCannotBeListed()
{
    QFETCH(QString, entry);
    QFETCH(int, reason);
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    QFile file(dir.filePath("file.jpg"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(QFile::link(file.fileName(), dir.filePath("link")));
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const auto restore = qScopeGuard([&] { QDir::setCurrent(previous); });

    QString error = QStringLiteral("left over");
    const QString path = entry.isEmpty() ? QString() : dir.filePath(entry);
    QCOMPARE(PkFolderLister::fileNames(path, &error), QStringList());
    QCOMPARE(error, reason ? qt_error_string(reason) : QString());
    QCOMPARE(PkFolderLister::fileNames(path), QStringList());
}

QTEST_GUILESS_MAIN(TestPkFolderLister)
#include "tst_pkfolderlister.moc"
