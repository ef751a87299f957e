// The counts' store in its file: texts kept exactly, the file's layout, refused writes, and
// sending the counts after start-up found the file damaged, unwritable or holding a text
// longer than a count box, up to 100 MB; a large file of junk read and rewritten as QSettings
// would, its damage told once; a settings path that is no file neither read nor written.

#include "state/platformerror.h"
#include "state/settingsstore.h"
#include "state/viewsettings.h"
#include "support/formsupport.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSettings>
#include <QTest>
#include <memory>

namespace {

using namespace fixed;

const QString kAbsent = QStringLiteral("<absent>");

// The counts of the three chains and of `other` as a fresh store reads them from a copy of
// `file`, so that they come from the file and not from what the settings layer still holds
// of the file it wrote. Leaves the settings pointed at the copy's directory, gone by then.
QStringList countsInFile(const QString& file, const QString& other = QString()) {
    const QTemporaryDir copy;
    QFile::copy(file, copy.filePath(kSettingsFile));
    SettingsDirectory::use(copy.path());
    QtSettingsStore reader;
    QStringList counts;
    for (const QString& section : other.isNull() ? kSections : kSections + QStringList{other})
        counts << reader.GetSetting(kApp, section, QStringLiteral("Antal"), kAbsent);
    return counts;
}

enum class WriteBlock { FileIsDirectory, DirectoryUnderFile, ReadOnlyDirectory };

// Comment lines of `bytes` bytes in all (at least 2).
QByteArray filler(qsizetype bytes) {
    QByteArray lines;
    while (bytes > 0) {
        const qsizetype line = bytes > 2000 ? 1000 : bytes;
        lines += ';' + QByteArray(line - 2, 'c') + '\n';
        bytes -= line;
    }
    return lines;
}

// `count` sections of one key each, as a junk file has them.
QByteArray junkSections(int count) {
    QByteArray sections;
    for (int i = 0; i < count; ++i)
        sections += "[Junk" + QByteArray::number(i) + "]\nAntal=" + QByteArray::number(i) + '\n';
    return sections;
}

// A file of `count` lines over 64 KB: the Left count, then comments.
QByteArray linesFile(int count) {
    QByteArray lines = "[S88Left]\nAntal=7\n";
    for (int i = 2; i < count; ++i)
        lines += ';' + QByteArray(18, 'c') + '\n';
    return lines;
}

QByteArray counts(const QByteArray& left, const QByteArray& mid, const QByteArray& right) {
    return "[S88Left]\nAntal=" + left + "\n[S88Mid]\nAntal=" + mid +
           "\n[S88Right]\nAntal=" + right + '\n';
}

QByteArray contents(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The store's lines on standard error.
QStringList toldLines(const CapturedStderr& err) {
    QStringList told;
    for (const QString& line : err.lines()) {
        if (line.startsWith(QLatin1String("s88monitor: ")))
            told << line;
    }
    return told;
}

} // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void storeKeepsTextExactly_data();
    void storeKeepsTextExactly();
    void keysLayoutInFile();
    void failedWriteThrows_data();
    void failedWriteThrows();
    void countsSentAfterDamagedFile_data();
    void countsSentAfterDamagedFile();
    void textLongerThanTheBox_data();
    void textLongerThanTheBox();
    void viewSettingsRead_data();
    void viewSettingsRead();
    void viewSettingsStoredBesideCounts();
    void largeFileRead_data();
    void largeFileRead();
    void keysBeyondTheProgramsOwn_data();
    void keysBeyondTheProgramsOwn();
    void rewriteKeepsOtherBytes_data();
    void rewriteKeepsOtherBytes();
    void escapedKeyRewrittenInPlace();
    void settingsPathNotAFile_data();
    void settingsPathNotAFile();

private:
    std::unique_ptr<SettingsDirectory> m_dir;
};

void TestSettingsStore::init() {
    m_dir = std::make_unique<SettingsDirectory>();
    QVERIFY(m_dir->isValid());
}

void TestSettingsStore::cleanup() {
    m_dir.reset();
}

