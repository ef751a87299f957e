// The counts' store in its file: texts kept exactly, the file's layout, refused writes, and
// sending the counts after start-up found the file damaged, unwritable or holding a text
// longer than a count box, up to 100 MB.

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

QTEST_MAIN(TestSettingsStore)
#include "test_settingsstore.moc"
