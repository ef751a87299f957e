// Recordings and reports against what the machine does to their files: a file cut or grown by
// another process while read, standard output full or closed, a small address-space limit,
// pipes and devices for files, a full disk under a recording, a lock held by another
// recording, and a file name that is not UTF-8. The reports run as the built program.
#include "history/filename.h"
#include "history/recorder.h"
#include "history/recording.h"
#include "support/testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct ProgramRun {
    int status = -1; // -1: ended by a signal or did not end
    QByteArray out;
    QByteArray err;
};

// A shell line run with the program's path as $0, with no display.
ProgramRun runShell(const QString& line, int timeoutMs = 20000) {
    QProcess p;
    QProcessEnvironment env = withoutDisplay();
    // Where the offscreen platform wants one; else Qt warns on standard error.
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"),
               QDir::tempPath() + QStringLiteral("/s88-runtime"));
    QDir().mkpath(env.value(QStringLiteral("XDG_RUNTIME_DIR")));
    QFile::setPermissions(env.value(QStringLiteral("XDG_RUNTIME_DIR")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("sh"), {QStringLiteral("-c"), line, QStringLiteral(S88MONITOR)});
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

QString quoted(const QString& s) {
    return u'\'' + QString(s).replace(u'\'', QStringLiteral("'\\''")) + u'\'';
}

// A finished recording: `blocks` records of 64 KB, received stray bytes (slow to play) or
// commands sent (read only), then input 1 on and off.
QByteArray bigRecording(int blocks, bool received = true) {
    QByteArray r = recording::header(0);
    const QByteArray junk(65536, char(0x55));
    for (int i = 0; i < blocks; ++i) {
        if (received)
            recording::appendReceived(r, 1, junk);
        else
            recording::appendSent(r, 1, junk);
    }
    recording::appendReceived(r, 100, QByteArray("i\x01\x01\x00\x01", 5));
    recording::appendReceived(r, 100, QByteArray("i\x01\x01\x00\x00", 5));
    recording::appendEnd(r, 0);
    return r;
}

// How far the program has read the file: its open descriptor's position, -1 while it has the
// file not open.
qint64 readPosition(qint64 pid, const QString& path) {
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString& fd :
         fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        if (QFile::symLinkTarget(fds.filePath(fd)) != path)
            continue;
        QFile info(QStringLiteral("/proc/%1/fdinfo/%2").arg(pid).arg(fd));
        if (!info.open(QIODevice::ReadOnly))
            return -1;
        const QByteArray text = info.readAll();
        const qsizetype at = text.indexOf("pos:");
        return at < 0 ? -1
                      : text.mid(at + 4, text.indexOf('\n', at) - at - 4).trimmed().toLongLong();
    }
    return -1;
}

} // namespace

class TestFiles : public QObject {
    Q_OBJECT

private slots:
    void reportOutput_data();
    void reportOutput();
    void notRegularFiles_data();
    void notRegularFiles();
    void givenPaths_data();
    void givenPaths();
    void settingsPathNotAFile_data();
    void settingsPathNotAFile();
    void changedWhileRead_data();
    void changedWhileRead();
    void stillBeingRecorded();
    void addressSpaceLimit_data();
    void addressSpaceLimit();
    void recorderRefuses_data();
    void recorderRefuses();
    void recorderOnFullDisk_data();
    void recorderOnFullDisk();
    void nonUtf8Names();

private:
    QString specialPath(const QString& kind) const;
    QTemporaryDir m_dir;
};

void TestFiles::reportOutput_data() {
    QTest::addColumn<QString>("report");
    QTest::addColumn<QString>("redirect");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    for (const char* report : {"--history", "--inputs", "--summary"}) {
        const QString r = QLatin1String(report);
        QTest::addRow("%s to a file", report) << r << "> /dev/null" << 0 << QString();
        QTest::addRow("%s to a full disk", report)
            << r << "> /dev/full" << 1 << "No space left on device";
        QTest::addRow("%s to a closed output", report) << r << ">&-" << 1 << "Bad file descriptor";
        QTest::addRow("%s to a closed pipe", report) << r << "| true" << 1 << "Broken pipe";
    }
}