void TestSettingsStore::storeKeepsTextExactly_data() {
    QTest::addColumn<QString>("text");

    QTest::newRow("digits") << "2";
    QTest::newRow("Danish letters") << "æøå ÆØÅ";
    QTest::newRow("blanks kept at both ends") << "  2 5 ";
    QTest::newRow("empty text") << "";
    QTest::newRow("Ingen") << "Ingen";
    QTest::newRow("comma") << "1,5";
    QTest::newRow("semicolon") << "1;2";
    QTest::newRow("equals sign and hash") << "a=b #c";
    QTest::newRow("section brackets") << "[S88Mid]";
    QTest::newRow("backslash and quotes") << "\\\"'";
    QTest::newRow("at sign in front") << "@Variant(x)";
    QTest::newRow("tab and line feed") << "1\t2\n3";
    QTest::newRow("outside the basic plane") << QStringLiteral("\U0001F600");
    QTest::newRow("a megabyte of text") << megabyteText();
}

void TestSettingsStore::storeKeepsTextExactly() {
    QFETCH(QString, text);
    QtSettingsStore writer;
    const QString count = QStringLiteral("Antal");
    writer.SaveSetting(kApp, QStringLiteral("S88Left"), count, text);
    writer.SaveSetting(kApp, QStringLiteral("S88Mid"), count, QStringLiteral("mid"));
    writer.SaveSetting(kApp, QStringLiteral("S88Right"), count, QStringLiteral("right"));

    // Read back up to 256 characters, enough to tell a text longer than a count box apart...
    QCOMPARE(countsInFile(m_dir->settingsFile(), QStringLiteral("S88Other")),
             (QStringList{text.left(256), "mid", "right", kAbsent}));
    // ... and kept in the file whole.
    const QString whole =
        QSettings(m_dir->settingsFile(), QSettings::IniFormat).value("S88Left/Antal").toString();
    QCOMPARE(whole.size(), text.size());
    QVERIFY(whole == text);
}

void TestSettingsStore::keysLayoutInFile() {
    // Another run of the program, or an older version of it, finds the counts under these
    // names; check the file itself rather than only reading back through the same code.
    QtSettingsStore settings;
    const QString count = QStringLiteral("Antal");
    settings.SaveSetting(kApp, QStringLiteral("S88Left"), count, QStringLiteral("2"));
    settings.SaveSetting(kApp, QStringLiteral("S88Mid"), count, QStringLiteral("0"));
    settings.SaveSetting(kApp, QStringLiteral("S88Right"), count, QStringLiteral("1"));

    QSettings file(m_dir->settingsFile(), QSettings::IniFormat);
    QCOMPARE(file.value(QStringLiteral("S88Left/Antal")).toString(), QStringLiteral("2"));
    QCOMPARE(file.value(QStringLiteral("S88Mid/Antal")).toString(), QStringLiteral("0"));
    QCOMPARE(file.value(QStringLiteral("S88Right/Antal")).toString(), QStringLiteral("1"));
    QCOMPARE(file.childGroups(), (QStringList{"S88Left", "S88Mid", "S88Right"}));
}

void TestSettingsStore::failedWriteThrows_data() {
    QTest::addColumn<int>("block");

    QTest::newRow("settings file is a directory") << int(WriteBlock::FileIsDirectory);
    QTest::newRow("settings directory lies under a file") << int(WriteBlock::DirectoryUnderFile);
    QTest::newRow("read-only settings directory") << int(WriteBlock::ReadOnlyDirectory);
}

void TestSettingsStore::failedWriteThrows() {
    QFETCH(int, block);

    switch (WriteBlock(block)) {
    case WriteBlock::FileIsDirectory:
        QVERIFY(QDir().mkpath(m_dir->settingsFile()));
        break;
    case WriteBlock::DirectoryUnderFile: {
        const QString file = m_dir->path() + QStringLiteral("/plain-file");
        QVERIFY(writeFile(file, "x"));
        SettingsDirectory::use(file + QStringLiteral("/settings"));
        break;
    }
    case WriteBlock::ReadOnlyDirectory: {
        QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
        QFile probe(m_dir->path() + QStringLiteral("/probe"));
        if (probe.open(QIODevice::WriteOnly))
            QSKIP("this user writes into read-only directories (running as root)");
        break;
    }
    }

    QtSettingsStore settings;
    QVERIFY_THROWS_EXCEPTION(PlatformError, settings.SaveSetting(kApp, QStringLiteral("S88Left"),
                                                                 QStringLiteral("Antal"), "2"));
}

