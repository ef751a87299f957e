#include "app/startup.h"
#include "state/settingsstore.h"
#include "support/formsupport.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTest>
#include <memory>

namespace {

using namespace fixed;

// A stored value per chain; a null QString means the chain has nothing stored.
void store(MemorySettings& settings, const QStringList& values) {
    for (int i = 0; i < 3; ++i) {
        if (!values[i].isNull())
            settings.values[countKey(kSections[i])] = values[i];
    }
}

// The window on the given store, loaded by the test itself.
RigSetup unloaded(SettingsStore& store) {
    return {.store = &store, .load = false, .show = false};
}

QStringList boxesOf(const ScriptedWindow& w) {
    return {w.c().Text1->text(), w.c().Text2->text(), w.c().Text3->text()};
}

enum class Corruption { Empty, Noise, CutOff, Utf16, LoneKey, Directory };

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

    void storedTextComesBackIntoBox_data();
    void storedTextComesBackIntoBox();
    void damagedFileGivesReminders_data();
    void damagedFileGivesReminders();
    void unreadableFileGivesReminders();

private:
    std::unique_ptr<SettingsDirectory> m_dir;
};

void TestStartup::init() {
    m_dir = std::make_unique<SettingsDirectory>();
    QVERIFY(m_dir->isValid());
}

void TestStartup::cleanup() {
    m_dir.reset();
}

void TestStartup::fillsBoxesOrReminds_data() {
    QTest::addColumn<QStringList>("stored"); // Left, Mid, Right; null = nothing stored
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("messages");

    const QString none;
    QTest::newRow("nothing stored")
        << QStringList{none, none, none} << QStringList{"", "0", "0"} << kCountReminders;
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
    ScriptedWindow window(unloaded(settings));
    window.form.Form_Load();

    QCOMPARE(boxesOf(window), boxes);
    QCOMPARE(window.messages.shown, messages);
    QCOMPARE(settings.values, before); // start-up only reads
    // The last value read is the Right chain's, the default when it has none.
    QCOMPARE(window.form.state().SettingValue,
             stored[2].isNull() ? QStringLiteral("Ingen") : stored[2]);
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
        bool Question(const QString& text) override {
            events << text;
            return false;
        }
        QStringList events;
    } recorder;

    FormState state;
    QLineEdit left, mid, right;
    Startup startup(
        state, [&recorder](LinkIndicator) { recorder.events << QStringLiteral("indicator"); }, left,
        mid, right, recorder, recorder);
    startup.Form_Load();

    const QStringList expected = {"indicator",  "read S88Left",  kLeftReminder, "read S88Mid",
                                  kMidReminder, "read S88Right", kRightReminder};
    QCOMPARE(recorder.events, expected);
}

void TestStartup::clearsStateAndPaintsIndicator() {
    MemorySettings settings;
    store(settings, {"1", "1", "1"});
    ScriptedWindow window(unloaded(settings));
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
    ScriptedWindow window(unloaded(settings));
    window.form.Form_Load();

    QCOMPARE(window.serial.opens, 0);
    QVERIFY(!window.serial.PortOpen());
    QVERIFY(window.serial.output.isEmpty());
}

void TestStartup::storedTextComesBackIntoBox_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("count") << "12" << QStringList{};
    QTest::newRow("Danish letters and blanks") << " æøå 3 " << QStringList{};
    QTest::newRow("empty text") << "" << QStringList{};
    QTest::newRow("a megabyte of text") << megabyteText() << QStringList{};
    QTest::newRow("Ingen asks again") << "Ingen" << kCountReminders;
}

void TestStartup::storedTextComesBackIntoBox() {
    QFETCH(QString, text);
    QFETCH(QStringList, messages);
    QtSettingsStore settings;
    for (const QString& section : kSections)
        settings.SaveSetting(kApp, section, QStringLiteral("Antal"), text);

    ScriptedWindow window(unloaded(settings));
    window.form.Form_Load();

    QCOMPARE(window.messages.shown, messages);
    const QStringList boxes =
        messages.isEmpty() ? QStringList{text, text, text} : QStringList{"", "0", "0"};
    QCOMPARE(boxesOf(window), boxes);
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
    const QString path = m_dir->settingsFile();

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
    ScriptedWindow window(unloaded(settings));
    window.form.Form_Load();

    QCOMPARE(window.messages.shown, kCountReminders);
    QCOMPARE(boxesOf(window), (QStringList{"", "0", "0"}));
}

void TestStartup::unreadableFileGivesReminders() {
    const QString path = m_dir->settingsFile();
    QVERIFY(writeFile(path, "[S88Left]\nAntal=3\n[S88Mid]\nAntal=4\n[S88Right]\nAntal=5\n"));
    QVERIFY(QFile::setPermissions(path, QFile::Permissions()));
    QFile probe(path);
    if (probe.open(QIODevice::ReadOnly))
        QSKIP("this user reads files whatever their permissions (running as root)");

    QtSettingsStore settings;
    ScriptedWindow window(unloaded(settings));
    window.form.Form_Load();

    QCOMPARE(window.messages.shown, kCountReminders);
    QCOMPARE(boxesOf(window), (QStringList{"", "0", "0"}));
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
