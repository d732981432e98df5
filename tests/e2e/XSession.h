// XSession: a private Xvfb display with the game running on it, driven through xdotool.
//
// Screens are read back from the game's ORDNIX_DUMP directory (field.png, menus.txt, written once a
// second), so every check sees what the game itself drew and published.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class XSession {
public:
    // Whether an Xvfb binary is installed at all.
    static bool xvfbAvailable();

    // Starts Xvfb on a free display; check started() afterwards.
    XSession();
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    bool started() const { return started_; }
    QString display() const { return QStringLiteral(":%1").arg(number_); }

    // Starts the game with a fresh dump directory and settings store; true once its window is up and
    // the game polls for events (the first field is drawn and the menus take a choice).
    bool startGame(const QStringList& arguments = {});
    // The game's process (valid after startGame).
    QProcess& game() { return *game_; }
    // Waits for the game to end; the time it took, or none when it did not end in `limit`.
    std::optional<std::chrono::milliseconds> waitForExit(std::chrono::milliseconds limit);

    // Runs xdotool with these arguments on the display; its standard output.
    QString xdotool(const QStringList& arguments);
    // Reads the window geometry: screen position of the field's top-left and the scale.
    bool locateField();
    int scale() const { return scale_; }
    // The screen point at the centre of game pixel (h, v) of the field.
    QPoint screenPoint(int h, int v) const;
    void clickField(int h, int v);
    void dragField(int fromH, int fromV, int toH, int toV);
    // Opens the menu bar and chooses an item: menu index in the bar (0 the application menu). For a
    // later menu, reached by keyboard, its first enabled item is selected and `enabledItemIndex` more
    // enabled items are stepped over; the application menu opens with nothing selected, so there the
    // count is of Down presses (1 for its first enabled item).
    void chooseMenu(int menuIndex, int enabledItemIndex);
    void key(const QString& keys);
    // Presses `keys` until `done` holds, again every few seconds, for at most `limit`. A key pressed
    // while the keyboard focus is still passing between the field window and a sheet can be lost;
    // only for keys whose repetition does no harm.
    bool keyUntil(const QString& keys, const std::function<bool()>& done, std::chrono::milliseconds limit);
    // Whether the game polls for events in the latest dump: its menus take a choice now.
    bool ready() const;
    // Whether menus.txt's line for `id` starts with `start`.
    bool menuLine(const char* id, const char* start) const;
    // A player aims: only "STOP A BATTLE" is offered, the other menus are off, and the game takes choices.
    bool aiming() const {
        return menuLine("262", "enabled=true items=[false, true]") && menuLine("258", "enabled=false") && ready();
    }

    // The ORDNIX_DUMP directory (valid after startGame).
    QString dumpDirectory() const;
    // The dump: menus.txt as id -> line (and "ready" -> "true"/"false"), field.png as an image.
    std::map<QString, QString> menus() const;
    QImage field() const;
    // The screen point in the middle of the menu bar, x points from the window's left edge.
    QPoint menuBarPoint(int x) const { return windowOrigin_ + QPoint(x, menuBarHeight_ / 2); }
    // The id of the first visible window whose title matches the pattern; 0 when there is none.
    unsigned long windowId(const QString& titlePattern);
    // The window that has the keyboard focus.
    unsigned long focusedWindow();
    // Asks the window to close as a window manager's close button does (WM_DELETE_WINDOW).
    bool closeWindow(unsigned long window);

    // Polls `condition` every 100 ms until it holds or `limit` passes.
    static bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit);

private:
    bool started_ = false;
    int number_ = 0;
    QProcess xvfb_;
    std::unique_ptr<QProcess> game_;
    std::unique_ptr<QTemporaryDir> directory_;
    QPoint fieldOrigin_;
    QPoint windowOrigin_;
    int menuBarHeight_ = 0;
    int scale_ = 1;
};

// Whether pixel (h, v) of a dumped picture is black.
inline bool black(const QImage& image, int h, int v) { return qGray(image.pixel(h, v)) < 128; }
