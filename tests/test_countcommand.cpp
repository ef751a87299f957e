#include "link/countcommand.h"
#include "support/formsupport.h"

#include <QTest>

namespace {

const QString& kReminder = fixed::kSendReminder;
const QString kLeftKey = fixed::countKey("S88Left");
const QString kMidKey = fixed::countKey("S88Mid");
const QString kRightKey = fixed::countKey("S88Right");

// What an earlier run left in the store; a click that must not store leaves exactly this.
QMap<QString, QString> earlierValues() {
    return {{kLeftKey, QStringLiteral("old left")},
            {kMidKey, QStringLiteral("old mid")},
            {kRightKey, QStringLiteral("old right")}};
}

// The command with its three boxes and test doubles; the store defaults to an in-memory one.
struct Rig {
    explicit Rig(SettingsStore* store = nullptr)
        : command(state, left, mid, right, serial, store ? *store : settings, messages) {
        settings.values = earlierValues();
    }
    void type(const QString& l, const QString& m, const QString& r) {
        left.setText(l);
        mid.setText(m);
        right.setText(r);
    }
    QStringList boxes() const { return {left.text(), mid.text(), right.text()}; }

    FormState state;
    QLineEdit left, mid, right;
    ScriptedSerialControl serial;
    MemorySettings settings;
    CapturedMessages messages;
    CountCommand command;
};

// Records every write with the number of bytes sent by then, and can refuse the n-th value;
// like the real store, it writes a call's values together or not at all.
class RecordingStore final : public SettingsStore {
public:
    QString GetSetting(const QString&, const QString&, const QString&,
                       const QString& fallback) override {
        return fallback;
    }
    void SaveSettings(const QString& app, const QList<Setting>& settings) override {
        QStringList batch;
        for (const Setting& s : settings) {
            if (++m_writes == failWrite)
                throw PlatformError(QStringLiteral("disk full"));
            batch << QStringLiteral("%1/%2/%3=%4 after %5 bytes")
                         .arg(app, s.section, s.key, s.text)
                         .arg(serial ? serial->output.size() : -1);
        }
        writes << batch;
    }
    const ScriptedSerialControl* serial = nullptr;
    int failWrite = 0; // 1-based; 0 never fails
    QStringList writes;

private:
    int m_writes = 0;
};

} // namespace

class TestCountCommand : public QObject {
    Q_OBJECT

private slots:
    void sendsAndStoresCounts_data();
    void sendsAndStoresCounts();
    void failedSendStoresNothing();
    void failedStoreAfterSendKeepsWhatWasDone_data();
    void failedStoreAfterSendKeepsWhatWasDone();
    void buttonOnWindowRunsCommand_data();
    void buttonOnWindowRunsCommand();
    void boxCutShortStoresWhatItShows_data();
    void boxCutShortStoresWhatItShows();
};

void TestCountCommand::sendsAndStoresCounts_data() {
    QTest::addColumn<QStringList>("texts"); // Left, Mid, Right as typed
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<int>("portStarted");
    QTest::addColumn<QByteArray>("sent"); // empty: nothing may be sent or stored

    const QByteArray none;
    QTest::newRow("port closed") << QStringList{"2", "0", "1"} << false << 0 << none;
    QTest::newRow("port closed although marked started")
        << QStringList{"2", "0", "1"} << false << 1 << none;
    QTest::newRow("port closed and a text that is no count")
        << QStringList{"256", "0", "1"} << false << 0 << none;
    QTest::newRow("2, 0, 1") << QStringList{"2", "0", "1"} << true << 1
                             << bytes({115, 2, 0, 1, 13});
    QTest::newRow("open port sends although not marked started")
        << QStringList{"2", "0", "1"} << true << 0 << bytes({115, 2, 0, 1, 13});
    QTest::newRow("halves go to the even neighbour")
        << QStringList{"2.5", "3.5", "0.5"} << true << 1 << bytes({115, 2, 4, 0, 13});
    QTest::newRow("letters and empty box send 0, leading number kept")
        << QStringList{"abc", "", "12abc"} << true << 1 << bytes({115, 0, 0, 12, 13});
    QTest::newRow("blank inside, hex and octal")
        << QStringList{"1 0", "&H0A", "&O17"} << true << 1 << bytes({115, 10, 10, 15, 13});
    QTest::newRow("counts beyond the lamps are sent as they are")
        << QStringList{"255", "11", "0"} << true << 1 << bytes({115, 255, 11, 0, 13});
    QTest::newRow("Danish text sends 0")
        << QStringList{"æøå", "0", "0"} << true << 1 << bytes({115, 0, 0, 0, 13});
    QTest::newRow("256 on the left") << QStringList{"256", "0", "1"} << true << 1 << none;
    QTest::newRow("-1 in the middle") << QStringList{"2", "-1", "1"} << true << 1 << none;
    QTest::newRow("255.5 on the right rounds to 256")
        << QStringList{"2", "0", "255.5"} << true << 1 << none;
    QTest::newRow("1E10 beyond 32 bits") << QStringList{"1E10", "0", "1"} << true << 1 << none;
    QTest::newRow("&HFFFF reads as -1") << QStringList{"2", "&HFFFF", "1"} << true << 1 << none;
    QTest::newRow("only the last box fails") << QStringList{"2", "0", "300"} << true << 1 << none;
    QTest::newRow("300 while marked not started, port open")
        << QStringList{"300", "0", "1"} << true << 0 << none;
    QTest::newRow("0, 0, 0") << QStringList{"0", "0", "0"} << true << 1
                             << bytes({115, 0, 0, 0, 13});
}