void TestFiles::reportOutput() {
    QFETCH(QString, report);
    QFETCH(QString, redirect);
    QFETCH(int, status);
    QFETCH(QString, message);
    const QString path = m_dir.filePath(QStringLiteral("out.s88"));
    // Large enough that a closed pipe is met while the report is still being written.
    QVERIFY(writeFile(path, bigRecording(64, false)));
    const QString script =
        redirect.startsWith(u'|')
            ? QStringLiteral("trap '' PIPE; \"$0\" %1 %2 %3; echo \"status $?\" >&2")
                  .arg(report, quoted(path), redirect)
            : QStringLiteral("\"$0\" %1 %2 %3").arg(report, quoted(path), redirect);
    const ProgramRun r = runShell(script);
    if (redirect.startsWith(u'|')) {
        // The pipe's reader may have gone before or after the output: --inputs is one write.
        QVERIFY2(r.err.contains("status 0") ||
                     (r.err.contains("status 1") && r.err.contains(message.toUtf8())),
                 r.err.constData());
        return;
    }
    QCOMPARE(r.status, status);
    if (status == 0) {
        QCOMPARE(r.err, QByteArray());
        return;
    }
    QCOMPARE(r.err.count('\n'), 1);
    QVERIFY2(r.err.contains("standard output") && r.err.contains(message.toUtf8()),
             r.err.constData());
}

// A pipe, a folder or a device (named by `kind`) for a test to give as a file.
QString TestFiles::specialPath(const QString& kind) const {
    const QString path = m_dir.filePath(kind);
    if (kind == u"pipe" && !QFileInfo::exists(path) &&
        ::mkfifo(QFile::encodeName(path).constData(), 0600) != 0)
        qWarning("no pipe at %s", qPrintable(path));
    else if (kind == u"folder")
        QDir().mkpath(path);
    else if (kind == u"device")
        return QStringLiteral("/dev/zero");
    return path;
}

void TestFiles::notRegularFiles_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("kind");
    for (const char* option : {"--history", "--inputs", "--summary", "--replay"})
        for (const char* kind : {"pipe", "folder", "device"})
            QTest::addRow("%s of a %s", option, kind)
                << QString::fromLatin1(option) << QString::fromLatin1(kind);
}

void TestFiles::notRegularFiles() {
    QFETCH(QString, option);
    QFETCH(QString, kind);
    QString path = specialPath(kind);
    // A replay gets as far as its window would: on the offscreen platform.
    const QString platform =
        option == u"--replay" ? QStringLiteral("QT_QPA_PLATFORM=offscreen ") : QString();
    QElapsedTimer timer;
    timer.start();
    const ProgramRun r =
        runShell(QStringLiteral("%1exec \"$0\" %2 %3").arg(platform, option, quoted(path)), 10000);
    QCOMPARE(r.status, 2);
    QVERIFY(timer.elapsed() < 10000);
    QCOMPARE(r.err.count('\n'), 1);
    const QByteArray why = kind == u"folder" ? "is a folder" : "is not a regular file";
    QVERIFY2(r.err.contains(why) && r.err.contains(path.toUtf8()), r.err.constData());
    QCOMPARE(r.out, QByteArray());
}

