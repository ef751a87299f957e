#include "history/names.h"

#include "history/csv.h"
#include "history/pathgate.h"
#include "state/settingsstore.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStringConverter>
#include <QStringDecoder>
#include <QStringList>

namespace names {

namespace {

bool inRange(int input) {
    return input >= kFirstInput && input <= kLastInput;
}

// One physical line split into CSV fields; false when its quoting is broken.
bool splitFields(const QString& line, QStringList& fields) {
    fields.clear();
    QString field;
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (true) {
        field.clear();
        if (i < n && line[i] == u'"') {
            ++i;
            bool closed = false;
            while (i < n) {
                if (line[i] == u'"') {
                    if (i + 1 < n && line[i + 1] == u'"') {
                        field.append(u'"');
                        i += 2;
                        continue;
                    }
                    closed = true;
                    ++i;
                    break;
                }
                field.append(line[i++]);
            }
            if (!closed || (i < n && line[i] != u','))
                return false;
        } else {
            while (i < n && line[i] != u',') {
                if (line[i] == u'"')
                    return false; // a quote inside an unquoted field
                field.append(line[i++]);
            }
        }
        fields.append(field);
        if (i >= n)
            return true;
        ++i; // the comma
    }
}

} // namespace

QString describe(const Problem& p) {
    QString why;
    switch (p.fault) {
    case Fault::BadUtf8:
        why = QCoreApplication::translate("names", "not UTF-8");
        break;
    case Fault::BadQuotes:
        why = QCoreApplication::translate("names", "broken quotes");
        break;
    case Fault::FieldCount:
        why = QCoreApplication::translate("names", "expected input,name");
        break;
    case Fault::NotANumber:
        why = QCoreApplication::translate("names", "the input is not a number");
        break;
    case Fault::OutOfRange:
        why = QCoreApplication::translate("names", "the input is outside 1..160");
        break;
    case Fault::Duplicate:
        why = QCoreApplication::translate("names", "the input is named on an earlier line");
        break;
    case Fault::TooLong:
        why = QCoreApplication::translate("names", "the name is longer than 40 characters");
        break;
    case Fault::ControlChar:
        why = QCoreApplication::translate("names", "the name holds a control character");
        break;
    }
    return QCoreApplication::translate("names", "line %1: %2").arg(p.line).arg(why);
}

QString beskriv(const Problem& p) {
    QString why;
    switch (p.fault) {
    case Fault::BadUtf8:
        why = QCoreApplication::translate("names", "ikke UTF-8");
        break;
    case Fault::BadQuotes:
        why = QCoreApplication::translate("names", "fejl i anførselstegn");
        break;
    case Fault::FieldCount:
        why = QCoreApplication::translate("names", "ventede indgang,navn");
        break;
    case Fault::NotANumber:
        why = QCoreApplication::translate("names", "indgangen er ikke et tal");
        break;
    case Fault::OutOfRange:
        why = QCoreApplication::translate("names", "indgangen er uden for 1..160");
        break;
    case Fault::Duplicate:
        why = QCoreApplication::translate("names", "indgangen har navn på en tidligere linje");
        break;
    case Fault::TooLong:
        why = QCoreApplication::translate("names", "navnet er længere end 40 tegn");
        break;
    case Fault::ControlChar:
        why = QCoreApplication::translate("names", "navnet har et styretegn");
        break;
    }
    return QCoreApplication::translate("names", "linje %1: %2").arg(p.line).arg(why);
}

QString Names::name(int input) const {
    return inRange(input) ? m_names[std::size_t(input)] : QString();
}

bool Names::check(const QString& name, QString* cleaned, Fault* fault) {
    const QString c = name.trimmed().normalized(QString::NormalizationForm_C);
    for (const QChar ch : c) {
        if (ch.category() == QChar::Other_Control || ch == QChar::LineSeparator ||
            ch == QChar::ParagraphSeparator) {
            if (fault)
                *fault = Fault::ControlChar;
            return false;
        }
    }
    qsizetype length = 0;
    for (qsizetype i = 0; i < c.size(); ++i)
        if (!c[i].isLowSurrogate())
            ++length;
    if (length > kMaxLength) {
        if (fault)
            *fault = Fault::TooLong;
        return false;
    }
    if (cleaned)
        *cleaned = c;
    return true;
}

bool Names::setName(int input, const QString& name) {
    QString cleaned;
    if (!inRange(input) || !check(name, &cleaned, nullptr))
        return false;
    m_names[std::size_t(input)] = cleaned;
    return true;
}

bool Names::isEmpty() const {
    return count() == 0;
}

int Names::count() const {
    int n = 0;
    for (const QString& s : m_names)
        n += s.isEmpty() ? 0 : 1;
    return n;
}

void parse(QByteArrayView text, Names& names, QList<Problem>* problems) {
    names.clear();
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    std::array<bool, kLastInput + 1> seen{};
    const auto fail = [&](int line, Fault fault) {
        if (problems)
            problems->append({line, fault});
    };
    QStringList fields;
    int lineNo = 0;
    qsizetype pos = 0;
    while (pos < text.size()) {
        qsizetype end = text.indexOf('\n', pos);
        if (end < 0)
            end = text.size();
        QByteArrayView raw = text.sliced(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (raw.endsWith('\r'))
            raw.chop(1);
        if (raw.trimmed().isEmpty())
            continue;
        QStringDecoder decode(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString line = decode(raw);
        if (decode.hasError()) {
            fail(lineNo, Fault::BadUtf8);
            continue;
        }
        if (!splitFields(line, fields)) {
            fail(lineNo, Fault::BadQuotes);
            continue;
        }
        if (fields.size() != 2) {
            fail(lineNo, Fault::FieldCount);
            continue;
        }
        const QString number = fields[0].trimmed();
        if (lineNo == 1 && number.compare(u"input", Qt::CaseInsensitive) == 0 &&
            fields[1].trimmed().compare(u"name", Qt::CaseInsensitive) == 0)
            continue; // the header
        bool ok = false;
        const qlonglong input = number.toLongLong(&ok);
        if (!ok) {
            fail(lineNo, Fault::NotANumber);
            continue;
        }
        if (input < kFirstInput || input > kLastInput) {
            fail(lineNo, Fault::OutOfRange);
            continue;
        }
        if (seen[std::size_t(input)]) {
            fail(lineNo, Fault::Duplicate);
            continue;
        }
        Fault fault{};
        QString cleaned;
        if (!Names::check(csv::unguarded(fields[1].trimmed()), &cleaned, &fault)) {
            fail(lineNo, fault);
            continue;
        }
        seen[std::size_t(input)] = true;
        names.setName(int(input), cleaned);
    }
}

QByteArray toCsv(const Names& names) {
    QByteArray out(kHeader);
    for (int n = kFirstInput; n <= kLastInput; ++n) {
        const QString name = names.name(n);
        if (name.isEmpty())
            continue;
        out.append(QByteArray::number(n));
        out.append(',');
        out.append(csv::quoted(name)).append('\n');
    }
    return out;
}

bool load(const QString& path, Names& names, QList<Problem>* problems, QString* error) {
    names.clear();
    if (!QFile::exists(path))
        return true;
    // A names file is a few kilobytes; anything far larger is not one.
    constexpr qint64 kMaxSize = 1024 * 1024;
    const std::optional<QByteArray> text = pathgate::readWhole(path, kMaxSize, error);
    if (!text)
        return false;
    parse(*text, names, problems);
    return true;
}

bool save(const QString& path, const Names& names, QString* error,
          const std::function<bool()>& beforeCommit) {
    if (!pathgate::writable(path, {}, error))
        return false;
    QSaveFile file(path);
    const QByteArray text = toCsv(names);
    bool ok = file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
    if (ok && beforeCommit && !beforeCommit()) {
        file.cancelWriting();
        if (error)
            *error = QCoreApplication::translate("names", "the save was abandoned");
        return false;
    }
    ok = ok && file.commit();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}

QString defaultPath() {
    const QSettings settings(QSettings::IniFormat, QSettings::UserScope, settings_keys::kApp);
    return QFileInfo(settings.fileName()).absolutePath() + QLatin1Char('/') + settings_keys::kApp +
           QStringLiteral("-names.csv");
}

} // namespace names
