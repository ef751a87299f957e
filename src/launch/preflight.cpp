#include "launch/preflight.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibrary>
#include <QLibraryInfo>
#include <QPluginLoader>
#include <QtGlobal>
#include <cstring>
#include <dlfcn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace preflight {

namespace {

// The value of a toolkit option, "-name V", "--name V" or "-name=V"; empty when not given.
QString optionValue(const QStringList& arguments, const char* name) {
    const QString single = u'-' + QLatin1StringView(name);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        for (const QString& option : {single, u'-' + single}) {
            if (a == option && i + 1 < arguments.size())
                return arguments[i + 1];
            if (a.startsWith(option) && a.size() > option.size() && a[option.size()] == u'=')
                return a.mid(option.size() + 1);
        }
    }
    return {};
}

// The platform named on the command line or in the environment; empty: the system's own.
QString platformName(const QStringList& arguments) {
    const QString given = optionValue(arguments, "platform");
    return given.isEmpty() ? qEnvironmentVariable("QT_QPA_PLATFORM") : given;
}

bool isSet(const char* name) {
    return !qEnvironmentVariableIsEmpty(name);
}

// The keys of the platform plugins in the folders the toolkit looks in, in lower case; empty
// when none is found there (plugins carried some other way), so that nothing is refused then.
QStringList platformPlugins(const QStringList& arguments) {
    QStringList folders{optionValue(arguments, "platformpluginpath")};
    folders += qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH").split(QDir::listSeparator());
    for (const QString& path :
         qEnvironmentVariable("QT_PLUGIN_PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts))
        folders.append(path + QStringLiteral("/platforms"));
    folders.append(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
    folders.append(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath() +
                   QStringLiteral("/platforms"));
    QStringList keys;
    for (const QString& folder : folders) {
        if (folder.isEmpty())
            continue;
        for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files)) {
            if (!QLibrary::isLibrary(file.fileName()))
                continue;
            // Reads the plugin's description from the file; the library is not loaded.
            const QJsonObject meta = QPluginLoader(file.filePath())
                                         .metaData()
                                         .value(QStringLiteral("MetaData"))
                                         .toObject();
            for (const QJsonValue& key : meta.value(QStringLiteral("Keys")).toArray())
                keys.append(key.toString().toLower());
        }
    }
    keys.removeDuplicates();
    keys.sort();
    return keys;
}

// Whether an X server lets this program in at `display`, asked as the toolkit asks it, through
// libxcb; true when libxcb cannot be loaded here (then the toolkit finds out for itself).
bool xServerAnswers(const QString& display) {
    void* xcb = ::dlopen("libxcb.so.1", RTLD_LAZY | RTLD_LOCAL);
    if (!xcb)
        return true;
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    const auto connect = reinterpret_cast<Connect>(::dlsym(xcb, "xcb_connect"));
    const auto hasError = reinterpret_cast<HasError>(::dlsym(xcb, "xcb_connection_has_error"));
    const auto disconnect = reinterpret_cast<Disconnect>(::dlsym(xcb, "xcb_disconnect"));
    if (!connect || !hasError || !disconnect)
        return true;
    const QByteArray name = display.toLocal8Bit();
    void* connection = connect(name.constData(), nullptr);
    const bool answers = hasError(connection) == 0;
    disconnect(connection); // an error connection is freed the same way
    return answers;
}

// The Wayland compositor's socket: WAYLAND_DISPLAY, a path or a name in XDG_RUNTIME_DIR.
QString waylandSocket() {
    const QString name = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (name.startsWith(u'/'))
        return name;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return runtime.isEmpty() || name.isEmpty() ? QString() : runtime + u'/' + name;
}

bool waylandAnswers(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    if (name.isEmpty() || size_t(name.size()) >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return true; // cannot tell
    const bool answers =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return answers;
}

QString cannotOpen(const QString& display) {
    return QCoreApplication::translate(
               "preflight", "cannot open the display %1: nothing answers there, or it refused "
                            "this program; use --history/--inputs/--headless for work without a "
                            "window")
        .arg(display);
}

// Why the platform `entry` ("xcb", "wayland", "offscreen", "name:options") cannot give the
// window a screen; nothing when it can. `plugins` as platformPlugins() gives them.
std::optional<QString> entryProblem(const QString& entry, const QStringList& plugins,
                                    const QStringList& arguments) {
    const QString name = entry.section(u':', 0, 0).toLower();
    if (!plugins.isEmpty() && !plugins.contains(name))
        return QCoreApplication::translate("preflight",
                                           "no display platform \"%1\" here (there are: %2)")
            .arg(entry.section(u':', 0, 0), plugins.join(QStringLiteral(", ")));
    if (name == u"xcb") {
        QString display = optionValue(arguments, "display");
        if (display.isEmpty())
            display = qEnvironmentVariable("DISPLAY");
        if (!xServerAnswers(display))
            return cannotOpen(display);
    } else if (name.startsWith(u"wayland")) {
        const QString socket = waylandSocket();
        if (!waylandAnswers(socket))
            return cannotOpen(socket.isEmpty() ? qEnvironmentVariable("WAYLAND_DISPLAY") : socket);
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> platformProblem(const QStringList& arguments) {
    QStringList entries = platformName(arguments).split(u';', Qt::SkipEmptyParts);
    if (entries.isEmpty()) { // the system's own: X, or Wayland where it is set
        if (isSet("DISPLAY"))
            entries.append(QStringLiteral("xcb"));
        if (isSet("WAYLAND_DISPLAY"))
            entries.append(QStringLiteral("wayland"));
    }
    const QStringList plugins = platformPlugins(arguments);
    std::optional<QString> first;
    // As the toolkit does, the first platform of the list that opens is taken.
    for (const QString& entry : entries) {
        std::optional<QString> why = entryProblem(entry, plugins, arguments);
        if (!why)
            return std::nullopt;
        if (!first)
            first = std::move(why);
    }
    return first;
}

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
    return platformProblem(arguments);
}

} // namespace preflight
