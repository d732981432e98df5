#include "XSession.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>

#include <unistd.h>
#include <xcb/xcb.h>

namespace {

QProcessEnvironment gameEnvironment(const QString& display, const QString& directory) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("DISPLAY"), display);
    environment.insert(QStringLiteral("ORDNIX_DUMP"), directory + QStringLiteral("/dump"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), directory + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), directory + QStringLiteral("/runtime"));
    environment.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    // A bus address that answers nothing. Without one, SDL's D-Bus client forks to autolaunch a bus; under
    // AddressSanitizer a fork while another thread allocates leaves the child stuck in malloc, and the
    // sound device's opening thread, which quitting waits for, waits for that child for good.
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + directory + QStringLiteral("/no-bus"));
    return environment;
}

} // namespace

bool XSession::xvfbAvailable() { return !QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty(); }

XSession::XSession() {
    if (!xvfbAvailable())
        return;
    // A display nobody uses: no socket and no lock file.
    for (int candidate = 90 + getpid() % 100; candidate < 400; ++candidate) {
        if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(candidate)) ||
            QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(candidate)))
            continue;
        number_ = candidate;
        xvfb_.setProgram(QStandardPaths::findExecutable(QStringLiteral("Xvfb")));
        xvfb_.setArguments({display(), QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                            QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        xvfb_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        xvfb_.start();
        if (!xvfb_.waitForStarted(10000))
            return;
        started_ = waitUntil(
            [this] {
                return QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number_)) ||
                       xvfb_.state() != QProcess::Running;
            },
            std::chrono::seconds(20));
        started_ = started_ && xvfb_.state() == QProcess::Running;
        if (started_)
            return;
        // Another server took the display meanwhile, or this one is stuck: try the next number.
        xvfb_.kill();
        xvfb_.waitForFinished(10000);
    }
}

XSession::~XSession() {
    if (game_ && game_->state() != QProcess::NotRunning) {
        game_->kill();
        game_->waitForFinished(10000);
    }
    if (xvfb_.state() != QProcess::NotRunning) {
        xvfb_.terminate();
        if (!xvfb_.waitForFinished(10000)) {
            xvfb_.kill();
            xvfb_.waitForFinished(10000);
        }
    }
}

bool XSession::startGame(const QStringList& arguments) {
    directory_ = std::make_unique<QTemporaryDir>();
    if (!directory_->isValid())
        return false;
    QDir(directory_->path()).mkpath(QStringLiteral("dump"));
    QDir(directory_->path()).mkpath(QStringLiteral("config"));
    QDir(directory_->path()).mkpath(QStringLiteral("runtime"));
    QFile::setPermissions(directory_->path() + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    game_ = std::make_unique<QProcess>();
    game_->setProgram(QStringLiteral(ORDNIX_BINARY));
    game_->setArguments(arguments);
    game_->setProcessEnvironment(gameEnvironment(display(), directory_->path()));
    game_->setProcessChannelMode(QProcess::ForwardedChannels);
    game_->start();
    if (!game_->waitForStarted(20000))
        return false;
    // Up when the first field and the published menus have been dumped and the window can be found.
    return waitUntil([this] { return !field().isNull() && menus().count(QStringLiteral("262")) == 1 && ready(); },
                     std::chrono::seconds(120)) &&
           waitUntil([this] { return locateField(); }, std::chrono::seconds(30));
}

std::optional<std::chrono::milliseconds> XSession::waitForExit(std::chrono::milliseconds limit) {
    const auto start = std::chrono::steady_clock::now();
    if (!game_->waitForFinished(static_cast<int>(limit.count())))
        return std::nullopt;
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

QString XSession::xdotool(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display());
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool XSession::locateField() {
    const QStringList windows =
        xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), QStringLiteral("^Ordnix( |$)")})
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& window : windows) {
        const QString shell = xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
        std::map<QString, int> values;
        for (const QString& line : shell.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QStringList pair = line.split(QLatin1Char('='));
            if (pair.size() == 2)
                values[pair[0]] = pair[1].toInt();
        }
        const int width = values[QStringLiteral("WIDTH")];
        const int height = values[QStringLiteral("HEIGHT")];
        // The window is at least as wide as the field, and wider when its menu bar needs it.
        if (width < 512)
            continue;
        scale_ = width >= 1024 ? 2 : 1;
        menuBarHeight_ = height - 322 * scale_;
        if (menuBarHeight_ <= 0)
            continue;
        windowOrigin_ = QPoint(values[QStringLiteral("X")], values[QStringLiteral("Y")]);
        fieldOrigin_ = windowOrigin_ + QPoint(0, menuBarHeight_);
        return true;
    }
    return false;
}

