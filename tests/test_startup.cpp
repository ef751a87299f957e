#include "app/form1.h"
#include "app/startup.h"
#include "panel/lamp.h"
#include "panel/shape.h"
#include "state/settingsstore.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

const QString kLeftReminder = QStringLiteral("Husk at angive antal moduler (Left)");
const QString kMidReminder = QStringLiteral("Husk at angive antal moduler (Mid)");
const QString kRightReminder = QStringLiteral("Husk at angive antal moduler (Right)");

const QString kSettingsFile = QStringLiteral("Gen_Vorn_S88.conf");

QString keyOf(const QString& section) {
    return settings_keys::kApp + u'/' + section + u'/' + settings_keys::kCount;
}

// A stored value per chain; a null QString means the chain has nothing stored.
void store(MemorySettings& settings, const QStringList& values) {
    const QString sections[] = {settings_keys::kLeft, settings_keys::kMid, settings_keys::kRight};
    for (int i = 0; i < 3; ++i) {
        if (!values[i].isNull())
            settings.values[keyOf(sections[i])] = values[i];
    }
}

// The window with its test doubles, loaded the way the program loads it.
struct Window {
    explicit Window(SettingsStore& settings) : form(serial, settings, messages, [] {}) {}
    QStringList boxes() const {
        return {form.controls().Text1->text(), form.controls().Text2->text(),
                form.controls().Text3->text()};
    }
    ScriptedSerialControl serial;
    CapturedMessages messages;
    Form1 form;
};

// Points the per-user settings at a directory of the test's own.
void useSettingsDirectory(const QString& path) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path);
}

bool writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(content) == content.size();
}

QString megabyteText() {
    const QString pattern = QStringLiteral("0123456789 æøå ÆØÅ ");
    QString text;
    text.reserve(1 << 20);
    while (text.size() < (1 << 20))
        text += pattern;
    text.truncate(1 << 20);
    return text;
}

enum class Corruption { Empty, Noise, CutOff, Utf16, LoneKey, Directory };
enum class WriteBlock { FileIsDirectory, DirectoryUnderFile, ReadOnlyDirectory };

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fillsBoxesOrReminds_data();
    void fillsBoxesOrReminds();
    void remindsBeforeReadingNextChain();
    void clearsStateAndPaintsIndicator();
    void opensNoPortAndSendsNothing();

    void storeKeepsTextExactly_data();
    void storeKeepsTextExactly();
    void storedTextComesBackIntoBox_data();
    void storedTextComesBackIntoBox();
    void keysLayoutInFile();
    void damagedFileGivesReminders_data();
    void damagedFileGivesReminders();
    void unreadableFileGivesReminders();
    void failedWriteThrows_data();
    void failedWriteThrows();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestStartup::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    useSettingsDirectory(m_dir->path());
}

void TestStartup::cleanup() {
    // Permissions taken away by a test would stop the directory from being removed.
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_dir.reset();
}

void TestStartup::fillsBoxesOrReminds_data() {
    QTest::addColumn<QStringList>("stored"); // Left, Mid, Right; null = nothing stored
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("messages");

    const QString none;
    QTest::newRow("nothing stored") << QStringList{none, none, none} << QStringList{"", "0", "0"}
                                    << QStringList{kLeftReminder, kMidReminder, kRightReminder};
    QTest::newRow("only Mid stored") << QStringList{none, "4", none} << QStringList{"", "4", "0"}
                                     << QStringList{kLeftReminder, kRightReminder};
    QTest::newRow("only Right stored") << QStringList{none, none, "7"} << QStringList{"", "0", "7"}
                                       << QStringList{kLeftReminder, kMidReminder};
    QTest::newRow("all stored") << QStringList{"2", "0", "1"} << QStringList{"2", "0", "1"}
                                << QStringList{};
    QTest::newRow("stored Ingen counts as nothing stored")
        << QStringList{"Ingen", "3", "Ingen"} << QStringList{"", "3", "0"}
        << QStringList{kLeftReminder, kRightReminder};
    QTest::newRow("lower-case ingen is a value")
        << QStringList{"ingen", "INGEN", "Ingen "} << QStringList{"ingen", "INGEN", "Ingen "}
        << QStringList{};
    QTest::newRow("empty text is a value")
        << QStringList{"", "", ""} << QStringList{"", "", ""} << QStringList{};
    QTest::newRow("text that is no count is shown unchanged")
        << QStringList{"abc", "12abc", " 7 "} << QStringList{"abc", "12abc", " 7 "}
        << QStringList{};
    QTest::newRow("Danish letters") << QStringList{"æøå", "ÆØÅ", "Indsæt"}
                                    << QStringList{"æøå", "ÆØÅ", "Indsæt"} << QStringList{};
    QTest::newRow("count out of range is shown unchanged")
        << QStringList{"256", "-1", "1E10"} << QStringList{"256", "-1", "1E10"} << QStringList{};
}