void TestSettingsStore::countsSentAfterDamagedFile_data() {
    QTest::addColumn<QByteArray>("content"); // empty: the file's place is taken by a directory
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("stored");

    QRandomGenerator random(11);
    QByteArray junk(4096, '\0');
    for (char& c : junk)
        c = char(random.bounded(256));
    const QStringList counts{"4", "3", "3"};
    QTest::newRow("only the line garbage") << QByteArray("garbage\n") << QStringList() << counts;
    QTest::newRow("4 KB of binary junk") << junk << QStringList() << counts;
    QTest::newRow("file cannot be written")
        << QByteArray() << QStringList{kSendReminder} << QStringList(3, kAbsent);
}

void TestSettingsStore::countsSentAfterDamagedFile() {
    QFETCH(QByteArray, content);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, stored);
    if (content.isEmpty())
        QVERIFY(QDir().mkpath(m_dir->settingsFile()));
    else
        QVERIFY(writeFile(m_dir->settingsFile(), content));

    QtSettingsStore store;
    ScriptedWindow w({.store = &store, .load = false, .show = false});
    w.form.Form_Load();
    QCOMPARE(w.messages.shown, kCountReminders);
    w.messages.shown.clear();
    w.start();
    w.c().Text1->setText(QStringLiteral("4"));
    w.c().Text2->setText(QStringLiteral("3"));
    w.c().Text3->setText(QStringLiteral("3"));
    w.c().Command1->click();

    // Sent whatever the file; the three counts are stored together or not at all.
    QCOMPARE(w.serial.output, bytes({115, 4, 3, 3, 13}));
    QCOMPARE(w.messages.shown, messages);
    QCOMPARE(w.c().Text1->text() + w.c().Text2->text() + w.c().Text3->text(), "433");
    QCOMPARE(countsInFile(m_dir->settingsFile()), stored);
}

void TestSettingsStore::textLongerThanTheBox_data() {
    QTest::addColumn<qsizetype>("length"); // of the stored text: "5" and letters
    QTest::addColumn<bool>("edited");
    // A count box holds 255 characters; the store reads 256 to tell a longer text apart.
    for (const qsizetype length : {qsizetype(254), qsizetype(255), qsizetype(256), qsizetype(257),
                                   qsizetype(100) * 1024 * 1024}) {
        QTest::addRow("%lld characters, box not edited", qlonglong(length)) << length << false;
        QTest::addRow("%lld characters, box edited", qlonglong(length)) << length << true;
    }
}

// A stored text longer than the box: the box shows what it holds; sending the counts leaves
// the stored text as it is in the file, unless the box was edited.
void TestSettingsStore::textLongerThanTheBox() {
    QFETCH(qsizetype, length);
    QFETCH(bool, edited);
    const QByteArray text = "5" + QByteArray(length - 1, 'x');
    const QByteArray rest = "[S88Mid]\nAntal=3\n[S88Right]\nAntal=3\n";
    QVERIFY(writeFile(m_dir->settingsFile(), "[S88Left]\nAntal=" + text + '\n' + rest));

    QtSettingsStore store;
    ScriptedWindow w({.store = &store, .show = false});
    const qsizetype shown = std::min<qsizetype>(length, 255);
    QCOMPARE(w.c().Text1->text(), QString::fromLatin1(text.first(shown)));
    if (edited) {
        QTest::keyClick(w.c().Text1, Qt::Key_End);
        QTest::keyClick(w.c().Text1, Qt::Key_Backspace);
    }
    w.start();
    w.c().Command1->click();

    QCOMPARE(w.serial.output, bytes({115, 5, 3, 3, 13}));
    QCOMPARE(w.messages.shown, QStringList());
    QFile file(m_dir->settingsFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray stored;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine(2 * text.size() + 100);
        if (line.startsWith("Antal=5")) {
            stored = line.mid(6).trimmed();
            break;
        }
    }
    const qsizetype expected = edited ? shown - 1 : length;
    QCOMPARE(stored.size(), expected);
    QVERIFY(stored == text.first(expected)); // no dump of 100 MB on failure
    QCOMPARE(countsInFile(m_dir->settingsFile()).mid(1), (QStringList{"3", "3"}));
}