QPoint XSession::screenPoint(int h, int v) const {
    return fieldOrigin_ + QPoint(h * scale_ + scale_ / 2, v * scale_ + scale_ / 2);
}

void XSession::clickField(int h, int v) {
    const QPoint p = screenPoint(h, v);
    xdotool({QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y())});
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
}

void XSession::dragField(int fromH, int fromV, int toH, int toV) {
    const QPoint from = screenPoint(fromH, fromV);
    const QPoint to = screenPoint(toH, toV);
    xdotool({QStringLiteral("mousemove"), QString::number(from.x()), QString::number(from.y())});
    xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
    // In steps, with pauses, as a hand drags: the game samples the pointer while the button is held.
    for (int step = 1; step <= 5; ++step) {
        const QPoint at = from + (to - from) * step / 5;
        xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())});
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
}

void XSession::chooseMenu(int menuIndex, int enabledItemIndex) {
    // The application menu's title is the first in the bar; from there the arrow keys walk the bar,
    // and a menu reached by keyboard opens with its first enabled item selected.
    const QPoint title = windowOrigin_ + QPoint(12, menuBarHeight_ / 2);
    xdotool({QStringLiteral("mousemove"), QString::number(title.x()), QString::number(title.y())});
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (int i = 0; i < menuIndex; ++i) {
        key(QStringLiteral("Right"));
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
    }
    for (int i = 0; i < enabledItemIndex; ++i) {
        key(QStringLiteral("Down"));
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    key(QStringLiteral("Return"));
}

void XSession::key(const QString& keys) { xdotool({QStringLiteral("key"), keys}); }

bool XSession::keyUntil(const QString& keys, const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        key(keys);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (waitUntil(done, std::min<std::chrono::milliseconds>(left, std::chrono::seconds(3))))
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
    }
}

bool XSession::ready() const { return menuLine("ready", "true"); }

bool XSession::menuLine(const char* id, const char* start) const {
    const auto menus = this->menus();
    const auto found = menus.find(QString::fromLatin1(id));
    return found != menus.end() && found->second.startsWith(QString::fromLatin1(start));
}

std::map<QString, QString> XSession::menus() const {
    std::map<QString, QString> result;
    if (!directory_)
        return result;
    QFile file(directory_->path() + QStringLiteral("/dump/menus.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return result;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(QStringLiteral("ready=")))
            result[QStringLiteral("ready")] = line.mid(6);
        else
            result[line.section(QLatin1Char(' '), 0, 0)] = line.section(QLatin1Char(' '), 1);
    }
    return result;
}

QString XSession::dumpDirectory() const { return directory_ ? directory_->path() + QStringLiteral("/dump") : QString(); }

QImage XSession::field() const {
    if (!directory_)
        return QImage();
    return QImage(directory_->path() + QStringLiteral("/dump/field.png"));
}

bool XSession::waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

unsigned long XSession::windowId(const QString& titlePattern) {
    const QStringList windows =
        xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), titlePattern})
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return windows.isEmpty() ? 0 : windows.first().toULong();
}

unsigned long XSession::focusedWindow() { return xdotool({QStringLiteral("getwindowfocus")}).trimmed().toULong(); }

bool XSession::closeWindow(unsigned long window) {
    xcb_connection_t* connection = xcb_connect(display().toLatin1().constData(), nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return false;
    }
    auto atom = [connection](const char* name) {
        const auto cookie = xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
        const xcb_atom_t value = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
        std::free(reply);
        return value;
    };
    xcb_client_message_event_t request{};
    request.response_type = XCB_CLIENT_MESSAGE;
    request.format = 32;
    request.window = static_cast<xcb_window_t>(window);
    request.type = atom("WM_PROTOCOLS");
    request.data.data32[0] = atom("WM_DELETE_WINDOW");
    request.data.data32[1] = XCB_CURRENT_TIME;
    bool sent = request.type != XCB_ATOM_NONE && request.data.data32[0] != XCB_ATOM_NONE;
    if (sent) {
        // Checked, and waited for: a server under load may drop the unread requests of a client that
        // has already hung up, so the request must be taken before the connection closes.
        const xcb_void_cookie_t cookie = xcb_send_event_checked(connection, 0, request.window, XCB_EVENT_MASK_NO_EVENT,
                                                                reinterpret_cast<const char*>(&request));
        xcb_generic_error_t* error = xcb_request_check(connection, cookie);
        sent = error == nullptr;
        std::free(error);
    }
    xcb_disconnect(connection);
    return sent;
}
