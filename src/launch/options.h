#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The program's options as one table of declarations (options.cpp), and what a command line
// gave of them. The readers in commandline.cpp turn it into what the program runs.
namespace options {

enum class Id {
    Help,
    Version,
    Language,
    Port,
    Simulate,
    Fault,
    Walk,
    Replay,
    Speed,
    Record,
    History,
    Inputs,
    UnstableMs,
    UnstableChanges,
    Summary,
    Separator,
    Bursts,
    Timeline,
    Png,
    From,
    To,
    Names,
    ExitWhenShown,
    Mqtt,
    MqttCa,
    MqttPasswordFile,
    MqttDiscovery,
    MqttCommands,
    Headless,
    Counts,
    Count // not an option: the number of them
};

// Which run an option belongs to; given with another, it is a usage error.
enum class Goes { Anywhere, Window, Report };

struct Declaration {
    Id id;
    QStringList names; // the first long one is the one messages use
    QString valueName; // empty: a flag
    QString defaultValue;
    QString description; // empty: hidden from the help
    Goes goes = Goes::Anywhere;
    Id needs = Id::Count; // another option it is only given with; Count: none
};

const std::vector<Declaration>& declarations();

class Given {
public:
    // arguments[0] is the program as started.
    explicit Given(const QStringList& arguments);

    std::optional<QString> error() const; // the parser's, for an unknown or incomplete option
    bool isSet(Id id) const { return m_parser.isSet(m_options[index(id)]); }
    QString value(Id id) const { return m_parser.value(m_options[index(id)]); }
    QStringList values(Id id) const { return m_parser.values(m_options[index(id)]); }
    QStringList positionalArguments() const { return m_parser.positionalArguments(); }
    QString helpText(const QString& program) const;
    // The first option given that belongs to another run than `run`, or that lacks the option
    // it needs: what to tell the user.
    std::optional<QString> misplaced(Goes run) const;

    static QString name(Id id); // "--speed"

private:
    static std::size_t index(Id id) { return std::size_t(id); }

    QCommandLineParser m_parser;
    std::vector<QCommandLineOption> m_options; // by Id
    bool m_parsed = false;
};

} // namespace options
