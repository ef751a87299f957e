#pragma once

#include <QByteArray>
#include <QStringView>
#include <QtGlobal>
#include <optional>

// The rules that turn a module-count box's text into one command byte.
namespace countvalue {

// The number at the start of the text, read as the classic BASIC Val reads it: blanks, tabs
// and line feeds are ignored anywhere; an optional sign, digits, one period as the decimal
// point and an exponent (E or D); or &H / &O followed by hexadecimal / octal digits, whose
// values up to 16 bits read as a signed 16-bit integer and up to 32 bits as a signed 32-bit
// one. Reading stops at the first character that cannot belong to the number; no number at
// all gives 0. Too large a number gives an infinity (or NaN for a radix number over 32 bits).
double Val(QStringView text);

// Rounds to the nearest 32-bit integer, a tie going to the even neighbour; nothing when the
// value lies outside the 32-bit range.
std::optional<qint32> toLong(double value);

// The command byte for a box text, or nothing when it is not a count from 0 to 255.
std::optional<quint8> countByte(QStringView text);

// The command byte for a text that is a count through and through: what countByte() takes,
// from a text that Val() reads whole (the blanks it ignores aside) and that holds no control
// character, which no one can type into a box. For counts from a program, where no one sees a
// box: a text that a box sends as 0 because no number begins it ("abc", "nan", an empty text)
// or whose end Val() leaves unread ("12abc", "1\r") is nothing here.
std::optional<quint8> wholeCountByte(QStringView text);

// The five bytes of the module-count command.
QByteArray countCommand(quint8 left, quint8 mid, quint8 right);

} // namespace countvalue
