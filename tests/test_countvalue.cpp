#include "serial/countvalue.h"
#include "support/testsupport.h"

#include <QTest>
#include <limits>

namespace {

constexpr int kFails = -1; // countByte gives nothing
const double kInf = std::numeric_limits<double>::infinity();

QString repeated(char c, int count) {
    return QString(count, QLatin1Char(c));
}

} // namespace

class TestCountValue : public QObject {
    Q_OBJECT

private slots:
    void readsNumberAtStart_data();
    void readsNumberAtStart();
    void roundsToLong_data();
    void roundsToLong();
    void turnsBoxTextIntoByte_data();
    void turnsBoxTextIntoByte();
    void buildsCommand_data();
    void buildsCommand();
};

void TestCountValue::readsNumberAtStart_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("plain integer") << "12" << 12.0;
    QTest::newRow("decimal fraction kept") << "2.5" << 2.5;
    QTest::newRow("leading period") << ".5" << 0.5;
    QTest::newRow("empty text") << "" << 0.0;
    QTest::newRow("letters only") << "abc" << 0.0;
    QTest::newRow("digits then letters") << "12abc" << 12.0;
    QTest::newRow("comma is no decimal point") << "1,5" << 1.0;
    QTest::newRow("second period ends the number") << "1.5.5" << 1.5;
    QTest::newRow("two periods in a row") << "1..5" << 1.0;
    QTest::newRow("minus inside ends the number") << "12-3" << 12.0;
    QTest::newRow("explicit plus") << "+7" << 7.0;
    QTest::newRow("negative fraction") << "-0.4" << -0.4;
    QTest::newRow("sign alone") << "-" << 0.0;
    QTest::newRow("blank inside") << "1 0" << 10.0;
    QTest::newRow("blank between sign and digits") << "- 5" << -5.0;
    QTest::newRow("blanks everywhere") << " 2 5 5 " << 255.0;
    QTest::newRow("tab inside") << "1\t2" << 12.0;
    QTest::newRow("line feed inside") << "1\n2" << 12.0;
    QTest::newRow("leading tab, line feed and blank") << "\t\n 3" << 3.0;
    QTest::newRow("carriage return ends the number") << "1\r2" << 1.0;
    QTest::newRow("exponent") << "1e2" << 100.0;
    QTest::newRow("exponent with plus") << "1E+2" << 100.0;
    QTest::newRow("negative exponent") << "1e-2" << 0.01;
    QTest::newRow("D exponent") << "1D2" << 100.0;
    QTest::newRow("blanks around the exponent") << "1 e 2" << 100.0;
    QTest::newRow("exponent without digits is ignored") << "1E" << 1.0;
    QTest::newRow("exponent sign without digits is ignored") << "1E-" << 1.0;
    QTest::newRow("second exponent ends the number") << "1e2e3" << 100.0;
    QTest::newRow("fraction with exponent") << "2.55E2" << 255.0;
    QTest::newRow("C hex prefix is no number") << "0x10" << 0.0;
    QTest::newRow("hex") << "&H0A" << 10.0;
    QTest::newRow("hex in lower case") << "&h1f" << 31.0;
    QTest::newRow("hex with blanks inside") << "&H 1 0" << 16.0;
    QTest::newRow("hex stops at a non-hex letter") << "&H1G" << 1.0;
    QTest::newRow("hex prefix without digits") << "&H" << 0.0;
    QTest::newRow("hex prefix before a non-hex letter") << "&HG" << 0.0;
    QTest::newRow("hex FFFF reads as 16-bit -1") << "&HFFFF" << -1.0;
    QTest::newRow("hex 8000 reads as 16-bit minimum") << "&H8000" << -32768.0;
    QTest::newRow("hex 7FFF stays positive") << "&H7FFF" << 32767.0;
    QTest::newRow("hex over 16 bits reads as 32-bit") << "&H10000" << 65536.0;
    QTest::newRow("hex FFFFFFFF reads as 32-bit -1") << "&HFFFFFFFF" << -1.0;
    QTest::newRow("hex 80000000 reads as 32-bit minimum") << "&H80000000" << -2147483648.0;
    QTest::newRow("octal") << "&O17" << 15.0;
    QTest::newRow("octal stops at 8") << "&O178" << 15.0;
    QTest::newRow("octal prefix before 8") << "&O8" << 0.0;
    QTest::newRow("octal prefix without digits") << "&O" << 0.0;
    QTest::newRow("ampersand alone") << "&" << 0.0;
    QTest::newRow("ampersand with unknown letter") << "&Z1" << 0.0;
    QTest::newRow("fullwidth digit") << QStringLiteral("\uFF13") << 0.0;
    QTest::newRow("Arabic-Indic digit") << QStringLiteral("\u0663") << 0.0;
    QTest::newRow("Devanagari digit") << QStringLiteral("\u0967") << 0.0;
    QTest::newRow("fullwidth digit after ASCII digit") << QStringLiteral("1\uFF13") << 1.0;
    QTest::newRow("fullwidth hex prefix") << QStringLiteral("\uFF06\uFF28\uFF11") << 0.0;
    QTest::newRow("too large for a double") << "1E400" << kInf;
    QTest::newRow("too large and negative") << "-1E400" << -kInf;
    QTest::newRow("too small for a double") << "1E-400" << 0.0;
    QTest::newRow("zero with a huge exponent") << "0E99999" << 0.0;
    QTest::newRow("exponent beyond any integer type") << "1E999999999999" << kInf;
    QTest::newRow("10,000 nines") << repeated('9', 10000) << kInf;
    QTest::newRow("10,000 leading zeros") << repeated('0', 10000) + "7" << 7.0;
    QTest::newRow("1 after 10,000 zeros of fraction") << "0." + repeated('0', 10000) + "1" << 0.0;
    QTest::newRow("long fraction balanced by the exponent")
        << "0." + repeated('0', 10000) + "3E10001" << 3.0;
    QTest::newRow("long integer balanced by the exponent")
        << "1" + repeated('0', 10000) + "E-10000" << 1.0;
}