void TestStartup::fillsBoxesOrReminds() {
    QFETCH(QStringList, stored);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, messages);

    MemorySettings settings;
    store(settings, stored);
    const auto before = settings.values;
    Window window(settings);
    window.form.Form_Load();

    QCOMPARE(window.boxes(), boxes);
    QCOMPARE(window.messages.shown, messages);
    QCOMPARE(settings.values, before); // start-up only reads
    // The last value read is the Right chain's, the default when it has none.
    QCOMPARE(window.form.state().SettingValue,
             stored[2].isNull() ? settings_keys::kAbsent : stored[2]);
}

void TestStartup::remindsBeforeReadingNextChain() {
    // Each reminder must come before the next chain is read, as a modal box would hold it.
    struct Recorder final : SettingsStore, MessageSink {
        QString GetSetting(const QString&, const QString& section, const QString&,
                           const QString& fallback) override {
            events << QStringLiteral("read ") + section;
            return fallback;
        }
        void SaveSettings(const QString&, const QList<Setting>&) override {
            events << QStringLiteral("write");
        }
        void MsgBox(const QString& text) override { events << text; }
        QStringList events;
    } recorder;

    FormState state;
    Shape indicator;
    QLineEdit left, mid, right;
    Startup startup(state, indicator, left, mid, right, recorder, recorder);
    startup.Form_Load();

    const QStringList expected = {"read S88Left", kLeftReminder,   "read S88Mid",
                                  kMidReminder,   "read S88Right", kRightReminder};
    QCOMPARE(recorder.events, expected);
}

void TestStartup::clearsStateAndPaintsIndicator() {
    MemorySettings settings;
    store(settings, {"1", "1", "1"});
    Window window(settings);
    FormState& state = window.form.state();
    // Dirty everything the load is meant to clear, so a load that leaves it alone shows.
    state.Flags.fill(true);
    state.InputState.fill(true);
    state.LastState.fill(true);
    state.PortStarted = 1;
    window.form.controls().Shape1->setFillColor(32768);

    window.form.Form_Load();

    for (int n = 1; n <= 50; ++n)
        QVERIFY2(!state.Flags[std::size_t(n)], qPrintable(QStringLiteral("Flags(%1)").arg(n)));
    for (int n = 1; n <= 200; ++n) {
        QVERIFY2(!state.InputState[std::size_t(n)],
                 qPrintable(QStringLiteral("InputState(%1)").arg(n)));
        QVERIFY2(!state.LastState[std::size_t(n)],
                 qPrintable(QStringLiteral("LastState(%1)").arg(n)));
    }
    QCOMPARE(state.PortStarted, 0);
    QCOMPARE(window.form.controls().Shape1->FillColor(), 255);
    QCOMPARE(state.LoopCounter, 201);
    for (int n = 1; n <= FormState::kLampCount; ++n) {
        const Lamp* lamp = window.form.controls().Lampe[std::size_t(n - 1)];
        QVERIFY2(lamp->isElementVisible(0), qPrintable(QStringLiteral("Lampe%1(0)").arg(n)));
        QVERIFY2(!lamp->isElementVisible(1), qPrintable(QStringLiteral("Lampe%1(1)").arg(n)));
    }
    QVERIFY(window.messages.shown.isEmpty());
}