void TestFiles::givenPaths_data() {
    QTest::addColumn<QString>("arguments"); // REC: a recording; PATH: the path of `kind`
    QTest::addColumn<QString>("kind");      // pipe, device, folder, rec, link (to REC)
    QTest::addColumn<QString>("says");
    const QString timeline = QStringLiteral("--timeline REC --png PATH");
    const QString names = QStringLiteral("--history REC --names PATH");
    const QString service =
        QStringLiteral("--headless --counts 1,1,1 --mqtt mqtt://127.0.0.1:1/x ");
    QTest::newRow("--png onto the recording") << timeline << "rec"
                                              << "which is being read";
    QTest::newRow("--png onto a link to it") << timeline << "link"
                                             << "which is being read";
    QTest::newRow("--png onto the names") << "--timeline REC --names NAMES --png NAMES"
                                          << "rec"
                                          << "which is being read";
    QTest::newRow("--png into a pipe") << timeline << "pipe"
                                       << "is not a regular file";
    QTest::newRow("--png into a folder") << timeline << "folder"
                                         << "is a folder";
    // A disk that fills, as the file-size limit tells it; the picture there before is kept.
    QTest::newRow("--png onto a disk that fills") << timeline << "limit"
                                                  << "--png|File too large";
    QTest::newRow("--names from a pipe") << names << "pipe"
                                         << "is not a regular file";
    QTest::newRow("--names from /dev/zero") << names << "device"
                                            << "is not a regular file";
    QTest::newRow("--names from a folder") << names << "folder"
                                           << "is a folder";
    QTest::newRow("--names of the service from /dev/zero") << service + "--names PATH"
                                                           << "device"
                                                           << "is not a regular file";
    QTest::newRow("--mqtt-password-file from a pipe") << service + "--mqtt-password-file PATH"
                                                      << "pipe"
                                                      << "is not a regular file";
    QTest::newRow("--mqtt-ca from a pipe")
        << "--headless --counts 1,1,1 --mqtt mqtts://127.0.0.1:1/x --mqtt-ca PATH"
        << "pipe"
        << "--mqtt-ca";
}

// Every path an option takes goes through one gate: a pipe, a device or a folder is refused
// at once with one line naming it, and an output never replaces an input, whatever names it.
void TestFiles::givenPaths() {
    QFETCH(QString, arguments);
    QFETCH(QString, kind);
    QFETCH(QString, says);
    const QString rec = m_dir.filePath(QStringLiteral("given.s88"));
    const QByteArray recorded = bigRecording(1);
    QFile f(rec);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(recorded) == recorded.size());
    f.close();
    const QString namesFile = m_dir.filePath(QStringLiteral("given.csv"));
    QFile n(namesFile);
    QVERIFY(n.open(QIODevice::WriteOnly) && n.write("1,Blok 1\n") > 0);
    n.close();
    QString path = specialPath(kind);
    if (kind == u"rec")
        path = rec;
    else if (kind == u"link" && !QFileInfo::exists(path))
        QVERIFY(QFile::link(rec, path));
    QString limit;
    if (kind == u"limit") {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old picture") > 0);
        limit = QStringLiteral("ulimit -f 1; trap '' XFSZ; ");
    }
    QStringList words = arguments.split(u' ');
    for (QString& w : words)
        w = quoted(w == u"REC" ? rec : w == u"PATH" ? path : w == u"NAMES" ? namesFile : w);
    const ProgramRun r =
        runShell(limit + QStringLiteral("exec \"$0\" ") + words.join(u' '), 10000);
    QCOMPARE(r.status, 2);
    QCOMPARE(r.err.count('\n'), 1);
    for (const QString& word : says.split(u'|'))
        QVERIFY2(r.err.contains(word.toUtf8()), r.err.constData());
    if (kind == u"limit") {
        QFile old(path);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old picture"));
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("limit*")}, QDir::Files).size(), 1);
    }
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), recorded);
    QVERIFY(n.open(QIODevice::ReadOnly));
    QCOMPARE(n.readAll(), QByteArray("1,Blok 1\n"));
}

void TestFiles::settingsPathNotAFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("says");
    QTest::newRow("settings file a pipe") << "pipe"
                                          << "is not a regular file";
    QTest::newRow("settings file a device") << "device"
                                            << "is not a regular file";
    QTest::newRow("settings file a folder") << "folder"
                                            << "is a folder";
}

// The settings file goes through the same rules: the service reads it as no file, at once, and
// says so once.
void TestFiles::settingsPathNotAFile() {
    QFETCH(QString, kind);
    QFETCH(QString, says);
    const QTemporaryDir config;
    const QString file = config.filePath(QStringLiteral("Gen_Vorn_S88.conf"));
    QVERIFY(makeNotAFile(file, kind));
    const ProgramRun r = runShell(
        QStringLiteral("XDG_CONFIG_HOME=%1 exec \"$0\" --headless").arg(quoted(config.path())),
        10000);
    QCOMPARE(r.status, 2);
    const QList<QByteArray> lines = r.err.trimmed().split('\n');
    QVERIFY2(lines.size() == 2, r.err.constData());
    QVERIFY2(lines[0].contains(file.toUtf8()) && lines[0].contains(says.toUtf8()),
             r.err.constData());
    QVERIFY2(lines[1].contains("no stored count"), r.err.constData());
}

