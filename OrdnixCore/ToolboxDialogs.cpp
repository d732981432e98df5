// Toolbox dialogs, controls, cursor and sound calls: thin forwards to the host around the Dialog state.
#include "Toolbox.h"

#include "Check.h"

namespace {

Dialog& dialogOf(const ControlHandle& control) {
    ORDNIX_CHECK(control.dialog != nullptr, "a control belongs to a dialog");
    return *control.dialog;
}

} // namespace

std::shared_ptr<Dialog> Toolbox::getNewDialog(int64_t dialogID) {
    auto dialog = std::make_shared<Dialog>(dialogID);
    host_->openDialog(*dialog);
    return dialog;
}

void Toolbox::setCtlValue(const ControlHandle& control, int64_t value) {
    Dialog& dialog = dialogOf(control);
    dialog.values_[control.item] = value;
    host_->dialogChanged(dialog);
}

int64_t Toolbox::getCtlValue(const ControlHandle& control) const { return dialogOf(control).value(control.item); }

void Toolbox::setCRefCon(const ControlHandle& control, int64_t value) { dialogOf(control).refCons_[control.item] = value; }

int64_t Toolbox::getCRefCon(const ControlHandle& control) const { return dialogOf(control).refCon(control.item); }

void Toolbox::modalDialog(const std::shared_ptr<Dialog>& dialog, int64_t& itemHit) {
    ORDNIX_CHECK(dialog != nullptr, "modalDialog: an open dialog");
    itemHit = host_->modalDialog(*dialog);
}

void Toolbox::disposDialog(const std::shared_ptr<Dialog>& dialog) {
    ORDNIX_CHECK(dialog != nullptr, "disposDialog: an open dialog");
    host_->closeDialog(*dialog);
}

int64_t Toolbox::alert(int64_t alertID) { return host_->alert(alertID); }

void Toolbox::initCursor() { host_->setCursor(CursorKind::arrow); }
void Toolbox::setCursor(CursorKind kind) { host_->setCursor(kind); }
void Toolbox::hideCursor() { host_->showCursor(false); }
void Toolbox::showCursor() { host_->showCursor(true); }

void Toolbox::getSoundVol(int64_t& volume) { volume = host_->soundVolume(); }
void Toolbox::setSoundVol(int64_t volume) { host_->setSoundVolume(volume); }
void Toolbox::stopSound() { host_->stopSound(); }

bool Toolbox::soundDone() {
    host_->idle();
    return host_->soundDone();
}

void Toolbox::sysBeep(int64_t /*duration*/) { host_->sysBeep(); }