void TestStartup::opensNoPortAndSendsNothing() {
    MemorySettings settings;
    Window window(settings);
    window.form.Form_Load();

    QCOMPARE(window.serial.opens, 0);
    QVERIFY(!window.serial.PortOpen());
    QVERIFY(window.serial.output.isEmpty());
}

void TestStartup::storeKeepsTextExactly_data() {
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

void TestStartup::storeKeepsTextExactly() {
    QFETCH(QString, text);
    using namespace settings_keys;

    QtSettingsStore writer;
    writer.SaveSetting(kApp, kLeft, kCount, text);
    writer.SaveSetting(kApp, kMid, kCount, QStringLiteral("mid"));
    writer.SaveSetting(kApp, kRight, kCount, QStringLiteral("right"));

    // Read from a copy, so the text comes back from the file and not from what the settings
    // layer still holds in memory for the file it wrote.
    QTemporaryDir other;
    QVERIFY(other.isValid());
    QVERIFY(QFile::copy(m_dir->filePath(kSettingsFile), other.filePath(kSettingsFile)));
    useSettingsDirectory(other.path());

    QtSettingsStore reader;
    const QString fallback = QStringLiteral("<absent>");
    QCOMPARE(reader.GetSetting(kApp, kLeft, kCount, fallback), text);
    QCOMPARE(reader.GetSetting(kApp, kMid, kCount, fallback), QStringLiteral("mid"));
    QCOMPARE(reader.GetSetting(kApp, kRight, kCount, fallback), QStringLiteral("right"));
    QCOMPARE(reader.GetSetting(kApp, QStringLiteral("S88Other"), kCount, fallback), fallback);
}

void TestStartup::storedTextComesBackIntoBox_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("count") << "12" << QStringList{};
    QTest::newRow("Danish letters and blanks") << " æøå 3 " << QStringList{};
    QTest::newRow("empty text") << "" << QStringList{};
    QTest::newRow("a megabyte of text") << megabyteText() << QStringList{};
    QTest::newRow("Ingen asks again")
        << "Ingen" << QStringList{kLeftReminder, kMidReminder, kRightReminder};
}

void TestStartup::storedTextComesBackIntoBox() {
    QFETCH(QString, text);
    QFETCH(QStringList, messages);
    using namespace settings_keys;

    QtSettingsStore settings;
    settings.SaveSetting(kApp, kLeft, kCount, text);
    settings.SaveSetting(kApp, kMid, kCount, text);
    settings.SaveSetting(kApp, kRight, kCount, text);

    Window window(settings);
    window.form.Form_Load();

    QCOMPARE(window.messages.shown, messages);
    const QStringList boxes =
        messages.isEmpty() ? QStringList{text, text, text} : QStringList{"", "0", "0"};
    QCOMPARE(window.boxes(), boxes);
}

void TestStartup::keysLayoutInFile() {
    // Another run of the program, or an older version of it, finds the counts under these
    // names; check the file itself rather than only reading back through the same code.
    using namespace settings_keys;
    QtSettingsStore settings;
    settings.SaveSetting(kApp, kLeft, kCount, QStringLiteral("2"));
    settings.SaveSetting(kApp, kMid, kCount, QStringLiteral("0"));
    settings.SaveSetting(kApp, kRight, kCount, QStringLiteral("1"));

    QSettings file(m_dir->filePath(kSettingsFile), QSettings::IniFormat);
    QCOMPARE(file.value(QStringLiteral("S88Left/Antal")).toString(), QStringLiteral("2"));
    QCOMPARE(file.value(QStringLiteral("S88Mid/Antal")).toString(), QStringLiteral("0"));
    QCOMPARE(file.value(QStringLiteral("S88Right/Antal")).toString(), QStringLiteral("1"));
    QCOMPARE(file.childGroups(), (QStringList{"S88Left", "S88Mid", "S88Right"}));
}