void TestFiles::changedWhileRead_data() {
    QTest::addColumn<QString>("report");
    QTest::addColumn<qint64>("cutTo"); // -1: grown instead
    QTest::addColumn<QString>("message");
    for (const char* report : {"--history", "--inputs"}) {
        const QString r = QLatin1String(report);
        QTest::addRow("%s, cut to its header", report)
            << r << 16LL << "cut short|without its end record";
        QTest::addRow("%s, cut inside a record", report)
            << r << 16LL + 1000 << "cut short|without its end record";
        QTest::addRow("%s, cut to nothing", report)
            << r << 0LL << "cut short|without its end record";
        // Read up to its size at the start: the whole recording, and a word that it grew.
        QTest::addRow("%s, grown", report) << r << -1LL << "grew while it was read";
    }
}

// A second process (this test) cuts or grows the file once the program has it open.
void TestFiles::changedWhileRead() {
    QFETCH(QString, report);
    QFETCH(qint64, cutTo);
    QFETCH(QString, message);
    const QString path = m_dir.filePath(QStringLiteral("shared.s88"));
    QVERIFY(writeFile(path, bigRecording(128))); // 8 MB: played for far longer than the cut takes
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(QStringLiteral(S88MONITOR), {report, path});
    QVERIFY(p.waitForStarted());
    // Changed only once the program has read past the header: a file cut before that is an
    // empty file, not one cut while it was read.
    QTRY_VERIFY_WITH_TIMEOUT(readPosition(p.processId(), path) > 16, 10000);
    {
        QFile f(path);
        if (cutTo >= 0) {
            QVERIFY(f.resize(cutTo));
        } else {
            QVERIFY(f.open(QIODevice::Append));
            f.write(QByteArray(1000, 'x'));
        }
    }
    QVERIFY(p.waitForFinished(60000));
    const QByteArray err = p.readAllStandardError();
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    if (cutTo < 0) {
        QCOMPARE(p.exitCode(), 0);
        QVERIFY2(err.contains(message.toUtf8()), err.constData());
        return;
    }
    if (p.exitCode() == 0)
        QSKIP("the program had read the whole file before it was changed");
    QCOMPARE(p.exitCode(), 2);
    QCOMPARE(err.count('\n'), 1);
    QVERIFY2(QString::fromUtf8(err).contains(QRegularExpression(message)), err.constData());
}

// A recording another process keeps writing (no end record yet, 6 MB a second) is reported up
// to its size at the start, and the report ends, saying so, instead of running for ever.
void TestFiles::stillBeingRecorded() {
    const QString path = m_dir.filePath(QStringLiteral("growing.s88"));
    QByteArray start = bigRecording(16);
    QByteArray end;
    recording::appendEnd(end, 0);
    start.chop(end.size()); // no end record: still being written
    QVERIFY(writeFile(path, start));
    QFile grow(path);
    QVERIFY(grow.open(QIODevice::Append));
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(QStringLiteral(S88MONITOR), {QStringLiteral("--inputs"), path});
    QVERIFY(p.waitForStarted());
    QByteArray more;
    recording::appendReceived(more, 1, QByteArray(64 * 1024, 'x'));
    QElapsedTimer clock;
    clock.start();
    while (p.state() != QProcess::NotRunning && clock.elapsed() < 30000) {
        grow.write(more);
        grow.flush();
        p.waitForFinished(10);
    }
    QCOMPARE(p.state(), QProcess::NotRunning);
    QCOMPARE(p.exitCode(), 2);
    const QByteArray err = p.readAllStandardError();
    QCOMPARE(err.count('\n'), 1);
    // The size it saw when it opened the file: what the test wrote before, and perhaps more.
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("still being recorded; reported up to its (\\d+) bytes"))
            .match(QString::fromUtf8(err));
    QVERIFY2(m.hasMatch(), err.constData());
    QVERIFY2(m.captured(1).toLongLong() >= start.size(), err.constData());
    QVERIFY2(m.captured(1).toLongLong() < QFileInfo(path).size(), err.constData());
}

