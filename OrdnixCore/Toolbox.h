// Toolbox: the core's emulation of the managers of a classic desktop toolbox.
//
// The game class derives from Toolbox and makes these calls on itself under their classic names, so
// that it reads like a program written for that platform. Everything that reaches the desktop goes
// through the MacHost given at construction; everything that draws goes through the one drawing
// context `qd()`, whose port is always the current window's port.
//
// Ownership: the toolbox owns the three windows (created hidden at construction, never destroyed) and
// hands them out as Window&; an optional window is a Window* (null for none). Regions, polygons and
// dialogs are std::shared_ptr shared with the game. Menu states and events are values.
//
// Invariants:
// - currentWindow() and qd().thePort name the same window; setPort is the only way to change them.
// - A window's visible flag changes only in showWindow/hideWindow (and the aliases selectWindow and
//   bringToFront), and the host hears of exactly those changes, once each.
// - Menu readiness toward the host is true from getNextEvent until menuSelect.
// - Every menu change publishes the complete state of every menu, in ascending menu id.
// - lastTick() changes only in tickCount().
//
// Menu choices are menu id << 16 plus the 1-based item; a choice whose menu is unknown or disabled,
// whose item is 0, beyond the menu, or disabled is dropped (menuSelect returns 0).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "MacHost.h"
#include "QuickDraw.h"
#include "ToolboxTypes.h"

class Toolbox {
public:
    // The graphics types under their short names, also for the derived game class.
    using Point = QuickDraw::Point;
    using Rect = QuickDraw::Rect;
    using Pattern = QuickDraw::Pattern;
    using PenMode = QuickDraw::PenMode;
    using Style = QuickDraw::Style;
    using GrafPort = QuickDraw::GrafPort;
    using Region = QuickDraw::Region;
    using Polygon = QuickDraw::Polygon;

    struct EventRecord {
        int64_t what = 0;
        int64_t message = 0;
        int64_t when = 0;
        Point where{};
        int64_t modifiers = 0;

        bool operator==(const EventRecord&) const = default;
    };

    static constexpr int64_t everyEvent = -1;
    static constexpr int64_t mouseDown = 1;
    static constexpr int64_t inMenuBar = 1;
    static constexpr int64_t inSysWindow = 2;
    static constexpr int64_t inContent = 3;
    static constexpr int64_t inDrag = 4;
    static constexpr int64_t inGrow = 5;

    // Number of items of each of the game's menus.
    static inline const std::map<int64_t, int64_t> menuItems{
        {256, 2}, {257, 1}, {258, 5}, {259, 5}, {260, 3}, {261, 6}, {262, 2}, {263, 8}, {264, 2},
    };

    // Creates the three windows, hidden, and the drawing context on the field window's port. The host
    // must not be null.
    explicit Toolbox(std::shared_ptr<MacHost> host);
    virtual ~Toolbox() = default;
    Toolbox(const Toolbox&) = delete;
    Toolbox& operator=(const Toolbox&) = delete;

    // ---- state (read access) ----
    MacHost& host() const { return *host_; }
    const std::shared_ptr<MacHost>& sharedHost() const { return host_; }
    QuickDraw::QuickDrawContext& qd() { return qd_; }
    const QuickDraw::QuickDrawContext& qd() const { return qd_; }
    const std::map<WindowID, Window>& windows() const { return windows_; }
    const std::map<int64_t, MenuState>& menus() const { return menus_; }
    Window& currentWindow() const { return *currentWindow_; }
    std::optional<int64_t> pendingMenuChoice() const { return pendingMenuChoice_; }
    int64_t lastTick() const { return lastTick_; }

    // ---- events (Toolbox.cpp) ----
    // Current tick; idles the host when the tick has not moved since the last call, so a loop waiting
    // for the next tick sleeps.
    int64_t tickCount();
    // host idle, then host button.
    bool button();
    // host button without idling: true while the button is down or a press is remembered.
    bool waitMouseUp();
    // The mouse in the current window's local coordinates.
    void getMouse(Point& mouse);
    void getMouseHV(Point& mouse);
    // Declares readiness for menus and takes a queued menu choice as a press in the menu bar. Without
    // a choice the host idles, the event is left untouched and the result is false. The mask is ignored.
    bool getNextEvent(int64_t mask, EventRecord& event);
    // inMenuBar above the screen's top edge, inContent elsewhere; the window is always set to none.
    int64_t findWindow(Point where, Window*& window);
    // The pending menu choice if its menu and item are enabled, else 0; consumes the pending choice
    // and ends menu readiness. The point is ignored.
    int64_t menuSelect(Point where);
    // Forgets the remembered press; both masks are ignored.
    void flushEvents(int64_t mask, int64_t stopMask);

    // ---- menus (Toolbox.cpp) ----
    // Creates the menu's state on first call (all items enabled, none checked); the id is the handle.
    int64_t getMenu(int64_t menuID);
    void drawMenuBar();
    // Item changes on a menu never created change nothing but still publish. The item must lie in
    // 0..item count of the menu (a caller error otherwise); item 0 in enable/disable means the whole menu.
    void checkItem(int64_t menu, int64_t item, bool checked);
    void enableItem(int64_t menu, int64_t item);
    void disableItem(int64_t menu, int64_t item);
    // Bits 16..31 and 0..15 of a menu choice, each read as a signed 16-bit number.
    static int64_t hiWord(int64_t value);
    static int64_t loWord(int64_t value);