void TestSettingsStore::viewSettingsRead_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("read");

    const QString absent; // null: nothing stored
    QTest::newRow("language absent") << "Sprog" << absent << "da";
    QTest::newRow("language en") << "Sprog"
                                 << "en"
                                 << "en";
    QTest::newRow("language de") << "Sprog"
                                 << "de"
                                 << "de";
    QTest::newRow("language unknown") << "Sprog"
                                      << "nl"
                                      << "da";
    QTest::newRow("zoom absent") << "Zoom" << absent << "100";
    QTest::newRow("zoom 99") << "Zoom"
                             << "99"
                             << "100";
    QTest::newRow("zoom 125") << "Zoom"
                              << "125"
                              << "125";
    QTest::newRow("zoom 126") << "Zoom"
                              << "126"
                              << "100";
    QTest::newRow("zoom 150") << "Zoom"
                              << "150"
                              << "150";
    QTest::newRow("zoom 200") << "Zoom"
                              << "200"
                              << "200";
    QTest::newRow("zoom 201") << "Zoom"
                              << "201"
                              << "100";
    QTest::newRow("zoom follows the screen") << "Zoom"
                                             << "0"
                                             << "0";
    QTest::newRow("zoom -1") << "Zoom"
                             << "-1"
                             << "100";
    QTest::newRow("zoom text") << "Zoom"
                               << "stor"
                               << "100";
    QTest::newRow("colour help absent") << "Farvehjælp" << absent << "1";
    QTest::newRow("colour help off") << "Farvehjælp"
                                     << "0"
                                     << "0";
    QTest::newRow("colour help on") << "Farvehjælp"
                                    << "1"
                                    << "1";
}

void TestSettingsStore::viewSettingsRead() {
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(QString, read);
    QtSettingsStore settings;
    if (!stored.isNull())
        settings.SaveSetting(kApp, QStringLiteral("Visning"), key, stored);
    const QString value =
        key == QLatin1String("Sprog")  ? language::code(view_settings::language(settings))
        : key == QLatin1String("Zoom") ? QString::number(view_settings::zoom(settings))
                                       : QString::number(int(view_settings::colourHelp(settings)));
    QCOMPARE(value, read);
}

void TestSettingsStore::viewSettingsStoredBesideCounts() {
    // The choices go into their own section; the counts another version reads stay as they are.
    QtSettingsStore settings;
    settings.SaveSetting(kApp, QStringLiteral("S88Left"), QStringLiteral("Antal"), "2");
    view_settings::setLanguage(settings, Language::German);
    view_settings::setZoom(settings, 150);
    view_settings::setColourHelp(settings, false);
    QSettings file(m_dir->settingsFile(), QSettings::IniFormat);
    QCOMPARE(file.childGroups(), (QStringList{"S88Left", "Visning"}));
    QCOMPARE(file.value(QStringLiteral("S88Left/Antal")).toString(), QStringLiteral("2"));
    QCOMPARE(file.value(QStringLiteral("Visning/Sprog")).toString(), QStringLiteral("de"));
    QCOMPARE(file.value(QStringLiteral("Visning/Zoom")).toString(), QStringLiteral("150"));
    QCOMPARE(file.value(QString::fromUtf8("Visning/Farvehjælp")).toString(), QStringLiteral("0"));
    QtSettingsStore again;
    QCOMPARE(view_settings::language(again), Language::German);
    QCOMPARE(view_settings::zoom(again), 150);
    QCOMPARE(view_settings::colourHelp(again), false);
}

