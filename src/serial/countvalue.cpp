#include "serial/countvalue.h"

#include "state/protocol.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace countvalue {
namespace {

bool ignored(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

// Walks the text, skipping the characters Val ignores.
class Reader {
public:
    explicit Reader(QStringView text) : m_text(text) { skip(); }
    bool atEnd() const { return m_pos >= m_text.size(); }
    char peek() const {
        if (atEnd())
            return '\0';
        const QChar c = m_text[m_pos];
        return c.unicode() < 128 ? char(c.unicode()) : '\x7f'; // only ASCII can be part of it
    }
    void next() {
        ++m_pos;
        skip();
    }

private:
    void skip() {
        while (m_pos < m_text.size() && ignored(m_text[m_pos]))
            ++m_pos;
    }
    QStringView m_text;
    qsizetype m_pos = 0;
};

int digitValue(char c, int radix) {
    int v = -1;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v < radix ? v : -1;
}

double radixNumber(Reader& in, int radix, bool& anyDigit) {
    quint64 value = 0;
    bool overflow = false;
    while (true) {
        const int d = digitValue(in.peek(), radix);
        if (d < 0)
            break;
        anyDigit = true;
        value = value * quint64(radix) + quint64(d);
        if (value > 0xffffffffULL) {
            overflow = true;
            value = 0xffffffffULL; // keep reading the digits; the result is an overflow anyway
        }
        in.next();
    }
    if (overflow)
        return std::numeric_limits<double>::quiet_NaN();
    if (value <= 0xffffULL)
        return double(qint16(quint16(value)));
    return double(qint32(quint32(value)));
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

double decimalNumber(Reader& in, bool& anyDigit) {
    std::string text; // what from_chars reads: [-]digits[.digits][e[-]digits]
    if (in.peek() == '+' || in.peek() == '-') {
        if (in.peek() == '-')
            text += '-';
        in.next();
    }
    std::string mantissa;
    qsizetype pointAt = -1;
    while (true) {
        const char c = in.peek();
        if (isDigit(c)) {
            mantissa += c;
            anyDigit = true;
        } else if (c == '.' && pointAt < 0) {
            pointAt = qsizetype(mantissa.size());
        } else {
            break;
        }
        in.next();
    }
    if (!anyDigit)
        return 0.0;
    long long exponent = 0;
    const char e = in.peek();
    if (e == 'e' || e == 'E' || e == 'd' || e == 'D') {
        // Only taken when digits follow; "1E" is 1. Read ahead on a copy.
        Reader ahead = in;
        ahead.next();
        bool negative = false;
        if (ahead.peek() == '+' || ahead.peek() == '-') {
            negative = ahead.peek() == '-';
            ahead.next();
        }
        if (isDigit(ahead.peek())) {
            while (isDigit(ahead.peek())) {
                if (exponent < 1'000'000'000)
                    exponent = exponent * 10 + (ahead.peek() - '0');
                ahead.next();
            }
            exponent = negative ? -exponent : exponent;
            in = ahead;
        }
    }
    text += pointAt < 0 ? mantissa : mantissa.substr(0, pointAt) + '.' + mantissa.substr(pointAt);
    text += 'e';
    text += std::to_string(exponent);
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    Q_UNUSED(end);
    if (ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: which one depends on where the first
        // significant digit stands.
        const std::size_t first = mantissa.find_first_not_of('0');
        if (first == std::string::npos)
            return 0.0;
        const long long intDigits = (pointAt < 0 ? qsizetype(mantissa.size()) : pointAt);
        const long long order = intDigits - (long long)first + exponent;
        const bool negative = text.front() == '-';
        if (order > 0)
            return negative ? -std::numeric_limits<double>::infinity()
                            : std::numeric_limits<double>::infinity();
        return 0.0;
    }
    return value;
}

// Val's value, and whether it read a number from the whole text (the characters it ignores
// aside) rather than from a part of it, or none at all.
struct Reading {
    double value = 0.0;
    bool whole = false;
};

Reading read(QStringView text) {
    Reader in(text);
    bool anyDigit = false;
    Reading r;
    if (in.peek() == '&') {
        Reader ahead = in;
        ahead.next();
        const char prefix = ahead.peek();
        if (prefix != 'h' && prefix != 'H' && prefix != 'o' && prefix != 'O')
            return r;
        ahead.next();
        r.value = radixNumber(ahead, (prefix == 'h' || prefix == 'H') ? 16 : 8, anyDigit);
        r.whole = anyDigit && ahead.atEnd();
        return r;
    }
    r.value = decimalNumber(in, anyDigit);
    r.whole = anyDigit && in.atEnd();
    return r;
}

} // namespace

double Val(QStringView text) {
    return read(text).value;
}

std::optional<qint32> toLong(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value); // default rounding: nearest, ties to even
    if (rounded < double(std::numeric_limits<qint32>::min()) ||
        rounded > double(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return qint32(rounded);
}

std::optional<quint8> countByte(QStringView text) {
    const std::optional<qint32> n = toLong(Val(text));
    if (!n || *n < 0 || *n > 255)
        return std::nullopt;
    return quint8(*n);
}

std::optional<quint8> wholeCountByte(QStringView text) {
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control)
            return std::nullopt;
    if (!read(text).whole)
        return std::nullopt;
    return countByte(text);
}

QByteArray countCommand(quint8 left, quint8 mid, quint8 right) {
    const char bytes[protocol::kCountCommandSize] = {protocol::kCountCommand, char(left), char(mid),
                                                     char(right), protocol::kCommandEnd};
    return QByteArray(bytes, sizeof bytes);
}

} // namespace countvalue