void TestStartup::damagedFileGivesReminders_data() {
    QTest::addColumn<int>("damage");

    QTest::newRow("empty file") << int(Corruption::Empty);
    QTest::newRow("binary noise") << int(Corruption::Noise);
    QTest::newRow("file cut off in the first header") << int(Corruption::CutOff);
    QTest::newRow("key outside any section") << int(Corruption::LoneKey);
    QTest::newRow("UTF-16 text") << int(Corruption::Utf16);
    QTest::newRow("settings file is a directory") << int(Corruption::Directory);
}

void TestStartup::damagedFileGivesReminders() {
    QFETCH(int, damage);
    const QString path = m_dir->filePath(kSettingsFile);

    switch (Corruption(damage)) {
    case Corruption::Empty:
        QVERIFY(writeFile(path, {}));
        break;
    case Corruption::Noise: {
        QRandomGenerator random(88);
        QByteArray noise(64 * 1024, '\0');
        for (char& c : noise)
            c = char(random.bounded(256));
        QVERIFY(writeFile(path, noise));
        break;
    }
    case Corruption::CutOff:
        QVERIFY(writeFile(path, "[S88Le"));
        break;
    case Corruption::LoneKey:
        QVERIFY(writeFile(path, "Antal=3\n"));
        break;
    case Corruption::Utf16: {
        const QString text = QStringLiteral("[S88Left]\nAntal=3\n");
        QByteArray utf16("\xff\xfe", 2);
        utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        QVERIFY(writeFile(path, utf16));
        break;
    }
    case Corruption::Directory:
        QVERIFY(QDir().mkpath(path));
        break;
    }

    QtSettingsStore settings;
    Window window(settings);
    window.form.Form_Load();

    QCOMPARE(window.messages.shown, (QStringList{kLeftReminder, kMidReminder, kRightReminder}));
    QCOMPARE(window.boxes(), (QStringList{"", "0", "0"}));
}

void TestStartup::unreadableFileGivesReminders() {
    const QString path = m_dir->filePath(kSettingsFile);
    QVERIFY(writeFile(path, "[S88Left]\nAntal=3\n[S88Mid]\nAntal=4\n[S88Right]\nAntal=5\n"));
    QVERIFY(QFile::setPermissions(path, QFile::Permissions()));
    QFile probe(path);
    if (probe.open(QIODevice::ReadOnly))
        QSKIP("this user reads files whatever their permissions (running as root)");

    QtSettingsStore settings;
    Window window(settings);
    window.form.Form_Load();

    QCOMPARE(window.messages.shown, (QStringList{kLeftReminder, kMidReminder, kRightReminder}));
    QCOMPARE(window.boxes(), (QStringList{"", "0", "0"}));
}

void TestStartup::failedWriteThrows_data() {
    QTest::addColumn<int>("block");

    QTest::newRow("settings file is a directory") << int(WriteBlock::FileIsDirectory);
    QTest::newRow("settings directory lies under a file") << int(WriteBlock::DirectoryUnderFile);
    QTest::newRow("read-only settings directory") << int(WriteBlock::ReadOnlyDirectory);
}

void TestStartup::failedWriteThrows() {
    QFETCH(int, block);

    switch (WriteBlock(block)) {
    case WriteBlock::FileIsDirectory:
        QVERIFY(QDir().mkpath(m_dir->filePath(kSettingsFile)));
        break;
    case WriteBlock::DirectoryUnderFile: {
        const QString file = m_dir->filePath(QStringLiteral("plain-file"));
        QVERIFY(writeFile(file, "x"));
        useSettingsDirectory(file + QStringLiteral("/settings"));
        break;
    }
    case WriteBlock::ReadOnlyDirectory: {
        QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
        QFile probe(m_dir->filePath(QStringLiteral("probe")));
        if (probe.open(QIODevice::WriteOnly))
            QSKIP("this user writes into read-only directories (running as root)");
        break;
    }
    }

    using namespace settings_keys;
    QtSettingsStore settings;
    QVERIFY_THROWS_EXCEPTION(PlatformError,
                             settings.SaveSetting(kApp, kLeft, kCount, QStringLiteral("2")));
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