void TestCountCommand::sendsAndStoresCounts() {
    QFETCH(QStringList, texts);
    QFETCH(bool, portOpen);
    QFETCH(int, portStarted);
    QFETCH(QByteArray, sent);

    Rig rig;
    rig.type(texts[0], texts[1], texts[2]);
    rig.serial.setPortOpen(portOpen);
    rig.state.PortStarted = portStarted;
    rig.state.Flags.fill(true);
    const FormState before = rig.state;

    rig.command.Command1_Click();

    QCOMPARE(rig.serial.output, sent);
    if (sent.isEmpty()) {
        // A count outside 0..255 on an open port is named; else Start is what is missing.
        QCOMPARE(rig.messages.shown, QStringList{portOpen ? fixed::kCountRange : kReminder});
        QCOMPARE(rig.settings.values, earlierValues());
    } else {
        QCOMPARE(rig.messages.shown, QStringList{});
        const QMap<QString, QString> stored = {
            {kLeftKey, texts[0]}, {kMidKey, texts[1]}, {kRightKey, texts[2]}};
        QCOMPARE(rig.settings.values, stored);
    }
    QCOMPARE(rig.boxes(), texts);
    QCOMPARE(rig.serial.PortOpen(), portOpen);

    // Only Flags(10) is touched; the link and receive state stay as they were.
    QVERIFY(!rig.state.Flags[10]);
    for (int n = 0; n < FormState::kFlagCount; ++n) {
        if (n != 10)
            QVERIFY2(rig.state.Flags[std::size_t(n)],
                     qPrintable(QStringLiteral("Flags(%1)").arg(n)));
    }
    QCOMPARE(rig.state.PortStarted, before.PortStarted);
    QCOMPARE(rig.state.InputState, before.InputState);
    QCOMPARE(rig.state.LastState, before.LastState);
}

void TestCountCommand::failedSendStoresNothing() {
    Rig rig;
    rig.type("2", "0", "1");
    rig.serial.setPortOpen(true);
    rig.serial.failOutput = QStringLiteral("write failed");

    rig.command.Command1_Click();

    QCOMPARE(rig.messages.shown, QStringList{kReminder});
    QCOMPARE(rig.settings.values, earlierValues());
    QCOMPARE(rig.boxes(), (QStringList{"2", "0", "1"}));
}

void TestCountCommand::failedStoreAfterSendKeepsWhatWasDone_data() {
    QTest::addColumn<int>("failWrite");
    QTest::addColumn<QStringList>("writes");

    const QString left = QStringLiteral("Gen_Vorn_S88/S88Left/Antal=7 after 5 bytes");
    const QString mid = QStringLiteral("Gen_Vorn_S88/S88Mid/Antal= 8x after 5 bytes");
    const QString right = QStringLiteral("Gen_Vorn_S88/S88Right/Antal=9.5 after 5 bytes");
    QTest::newRow("every write succeeds") << 0 << QStringList{left, mid, right};
    // The three counts are stored together or not at all.
    QTest::newRow("first write refused") << 1 << QStringList{};
    QTest::newRow("second write refused") << 2 << QStringList{};
    QTest::newRow("third write refused") << 3 << QStringList{};
}

