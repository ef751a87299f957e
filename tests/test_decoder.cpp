#include "receive/decoder.h"
#include "state/formstate.h"
#include "state/protocol.h"

#include <QList>
#include <QStringList>
#include <QTest>

namespace {

using Inputs = std::array<bool, FormState::kInputCount>;

enum class Start { Cleared, AllActive, Striped };

Inputs startingInputs(Start start) {
    Inputs inputs{};
    for (int n = 0; n < FormState::kInputCount; ++n) {
        switch (start) {
        case Start::Cleared:
            inputs[std::size_t(n)] = false;
            break;
        case Start::AllActive:
            inputs[std::size_t(n)] = true;
            break;
        case Start::Striped:
            inputs[std::size_t(n)] = n % 3 == 0;
            break;
        }
    }
    return inputs;
}

// Names every entry that differs, so a failure says which inputs went wrong.
QString differences(const Inputs& actual, const Inputs& expected) {
    QStringList wrong;
    for (int n = 0; n < FormState::kInputCount; ++n) {
        if (actual[std::size_t(n)] != expected[std::size_t(n)])
            wrong << QStringLiteral("%1 is %2").arg(n).arg(actual[std::size_t(n)] ? "on" : "off");
    }
    return wrong.join(QStringLiteral(", "));
}

QList<int> range(int first, int last) {
    QList<int> out;
    for (int n = first; n <= last; ++n)
        out << n;
    return out;
}

} // namespace

class TestDecoder : public QObject {
    Q_OBJECT

private slots:
    void decodesOneReport_data();
    void decodesOneReport();
    void laterReportReplacesEarlier_data();
    void laterReportReplacesEarlier();
    void inputModuleContact_data();
    void inputModuleContact();
    void burstEncoderWritesTheWireLayout();
};

void TestDecoder::decodesOneReport_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("module");
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("low");
    // The entries the report assigns (inclusive; first > last when it assigns none) and which
    // of them end up active. Everything outside the range must keep its starting value.
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<QList<int>>("active");

    struct Case {
        const char* name;
        int module, high, low, first, last;
        QList<int> active;
    };
    const QList<Case> cases = {
        {"module 1, low weight 1 is input 1", 1, 0, 1, 1, 16, {1}},
        {"module 1, high weight 128 is input 16", 1, 128, 0, 1, 16, {16}},
        {"module 1, both bytes zero", 1, 0, 0, 1, 16, {}},
        {"module 2, low 128 and high 1 meet at 24 and 25", 2, 1, 128, 17, 32, {24, 25}},
        {"module 3, alternating bits", 3, 0x55, 0xAA, 33, 48, {34, 36, 38, 40, 41, 43, 45, 47}},
        {"module 10, every bit set", 10, 255, 255, 145, 160, range(145, 160)},
        {"module 11, first and last input", 11, 128, 1, 161, 176, {161, 176}},
        {"module 12, mixed bits",
         12,
         0xA5,
         0x3C,
         177,
         192,
         {179, 180, 181, 182, 185, 187, 190, 192}},
        {"module 13, low byte reaches 193 to 200", 13, 0, 0x81, 193, 200, {193, 200}},
        {"module 13, high byte has no effect", 13, 255, 0, 193, 200, {}},
        {"module 13, both bytes full", 13, 255, 255, 193, 200, range(193, 200)},
        {"module 14, beyond the inputs", 14, 255, 255, 1, 0, {}},
        {"module 14, zeros change nothing either", 14, 0, 0, 1, 0, {}},
        {"module 255, beyond the inputs", 255, 0xAA, 0x55, 1, 0, {}},
        {"module 0, high weight 128 reaches entry 0", 0, 128, 0, 0, 0, {0}},
        {"module 0, high below 128 clears entry 0", 0, 127, 255, 0, 0, {}},
        {"low 254 leaves weight 1 clear", 1, 0, 254, 1, 16, range(2, 8)},
        {"low 256 sets all eight", 1, 0, 256, 1, 16, range(1, 8)},
        {"low 384 sets all eight", 1, 0, 384, 1, 16, range(1, 8)},
        {"high 300 sets all eight", 4, 300, 0, 49, 64, range(57, 64)},
        {"high 32767 sets all eight", 4, 32767, 1, 49, 64, {49, 57, 58, 59, 60, 61, 62, 63, 64}},
        {"low -1 clears all eight", 1, 2, -1, 1, 16, {10}},
        {"high -32768 clears all eight", 1, -32768, 3, 1, 16, {1, 2}},
    };
    const QList<QPair<Start, const char*>> starts = {
        {Start::Cleared, "over cleared inputs"},
        {Start::AllActive, "over all-active inputs"},
        {Start::Striped, "over striped inputs"},
    };
    for (const Case& c : cases) {
        for (const auto& [start, startName] : starts) {
            QTest::addRow("%s, %s", c.name, startName)
                << int(start) << c.module << c.high << c.low << c.first << c.last << c.active;
        }
    }
}

