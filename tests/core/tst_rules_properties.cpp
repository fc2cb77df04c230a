// Generated inputs against the rules: random Unicode, huge texts, control
// characters, NUL, "..", very long folders, devices and pipes. Every check
// answers 0 or 1, the first failing check is the one the check table predicts,
// the texts are their parts joined by single blanks, and nothing blocks.
#include "filelookup.h"
#include "rules.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#  include <sys/stat.h>
#endif

using Rules::RunInputs;

namespace {

// The check table, written out independently of the library.
int predictedCheck(const QString &location, const RunInputs &in)
{
    static const QRegularExpression leadingNegative(QStringLiteral("^[ \\t]*-0*[1-9]"));
    static const QRegularExpression allDigits(QStringLiteral("\\A[0-9]+\\z"));
    auto chars = [](const QString &s) { return s.toUcs4().size(); };
    auto last4Upper = [&](const QString &s) {
        const QList<uint> u = s.toUcs4();
        const QList<uint> tail = u.mid(qMax<qsizetype>(0, u.size() - 4));
        return QString::fromUcs4(reinterpret_cast<const char32_t *>(tail.constData()), tail.size()).toUpper();
    };
    if (location.isEmpty() || FileLookup::fileName(location).toUpper() != QLatin1String("QUENLAR.EXE"))
        return 1;
    if (in.source.isEmpty())
        return 2;
    if (chars(in.source) < 5)
        return 3;
    if (last4Upper(in.source) != QLatin1String(".TGA"))
        return 4;
    if (FileLookup::fileName(in.source).isEmpty())
        return 5;
    if (in.baseName.isEmpty())
        return 6;
    if (chars(in.baseName) > 5)
        return 7;
    if (in.startIndex.isEmpty())
        return 8;
    // The expressions need valid UTF-16; a lone surrogate is no digit, sign or blank either way.
    const QList<uint> ucs4 = in.startIndex.toUcs4();
    const QString index = QString::fromUcs4(reinterpret_cast<const char32_t *>(ucs4.constData()), ucs4.size());
    if (leadingNegative.match(index).hasMatch())
        return 9;
    if (chars(in.startIndex) != 3)
        return 10;
    if (!allDigits.match(index).hasMatch())
        return 11;
    return 0;
}

class Generator
{
public:
    explicit Generator(quint32 seed) : rng(seed) {}

    int below(int n) { return int(rng.bounded(quint32(n))); }
    bool chance(int percent) { return below(100) < percent; }

    // Any UTF-16 code unit, lone surrogates and NUL included, with a bias
    // towards the characters the rules look at.
    QChar anyChar()
    {
        static const char16_t interesting[] = {u'0', u'9', u'5', u'-', u'+', u' ', u'\t', u'.',
                                               u'/', u'\\', u'*', u'?', u'T', u'g', u'a', u'\0',
                                               u'\n', 0x0661, 0xFF11, 0xD83D, 0xDE00, 0x00DF};
        switch (below(4)) {
        case 0: return QChar(interesting[below(int(std::size(interesting)))]);
        case 1: return QChar(char16_t(below(0x80)));
        case 2: return QChar(char16_t(below(0x10000)));
        default: return QChar(char16_t(u'0' + below(10)));
        }
    }

    QString text(int maxLength)
    {
        QString s;
        const int n = below(maxLength + 1);
        s.reserve(n);
        for (int i = 0; i < n; ++i)
            s += anyChar();
        return s;
    }

    QString pick(const QStringList &list) { return list.at(below(int(list.size()))); }

private:
    QRandomGenerator rng;
};

} // namespace

class TestRulesProperties : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QStringList paths; // existing and missing paths of every kind

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        auto touch = [&](const QString &name) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            paths << f.fileName();
        };
        touch(QStringLiteral("quenlar.exe"));
        touch(QStringLiteral("QUENLAR.EXE.tga"));
        touch(QStringLiteral("track.tga"));
        touch(QStringLiteral("a.TGA"));
        QDir(dir.path()).mkpath(QStringLiteral("sub/deeper"));
        paths << dir.filePath(QStringLiteral("sub/../quenlar.exe"))
              << dir.filePath(QStringLiteral("sub/deeper/../../track.tga"))
              << dir.filePath(QStringLiteral("sub")) << dir.filePath(QStringLiteral("missing.tga"))
              << dir.filePath(QStringLiteral("quenlar.exe/")) << dir.filePath(QStringLiteral("*.tga"))
              << QStringLiteral("/dev/zero") << QStringLiteral("/dev/null") << QStringLiteral("/dev/tty")
              << QStringLiteral("/proc/self/fd/0") << QStringLiteral("..") << QStringLiteral("../..");
        // A folder path longer than any the system takes.
        paths << QStringLiteral("/") + QStringLiteral("very-long-folder-name/").repeated(400)
                     + QStringLiteral("quenlar.exe");
