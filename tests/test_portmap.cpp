#include "serial/portmap.h"
#include "serial/qtserialcontrol.h"

#include <QTest>
#include <cerrno>

class TestPortMap : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void numbering_data();
    void numbering();
    void openFailure_data();
    void openFailure();
    void realControlTakesPorts1To8();
};

void TestPortMap::parse_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("port"); // 0: refused
    QTest::addColumn<QString>("device");

    QTest::newRow("plain") << "1=/dev/ttyUSB0" << 1 << "/dev/ttyUSB0";
    QTest::newRow("last port") << "8=/dev/pts/3" << 8 << "/dev/pts/3";
    QTest::newRow("device with '='") << "2=/dev/serial/by-id/a=b" << 2 << "/dev/serial/by-id/a=b";
    QTest::newRow("port 0") << "0=/dev/ttyS0" << 0 << "";
    QTest::newRow("port 9") << "9=/dev/ttyS0" << 0 << "";
    QTest::newRow("no device") << "3=" << 0 << "";
    QTest::newRow("no port") << "=/dev/ttyS0" << 0 << "";
    QTest::newRow("no '='") << "/dev/ttyS0" << 0 << "";
    QTest::newRow("port not a number") << "x=/dev/ttyS0" << 0 << "";
}

void TestPortMap::parse() {
    QFETCH(QString, option);
    QFETCH(int, port);
    QFETCH(QString, device);
    const std::optional<PortMap::Assignment> a = PortMap::parse(option);
    QCOMPARE(a.has_value(), port != 0);
    if (a) {
        QCOMPARE(a->port, port);
        QCOMPARE(a->device, device);
    }
}

void TestPortMap::numbering_data() {
    QTest::addColumn<QStringList>("system");
    QTest::addColumn<QStringList>("assigned"); // "N=DEVICE"
    QTest::addColumn<QStringList>("expected"); // devices of ports 1..8, "" for none

    const QStringList none(8, QString());
    QTest::newRow("no ports at all") << QStringList{} << QStringList{} << none;
    QStringList one = none;
    one[0] = QStringLiteral("/dev/ttyUSB0");
    QTest::newRow("a single adapter is port 1")
        << QStringList{"/dev/ttyUSB0"} << QStringList{} << one;
    QStringList numbered = none;
    numbered[0] = QStringLiteral("/dev/pts/7");
    numbered[1] = QStringLiteral("/dev/ttyACM0");
    numbered[2] = QStringLiteral("/dev/ttyUSB0");
    QTest::newRow("assigned ports first, the system's numbered on")
        << QStringList{"/dev/ttyACM0", "/dev/ttyUSB0"} << QStringList{"1=/dev/pts/7"} << numbered;
    QStringList gap = none;
    gap[0] = QStringLiteral("/dev/ttyACM0");
    gap[1] = QStringLiteral("/dev/ttyUSB0");
    gap[4] = QStringLiteral("/dev/pts/2");
    QTest::newRow("an assignment further up leaves the first ports to the system")
        << QStringList{"/dev/ttyACM0", "/dev/ttyUSB0"} << QStringList{"5=/dev/pts/2"} << gap;
}

void TestPortMap::numbering() {
    QFETCH(QStringList, system);
    QFETCH(QStringList, assigned);
    QFETCH(QStringList, expected);
    PortMap map;
    map.setSystemPorts(system);
    for (const QString& option : assigned) {
        const auto a = PortMap::parse(option);
        QVERIFY(a);
        map.assign(a->port, a->device);
    }
    for (int port = 1; port <= 8; ++port) {
        QCOMPARE(map.device(port), expected[port - 1]);
        const QString tip = map.describe(port);
        QVERIFY2(tip.startsWith(QStringLiteral("Port %1: ").arg(port)), qPrintable(tip));
        QVERIFY2(expected[port - 1].isEmpty() ? tip.contains(QStringLiteral("ingen enhed"))
                                              : tip.contains(expected[port - 1]),
                 qPrintable(tip));
    }
}

void TestPortMap::openFailure_data() {
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("errnoValue"); // whose text Qt gives; 0: a text of Qt's own
    QTest::addColumn<bool>("namesGroup");

    QTest::newRow("permission denied") << int(QSerialPort::PermissionError) << EACCES << true;
    // Qt files a device in use under the same error.
    QTest::newRow("device busy") << int(QSerialPort::PermissionError) << EBUSY << false;
    QTest::newRow("lock file held") << int(QSerialPort::PermissionError) << 0 << false;
    QTest::newRow("no such device") << int(QSerialPort::DeviceNotFoundError) << ENOENT << false;
}

void TestPortMap::openFailure() {
    QFETCH(int, error);
    QFETCH(int, errnoValue);
    QFETCH(bool, namesGroup);
    const QString why = errnoValue != 0
                            ? qt_error_string(errnoValue)
                            : QStringLiteral("Permission error while locking the device");
    const QString text = QtSerialControl::openFailure(3, QStringLiteral("/dev/ttyUSB0"),
                                                      QSerialPort::SerialPortError(error), why);
    QVERIFY2(text.startsWith(QStringLiteral("Port 3 (/dev/ttyUSB0): ") + why), qPrintable(text));
    QCOMPARE(text.contains(QStringLiteral("gruppen dialout")), namesGroup);
}

void TestPortMap::realControlTakesPorts1To8() {
    QtSerialControl serial(nullptr);
    for (const int port : {1, 8}) {
        serial.setCommPort(port);
        QCOMPARE(serial.CommPort(), port);
    }
    for (const int port : {0, 9})
        QVERIFY_THROWS_EXCEPTION(PlatformError, serial.setCommPort(port));
    QCOMPARE(serial.CommPort(), 8);
}

QTEST_GUILESS_MAIN(TestPortMap)
#include "test_portmap.moc"
