// One program per application folder: a second start while the first runs is refused; a lock
// left by a killed program does not block the next start.

#include "screens/common/Instance.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <sys/stat.h>

namespace {

// This executable, started again, holds the folder's lock until it is killed.
struct Detenteur {
    QProcess p;
    explicit Detenteur(const QString& dossier) {
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--tenir"), dossier});
    }
    QByteArray reponse() {
        if (!p.waitForReadyRead(10000))
            return {};
        return p.readLine().trimmed();
    }
    ~Detenteur() {
        p.kill();
        p.waitForFinished();
    }
};

} // namespace

class TestInstance : public QObject {
    Q_OBJECT

private slots:
    void premierDemarrage() {
        QTemporaryDir d;
        const InstanceUnique premiere(d.path());
        QVERIFY(premiere.acquise());
        QVERIFY(QFile::exists(d.filePath(InstanceUnique::nomFichier())));
        const InstanceUnique seconde(d.path());
        QVERIFY(!seconde.acquise());
        QCOMPARE(seconde.refus(), InstanceUnique::message());
        QVERIFY(InstanceUnique::message().startsWith(QStringLiteral("Cassetron est déjà ouvert")));
    }

    void autreProgramme_data() {
        QTest::addColumn<bool>("tuer");
        QTest::newRow("le premier tourne") << false;
        QTest::newRow("le premier a été tué") << true;
    }

    void autreProgramme() {
        QFETCH(bool, tuer);
        QTemporaryDir d;
        Detenteur premier(d.path());
        QCOMPARE(premier.reponse(), QByteArray("tenu"));
        if (tuer) {
            premier.p.kill(); // SIGKILL: the lock file stays behind
            QVERIFY(premier.p.waitForFinished());
            QVERIFY(QFile::exists(d.filePath(InstanceUnique::nomFichier())));
        }
        const InstanceUnique second(d.path());
        QCOMPARE(second.acquise(), tuer);
        // Released at the end: the next start gets the folder.
        if (tuer) {
            Detenteur suivant(d.path());
            QCOMPARE(suivant.reponse(), QByteArray("refuse"));
        }
    }

    // A lock nobody live holds never bars the folder: empty, garbage, written on another machine
    // (a catalogue on a USB stick after a crash), naming another program, or not a file at all.
    void verrouOrphelin_data() {
        QTest::addColumn<QString>("cas");
        QTest::newRow("vide") << "vide";
        QTest::newRow("illisible") << "illisible";
        QTest::newRow("autre machine") << "autre machine";
        QTest::newRow("autre programme vivant") << "autre programme";
        QTest::newRow("tube nommé") << "tube";
        QTest::newRow("lien cassé") << "lien";
    }

    void verrouOrphelin() {
        QFETCH(QString, cas);
        QTemporaryDir d;
        const QString verrou = d.filePath(InstanceUnique::nomFichier());
        QProcess autre;
        QByteArray contenu;
        static const char illisible[] = "\xff\xfe garbage\n\0\x01";
        if (cas == "illisible")
            contenu = QByteArray(illisible, sizeof illisible - 1);
        else if (cas == "autre machine")
            contenu = QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
                      QCoreApplication::applicationName().toUtf8() + "\nune-autre-machine\n";
        else if (cas == "autre programme") {
            autre.start(QStringLiteral("sleep"), {QStringLiteral("60")});
            QVERIFY(autre.waitForStarted());
            contenu = QByteArray::number(autre.processId()) + '\n' +
                      QCoreApplication::applicationName().toUtf8() + '\n' +
                      QSysInfo::machineHostName().toUtf8() + '\n';
        }
        if (cas == "tube")
            QCOMPARE(::mkfifo(QFile::encodeName(verrou).constData(), 0644), 0);
        else if (cas == "lien")
            QVERIFY(QFile::link(d.filePath(QStringLiteral("absent")), verrou));
        else {
            QFile f(verrou);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(contenu);
        }
        {
            const InstanceUnique instance(d.path());
            QVERIFY(instance.acquise());
            // Now really held: a second program is refused.
            Detenteur second(d.path());
            QCOMPARE(second.reponse(), QByteArray("refuse"));
        }
        autre.kill();
        autre.waitForFinished();
    }

    // A folder in the lock's place cannot be taken over: the user is told which one it is.
    void dossierALaPlaceDuVerrou() {
        QTemporaryDir d;
        QVERIFY(QDir(d.path()).mkdir(InstanceUnique::nomFichier()));
        const InstanceUnique instance(d.path());
        QVERIFY(!instance.acquise());
        QVERIFY2(
            instance.refus().contains(QDir::toNativeSeparators(d.filePath(InstanceUnique::nomFichier()))),
            qPrintable(instance.refus()));
        QVERIFY(instance.refus().contains(QStringLiteral("dossier")));
    }

    // Where no lock can be written, the program still starts (and says elsewhere why nothing can be
    // saved): a refusal would lock the user out of a catalogue on a read-only medium.
    void dossierSansVerrou() {
        QTemporaryDir d;
        QFile f(d.filePath(QStringLiteral("pas-un-dossier")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(InstanceUnique(f.fileName()).acquise());
    }
};

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--tenir") == 0) {
        QCoreApplication app(argc, argv);
        const InstanceUnique instance(QString::fromLocal8Bit(argv[2]));
        std::puts(instance.acquise() ? "tenu" : "refuse");
        std::fflush(stdout);
        QThread::sleep(120);
        return 0;
    }
    QApplication app(argc, argv);
    TestInstance t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_instance.moc"
