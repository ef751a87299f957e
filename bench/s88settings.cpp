// Start-up and Indsæt (s) with an absurd stored count: a settings file whose Left count is a 3
// and 100 MB of blanks (a count, so Indsæt (s) sends it and stores all three). Prints how long the
// window's start-up and the click take and the peak resident memory; what is stored afterwards is
// checked by the tests, not here.
//
// Usage: s88settings [--mb N]   (100 by default)

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

} // namespace

int main(int argc, char* argv[]) {
    int mb = 100;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--mb") == 0)
            mb = std::atoi(argv[i + 1]);
    }
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    {
        QFile settings(dir.filePath(QStringLiteral("Gen_Vorn_S88.conf")));
        if (!settings.open(QIODevice::WriteOnly))
            return 1;
        settings.write("[S88Left]\nAntal=3");
        const QByteArray digits(1024 * 1024, ' ');
        for (int i = 0; i < mb; ++i)
            settings.write(digits);
        settings.write("\n[S88Mid]\nAntal=0\n[S88Right]\nAntal=0\n");
    }
    QApplication app(argc, argv);
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
