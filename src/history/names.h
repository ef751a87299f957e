#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <array>
#include <functional>

// Names for the inputs ("Blok 3 øst"), kept in a file of their own beside the settings file:
// CSV `input,name`, UTF-8. A file with faults loads what is sound and says which lines it
// left out and why; it is written only when the user saves, through a temporary file that
// replaces the old one whole.
namespace names {

inline constexpr int kFirstInput = 1;
inline constexpr int kLastInput = 160;
inline constexpr int kMaxLength = 40; // characters (code points, composed)
inline constexpr char kHeader[] = "input,name\n";

// Why a line of a names file was left out.
enum class Fault {
    BadUtf8,     // not UTF-8
    BadQuotes,   // a quote left open, or text after a closing quote
    FieldCount,  // not two fields
    NotANumber,  // the input is not a whole number
    OutOfRange,  // the input is not 1..160
    Duplicate,   // the input was named on an earlier line
    TooLong,     // the name has more than 40 characters
    ControlChar, // the name holds a tab, line break or other control character
};

struct Problem {
    int line = 0; // 1-based, counting every line of the file
    Fault fault = Fault::BadUtf8;
    friend bool operator==(const Problem&, const Problem&) = default;
};

// "line 3: input 0 is outside 1..160" and "linje 3: indgang 0 er uden for 1..160".
QString describe(const Problem& problem);
QString beskriv(const Problem& problem);

class Names {
public:
    // Empty for an input without a name, or one outside 1..160.
    QString name(int input) const;
    // Trims the name; an empty name removes it. False (nothing changed) for an input outside
    // 1..160 or a name that is too long or holds a control character.
    bool setName(int input, const QString& name);
    bool isEmpty() const;
    int count() const;
    void clear() { m_names = {}; }
    friend bool operator==(const Names&, const Names&) = default;

    // The name cleaned as setName() would keep it, or nothing with the fault.
    static bool check(const QString& name, QString* cleaned, Fault* fault);

private:
    std::array<QString, kLastInput + 1> m_names{};
};

// The file's text read into `names` (which is cleared first); every line left out is in
// `problems`, once, in line order. An optional first line "input,name" is the header. A name
// written with a leading ' before a formula's first character (see csv::guarded) is read
// without it.
void parse(QByteArrayView text, Names& names, QList<Problem>* problems);
// The header and a line per named input, in input order, guarded and quoted as csv::quoted
// writes a text cell, so a spreadsheet that opens the file runs no name as a formula.
QByteArray toCsv(const Names& names);

// Reads the file; a file that does not exist is no names and no fault. False with a
// one-line reason (no file name) when the file exists but cannot be read.
bool load(const QString& path, Names& names, QList<Problem>* problems, QString* error);
// Writes the whole file through a temporary file and a rename, so the old file stays whole
// until the new one is complete. `beforeCommit`, when given, runs after the temporary file is
// written; returning false abandons the save as a crash there would. False with a one-line
// reason when the file cannot be written; the old file is then untouched.
bool save(const QString& path, const Names& names, QString* error,
          const std::function<bool()>& beforeCommit = {});

// The names file beside the per-user settings file.
QString defaultPath();

} // namespace names
