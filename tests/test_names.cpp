// The names file: read with every kind of bad line, written and read back with any Unicode,
// and a save abandoned after its temporary file leaving the old file whole.
#include "history/names.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Problems = QList<names::Problem>;
using NameMap = QMap<int, QString>;
Q_DECLARE_METATYPE(names::Problem)

namespace {

names::Problem bad(int line, names::Fault fault) {
    return {line, fault};
}

NameMap toMap(const names::Names& n) {
    NameMap m;
    for (int i = 0; i <= 200; ++i)
        if (!n.name(i).isEmpty())
            m.insert(i, n.name(i));
    return m;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestNames : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void setName_data();
    void setName();
    void unicodeRoundTrip();
    void problemsAreDescribed();
    void missingFileIsNoNames();
    void abandonedSaveLeavesOldFileWhole();
    void unwritableSaveSaysSo();
    void loadNeverRewrites();
};

void TestNames::parse_data() {
    using F = names::Fault;
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<NameMap>("expected");
    QTest::addColumn<Problems>("problems");

    QTest::newRow("empty") << QByteArray() << NameMap{} << Problems{};
    QTest::newRow("header only") << QByteArray("input,name\n") << NameMap{} << Problems{};
    QTest::newRow("no header") << QByteArray("5,Blok 3 øst\n") << NameMap{{5, "Blok 3 øst"}}
                               << Problems{};
    QTest::newRow("header, CRLF, BOM, no final newline")
        << QByteArray("\xEF\xBB\xBFinput,name\r\n1,A\r\n2,B") << NameMap{{1, "A"}, {2, "B"}}
        << Problems{};
    QTest::newRow("blank lines skipped, numbering kept")
        << QByteArray("input,name\n\n  \n7,x\n0,y\n") << NameMap{{7, "x"}}
        << Problems{bad(5, F::OutOfRange)};
    QTest::newRow("input 1 and 160 at the limits")
        << QByteArray("1,first\n160,last\n") << NameMap{{1, "first"}, {160, "last"}} << Problems{};
    QTest::newRow("input 0 and 161 one step outside")
        << QByteArray("0,a\n161,b\n-1,c\n99999999999999999999,d\n") << NameMap{}
        << Problems{bad(1, F::OutOfRange), bad(2, F::OutOfRange), bad(3, F::OutOfRange),
                    bad(4, F::NotANumber)};
    QTest::newRow("not a number") << QByteArray("x,a\n1.5,b\n,c\n3,ok\n") << NameMap{{3, "ok"}}
                                  << Problems{bad(1, F::NotANumber), bad(2, F::NotANumber),
                                              bad(3, F::NotANumber)};
    QTest::newRow("duplicate: the first kept, each later one reported once")
        << QByteArray("4,first\n4,second\n 4 ,third\n") << NameMap{{4, "first"}}
        << Problems{bad(2, F::Duplicate), bad(3, F::Duplicate)};
    QTest::newRow("a refused line does not claim its input")
        << QByteArray("4,\"open\n4,ok\n") << NameMap{{4, "ok"}} << Problems{bad(1, F::BadQuotes)};
    QTest::newRow("field count") << QByteArray("9\n9,a,b\n9,\"a,b\"\n") << NameMap{{9, "a,b"}}
                                 << Problems{bad(1, F::FieldCount), bad(2, F::FieldCount)};
    QTest::newRow("quotes")
        << QByteArray("1,\"say \"\"hi\"\"\"\n2,\"open\n3,\"closed\"x\n4,mid\"dle\n5,\"\"\n")
        << NameMap{{1, "say \"hi\""}}
        << Problems{bad(2, F::BadQuotes), bad(3, F::BadQuotes), bad(4, F::BadQuotes)};
    QTest::newRow("bad UTF-8 on one line, the next kept")
        << QByteArray("1,ok\n2,\xC3\x28\n3,\xFF\n4,\xE2\x82\n5,æøå\n")
        << NameMap{{1, "ok"}, {5, "æøå"}}
        << Problems{bad(2, F::BadUtf8), bad(3, F::BadUtf8), bad(4, F::BadUtf8)};
    QTest::newRow("40 characters kept, 41 refused")
        << (QByteArray("1,") + QString(40, u'ø').toUtf8() + "\n2," + QString(41, u'a').toUtf8() +
            "\n")
        << NameMap{{1, QString(40, u'ø')}} << Problems{bad(2, F::TooLong)};
    QTest::newRow("40 characters outside the BMP kept")
        << (QByteArray("1,") + QString(40, u'x').toUtf8().replace("x", "\xF0\x9F\x9A\x82") + "\n")
        << NameMap{{1, QString::fromUtf8("\xF0\x9F\x9A\x82").repeated(40)}} << Problems{};
    QTest::newRow("decomposed letters count once")
        << (QByteArray("1,") + QByteArray(40, 'o').replace("o", "o\xCC\x88") + "\n")
        << NameMap{{1, QString(40, QChar(0xF6))}} << Problems{};
    QTest::newRow("control characters")
        << QByteArray("1,a\tb\n2,\"a\x01\"\n3,a\xE2\x80\xA8z\n4,fine\n") << NameMap{{4, "fine"}}
        << Problems{bad(1, F::ControlChar), bad(2, F::ControlChar), bad(3, F::ControlChar)};
    QTest::newRow("spaces trimmed, empty name is no name")
        << QByteArray("1,  Blok 1  \n2,\n3,\"   \"\n") << NameMap{{1, "Blok 1"}} << Problems{};
    // The leading ' that a save puts before a formula's first character is taken off again.
    QTest::newRow("formula guard taken off")
        << QByteArray("1,'=1+2\n2,'+x\n3,'-x\n4,'@x\n5,''=x\n6,'Blok\n7,'\n8,\"'=a,b\"\n")
        << NameMap{{1, "=1+2"}, {2, "+x"},    {3, "-x"}, {4, "@x"},
                   {5, "'=x"},  {6, "'Blok"}, {7, "'"},  {8, "=a,b"}}
        << Problems{};
    QTest::newRow("40 characters after the guard kept")
        << (QByteArray("1,'=") + QByteArray(39, 'a') + "\n2,'=" + QByteArray(40, 'a') + "\n")
        << NameMap{{1, u'=' + QString(39, u'a')}} << Problems{bad(2, F::TooLong)};
    QTest::newRow("header only on line 1")
        << QByteArray("1,a\ninput,name\n") << NameMap{{1, "a"}} << Problems{bad(2, F::NotANumber)};
}

void TestNames::parse() {
    QFETCH(QByteArray, text);
    QFETCH(NameMap, expected);
    QFETCH(Problems, problems);
    names::Names n;
    n.setName(77, QStringLiteral("left over"));
    Problems got;
    names::parse(text, n, &got);
    QCOMPARE(toMap(n), expected);
    QCOMPARE(got, problems);
}

void TestNames::setName_data() {
    QTest::addColumn<int>("input");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("input 1") << 1 << "a" << true;
    QTest::newRow("input 160") << 160 << "a" << true;
    QTest::newRow("input 0") << 0 << "a" << false;
    QTest::newRow("input 161") << 161 << "a" << false;
    QTest::newRow("39 characters") << 5 << QString(39, u'é') << true;
    QTest::newRow("40 characters") << 5 << QString(40, u'é') << true;
    QTest::newRow("41 characters") << 5 << QString(41, u'é') << false;
    QTest::newRow("line break") << 5 << "a\nb" << false;
}

void TestNames::setName() {
    QFETCH(int, input);
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    names::Names n;
    QCOMPARE(n.setName(input, name), accepted);
    QCOMPARE(n.name(input), accepted ? name : QString());
    QCOMPARE(n.count(), accepted ? 1 : 0);
}

void TestNames::unicodeRoundTrip() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("names.csv"));
    names::Names n;
    const QStringList samples = {
        QStringLiteral("Blok 3 øst"),
        QStringLiteral("Skyggebanegård spor 2"),
        QStringLiteral("say \"hi\", then go"),
        QStringLiteral("Ærø, Åbenrå"),
        QString::fromUtf8("\xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x9A\x82 Ελλάδα"),
        QStringLiteral("=1+2"),
    };
    for (int i = 0; i < samples.size(); ++i)
        QVERIFY(n.setName(1 + i * 31, samples[i]));
    // Written with the formula guard, read back without it.
    QVERIFY(n.setName(159, QStringLiteral("-")));
    QVERIFY(n.setName(160, QStringLiteral("'=1+2")));
    QString error;
    QVERIFY2(names::save(path, n, &error), qPrintable(error));
    names::Names back;
    Problems problems;
    QVERIFY(names::load(path, back, &problems, &error));
    QCOMPARE(problems, Problems{});
    QCOMPARE(toMap(back), toMap(n));
    QVERIFY(back == n);
    QVERIFY(readAll(path).startsWith("input,name\n1,Blok 3 øst\n32,Skyggebanegård spor 2\n"
                                     "63,\"say \"\"hi\"\", then go\"\n94,\"Ærø, Åbenrå\"\n"));
    QVERIFY(readAll(path).endsWith("\n156,'=1+2\n159,'-\n160,''=1+2\n"));
}