void TestSettingsStore::largeFileRead_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("read");
    QTest::addColumn<int>("told"); // lines on standard error

    const QByteArray junk = junkSections(100000);
    const QByteArray left = "[S88Left]\nAntal=7\n";
    const QString l = QStringLiteral("S88Left");
    const QString a = QStringLiteral("Antal");
    QTest::newRow("count after 100000 junk sections") << junk + left << l << a << "7" << 1;
    QTest::newRow("count before 100000 junk sections") << left + junk << l << a << "7" << 1;
    QTest::newRow("count at the very end, no line end")
        << junk + left.chopped(1) << l << a << "7" << 1;
    QTest::newRow("the last of two counts wins")
        << "[S88Left]\nAntal=1\n" + junk + "[S88Left]\nAntal=2\n"
        << l << a << "2" << 1;
    QTest::newRow("the last of two in one section wins")
        << filler(70000) + "[S88Left]\nAntal=1\nAntal=2\n"
        << l << a << "2" << 0;
    QTest::newRow("a section given again without the count")
        << left + filler(70000) + "[S88Left]\nX=1\n"
        << l << a << "7" << 0;
    QTest::newRow("another section's count") << filler(70000) + "[S88Mid]\nAntal=7\n"
                                             << l << a << "<absent>" << 0;
    QTest::newRow("a count outside any section")
        << "Antal=7\n" + filler(70000) << l << a << "<absent>" << 0;
    // The file is read in blocks of 1 MB: "Antal=7" starting just before, at and after a
    // block's end, and the section's header across it.
    for (const qsizetype at : {qsizetype(1048575), qsizetype(1048576), qsizetype(1048577)})
        QTest::addRow("count line starting at byte %lld", qlonglong(at))
            << filler(at - 10) + left << l << a << "7" << 0;
    QTest::newRow("header across a block's end") << filler(1048572) + left << l << a << "7" << 0;
    // A file over 64 KB is read in passes, one up to it by QSettings: the same either way.
    for (const qsizetype size : {qsizetype(65535), qsizetype(65536), qsizetype(65537)})
        QTest::addRow("file of %lld bytes", qlonglong(size))
            << filler(size - left.size()) + left << l << a << "7" << 0;
    // More than 10000 lines: far more than a settings file has.
    for (const int lines : {9999, 10000, 10001})
        QTest::addRow("%d lines", lines) << linesFile(lines) << l << a << "7" << int(lines > 10000);
    QTest::newRow("one junk line, large file")
        << filler(70000) + "garbage\n" + left << l << a << "7" << 1;
    QTest::newRow("one junk line, small file") << "garbage\n" + left << l << a << "7" << 1;
    QTest::newRow("a header without its end") << filler(70000) + "[S88Left\nAntal=7\n"
                                              << l << a << "7" << 1;
    QTest::newRow("key escaped as QSettings writes it")
        << filler(70000) + "[Visning]\nFarvehj%E6lp=0\n"
        << "Visning"
        << "Farvehjælp"
        << "0" << 0;
    QTest::newRow("key escaped as a wide character")
        << filler(70000) + "[Visning]\nFarvehj%U00E6lp=0\n"
        << "Visning"
        << "Farvehjælp"
        << "0" << 0;
    QTest::newRow("key in UTF-8") << filler(70000) + "[Visning]\nFarvehjælp=0\n"
                                  << "Visning"
                                  << "Farvehjælp"
                                  << "0" << 0;
    QTest::newRow("key starting with an escape") << filler(70000) + "[S88Left]\n%41ntal=7\n"
                                                 << l << a << "7" << 0;
    QTest::newRow("section escaped") << filler(70000) + "[S88%4Ceft]\nAntal=7\n"
                                     << l << a << "7" << 0;
    QTest::newRow("blanks around names and value")
        << filler(70000) + "[ S88Left ]\n  Antal  =  7  \n"
        << l << a << "7" << 0;
    QTest::newRow("comment after the value") << filler(70000) + "[S88Left]\nAntal=7 ; seven\n"
                                             << l << a << "7" << 0;
    QTest::newRow("quoted value with a comma") << filler(70000) + "[S88Left]\nAntal=\"1,5\"\n"
                                               << l << a << "1,5" << 0;
    QTest::newRow("line ends CR") << QByteArray(filler(70000) + left).replace('\n', '\r') << l << a
                                  << "7" << 0;
    QTest::newRow("line ends CR LF")
        << QByteArray(filler(70000) + left).replace("\n", "\r\n") << l << a << "7" << 0;
}

