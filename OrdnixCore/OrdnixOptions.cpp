// The outs and player-type dialogs: one group of two radio buttons and "OK" each. The game answers
// every click itself, records the choice at the radio click and closes on "OK"; there is no cancel.
#include "Ordnix.h"

#include "Check.h"

namespace {
// The two dialogs' ids and the item numbers they share.
constexpr int64_t outsDialogID = 1000;
constexpr int64_t playerDialogID = 1002;
constexpr int64_t firstRadioItem = 1;
constexpr int64_t secondRadioItem = 2;
constexpr int64_t okItem = 3;
// The refCon of a radio button names its group in the game's group arrays.
constexpr int64_t groupIndex = 1;
} // namespace

void Ordnix::initRadioGroups() {
    gOutsRadio[1] = RadioGroup{firstRadioItem, secondRadioItem, secondRadioItem};  // "Losers Outs" on
    gPlayerRadio[1] = RadioGroup{firstRadioItem, secondRadioItem, firstRadioItem}; // "Rambo Fan Club" on
}

namespace {
// Attaches the group index to each button of the group and switches on the one the group holds.
void setRadioButtons(Ordnix& game, const RadioGroup& group) {
    for (int64_t i = group.first; i <= group.last; ++i) {
        ControlHandle control{game.gDialog, i};
        game.setCRefCon(control, groupIndex);
        game.setCtlValue(control, i == group.value ? 1 : 0);
    }
}

// Runs the open dialog until "OK"; a radio click switches the group, records which button is on and
// hands the clicked item to `choose` so the option follows at once.
template <typename Choose>
void runRadioDialog(Ordnix& game, RadioGroup& group, Choose choose) {
    game.flushEvents(Toolbox::everyEvent, 0);
    for (;;) {
        game.modalDialog(game.gDialog, game.gItemHit);
        if (game.gItemHit == firstRadioItem || game.gItemHit == secondRadioItem) {
            game.clickOutsRadio(game.gItemHit);
            for (int64_t i = group.first; i <= group.last; ++i) {
                if (game.getCtlValue(ControlHandle{game.gDialog, i}) == 1)
                    group.value = i;
            }
            choose(game.gItemHit);
        }
        if (game.gItemHit == okItem)
            return;
    }
}
} // namespace

void Ordnix::openOutsDialog() {
    gDialog = getNewDialog(outsDialogID);
    setRadioButtons(*this, gOutsRadio[1]);
}

void Ordnix::doOutsDialog() {
    runRadioDialog(*this, gOutsRadio[1], [this](int64_t item) { gLosersOut = item == secondRadioItem; });
}

void Ordnix::openPlayerDialog() {
    gDialog = getNewDialog(playerDialogID);
    setRadioButtons(*this, gPlayerRadio[1]);
}

void Ordnix::doPlayerDialog() {
    runRadioDialog(*this, gPlayerRadio[1], [this](int64_t item) { gRambo = item == firstRadioItem; });
}

void Ordnix::clickOutsRadio(int64_t item) {
    // Both dialogs keep their group in items 1..2, so the outs group's range serves the player dialog too.
    int64_t k = getCRefCon(ControlHandle{gDialog, item});
    ORDNIX_CHECK(k >= 0 && k < static_cast<int64_t>(gOutsRadio.size()), "radio refCon names a group");
    const RadioGroup& group = gOutsRadio[static_cast<size_t>(k)];
    for (int64_t i = group.first; i <= group.last; ++i)
        setCtlValue(ControlHandle{gDialog, i}, i == item ? 1 : 0);
}