#ifndef Q_OS_WIN
        for (const char *name : {"fifo.tga", "quenlar.exe.fifo", "Quenlar.exe"}) {
            const QString p = dir.filePath(QStringLiteral("pipes/") + QLatin1String(name));
            QDir().mkpath(QFileInfo(p).absolutePath());
            QCOMPARE(::mkfifo(QFile::encodeName(p).constData(), 0600), 0);
            paths << p;
        }
#endif
    }

    void generatedInputsKeepTheInvariants()
    {
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("seed %u", seed);
        Generator gen(seed);
        const QString huge(1 << 20, QLatin1Char('7'));
        const int rounds = 100000;
        QElapsedTimer slowest;
        qint64 worstNs = 0;
        int seen[Rules::CheckCount + 1] = {};
        for (int round = 0; round < rounds; ++round) {
            auto field = [&](int maxLength) -> QString {
                switch (gen.below(10)) {
                case 0: return gen.pick(paths);
                case 1: return gen.pick(paths) + gen.text(3);
                case 2: return QString();
                default: return gen.text(maxLength);
                }
            };
            // Often a valid tool and source, so the later checks are reached too.
            const QString location = gen.chance(50) ? paths.first() : field(12);
            RunInputs in;
            in.source = gen.chance(40) ? paths.at(2) : gen.chance(30) ? gen.pick(paths) : field(12);
            in.baseName = field(8);
            in.startIndex = gen.chance(50) ? gen.text(4) : field(5);
            in.wrapInternal = gen.chance(50);
            in.wrapHorizontal = gen.chance(50);
            in.wrapVertical = gen.chance(50);
            if (round % 5000 == 0) { // now and then a 1 MB text in every field
                in.source = huge + QStringLiteral(".tga");
                in.baseName = huge;
                in.startIndex = huge;
            }

            slowest.start();
            const int check = Rules::firstFailingCheck(location, in);
            const qint16 located = Rules::checkProgramLocation(location);
            worstNs = qMax(worstNs, slowest.nsecsElapsed());

            QVERIFY(check >= 0 && check <= Rules::CheckCount);
            ++seen[check];
            QVERIFY(located == 0 || located == 1);
            QCOMPARE(check == 1, located == 1);
            if (check != predictedCheck(location, in))
                QFAIL(qPrintable(QStringLiteral("round %1: check %2, table says %3; location %4, source %5, "
                                                "base %6, index %7")
                                     .arg(round).arg(check).arg(predictedCheck(location, in))
                                     .arg(location.left(80), in.source.left(80), in.baseName.left(80),
                                          in.startIndex.left(80))));

            const QString sw = Rules::switchString(in);
            QVERIFY(sw.isEmpty() || QRegularExpression(QStringLiteral("\\A/i?x?y?\\z")).match(sw).hasMatch());
            const QStringList parts{location, in.source, in.baseName, in.startIndex, sw};
            QCOMPARE(Rules::commandLineText(location, in), parts.join(QLatin1Char(' ')));
            QCOMPARE(Rules::statusText(in),
                     QStringList({QStringLiteral("Okay: Quenlar"), in.source, in.baseName,
                                  in.startIndex, sw}).join(QLatin1Char(' ')));
            QStringList args{in.source, in.baseName, in.startIndex};
            if (!sw.isEmpty())
                args << sw;
            QCOMPARE(Rules::toolArguments(in), args);
        }
        QString histogram;
        for (int c = 0; c <= Rules::CheckCount; ++c) {
            histogram += QStringLiteral(" %1:%2").arg(c).arg(seen[c]);
            QVERIFY2(seen[c] > 0, qPrintable(QStringLiteral("check %1 never reached").arg(c)));
        }
        qInfo("outcomes%s", qPrintable(histogram));
        // No input blocks the 10 ms monitor: not a pipe, not a device.
        QVERIFY2(worstNs < 200 * 1000 * 1000, qPrintable(QString::number(worstNs)));
    }
};

QTEST_APPLESS_MAIN(TestRulesProperties)
#include "tst_rules_properties.moc"