// A key read from a large file wherever it stands, as QSettings reads it; what is wrong with
// the file told once however often it is read.
void TestSettingsStore::largeFileRead() {
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, read);
    QFETCH(int, told);
    const QString file = m_dir->settingsFile();
    QVERIFY(writeFile(file, content));

    const CapturedStderr err;
    for (int round = 0; round < 3; ++round) {
        QtSettingsStore store;
        for (const auto& [s, k] : settings_keys::kRead)
            store.GetSetting(kApp, s, k, kAbsent);
        QCOMPARE(store.GetSetting(kApp, section, key, kAbsent), read);
    }
    const QVariant truth = QSettings(file, QSettings::IniFormat).value(section + u'/' + key);
    QCOMPARE(truth.isValid() ? truth.toString() : kAbsent, read);
    const QStringList lines = toldLines(err);
    QCOMPARE(lines.size(), told);
    if (told > 0)
        QVERIFY2(lines[0].contains(file) && lines[0].contains(QLatin1String("beskadiget")),
                 qPrintable(lines[0]));
}

void TestSettingsStore::keysBeyondTheProgramsOwn_data() {
    QTest::addColumn<int>("count");
    // A pass looks for at most 64 keys besides the program's own.
    for (const int count : {63, 64, 65})
        QTest::addRow("%d keys", count) << count;
}

void TestSettingsStore::keysBeyondTheProgramsOwn() {
    QFETCH(int, count);
    QByteArray content = filler(70000) + "[Other]\n";
    for (int i = 0; i < count; ++i)
        content += 'k' + QByteArray::number(i) + '=' + QByteArray::number(i * 3) + '\n';
    QVERIFY(writeFile(m_dir->settingsFile(), content));
    QtSettingsStore store;
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < count; ++i)
            QCOMPARE(store.GetSetting(kApp, "Other", QStringLiteral("k%1").arg(i), kAbsent),
                     QString::number(i * 3));
    }
    QCOMPARE(store.GetSetting(kApp, "Other", "absent", kAbsent), kAbsent);
    // A key never read before is written too, where it stands.
    store.SaveSettings(kApp, {{"Other", "k0", "new"}, {"Other", "fresh", "x"}});
    QtSettingsStore again;
    QCOMPARE(again.GetSetting(kApp, "Other", "k0", kAbsent), "new");
    QCOMPARE(again.GetSetting(kApp, "Other", "fresh", kAbsent), "x");
    QCOMPARE(contents(m_dir->settingsFile()).count("k0="), 1);
}

void TestSettingsStore::rewriteKeepsOtherBytes_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");

    const QByteArray junk = junkSections(20000);
    QTest::newRow("counts after junk")
        << junk + counts("1", "2", "3") << junk + counts("4", "5", "6");
    QTest::newRow("counts before junk")
        << counts("1", "2", "3") + junk << counts("4", "5", "6") + junk;
    QTest::newRow("a count twice: the last one replaced")
        << "[S88Left]\nAntal=1\n" + junk + counts("9", "2", "3")
        << "[S88Left]\nAntal=1\n" + junk + counts("4", "5", "6");
    QTest::newRow("line ends CR LF kept")
        << QByteArray(junk + counts("1", "2", "3")).replace("\n", "\r\n")
        << QByteArray(junk + counts("4", "5", "6")).replace("\n", "\r\n");
    QTest::newRow("counts at the very end, no line end")
        << junk + counts("1", "2", "3").chopped(1) << junk + counts("4", "5", "6").chopped(1);
    QTest::newRow("no counts, last line without its end")
        << junk + "[Other]\nk=v" << junk + "[Other]\nk=v\n" + counts("4", "5", "6");
    QTest::newRow("count of 2 MB replaced")
        << "[S88Left]\nAntal=1" + QByteArray(2 * 1024 * 1024, ' ') + "\n[S88Mid]\nAntal=2\n" +
               junk + "[S88Right]\nAntal=3\n"
        << "[S88Left]\nAntal=4\n[S88Mid]\nAntal=5\n" + junk + "[S88Right]\nAntal=6\n";
    QTest::newRow("count of 70000 bytes replaced: the file under 64 KB")
        << "[S88Left]\nAntal=1" + QByteArray(70000, ' ') + '\n' + counts("1", "2", "3").sliced(18)
        << counts("4", "5", "6");
    QTest::newRow("blanks around a count")
        << junk + "[S88Left]\n  Antal = 1 \n[S88Mid]\nAntal=2\n"
        << junk + "[S88Left]\nAntal=4\n[S88Mid]\nAntal=5\n" + "[S88Right]\nAntal=6\n";
}