void TestFiles::addressSpaceLimit_data() {
    QTest::addColumn<QString>("report");
    QTest::newRow("--history") << QStringLiteral("--history");
    QTest::newRow("--inputs") << QStringLiteral("--inputs");
}

// A recording larger than the address space the program has to spare: it may take 100 MB,
// of which the program and its libraries take some 80 MB.
void TestFiles::addressSpaceLimit() {
    QFETCH(QString, report);
    const QString path = m_dir.filePath(QStringLiteral("large.s88"));
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the address sanitizer reserves far more address space than the limit leaves");
#endif
    // Commands sent: read through, but not played, so the report takes seconds, not minutes.
    if (QFileInfo(path).size() < 300LL * 1024 * 1024)
        QVERIFY(writeFile(path, bigRecording(4800, false))); // 300 MB
    QProcess p;
    p.setChildProcessModifier([] {
        const rlimit limit{100 * 1024 * 1024, 100 * 1024 * 1024};
        ::setrlimit(RLIMIT_AS, &limit);
    });
    p.start(QStringLiteral(S88MONITOR), {report, path});
    QVERIFY(p.waitForFinished(60000));
    const ProgramRun r{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                       p.readAllStandardOutput(), p.readAllStandardError()};
    QVERIFY2(r.status == 0, r.err.constData());
    QCOMPARE(r.out.count('\n'), report == u"--history" ? 3 : 2); // the header, input 1
}

void TestFiles::recorderRefuses_data() {
    QTest::addColumn<QString>("name"); // in the test's folder; "" itself for the empty name
    QTest::addColumn<QString>("message");
    QTest::newRow("empty name") << QString() << "intet filnavn";
    QTest::newRow("pipe with no reader") << "pipe"
                                         << "ikke en almindelig fil";
    QTest::newRow("link to /dev/full") << "full"
                                       << "ikke en almindelig fil";
    QTest::newRow("folder") << "folder"
                            << "ikke en almindelig fil";
    QTest::newRow("being recorded") << "held.s88"
                                    << "filen er i brug";
    QTest::newRow("being replayed") << "replayed.s88"
                                    << "filen er i brug";
    QTest::newRow("a new file") << "new.s88" << QString();
}

void TestFiles::recorderRefuses() {
    QFETCH(QString, name);
    QFETCH(QString, message);
    const QString path = name.isEmpty() ? QString() : m_dir.filePath(name);
    if (name == u"pipe" && !QFileInfo::exists(path))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    if (name == u"full")
        QFile::link(QStringLiteral("/dev/full"), path);
    if (name == u"folder")
        QVERIFY(QDir().mkpath(path));
    ScriptedSerialControl serial;
    Recorder holder(serial);
    recording::File replayed;
    if (name == u"held.s88")
        QVERIFY(holder.start(path));
    QByteArray before;
    if (name == u"replayed.s88") {
        QByteArray r = recording::header(0);
        recording::appendEnd(r, 0);
        QVERIFY(writeFile(path, r));
        before = r;
        bool beingRecorded = true;
        QVERIFY(replayed.open(path, nullptr, &beingRecorded)); // as a replay: a shared lock
        QVERIFY(!beingRecorded);
    }
    Recorder recorder(serial);
    QString why;
    QElapsedTimer timer;
    timer.start();
    const bool started = recorder.start(path, &why);
    QVERIFY(timer.elapsed() < 1000);
    QCOMPARE(started, message.isEmpty());
    QVERIFY2(why.startsWith(message), qPrintable(why));
    if (!before.isEmpty()) { // the file being replayed is left as it was
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    }
    if (name == u"held.s88") { // the holder's recording is whole
        holder.stop();
        recording::File file;
        QVERIFY(file.open(path, nullptr));
        recording::Reader reader(file);
        recording::Record record;
        while (reader.next(record)) {
        }
        QCOMPARE(reader.status(), recording::Reader::Status::Finished);
    }
}

