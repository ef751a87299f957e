// The module-count text rules on arbitrary text: no crash, only counts 0..255, and the
// blanks the rules ignore really make no difference.
#include "serial/countvalue.h"

#include <QString>
#include <cmath>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<quint8> byte = countvalue::countByte(text);
    const double value = countvalue::Val(text);

    QString spaced;
    for (const QChar c : text) {
        spaced += c;
        spaced += QLatin1Char(' ');
    }
    const double again = countvalue::Val(spaced);
    const bool same = (std::isnan(value) && std::isnan(again)) || value == again;
    if (!same) {
        std::fprintf(stderr, "blanks changed the value: %g vs %g\n", value, again);
        std::abort();
    }
    if (byte && countvalue::toLong(value) != qint32(*byte))
        std::abort();
    if (!byte && countvalue::toLong(value) && *countvalue::toLong(value) >= 0 &&
        *countvalue::toLong(value) <= 255)
        std::abort();
    const QByteArray command = countvalue::countCommand(byte.value_or(0), 1, 2);
    if (command.size() != 5 || command[0] != 's' || command[4] != '\r')
        std::abort();
    return 0;
}