// Indsæt (s) on a large file changes the counts' lines and nothing else.
void TestSettingsStore::rewriteKeepsOtherBytes() {
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    const QString file = m_dir->settingsFile();
    QVERIFY(writeFile(file, before));
    QtSettingsStore store;
    QCOMPARE(store.GetSetting(kApp, "S88Mid", "Antal", kAbsent),
             before.contains("[S88Mid]") ? "2" : kAbsent);
    store.SaveSettings(
        kApp, {{"S88Left", "Antal", "4"}, {"S88Mid", "Antal", "5"}, {"S88Right", "Antal", "6"}});
    const QByteArray written = contents(file);
    QCOMPARE(written.size(), after.size());
    QVERIFY(written == after); // no dump of megabytes on failure
    QCOMPARE(countsInFile(file), (QStringList{"4", "5", "6"}));
}

// A key QSettings writes escaped is found and replaced where it stands.
void TestSettingsStore::escapedKeyRewrittenInPlace() {
    const QByteArray head = filler(70000) + "[Visning]\n";
    QVERIFY(writeFile(m_dir->settingsFile(), head + "Farvehj%E6lp=1\nZoom=150\n"));
    QtSettingsStore store;
    QCOMPARE(view_settings::colourHelp(store), true);
    view_settings::setColourHelp(store, false);
    QCOMPARE(contents(m_dir->settingsFile()), head + "Farvehj%E6lp=0\nZoom=150\n");
    QtSettingsStore again;
    QCOMPARE(view_settings::colourHelp(again), false);
    QCOMPARE(view_settings::zoom(again), 150);
}

void TestSettingsStore::settingsPathNotAFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("why");
    QTest::newRow("a FIFO") << "pipe"
                            << "is not a regular file";
    QTest::newRow("a device") << "device"
                              << "is not a regular file";
    QTest::newRow("a folder") << "folder"
                              << "is a folder";
}

// Never opened: read as no file, not written, told once; nothing waits on a FIFO.
void TestSettingsStore::settingsPathNotAFile() {
    QFETCH(QString, kind);
    QFETCH(QString, why);
    const QString file = m_dir->settingsFile();
    QVERIFY(makeNotAFile(file, kind));
    const CapturedStderr err;
    QStringList read;
    QString refused;
    QVERIFY2(finishesWithin(
                 [&] {
                     for (int round = 0; round < 3; ++round) {
                         QtSettingsStore store;
                         for (const auto& [s, k] : settings_keys::kRead)
                             read << store.GetSetting(kApp, s, k, kAbsent);
                     }
                     try {
                         QtSettingsStore().SaveSettings(kApp, {{"S88Left", "Antal", "4"}});
                     } catch (const PlatformError& e) {
                         refused = e.message();
                     }
                 },
                 file, 5000),
             "held up on the settings path");
    QCOMPARE(read, QStringList(3 * settings_keys::kRead.size(), kAbsent));
    QCOMPARE(refused, file + " kan ikke skrives");
    const QStringList lines = toldLines(err);
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines[0].contains(file) && lines[0].contains(why), qPrintable(lines[0]));
    QVERIFY(!QFileInfo(file).isFile());
}

QTEST_MAIN(TestSettingsStore)
#include "test_settingsstore.moc"
