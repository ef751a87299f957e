#include "launch/preflight.h"

#include <QCoreApplication>
#include <QtGlobal>
#include <sys/resource.h>

namespace preflight {

namespace {

// The platform named on the command line or in the environment; empty: the system's own.
QString platformName(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        for (const char* name : {"-platform", "--platform"}) {
            const QLatin1StringView option(name);
            if (a == option && i + 1 < arguments.size())
                return arguments[i + 1];
            if (a.startsWith(option) && a.size() > option.size() && a[option.size()] == u'=')
                return a.mid(option.size() + 1);
        }
    }
    return qEnvironmentVariable("QT_QPA_PLATFORM");
}

bool isSet(const char* name) {
    return !qEnvironmentVariableIsEmpty(name);
}

} // namespace

bool hasDisplay(const QStringList& arguments) {
    const QString platform = platformName(arguments);
    if (platform.isEmpty())
        return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
    // "wayland;xcb": any of them will do. "name:options": the name counts.
    for (const QString& entry : platform.split(u';', Qt::SkipEmptyParts)) {
        const QString name = entry.section(u':', 0, 0);
        if (name == u"xcb") {
            if (isSet("DISPLAY"))
                return true;
        } else if (name.startsWith(u"wayland")) {
            if (isSet("WAYLAND_DISPLAY"))
                return true;
        } else {
            return true; // offscreen, minimal, vnc, eglfs, linuxfb: no display to be set
        }
    }
    return false;
}

bool enoughOpenFiles(long* limit) {
    rlimit r{};
    if (::getrlimit(RLIMIT_NOFILE, &r) != 0)
        return true; // the system does not say: let the toolkit try
    if (r.rlim_cur != RLIM_INFINITY && (r.rlim_max == RLIM_INFINITY || r.rlim_cur < r.rlim_max)) {
        rlimit raised = r;
        raised.rlim_cur = r.rlim_max == RLIM_INFINITY ? rlim_t(4096) : r.rlim_max;
        if (raised.rlim_cur > r.rlim_cur && ::setrlimit(RLIMIT_NOFILE, &raised) == 0)
            r = raised;
    }
    if (limit)
        *limit = r.rlim_cur == RLIM_INFINITY ? -1 : long(r.rlim_cur);
    return r.rlim_cur == RLIM_INFINITY || r.rlim_cur >= rlim_t(kMinOpenFiles);
}

std::optional<QString> windowProblem(const QStringList& arguments) {
    if (!hasDisplay(arguments))
        return QCoreApplication::translate(
            "preflight", "no display: set DISPLAY, or use --history/--inputs/--headless for "
                         "work without a window");
    long limit = 0;
    if (!enoughOpenFiles(&limit))
        return QCoreApplication::translate(
                   "preflight", "only %1 open files allowed (ulimit -n); the window needs %2")
            .arg(limit)
            .arg(kMinOpenFiles);
    return std::nullopt;
}

} // namespace preflight
