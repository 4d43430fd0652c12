// SPDX-License-Identifier: MIT

#include "pkfolderlister.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

// The fast listing against QDir::entryList(QDir::Files) on generated folders,
// and its error texts.
class TestPkFolderLister : public QObject
{
    Q_OBJECT

private slots:
    // Odd rounds use ASCII names only, which are sorted on other keys; in two
    // rounds of four a long shared start, in two cases, puts the names' ends
    // to the test. Few pieces per name make many names differ in case only,
    // so the order of ties is put to the test too.
    void sameAsQDirOnRandomFolders()
    {
        // Letters whose lower-case form is odd: long s and Kelvin sign, capital
        // I with dot (two code units lower-cased), final sigma, titlecase dz;
        // the Deseret and fullwidth letters put a surrogate pair against a
        // code unit above it.
        const QStringList pieces{"a", "A", "s", "S", "k", "K", "i", "I", "0", "Z", ".", "_", " ", "ſ", "\u212A", "ß",
                                 "ẞ", "σ", "Σ", "ς", "İ", "ı", "ж", "Ж", "ǅ", "\U00010400", "\U00010428", "Ａ", "ｓ"};
        const QStringList starts{"", "Holiday_Kyoto_24_", "HOLIDAY_kyoto_24_"};
        QRandomGenerator rng(20240612);
        for (int round = 0; round < 40; ++round) {
            QTemporaryDir dir;
            QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
            // QTemporaryDir cannot remove what QDir cannot name.
            const QByteArray folder = QFile::encodeName(dir.path());
            const auto removeAll = qScopeGuard([&folder] { std::filesystem::remove_all(folder.toStdString()); });
            // Links point at entries made before (files, folders, FIFOs, links) or at nothing.
            QList<QByteArray> made{"nowhere"};
            // Up to 16 entries are sorted by insertion, which keeps ties in
            // place; larger folders show whether ties move as in QDir.
            for (int i = round < 5 ? round * 4 : int(rng.bounded(600)); i > 0; --i) {
                QString text = starts.at(round % 4 < 2 ? 0 : int(rng.bounded(3)));
                for (int n = int(rng.bounded(1, 5)); n > 0; --n)
                    text += pieces.at(rng.bounded(round % 2 ? 13 : int(pieces.size())));
                made.append((rng.bounded(10) ? "" : ".") + QFile::encodeName(text) + (rng.bounded(30) ? "" : "\xFF"));
                const QByteArray path = folder + '/' + made.last(), target = made.at(rng.bounded(int(made.size()) - 1));
                const int kind = int(rng.bounded(10));
                const int result = kind == 0 ? ::mkdir(path.constData(), 0755)
                                 : kind <= 2 ? ::symlink(target.constData(), path.constData())
                                             : ::mknod(path.constData(), (kind == 3 ? S_IFIFO : S_IFREG) | 0644, 0);
                QVERIFY(result == 0 || errno == EEXIST);
            }
            const QStringList listed = PkFolderLister::fileNames(dir.path());
            QCOMPARE(listed, QDir(dir.path()).entryList(QDir::Files));
            // Batches hold the same names; every third name alone stands as
            // in the whole listing, unless two of them tie.
            QStringList own;
            PkFolderLister::listInBatches(dir.path(), [&own](const PkFolderLister::Names &batch) {
                for (qsizetype i = 0; i < batch.size(); ++i)
                    PkFolderLister::decodeName(batch.at(i), own.emplaceBack());
            });
            std::vector<qint32> some, expected;
            for (qint32 p = 0; p < own.size(); p += 3)
                some.push_back(p);
            QStringList third, inOrder;
            for (const qint32 p : PkFolderLister::sortOrder(own)) {
                inOrder.append(own.at(p));
                if (p % 3 == 0) {
                    expected.push_back(p);
                    third.append(own.at(p).toLower());
                }
            }
            QCOMPARE(inOrder, listed);
            const bool ties = std::adjacent_find(third.begin(), third.end()) != third.end();
            QCOMPARE(PkFolderLister::sortOrder(own, some), ties ? std::nullopt : std::optional(expected));
        }
    }

    // The system's reason, cleared after a folder that could be read (one of
    // folders only); an empty path lists nothing, although the working folder
    // (the test's own) holds files.
    void errors()
    {
        const std::pair<QString, int> cases[] = {{"/proc/self/task", 0}, {"/proc/self/missing", ENOENT},
                                                 {"/proc/self/mem", ENOTDIR}, {"", 0}};
        for (const auto &[path, reason] : cases) {
            QString error = "left over";
            QCOMPARE(PkFolderLister::fileNames(path, &error), QStringList());
            QCOMPARE(error, reason ? qt_error_string(reason) : QString());
        }
    }
};

QTEST_GUILESS_MAIN(TestPkFolderLister)
#include "tst_pkfolderlister.moc"