void TestCountValue::readsNumberAtStart() {
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(countvalue::Val(text), expected);
}

void TestCountValue::roundsToLong_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<int>("expected");

    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("half rounds down to even 0") << 0.5 << true << 0;
    QTest::newRow("one and a half rounds up to even 2") << 1.5 << true << 2;
    QTest::newRow("two and a half rounds down to even 2") << 2.5 << true << 2;
    QTest::newRow("negative half rounds to 0") << -0.5 << true << 0;
    QTest::newRow("negative one and a half rounds to -2") << -1.5 << true << -2;
    QTest::newRow("below the tie rounds down") << 2.4999 << true << 2;
    QTest::newRow("above the tie rounds up") << 2.5001 << true << 3;
    QTest::newRow("negative zero") << -0.0 << true << 0;
    QTest::newRow("32-bit maximum") << 2147483647.0 << true << 2147483647;
    QTest::newRow("32-bit maximum plus a little") << 2147483647.4 << true << 2147483647;
    QTest::newRow("tie above the maximum goes out of range") << 2147483647.5 << false << 0;
    QTest::newRow("32-bit minimum") << -2147483648.0 << true << int(-2147483648LL);
    QTest::newRow("tie below the minimum rounds back to even minimum")
        << -2147483648.5 << true << int(-2147483648LL);
    QTest::newRow("below the minimum") << -2147483648.6 << false << 0;
    QTest::newRow("one past the maximum") << 2147483648.0 << false << 0;
    QTest::newRow("ten thousand million") << 1e10 << false << 0;
    QTest::newRow("infinity") << kInf << false << 0;
    QTest::newRow("negative infinity") << -kInf << false << 0;
    QTest::newRow("not a number") << nan << false << 0;
}

void TestCountValue::roundsToLong() {
    QFETCH(double, value);
    QFETCH(bool, fits);
    QFETCH(int, expected);

    const std::optional<qint32> result = countvalue::toLong(value);
    QCOMPARE(result.has_value(), fits);
    if (fits)
        QCOMPARE(*result, expected);
}

