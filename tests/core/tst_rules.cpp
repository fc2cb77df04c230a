// The rules of a run: switch text, the two command-line texts, the tool's
// argument list, the number readings, the file-name lookup, the eleven checks
// and what the source image's header tells.
#include "filelookup.h"
#include "rules.h"
#include "testfiles.h"
#include "tgaheader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#  include <sys/stat.h>
#else
#  include <QElapsedTimer>
#  include <qt_windows.h>
#endif

using Rules::RunInputs;

class TestRules : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString tool;    // an existing quenlar.exe
    QString source;  // an existing track.tga

    QString touch(const QString &name)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot create %s", qPrintable(path));
        return path;
    }
    RunInputs goodInputs() const
    {
        RunInputs in;
        in.source = source;
        in.baseName = QStringLiteral("trk");
        in.startIndex = QStringLiteral("000");
        return in;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        tool = touch(QStringLiteral("quenlar.exe"));
        source = touch(QStringLiteral("track.tga"));
    }

    void switchString_data()
    {
        QTest::addColumn<bool>("i");
        QTest::addColumn<bool>("x");
        QTest::addColumn<bool>("y");
        QTest::addColumn<QString>("expected");
        QTest::newRow("none") << false << false << false << "";
        QTest::newRow("i") << true << false << false << "/i";
        QTest::newRow("x") << false << true << false << "/x";
        QTest::newRow("y") << false << false << true << "/y";
        QTest::newRow("ix") << true << true << false << "/ix";
        QTest::newRow("iy") << true << false << true << "/iy";
        QTest::newRow("xy") << false << true << true << "/xy";
        QTest::newRow("ixy") << true << true << true << "/ixy";
    }
    void switchString()
    {
        QFETCH(bool, i);
        QFETCH(bool, x);
        QFETCH(bool, y);
        QFETCH(QString, expected);
        QCOMPARE(Rules::switchString(i, x, y), expected);
    }

    void workedExamples_data()
    {
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("ticked");
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("status");
        const QString tool = QStringLiteral("C:\\TOOLS\\Quenlar.exe");
        QTest::newRow("no switch, trailing blank")
            << tool << "track.tga" << "trk" << "000" << ""
            << "C:\\TOOLS\\Quenlar.exe track.tga trk 000 " << "Okay: Quenlar track.tga trk 000 ";
        QTest::newRow("y then i gives /iy")
            << tool << "track.tga" << "trk" << "120" << "yi"
            << "C:\\TOOLS\\Quenlar.exe track.tga trk 120 /iy" << "Okay: Quenlar track.tga trk 120 /iy";
        QTest::newRow("all three")
            << tool << "C:\\IMG\\ground.tga" << "gr" << "005" << "ixy"
            << "C:\\TOOLS\\Quenlar.exe C:\\IMG\\ground.tga gr 005 /ixy"
            << "Okay: Quenlar C:\\IMG\\ground.tga gr 005 /ixy";
        QTest::newRow("empty parts keep their blanks")
            << tool << "" << "" << "000" << "x"
            << "C:\\TOOLS\\Quenlar.exe   000 /x" << "Okay: Quenlar   000 /x";
        QTest::newRow("start inputs")
            << tool << "" << "" << "000" << ""
            << "C:\\TOOLS\\Quenlar.exe   000 " << "Okay: Quenlar   000 ";
        QTest::newRow("blanks are not quoted or trimmed")
            << "/opt/my tools/quenlar.exe" << " my track.tga" << "a b " << "000" << "i"
            << "/opt/my tools/quenlar.exe  my track.tga a b  000 /i"
            << "Okay: Quenlar  my track.tga a b  000 /i";
    }
    void workedExamples()
    {
        QFETCH(QString, location);
        QFETCH(QString, source);
        QFETCH(QString, base);
        QFETCH(QString, index);
        QFETCH(QString, ticked);
        QFETCH(QString, commandLine);
        QFETCH(QString, status);
        RunInputs in;
        in.source = source;
        in.baseName = base;
        in.startIndex = index;
        in.wrapInternal = ticked.contains(QLatin1Char('i'));
        in.wrapHorizontal = ticked.contains(QLatin1Char('x'));
        in.wrapVertical = ticked.contains(QLatin1Char('y'));
        QCOMPARE(Rules::commandLineText(location, in), commandLine);
        QCOMPARE(Rules::statusText(in), status);
    }

    void toolArgumentsKeepEachTextWhole()
    {
        RunInputs in;
        in.source = QStringLiteral("/img/my track.tga");
        in.baseName = QStringLiteral("a b");
        in.startIndex = QStringLiteral("007");
        QCOMPARE(Rules::toolArguments(in),
                 QStringList({"/img/my track.tga", "a b", "007"}));
        in.wrapVertical = true;
        in.wrapInternal = true;
        QCOMPARE(Rules::toolArguments(in),
                 QStringList({"/img/my track.tga", "a b", "007", "/iy"}));
        // Empty texts are still arguments of their own.
        QCOMPARE(Rules::toolArguments(RunInputs()), QStringList({"", "", ""}));
    }

    void leadingNumberValue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("value");
        QTest::newRow("empty") << "" << qint64(0);
        QTest::newRow("plain") << "120" << qint64(120);
        QTest::newRow("negative") << "-5" << qint64(-5);
        QTest::newRow("negative with zeros") << "-01" << qint64(-1);
        QTest::newRow("minus zero") << "-00" << qint64(0);
        QTest::newRow("plus sign") << "+12" << qint64(12);
        QTest::newRow("leading blanks") << "  12" << qint64(12);
        QTest::newRow("leading tab") << "\t-3" << qint64(-3);
        QTest::newRow("blank after sign ends it") << "- 5" << qint64(0);
        QTest::newRow("letters end it") << "4a2" << qint64(4);
        QTest::newRow("no number") << "abc" << qint64(0);
        QTest::newRow("decimal point ends it") << "1.5" << qint64(1);
        QTest::newRow("other script digits") << QString::fromUtf8("\u0661\u0662\u0663") << qint64(0);
        QTest::newRow("saturates") << QString(400, QLatin1Char('9'))
                                   << std::numeric_limits<qint64>::max();
        QTest::newRow("saturates negative") << QLatin1Char('-') + QString(400, QLatin1Char('9'))
                                            << -std::numeric_limits<qint64>::max();
    }
    void leadingNumberValue()
    {
        QFETCH(QString, text);
        QFETCH(qint64, value);
        QCOMPARE(Rules::leadingNumberValue(text), value);
    }

    void numericTest_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("numeric");
        QTest::newRow("000") << "000" << true;
        QTest::newRow("120") << "120" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("decimal") << "1.5" << false;
        QTest::newRow("sign") << "+12" << false;
        QTest::newRow("minus zero") << "-00" << false;
        QTest::newRow("leading blank") << " 12" << false;
        QTest::newRow("trailing blank") << "12 " << false;
        QTest::newRow("exponent") << "1e3" << false;
        QTest::newRow("hex") << "0x1" << false;
        QTest::newRow("arabic-indic digits") << QString::fromUtf8("\u0661\u0662\u0663") << false;
        QTest::newRow("fullwidth digits") << QString::fromUtf8("\uFF11\uFF12\uFF13") << false;
    }
    void numericTest()
    {
        QFETCH(QString, text);
        QFETCH(bool, numeric);
        QCOMPARE(Rules::isNumeric(text), numeric);
    }

    void characterCounting()
    {
        const QString smile = QString::fromUtf8("\U0001F600");
        QCOMPARE(Rules::characterCount(smile.repeated(5)), 5);
        QCOMPARE(Rules::lastCharacters(QStringLiteral("a") + smile + QStringLiteral(".tga"), 4),
                 QStringLiteral(".tga"));
        QCOMPARE(Rules::lastCharacters(QStringLiteral("ab") + smile, 2), QStringLiteral("b") + smile);
        QCOMPARE(Rules::lastCharacters(QStringLiteral("ab"), 4), QStringLiteral("ab"));
    }

    void startIndexTable_data()
    {
        QTest::addColumn<QString>("index");
        QTest::addColumn<int>("check");
        QTest::newRow("empty") << "" << 8;
        QTest::newRow("-5") << "-5" << 9;
        QTest::newRow("-01") << "-01" << 9;
        QTest::newRow("12") << "12" << 10;
        QTest::newRow("1234") << "1234" << 10;
        QTest::newRow("abc") << "abc" << 11;
        QTest::newRow("4a2") << "4a2" << 11;
        QTest::newRow("000") << "000" << 0;
        QTest::newRow("007") << "007" << 0;
        QTest::newRow("120") << "120" << 0;
        QTest::newRow("1.5") << "1.5" << 11;
        QTest::newRow("+12") << "+12" << 11;
        QTest::newRow(" 12") << " 12" << 11;
        QTest::newRow("-00") << "-00" << 11;
        QTest::newRow("-1234 is negative first") << "-1234" << 9;
        QTest::newRow("three blanks") << "   " << 11;
    }
    void startIndexTable()
    {
        QFETCH(QString, index);
        QFETCH(int, check);
        RunInputs in = goodInputs();
        in.startIndex = index;
        QCOMPARE(Rules::firstFailingCheck(tool, in), check);
    }

    void sourceChecks_data()
    {
        QTest::addColumn<QString>("name");   // created in the temporary folder when it ends in "+"
        QTest::addColumn<int>("check");
        QTest::newRow("empty") << "" << 2;
        QTest::newRow("four characters") << ".tga" << 3;
        QTest::newRow("five characters, existing") << "a.tga+" << 0;
        QTest::newRow("upper case") << "TRACK.TGA+" << 0;
        QTest::newRow("mixed case") << "Track.Tga+" << 0;
        QTest::newRow("targa") << "track.targa+" << 4;
        QTest::newRow("tg") << "track.tg" << 4;
        QTest::newRow("missing") << "missing.tga" << 5;
        QTest::newRow("folder") << "folder.tga/" << 5;
    }
    void sourceChecks()
    {
        QFETCH(QString, name);
        QFETCH(int, check);
        RunInputs in = goodInputs();
        if (name.endsWith(QLatin1Char('+'))) {
            name.chop(1);
            touch(name);
        }
        if (name.endsWith(QLatin1Char('/'))) {
            name.chop(1);
            QVERIFY(QDir(dir.path()).mkpath(name));
        }
        in.source = name;
        const QString before = QDir::currentPath();
        QDir::setCurrent(dir.path()); // a text without a folder is looked up in the current folder
        const int failed = Rules::firstFailingCheck(tool, in);
        QDir::setCurrent(before);
        QCOMPARE(failed, check);
    }

    void baseNameChecks()
    {
        RunInputs in = goodInputs();
        in.baseName = QString();
        QCOMPARE(Rules::firstFailingCheck(tool, in), 6);
        in.baseName = QStringLiteral("abcde");
        QCOMPARE(Rules::firstFailingCheck(tool, in), 0);
        in.baseName = QStringLiteral("abcdef");
        QCOMPARE(Rules::firstFailingCheck(tool, in), 7);
        in.baseName = QStringLiteral("     "); // blanks are not empty
        QCOMPARE(Rules::firstFailingCheck(tool, in), 0);
        in.baseName = QString::fromUtf8("\U0001F600").repeated(5); // five characters
        QCOMPARE(Rules::firstFailingCheck(tool, in), 0);
        in.baseName = QString::fromUtf8("\u00e9t\u00e9s\u00f8x");
        QCOMPARE(Rules::firstFailingCheck(tool, in), 7);
    }

    void onlyTheFirstFailureInTableOrderCounts()
    {
        RunInputs bad;
        bad.source = QStringLiteral("x");
        bad.baseName = QStringLiteral("toolongname");
        bad.startIndex = QStringLiteral("-5");
        QCOMPARE(Rules::firstFailingCheck(QString(), bad), 1);
        QCOMPARE(Rules::firstFailingCheck(tool, bad), 3);
        bad.source = source;
        QCOMPARE(Rules::firstFailingCheck(tool, bad), 7);
        bad.baseName = QStringLiteral("ok");
        QCOMPARE(Rules::firstFailingCheck(tool, bad), 9);
        bad.startIndex = QString();
        bad.baseName = QString();
        QCOMPARE(Rules::firstFailingCheck(tool, bad), 6);
    }

    void messagesPagesAndFocus()
    {
        RunInputs in;
        in.source = QStringLiteral("track.tga");
        const QStringList messages{
            "Quenlar.exe Not Found", "No Source File", "Invalid Source File Name",
            "Source File Must Be *.TGA", "track.tga does not exist", "No Base File Name",
            "Base File Name Cannot Exceed 5 Characters", "No Start Index",
            "Start Index Must Be A Positive Value", "Start Index Must Be 3 Digits",
            "Start Index Must Be An Integer"};
        const QStringList focus{"cmdOpenQuenlar", "cmdOpenSource", "cmdOpenSource",
                                "cmdOpenSource", "cmdOpenSource", "txtBaseFileName",
                                "txtBaseFileName", "txtStartIndex", "txtStartIndex",
                                "txtStartIndex", "txtStartIndex"};
        for (int check = 1; check <= Rules::CheckCount; ++check) {
            QCOMPARE(Rules::checkMessage(check, in), messages[check - 1]);
            QCOMPARE(QString::fromLatin1(Rules::checkFocusControl(check)), focus[check - 1]);
            QCOMPARE(Rules::checkPage(check), check == 1 ? 1 : 0);
        }
        QCOMPARE(Rules::checkFocusControl(0), nullptr);
    }

    void toolLocation_data()
    {
        QTest::addColumn<QString>("location");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("stored");
        QTest::newRow("empty") << "" << 1 << "";
        QTest::newRow("lower case") << "quenlar.exe" << 0 << "quenlar.exe";
        QTest::newRow("other name") << "track.tga" << 1 << "track.tga";
        QTest::newRow("missing") << "nothere/quenlar.exe" << 1 << "";
        QTest::newRow("trailing slash") << "quenlar.exe/" << 1 << "";
        QTest::newRow("wildcard is literal") << "q*.exe" << 1 << "";
        QTest::newRow("dot dot") << "sub/../quenlar.exe" << 0 << "quenlar.exe";
        QTest::newRow("embedded NUL") << QStringLiteral("quenlar.exe") + QChar(0) << 1 << "";
    }
    void toolLocation()
    {
        QFETCH(QString, location);
        QFETCH(int, status);
        QFETCH(QString, stored);
        QDir(dir.path()).mkpath(QStringLiteral("sub"));
        const QString before = QDir::currentPath();
        QDir::setCurrent(dir.path());
        const int got = Rules::checkProgramLocation(location);
        const QString name = FileLookup::fileName(location);
        QDir::setCurrent(before);
        QCOMPARE(got, status);
        QCOMPARE(name, stored);
    }

    void toolNameIsComparedInAnyCase()
    {
        for (const char *name : {"Quenlar.exe", "QUENLAR.EXE", "qUeNlAr.ExE"}) {
            QTemporaryDir other;
            const QString path = other.filePath(QLatin1String(name));
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.close();
            QCOMPARE(Rules::checkProgramLocation(path), qint16(0));
            QCOMPARE(FileLookup::fileName(path), QLatin1String(name));
        }
    }

    void lookupTakesOnlyOrdinaryFiles()
    {
        QTemporaryDir other;
        QVERIFY(QDir(other.path()).mkpath(QStringLiteral("quenlar.exe")));
        QCOMPARE(Rules::checkProgramLocation(other.filePath(QStringLiteral("quenlar.exe"))), qint16(1));
#ifndef Q_OS_WIN
        // A link to the tool counts under the link's name; a dangling one does not.
        QVERIFY(QFile::link(tool, other.filePath(QStringLiteral("Quenlar.EXE"))));
        QCOMPARE(FileLookup::fileName(other.filePath(QStringLiteral("Quenlar.EXE"))),
                 QStringLiteral("Quenlar.EXE"));
        QVERIFY(QFile::link(other.filePath(QStringLiteral("gone")), other.filePath(QStringLiteral("dangling.exe"))));
        QCOMPARE(FileLookup::fileName(other.filePath(QStringLiteral("dangling.exe"))), QString());
        // Devices and pipes are no files, and looking at them never blocks.
        const QByteArray fifo = QFile::encodeName(other.filePath(QStringLiteral("fifo.tga")));
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        QCOMPARE(FileLookup::fileName(QString::fromLocal8Bit(fifo)), QString());
        QCOMPARE(FileLookup::fileName(QStringLiteral("/dev/zero")), QString());
        QCOMPARE(FileLookup::fileName(QStringLiteral("/dev/null")), QString());
        // A file really called "*.tga" is found under that name.
        QFile star(other.filePath(QStringLiteral("*.tga")));
        QVERIFY(star.open(QIODevice::WriteOnly));
        star.close();
        QCOMPARE(FileLookup::fileName(other.filePath(QStringLiteral("*.tga"))), QStringLiteral("*.tga"));
        QCOMPARE(FileLookup::fileName(other.filePath(QStringLiteral("*.exe"))), QString());
#else
        // Wildcards are never expanded, though a file would match them.
        const QString folder = QFileInfo(tool).absolutePath();
        for (const char *pattern : {"quenl*.exe", "quenla?.exe", "*", "quenlar.ex?"})
            QCOMPARE(Rules::checkProgramLocation(folder + QLatin1Char('/') + QLatin1String(pattern)), qint16(1));
        QCOMPARE(FileLookup::fileName(folder + QStringLiteral("/*.tga")), QString());
        // A drive that is not there: not found at once, with no system box
        // asking for a disk, and the thread's error mode as it was.
        QVERIFY(!QFileInfo::exists(QStringLiteral("Q:/")));
        const UINT modeBefore = GetThreadErrorMode();
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(Rules::checkProgramLocation(QStringLiteral("Q:\\tools\\quenlar.exe")), qint16(1));
        QCOMPARE(FileLookup::fileName(QStringLiteral("Q:\\tools\\quenlar.exe")), QString());
        QVERIFY(clock.elapsed() < 2000);
        QCOMPARE(GetThreadErrorMode(), modeBefore);
#endif
    }

    void oddTextsNeverCrash()
    {
        const QString huge(1 << 20, QLatin1Char('a'));
        QString control;
        for (ushort c = 1; c < 32; ++c)
            control += QChar(c);
        const QStringList texts{huge, control, huge + QStringLiteral(".tga"),
                                QString::fromUtf8("\u00fc\u4e2d\U0001F600.tga"),
                                QString(QChar(0xD800)) /* lone surrogate */,
                                QString(4096, QLatin1Char('/')) + QStringLiteral("quenlar.exe")};
        for (const QString &t : texts) {
            RunInputs in;
            in.source = t;
            in.baseName = t;
            in.startIndex = t;
            const int check = Rules::firstFailingCheck(t, in);
            QVERIFY(check >= 1 && check <= Rules::CheckCount);
            QCOMPARE(Rules::statusText(in).size(),
                     QStringLiteral("Okay: Quenlar").size() + 3 * t.size() + 4);
            (void)Rules::leadingNumberValue(t);
        }
    }

    // The header of a source image beside what the tool takes, and what the
    // user reads of it: one sentence per fault, naming the file.
    void sourceImageHeaders_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("problems");
        const QString rle = QStringLiteral("t.tga is RLE-compressed: save it again without RLE compression");
        const QString alpha = QStringLiteral("t.tga has 32 bits per pixel (an alpha channel): save it as 24-bit");
        QTest::newRow("24-bit, 60 x 60") << tgaImage() << QStringList();
        QTest::newRow("24-bit, 240 x 180, image id") << tgaImage(2, 24, 240, 180).insert(18, "id").replace(0, 1, "\2")
                                                     << QStringList();
        QTest::newRow("RLE") << tgaImage(10) << QStringList{rle};
        QTest::newRow("32-bit") << tgaImage(2, 32) << QStringList{alpha};
        QTest::newRow("16-bit") << tgaImage(2, 16) << QStringList{"t.tga has 16 bits per pixel: save it as 24-bit"};
        QTest::newRow("colour-mapped") << tgaImage(1, 8)
            << QStringList{"t.tga is a colour-mapped image (it has a palette): save it as 24-bit true colour"};
        QTest::newRow("greyscale, RLE") << tgaImage(11, 8)
            << QStringList{"t.tga is a greyscale image: save it as 24-bit colour"};
        QTest::newRow("250 x 180") << tgaImage(2, 24, 250, 180)
            << QStringList{"t.tga is 250 x 180 pixels: width and height must be multiples of 60, for example 240 x 180"};
        QTest::newRow("all at once, sides below 60") << tgaImage(10, 32, 20, 100)
            << QStringList{rle, alpha, "t.tga is 20 x 100 pixels: width and height must be multiples of 60, "
                                       "for example 60 x 120"};
        QTest::newRow("pixels cut short") << tgaImage().chopped(1)
            << QStringList{"t.tga is cut short: it ends before the pixels its header announces. Save it again"};
        QTest::newRow("header cut short") << tgaImage().left(17)
            << QStringList{"t.tga is too short to be a TGA image: save it again"};
        const QString notTga = QStringLiteral("t.tga is not a TGA image: save it as a 24-bit uncompressed TGA");
        QTest::newRow("PNG") << QByteArray("\x89PNG\r\n\x1a\n").append(100, 'x') << QStringList{notTga};
        QTest::newRow("no image data") << tgaImage(0) << QStringList{notTga};
        QTest::newRow("zero width") << tgaImage(2, 24, 0, 60) << QStringList{notTga};
    }
    void sourceImageHeaders()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, problems);
        const QString file = putFile(dir.filePath(QStringLiteral("header/t.tga")), bytes);
        bool readable = false;
        QString error;
        const TgaHeader::Info info = TgaHeader::readFile(file, &readable, &error);
        QVERIFY(readable);
        QCOMPARE(TgaHeader::problems(info, QStringLiteral("t.tga")), problems);
    }
};

QTEST_APPLESS_MAIN(TestRules)
#include "tst_rules.moc"