void TestCountCommand::failedStoreAfterSendKeepsWhatWasDone() {
    QFETCH(int, failWrite);
    QFETCH(QStringList, writes);

    RecordingStore store;
    store.failWrite = failWrite;
    Rig rig(&store);
    store.serial = &rig.serial;
    rig.type("7", " 8x", "9.5");
    rig.serial.setPortOpen(true);

    rig.command.Command1_Click();

    // The send is not undone, and no count is stored without the others.
    QCOMPARE(rig.serial.output, bytes({115, 7, 8, 10, 13}));
    QCOMPARE(store.writes, writes);
    QCOMPARE(rig.messages.shown, failWrite ? QStringList{kReminder} : QStringList{});
    QCOMPARE(rig.boxes(), (QStringList{"7", " 8x", "9.5"}));
}

void TestCountCommand::buttonOnWindowRunsCommand_data() {
    QTest::addColumn<bool>("start");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("after Start") << true << bytes({115, 3, 4, 5, 13}) << QStringList{};
    QTest::newRow("without Start") << false << QByteArray() << QStringList{kReminder};
}

void TestCountCommand::buttonOnWindowRunsCommand() {
    QFETCH(bool, start);
    QFETCH(QByteArray, sent);
    QFETCH(QStringList, messages);

    ScriptedWindow w;
    if (start)
        w.start();
    w.c().Text1->setText("3");
    w.c().Text2->setText("4");
    w.c().Text3->setText("5");

    w.c().Command1->click();

    QCOMPARE(w.serial.output, sent);
    QCOMPARE(w.messages.shown, messages);
    QCOMPARE(w.settings.values.value(kMidKey), start ? QStringLiteral("4") : QString());
}

void TestCountCommand::boxCutShortStoresWhatItShows_data() {
    QTest::addColumn<QString>("stored");  // Left as the store holds it
    QTest::addColumn<int>("boxLength");   // what the Left box holds
    QTest::addColumn<QList<int>>("keys"); // pressed in the Left box
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("storedAfter");

    const QList<int> none;
    const QList<int> endBack{Qt::Key_End, Qt::Key_Backspace};
    QTest::newRow("untouched, 1 longer than the box: stored whole") << "12x4" << 3 << none << ""
                                                                    << "12x4";
    QTest::newRow("untouched, as long as the box") << "12x" << 3 << none << ""
                                                   << "12x";
    QTest::newRow("untouched, 1 shorter than the box") << "12" << 3 << none << ""
                                                       << "12";
    QTest::newRow("edited to the same length: what it shows") << "12x4" << 3 << endBack << "x"
                                                              << "12x";
    QTest::newRow("edited shorter: what it shows") << "12x4" << 3 << endBack << ""
                                                   << "12";
    QTest::newRow("edited to other text: what it shows") << "12x4" << 3 << endBack << "y"
                                                         << "12y";
}

// The box shows a stored text cut to its length; sending stores the whole text back while the
// box is untouched, and what it shows once it has been edited.
void TestCountCommand::boxCutShortStoresWhatItShows() {
    QFETCH(QString, stored);
    QFETCH(int, boxLength);
    QFETCH(QList<int>, keys);
    QFETCH(QString, typed);
    QFETCH(QString, storedAfter);

    MemorySettings settings;
    settings.values = {{kLeftKey, stored}, {kMidKey, "0"}, {kRightKey, "0"}};
    ScriptedWindow w({.store = &settings, .load = false});
    w.c().Text1->setMaxLength(boxLength);
    w.form.Form_Load();
    QCOMPARE(w.c().Text1->text(), stored.left(boxLength));
    w.start();
    for (int key : keys)
        QTest::keyClick(w.c().Text1, Qt::Key(key));
    QTest::keyClicks(w.c().Text1, typed);

    w.c().Command1->click();

    QCOMPARE(w.messages.shown, QStringList{});
    QCOMPARE(w.serial.output, bytes({115, 12, 0, 0, 13}));
    QCOMPARE(settings.values.value(kLeftKey), storedAfter);
}

QTEST_MAIN(TestCountCommand)
#include "test_countcommand.moc"