    // ---- windows (ToolboxWindows.cpp) ----
    // One of the three windows; an id outside them is a caller error (aborts).
    Window& window(WindowID id);
    // 256, 257 or 258: the existing window of that id. Any other number is a caller error (aborts).
    Window& getNewWindow(int64_t windowNumber);
    void setPort(Window& window);
    // Show/hide notify the host only on a change of the window's visible flag.
    void showWindow(Window& window);
    void hideWindow(Window& window);
    void selectWindow(Window& window);
    void bringToFront(Window& window);
    // Pictures are not recorded: these do nothing.
    void setWindowPic(Window& window, int64_t picture);
    void killPicture(int64_t picture);
    // Suppresses drawing until closePicture (lowers and raises the current port's pnVis); returns 1.
    int64_t openPicture(const Rect& frame);
    void closePicture();

    // ---- rectangle and point utilities (ToolboxWindows.cpp), arguments in the classic order ----
    static void setRect(Rect& rect, int64_t left, int64_t top, int64_t right, int64_t bottom);
    static void setPt(Point& point, int64_t h, int64_t v);
    static bool ptInRect(Point point, const Rect& rect);
    static bool emptyRect(const Rect& rect);
    // The intersection and true, or Rect zero and false when it is empty.
    static bool sectRect(const Rect& a, const Rect& b, Rect& result);
    static void insetRect(Rect& rect, int64_t dh, int64_t dv);
    // Decimal text, "-" for negative values, no padding.
    static std::string numToString(int64_t n);

    // ---- drawing calls on the current port (ToolboxWindows.cpp) ----
    void moveTo(int64_t h, int64_t v);
    void lineTo(int64_t h, int64_t v);
    void penSize(int64_t h, int64_t v);
    void penMode(PenMode mode);
    void penPat(const Pattern& pattern);
    void penNormal();
    void hidePen();
    void showPen();
    void frameRect(const Rect& rect);
    void paintRect(const Rect& rect);
    void eraseRect(const Rect& rect);
    void fillRect(const Rect& rect, const Pattern& pattern);
    void inverRect(const Rect& rect);
    void frameOval(const Rect& rect);
    void eraseOval(const Rect& rect);
    void invertOval(const Rect& rect);
    void frameRoundRect(const Rect& rect, int64_t cornerWidth, int64_t cornerHeight);
    void fillRoundRect(const Rect& rect, int64_t cornerWidth, int64_t cornerHeight, const Pattern& pattern);
    void inverRoundRect(const Rect& rect, int64_t cornerWidth, int64_t cornerHeight);
    void paintArc(const Rect& rect, int64_t startAngle, int64_t arcAngle);
    std::shared_ptr<Region> newRgn();
    void openRgn();
    void closeRgn(const std::shared_ptr<Region>& region);
    void fillRgn(const std::shared_ptr<Region>& region, const Pattern& pattern);
    void disposeRgn(const std::shared_ptr<Region>& region);
    std::shared_ptr<Polygon> openPoly();
    void closePoly();
    void fillPoly(const std::shared_ptr<Polygon>& polygon, const Pattern& pattern);
    void textFont(int64_t font);
    void textFace(Style face);
    void textSize(int64_t size);
    void drawString(const std::string& text);
    void writeDraw(const std::string& text);
    // Pixel of the current port's bitmap (no portRect test; false outside the bitmap).
    bool getPixel(int64_t h, int64_t v);
    // Next value of the drawing context's generator, -32767..32767.
    int64_t random();
    int32_t randSeed() const;
    void setRandSeed(int32_t seed);

    // ---- dialogs, controls, cursor and sound (ToolboxDialogs.cpp) ----
    // A new dialog with no values, shown by the host.
    std::shared_ptr<Dialog> getNewDialog(int64_t dialogID);
    // Stores the value and pushes a snapshot of all values to the host, even when unchanged.
    void setCtlValue(const ControlHandle& control, int64_t value);
    int64_t getCtlValue(const ControlHandle& control) const;
    // RefCons stay in the core: the host never sees them.
    void setCRefCon(const ControlHandle& control, int64_t value);
    int64_t getCRefCon(const ControlHandle& control) const;
    // Blocks until the user clicks an item of the open dialog; stores its number.
    void modalDialog(const std::shared_ptr<Dialog>& dialog, int64_t& itemHit);
    void disposDialog(const std::shared_ptr<Dialog>& dialog);
    // Shows the alert modally and returns the item that closed it; an unknown id answers 1.
    int64_t alert(int64_t alertID);
    void initCursor();
    void setCursor(CursorKind kind);
    void hideCursor();
    void showCursor();
    void getSoundVol(int64_t& volume);
    void setSoundVol(int64_t volume);
    void stopSound();
    // host idle, then host soundDone: a loop waiting for a sound to end sleeps.
    bool soundDone();
    // The duration is ignored.
    void sysBeep(int64_t duration);

private:
    void publishMenus();
    MenuState* menuState(int64_t menu);
    void setItemEnabled(int64_t menu, int64_t item, bool enabled);

    const std::shared_ptr<MacHost> host_;
    std::map<WindowID, Window> windows_;
    QuickDraw::QuickDrawContext qd_;
    std::map<int64_t, MenuState> menus_;
    std::optional<int64_t> pendingMenuChoice_;
    int64_t lastTick_ = -1;
    Window* currentWindow_ = nullptr;
};
