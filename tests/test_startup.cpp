#include "app/startup.h"
#include "panel/lamp.h"
#include "state/settingsstore.h"
#include "support/formsupport.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
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

    void zoomScaleFactor_data();
    void zoomScaleFactor();
    void storedZoomAppliedAtStart_data();
    void storedZoomAppliedAtStart();

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
    QTest::newRow("254 characters") << QString(254, QLatin1Char('4')) << QStringList{};
    QTest::newRow("255 characters") << QString(255, QLatin1Char('5')) << QStringList{};
    QTest::newRow("256 characters") << QString(256, QLatin1Char('6')) << QStringList{};
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
    // A count box holds 255 characters.
    const QString shown = text.left(255);
    const QStringList boxes =
        messages.isEmpty() ? QStringList{shown, shown, shown} : QStringList{"", "0", "0"};
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

void TestStartup::zoomScaleFactor_data() {
    QTest::addColumn<int>("percent");
    QTest::addColumn<QByteArray>("factor");

    QTest::newRow("follow the screen") << 0 << QByteArray();
    QTest::newRow("100 %") << 100 << QByteArray("1");
    QTest::newRow("125 %") << 125 << QByteArray("1.25");
    QTest::newRow("150 %") << 150 << QByteArray("1.5");
    QTest::newRow("200 %") << 200 << QByteArray("2");
}

void TestStartup::zoomScaleFactor() {
    QFETCH(int, percent);
    QFETCH(QByteArray, factor);
    QCOMPARE(zoom::scaleFactor(percent), factor);
}

void TestStartup::storedZoomAppliedAtStart_data() {
    QTest::addColumn<QByteArray>("stored");      // the settings file's [Visning] section
    QTest::addColumn<QByteArray>("environment"); // QT_SCALE_FACTOR as the user set it
    // The scale factor the program ran with ("-": none), its device pixel ratio, the window's
    // size in device pixels and how many colours lamp 1's picture has (2: the picture as it
    // is; more: the disc drawn again at the finer resolution, its edge smoothed).
    QTest::addColumn<QString>("seen");

    QTest::newRow("nothing stored") << QByteArray() << QByteArray() << "1 1 844x543 2";
    QTest::newRow("100 %") << QByteArray("Zoom=100") << QByteArray() << "1 1 844x543 2";
    QTest::newRow("125 %") << QByteArray("Zoom=125") << QByteArray() << "1.25 1.25 1055x679 4";
    QTest::newRow("150 %") << QByteArray("Zoom=150") << QByteArray() << "1.5 1.5 1266x815 4";
    QTest::newRow("200 %") << QByteArray("Zoom=200") << QByteArray() << "2 2 1688x1086 4";
    QTest::newRow("follow the screen") << QByteArray("Zoom=0") << QByteArray() << "- 1 844x543 2";
    QTest::newRow("no choice: 149") << QByteArray("Zoom=149") << QByteArray() << "1 1 844x543 2";
    QTest::newRow("no choice: 151") << QByteArray("Zoom=151") << QByteArray() << "1 1 844x543 2";
    QTest::newRow("not a number") << QByteArray("Zoom=stor") << QByteArray() << "1 1 844x543 2";
    QTest::newRow("the user's own factor wins")
        << QByteArray("Zoom=150") << QByteArray("2") << "2 2 1688x1086 4";
    QTest::newRow("the user's own factor, following the screen")
        << QByteArray("Zoom=0") << QByteArray("1.25") << "1.25 1.25 1055x679 4";
}

// Runs this program as the window's start-up does: the stored zoom applied, then the
// application object made and the window shown.
void TestStartup::storedZoomAppliedAtStart() {
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, environment);
    QFETCH(QString, seen);
    QVERIFY(writeFile(m_dir->settingsFile(), "[Visning]\n" + stored + "\n"));
    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir->path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("QT_SCALE_FACTOR"));
    if (!environment.isEmpty())
        env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(environment));
    probe.setProcessEnvironment(env);
    probe.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--zoom-probe")});
    QVERIFY(probe.waitForFinished(30000));
    QCOMPARE(probe.exitCode(), 0);
    QCOMPARE(QString::fromLatin1(probe.readAllStandardOutput()).trimmed(), seen);
}

namespace {

int zoomProbe(int argc, char* argv[]) {
    {
        QtSettingsStore stored;
        zoom::apply(stored);
    }
    QApplication app(argc, argv);
    ScriptedWindow w;
    if (!QTest::qWaitForWindowExposed(&w.form))
        return 1;
    const QImage window = w.form.grab().toImage();
    const QImage lamp = w.c().Lampe[0]->grab().toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < lamp.height(); ++y)
        for (int x = 0; x < lamp.width(); ++x)
            colours.insert(lamp.pixel(x, y));
    const QByteArray factor = qgetenv("QT_SCALE_FACTOR");
    std::printf("%s %g %dx%d %d\n", factor.isEmpty() ? "-" : factor.constData(),
                w.form.devicePixelRatioF(), window.width(), window.height(),
                int(std::min<qsizetype>(colours.size(), 4)));
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc > 1 && qstrcmp(argv[1], "--zoom-probe") == 0)
        return zoomProbe(argc, argv);
    QApplication app(argc, argv);
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    TestStartup test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_startup.moc"