void TestNames::problemsAreDescribed() {
    QCOMPARE(names::describe({3, names::Fault::OutOfRange}),
             QStringLiteral("line 3: the input is outside 1..160"));
    QCOMPARE(names::beskriv({12, names::Fault::Duplicate}),
             QStringLiteral("linje 12: indgangen har navn på en tidligere linje"));
    QCOMPARE(names::beskriv({1, names::Fault::BadUtf8}), QStringLiteral("linje 1: ikke UTF-8"));
}

void TestNames::missingFileIsNoNames() {
    QTemporaryDir dir;
    names::Names n;
    n.setName(3, QStringLiteral("x"));
    Problems problems;
    QString error;
    QVERIFY(names::load(dir.filePath(QStringLiteral("none.csv")), n, &problems, &error));
    QVERIFY(n.isEmpty());
    QVERIFY(problems.isEmpty());
    // A directory where the file should be cannot be read, and says so.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("dir.csv")));
    QVERIFY(!names::load(dir.filePath(QStringLiteral("dir.csv")), n, &problems, &error));
    QVERIFY(!error.isEmpty());
}

void TestNames::abandonedSaveLeavesOldFileWhole() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("names.csv"));
    names::Names old;
    old.setName(1, QStringLiteral("gammel"));
    QString error;
    QVERIFY(names::save(path, old, &error));
    const QByteArray before = readAll(path);

    names::Names fresh;
    for (int i = 1; i <= 160; ++i)
        fresh.setName(i, QStringLiteral("ny %1").arg(i));
    bool oldWhileWriting = false;
    const bool saved = names::save(path, fresh, &error, [&] {
        // The new text is written in full, and the old file is still whole beside it.
        oldWhileWriting = readAll(path) == before;
        return false;
    });
    QVERIFY(!saved);
    QVERIFY(oldWhileWriting);
    QVERIFY(!error.isEmpty());
    QCOMPARE(readAll(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("names.csv")});
}

void TestNames::unwritableSaveSaysSo() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing/names.csv"));
    names::Names n;
    n.setName(1, QStringLiteral("a"));
    QString error;
    QVERIFY(!names::save(path, n, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(path));
}

void TestNames::loadNeverRewrites() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("names.csv"));
    const QByteArray text("1,ok\n0,bad\n1,dup\n2,\xFF\n");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    names::Names n;
    Problems problems;
    QString error;
    QVERIFY(names::load(path, n, &problems, &error));
    QCOMPARE(problems.size(), 3);
    QCOMPARE(toMap(n), (NameMap{{1, "ok"}}));
    QCOMPARE(readAll(path), text);
}

QTEST_GUILESS_MAIN(TestNames)
#include "test_names.moc"