void TestDecoder::decodesOneReport() {
    QFETCH(int, start);
    QFETCH(int, module);
    QFETCH(int, high);
    QFETCH(int, low);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QList<int>, active);

    Inputs inputs = startingInputs(Start(start));
    Inputs expected = inputs;
    for (int n = first; n <= last; ++n)
        expected[std::size_t(n)] = active.contains(n);

    S88(inputs, qint16(module), qint16(high), qint16(low));

    QVERIFY2(inputs == expected, qPrintable(differences(inputs, expected)));
}

void TestDecoder::laterReportReplacesEarlier_data() {
    QTest::addColumn<QList<int>>("firstReport");  // module, high, low
    QTest::addColumn<QList<int>>("secondReport"); // module, high, low
    QTest::addColumn<QList<int>>("active");       // every active entry afterwards

    QTest::newRow("zeros clear the whole module")
        << QList<int>{5, 255, 255} << QList<int>{5, 0, 0} << QList<int>{};
    QTest::newRow("bits are not merged with the earlier report")
        << QList<int>{5, 0, 1} << QList<int>{5, 0, 2} << QList<int>{66};
    QTest::newRow("neighbouring module keeps its inputs")
        << QList<int>{5, 0, 1} << QList<int>{6, 128, 0} << QList<int>{65, 96};
    QTest::newRow("module 13 leaves input 192 alone")
        << QList<int>{12, 128, 0} << QList<int>{13, 255, 0} << QList<int>{192};
    QTest::newRow("module 1 leaves entry 0 alone")
        << QList<int>{0, 128, 0} << QList<int>{1, 0, 0} << QList<int>{0};
    QTest::newRow("module 14 leaves module 13 alone")
        << QList<int>{13, 0, 255} << QList<int>{14, 0, 0} << range(193, 200);
}

void TestDecoder::laterReportReplacesEarlier() {
    QFETCH(QList<int>, firstReport);
    QFETCH(QList<int>, secondReport);
    QFETCH(QList<int>, active);

    Inputs inputs{};
    S88(inputs, qint16(firstReport[0]), qint16(firstReport[1]), qint16(firstReport[2]));
    S88(inputs, qint16(secondReport[0]), qint16(secondReport[1]), qint16(secondReport[2]));

    Inputs expected{};
    for (int n : active)
        expected[std::size_t(n)] = true;
    QVERIFY2(inputs == expected, qPrintable(differences(inputs, expected)));
}

QTEST_APPLESS_MAIN(TestDecoder)
// Module m owns inputs (m - 1) * 16 + 1 .. m * 16; tested at each module's edges.
void TestDecoder::inputModuleContact_data() {
    QTest::addColumn<int>("input");
    QTest::addColumn<int>("module");
    QTest::addColumn<int>("contact");
    QTest::newRow("first input") << 1 << 1 << 1;
    QTest::newRow("second input") << 2 << 1 << 2;
    QTest::newRow("last of module 1") << 16 << 1 << 16;
    QTest::newRow("first of module 2") << 17 << 2 << 1;
    QTest::newRow("contact 9 of module 2") << 25 << 2 << 9;
    QTest::newRow("last of module 12") << 192 << 12 << 16;
    QTest::newRow("first of module 13") << 193 << 13 << 1;
    QTest::newRow("one before the last input") << 199 << 13 << 7;
    QTest::newRow("last input") << 200 << 13 << 8;
    QTest::newRow("past the last input") << 201 << 13 << 9;
}

void TestDecoder::inputModuleContact() {
    QFETCH(int, input);
    QFETCH(int, module);
    QFETCH(int, contact);
    QCOMPARE(protocol::moduleOf(input), module);
    QCOMPARE(protocol::contactOf(input), contact);
    QCOMPARE(protocol::inputOf(module, contact), input);
    QCOMPARE(protocol::kInputsPerModule, 16);
    QCOMPARE(protocol::kLastInput, 200);
    QCOMPARE(protocol::kLastModule, 13);
}

void TestDecoder::burstEncoderWritesTheWireLayout() {
    QByteArray out("x");
    protocol::appendBurstStart(out, 2);
    protocol::appendReport(out, 1, 0x0201);
    protocol::appendReport(out, 255, 0xff80);
    QCOMPARE(out, QByteArray("x") + QByteArray::fromHex("69 02 01 02 01 ff ff 80"));
    // And what it writes decodes to the inputs it was given: bits 0 and 9 of module 1.
    Inputs inputs{};
    S88(inputs, qint16(quint8(out[3])), qint16(quint8(out[4])), qint16(quint8(out[5])));
    QList<int> on;
    for (int n = 1; n <= 200; ++n)
        if (inputs[std::size_t(n)])
            on << n;
    QCOMPARE(on, QList<int>({1, 10}));
}

#include "test_decoder.moc"