void TestCountValue::turnsBoxTextIntoByte_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // kFails when the text is no count

    QTest::newRow("2") << "2" << 2;
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("255 is the largest count") << "255" << 255;
    QTest::newRow("2.5 ties to even 2") << "2.5" << 2;
    QTest::newRow("3.5 ties to even 4") << "3.5" << 4;
    QTest::newRow("0.5 ties to even 0") << "0.5" << 0;
    QTest::newRow("1.5 ties to even 2") << "1.5" << 2;
    QTest::newRow("254.5 ties to even 254") << "254.5" << 254;
    QTest::newRow("255.4 rounds to 255") << "255.4" << 255;
    QTest::newRow(".5 ties to even 0") << ".5" << 0;
    QTest::newRow("letters give 0") << "abc" << 0;
    QTest::newRow("empty box gives 0") << "" << 0;
    QTest::newRow("blanks only give 0") << "   " << 0;
    QTest::newRow("number before letters") << "12abc" << 12;
    QTest::newRow("blank inside the digits") << "1 0" << 10;
    QTest::newRow("blanks before every digit") << " 2 5 5" << 255;
    QTest::newRow("tab inside") << "2\t5" << 25;
    QTest::newRow("line feed inside") << "2\n5" << 25;
    QTest::newRow("carriage return ends the number") << "2\r5" << 2;
    QTest::newRow("plus sign") << "+7" << 7;
    QTest::newRow("small negative rounds to 0") << "-0.4" << 0;
    QTest::newRow("negative half rounds to 0") << "-0.5" << 0;
    QTest::newRow("negative zero") << "-0" << 0;
    QTest::newRow("comma ends the number") << "1,5" << 1;
    QTest::newRow("hex 0A") << "&H0A" << 10;
    QTest::newRow("hex FF") << "&HFF" << 255;
    QTest::newRow("octal 17") << "&O17" << 15;
    QTest::newRow("octal 377") << "&O377" << 255;
    QTest::newRow("hex prefix alone") << "&H" << 0;
    QTest::newRow("exponent") << "1e2" << 100;
    QTest::newRow("exponent reaching 255") << "25.5E1" << 255;
    QTest::newRow("bare exponent letter") << "1E" << 1;
    QTest::newRow("fullwidth digit") << QStringLiteral("\uFF13") << 0;
    QTest::newRow("Arabic-Indic digit") << QStringLiteral("\u0663") << 0;
    QTest::newRow("Danish letters") << QStringLiteral("æøå") << 0;
    QTest::newRow("1 after 10,000 zeros of fraction") << "0." + repeated('0', 10000) + "1" << 0;
    QTest::newRow("10,000 leading zeros") << repeated('0', 10000) + "7" << 7;
    QTest::newRow("400 nines scaled just below 1") << repeated('9', 400) + "E-400" << 1;

    QTest::newRow("256 is too large") << "256" << kFails;
    QTest::newRow("-1 is negative") << "-1" << kFails;
    QTest::newRow("255.5 rounds to 256") << "255.5" << kFails;
    QTest::newRow("-0.6 rounds to -1") << "-0.6" << kFails;
    QTest::newRow("exponent past 255") << "2.56E2" << kFails;
    QTest::newRow("1E10 is beyond 32 bits") << "1E10" << kFails;
    QTest::newRow("1E400 is beyond a double") << "1E400" << kFails;
    QTest::newRow("hex 100") << "&H100" << kFails;
    QTest::newRow("hex FFFF reads as -1") << "&HFFFF" << kFails;
    QTest::newRow("hex FFFFFFFF reads as -1") << "&HFFFFFFFF" << kFails;
    QTest::newRow("hex over 32 bits") << "&H100000000" << kFails;
    QTest::newRow("hex with 20 digits") << "&H" + repeated('F', 20) << kFails;
    QTest::newRow("octal 400") << "&O400" << kFails;
    QTest::newRow("10,000 digits") << repeated('9', 10000) << kFails;
    QTest::newRow("1 and 10,000 zeros") << "1" + repeated('0', 10000) << kFails;
    QTest::newRow("huge exponent") << "1E999999999999" << kFails;
}

void TestCountValue::turnsBoxTextIntoByte() {
    QFETCH(QString, text);
    QFETCH(int, expected);

    const std::optional<quint8> byte = countvalue::countByte(text);
    if (expected == kFails) {
        QVERIFY2(!byte.has_value(), qPrintable(QStringLiteral("gave %1").arg(*byte)));
    } else {
        QVERIFY2(byte.has_value(), "gave no byte");
        QCOMPARE(int(*byte), expected);
    }
    // The stricter rule for counts from a program takes the same byte, or none.
    if (const std::optional<quint8> whole = countvalue::wholeCountByte(text))
        QCOMPARE(int(*whole), expected);
}

void TestCountValue::buildsCommand_data() {
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("mid");
    QTest::addColumn<int>("right");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("2, 0, 1") << 2 << 0 << 1 << bytes({115, 2, 0, 1, 13});
    QTest::newRow("all zero keeps the zero bytes") << 0 << 0 << 0 << bytes({115, 0, 0, 0, 13});
    QTest::newRow("largest counts") << 255 << 255 << 255 << bytes({115, 255, 255, 255, 13});
    QTest::newRow("count 13 looks like the end byte")
        << 13 << 13 << 13 << bytes({115, 13, 13, 13, 13});
    QTest::newRow("order left, mid, right") << 1 << 2 << 3 << bytes({115, 1, 2, 3, 13});
}

void TestCountValue::buildsCommand() {
    QFETCH(int, left);
    QFETCH(int, mid);
    QFETCH(int, right);
    QFETCH(QByteArray, expected);
    QCOMPARE(countvalue::countCommand(quint8(left), quint8(mid), quint8(right)), expected);
}

QTEST_APPLESS_MAIN(TestCountValue)
#include "test_countvalue.moc"
