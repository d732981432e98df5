// ForwardingHost: a MacHost that passes every call to the host below it. The hosts that sit between the
// core and the desktop (the computer's hand, the keys, a guest's hand) derive from it and override only
// the answers they change.
#pragma once

#include <memory>

#include "MacHost.h"

class ForwardingHost : public MacHost {
public:
    explicit ForwardingHost(std::shared_ptr<MacHost> inner) : inner_(std::move(inner)) {}

    int64_t tickCount() override { return inner_->tickCount(); }
    void spin(int64_t passes) override { inner_->spin(passes); }
    void idle() override { inner_->idle(); }
    bool button() override { return inner_->button(); }
    QuickDraw::Point mouse(const Window& in) override { return inner_->mouse(in); }
    std::optional<int64_t> takeMenuChoice() override { return inner_->takeMenuChoice(); }
    void setReadyForMenus(bool ready) override { inner_->setReadyForMenus(ready); }
    void flushEvents() override { inner_->flushEvents(); }
    void showWindow(const Window& window) override { inner_->showWindow(window); }
    void hideWindow(const Window& window) override { inner_->hideWindow(window); }
    void menusChanged(const std::vector<MenuState>& menus) override { inner_->menusChanged(menus); }
    void setCursor(CursorKind kind) override { inner_->setCursor(kind); }
    void showCursor(bool visible) override { inner_->showCursor(visible); }
    int64_t alert(int64_t id) override { return inner_->alert(id); }
    void openDialog(const Dialog& dialog) override { inner_->openDialog(dialog); }
    void dialogChanged(const Dialog& dialog) override { inner_->dialogChanged(dialog); }
    int64_t modalDialog(const Dialog& dialog) override { return inner_->modalDialog(dialog); }
    void closeDialog(const Dialog& dialog) override { inner_->closeDialog(dialog); }
    int64_t soundVolume() override { return inner_->soundVolume(); }
    void setSoundVolume(int64_t volume) override { inner_->setSoundVolume(volume); }
    void playSound(int64_t id) override { inner_->playSound(id); }
    void stopSound() override { inner_->stopSound(); }
    bool soundDone() override { return inner_->soundDone(); }
    void sysBeep() override { inner_->sysBeep(); }
    double secondsSince1970() override { return inner_->secondsSince1970(); }

protected:
    std::shared_ptr<MacHost> inner_;
};
