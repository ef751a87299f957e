// Start-up and Indsæt (s) with hostile settings files.
//
// By default an absurd stored count: a settings file whose Left count is a 3 and 100 MB of
// blanks (a count, so Indsæt (s) sends it and stores all three). Prints how long the window's
// start-up and the click take and the peak resident memory; what is stored afterwards is
// checked by the tests, not here.
//
// With --junk, a settings file of a million junk sections (each with a key) filling 100 MB,
// the real counts after them: prints how long the store takes to read every key start-up asks
// (the three counts, the view settings, the MQTT settings) and one SaveSettings of the three
// counts, and the peak resident memory.
//
// Usage: s88settings [--mb N] [--junk [--sections N]]   (100 MB, a million sections by default)

#include "bridge/mqttsettings.h"
#include "state/viewsettings.h"
#include "support/formsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>

namespace {

double peakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

bool writeLongCount(QFile& settings, int mb) {
    settings.write("[S88Left]\nAntal=3");
    const QByteArray blanks(1024 * 1024, ' ');
    for (int i = 0; i < mb; ++i)
        settings.write(blanks);
    settings.write("\n[S88Mid]\nAntal=0\n[S88Right]\nAntal=0\n");
    return settings.error() == QFileDevice::NoError;
}

// `sections` junk sections of one key each, together about `mb` MB, then the real counts.
bool writeJunk(QFile& settings, int mb, int sections) {
    const qint64 each = std::max<qint64>(qint64(mb) * 1024 * 1024 / std::max(sections, 1), 32);
    QByteArray block;
    for (int i = 0; i < sections; ++i) {
        QByteArray section = "[Junk" + QByteArray::number(i) + "]\nAntal=";
        section += QByteArray(std::max<qint64>(each - section.size() - 1, 1), 'j') + '\n';
        block += section;
        if (block.size() > 1024 * 1024) {
            settings.write(block);
            block.clear();
        }
    }
    settings.write(block);
    settings.write("[S88Left]\nAntal=3\n[S88Mid]\nAntal=0\n[S88Right]\nAntal=0\n");
    return settings.error() == QFileDevice::NoError;
}

int junk(int mb, int sections) {
    using namespace settings_keys;
    QtSettingsStore store;
    QElapsedTimer t;
    t.start();
    QStringList counts;
    for (const QString& section : {kLeft, kMid, kRight})
        counts << store.GetSetting(kApp, section, kCount, kAbsent);
    const Language language = view_settings::language(store);
    const int zoom = view_settings::zoom(store);
    const bool colourHelp = view_settings::colourHelp(store);
    const mqtt_settings::Setting mqtt = mqtt_settings::load(store);
    const qint64 readMs = t.elapsed();
    if (counts != QStringList{"3", "0", "0"} || language != Language::Danish || zoom != 100 ||
        !colourHelp || mqtt.on)
        std::printf("read wrongly: %s\n", qPrintable(counts.join(u',')));
    t.restart();
    store.SaveSettings(kApp, {{kLeft, kCount, QStringLiteral("4")},
                              {kMid, kCount, QStringLiteral("1")},
                              {kRight, kCount, QStringLiteral("2")}});
    const qint64 saveMs = t.elapsed();
    QtSettingsStore again;
    if (again.GetSetting(kApp, kMid, kCount, kAbsent) != QLatin1String("1"))
        std::printf("not stored\n");
    std::printf(
        "%d junk sections in %d MB: the 11 keys start-up reads %lld ms, SaveSettings of "
        "three counts %lld ms (goal: well under 1000 each), peak resident memory %.1f MiB\n",
        sections, mb, static_cast<long long>(readMs), static_cast<long long>(saveMs), peakMiB());
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    int mb = 100;
    int sections = 1000 * 1000;
    bool junkFile = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--junk") == 0)
            junkFile = true;
        else if (i + 1 < argc && std::strcmp(argv[i], "--mb") == 0)
            mb = std::atoi(argv[i + 1]);
        else if (i + 1 < argc && std::strcmp(argv[i], "--sections") == 0)
            sections = std::atoi(argv[i + 1]);
    }
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    {
        QFile settings(dir.filePath(QStringLiteral("Gen_Vorn_S88.conf")));
        if (!settings.open(QIODevice::WriteOnly) ||
            !(junkFile ? writeJunk(settings, mb, sections) : writeLongCount(settings, mb)))
            return 1;
    }
    QApplication app(argc, argv);
    if (junkFile)
        return junk(mb, sections);
    QtSettingsStore store;
    QElapsedTimer t;
    t.start();
    ScriptedWindow w(RigSetup{.store = &store, .load = true, .show = true, .openPort = true});
    const qint64 startMs = t.elapsed();
    t.restart();
    w.c().Command1->click();
    const qint64 clickMs = t.elapsed();
    if (!w.messages.shown.isEmpty() || w.serial.output.isEmpty())
        std::printf("not sent: %s\n", qPrintable(w.messages.shown.join(u'|')));
    std::printf("stored count of %d MB: start-up %lld ms, Indsæt (s) %lld ms (goal: at most 500), "
                "peak resident memory %.1f MiB\n",
                mb, static_cast<long long>(startMs), static_cast<long long>(clickMs), peakMiB());
    return 0;
}