void TestFiles::recorderOnFullDisk_data() {
    QTest::addColumn<int>("fillKb"); // filled before the recording starts
    QTest::newRow("already full") << 1024;
    QTest::newRow("fills while recording") << 0;
}

void TestFiles::recorderOnFullDisk() {
    QFETCH(int, fillKb);
    QTemporaryDir mountPoint;
    const int mounted =
        QProcess::execute(QStringLiteral("mount"),
                          {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                           QStringLiteral("size=1m"), QStringLiteral("tmpfs"), mountPoint.path()});
    if (mounted != 0)
        QSKIP("cannot mount a 1 MB tmpfs here (needs root in a system that allows mounts)");
    const auto unmount =
        qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {mountPoint.path()}); });
    if (fillKb > 0) {
        QFile fill(mountPoint.filePath(QStringLiteral("fill")));
        QVERIFY(fill.open(QIODevice::WriteOnly));
        fill.write(QByteArray(fillKb * 1024, 'x')); // as much as fits
    }
    const QString path = mountPoint.filePath(QStringLiteral("rec.s88"));
    ScriptedSerialControl serial;
    Recorder recorder(serial);
    QSignalSpy failed(&recorder, &Recorder::failed);
    QString why;
    if (fillKb > 0) {
        QVERIFY(!recorder.start(path, &why));
        QCOMPARE(why, QStringLiteral("disken er fuld"));
        return;
    }
    QVERIFY2(recorder.start(path, &why), qPrintable(why));
    const QByteArray command(60000, 's');
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 40 && recorder.isRecording(); ++i)
        recorder.sent(command); // each written out at once
    QCOMPARE(failed.size(), 1);
    QVERIFY(timer.elapsed() < 1000);
    QCOMPARE(failed[0][0].toString(),
             QStringLiteral("Optagelsen til %1 er stoppet: disken er fuld").arg(path));
    QVERIFY(!recorder.isRecording());
    // Readable up to its last whole record: the reader runs out only after one.
    recording::File file;
    QVERIFY(file.open(path, nullptr));
    recording::Reader reader(file);
    recording::Record record;
    int sent = 0;
    while (reader.next(record))
        sent += record.kind == recording::Record::Kind::Sent;
    QVERIFY(sent >= 10);
    QCOMPARE(reader.status(), recording::Reader::Status::Truncated);
    QVERIFY2(reader.error().contains(u"without its end record"), qPrintable(reader.error()));
    QCOMPARE(reader.offset(), QFileInfo(path).size());
}

// A recording whose name is not UTF-8 (Latin-1 "æ", byte 0xE6) opens as the system gives the
// name; a missing one is named with the byte escaped.
void TestFiles::nonUtf8Names() {
    QCOMPARE(filename::toNative(filename::fromNative("a\xe6.s88")), QByteArray("a\xe6.s88"));
    QCOMPARE(filename::shown(filename::fromNative("a\xe6.s88")), QStringLiteral("a\\xe6.s88"));
    QCOMPARE(filename::fromNative("\xc3\xa6"), QStringLiteral("æ"));
    QByteArray r = recording::header(0);
    recording::appendReceived(r, 100, QByteArray("i\x01\x01\x00\x01", 5));
    recording::appendEnd(r, 0);
    const QByteArray dir = QFile::encodeName(m_dir.path());
    const int fd = ::open((dir + "/a\xe6.s88").constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, r.constData(), size_t(r.size())), ssize_t(r.size()));
    ::close(fd);
    const ProgramRun good = runShell(
        QStringLiteral("\"$0\" --history \"$(printf '%1/a\\346.s88')\"").arg(m_dir.path()));
    QVERIFY2(good.status == 0, good.err.constData());
    QCOMPARE(good.out.count('\n'), 2);
    const ProgramRun missing =
        runShell(QStringLiteral("\"$0\" --inputs \"$(printf '%1/b\\346.s88')\"").arg(m_dir.path()));
    QCOMPARE(missing.status, 2);
    QVERIFY2(missing.err.contains("b\\xe6.s88: no such file"), missing.err.constData());
    ::unlink((dir + "/a\xe6.s88").constData()); // a name QTemporaryDir cannot remove
}

QTEST_MAIN(TestFiles)
#include "test_files.moc"
