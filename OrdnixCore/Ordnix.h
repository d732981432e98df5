// The game object: all of Ordnix's state and behaviour on top of the toolbox.
//
// The state lives in plain public fields named after the classic program's globals (`g` prefix); every
// game area reads and writes them directly. Integers are int64_t. The methods are split over one source
// file per area (see the section markers). Invariants the rest of the game relies on:
//  - the three windows always exist (the toolbox owns them); gFieldWindow and friends point at them once
//    startUp() has run;
//  - tree arrays are meaningful only at indexes 2..gNumTrees; index 0 and 1 are never used;
//  - a target that is off or destroyed has a zero rectangle, which overlaps nothing;
//  - every random draw goes through randomBelow(), one random() call per draw, so a seed fixes a field.
#pragma once

#include "Toolbox.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The id of a sound the host can play.
struct SoundRec {
    int64_t id = 0;

    bool operator==(const SoundRec&) const = default;
};

// Radio buttons first..last of a dialog; value is the item that is on.
struct RadioGroup {
    int64_t first = 0;
    int64_t last = 0;
    int64_t value = 0;

    bool operator==(const RadioGroup&) const = default;
};

class Ordnix : public Toolbox {
public:
    explicit Ordnix(std::shared_ptr<MacHost> host);

    // Sound ids of the five embedded sounds.
    static constexpr int64_t sndCannonId = 128;
    static constexpr int64_t sndGroundId = 129;
    static constexpr int64_t sndUhOhId = 130;
    static constexpr int64_t sndBuildingId = 131;
    static constexpr int64_t sndTreeId = 132;

    // ---- host, sound and quitting ----
    int64_t gOldVolume = 0;
    std::optional<SoundRec> gSndCannon;
    std::optional<SoundRec> gSndGround;
    std::optional<SoundRec> gSndUhOh;
    std::optional<SoundRec> gSndBuilding;
    std::optional<SoundRec> gSndTree;
    bool gQuit = false;
    // Set once, as the very last step of run(); the host may read it from another thread.
    std::atomic<bool> finished{false};

    // ---- menus, events and dialogs ----
    std::array<int64_t, 10> gMenus{};
    int64_t gMenuItem = 0;
    EventRecord gEvent{};
    std::shared_ptr<Dialog> gDialog;
    int64_t gItemHit = 0;
    std::array<RadioGroup, 2> gOutsRadio{};
    std::array<RadioGroup, 2> gPlayerRadio{};
    bool gHideSettings = false;
    bool gRambo = false;
    bool gLosersOut = false;

    // ---- windows and screen geometry ----
    Window* gFieldWindow = nullptr;
    Window* gTargetWindow = nullptr;
    Window* gSpeedWindow = nullptr;
    int64_t gTop = 0, gLeft = 0, gBottom = 0, gRight = 0;
    QuickDraw::Rect gAllRect{}, gFrame{};
    QuickDraw::Rect gTestRect{}, gSect{};

    // ---- the battlefield ----
    int64_t gTerrain = 0;
    int64_t gRoughness = 0;
    int64_t gGroundY = 0;
    int64_t gStep = 0;
    int64_t gNewField = 0;
    bool gTunnels = false;
    int64_t gHospitals = 0, gPosts = 0, gTrees = 0;
    std::array<std::shared_ptr<QuickDraw::Polygon>, 16> gTreePoly{};
    std::array<bool, 16> gTreeDown{};
    std::array<QuickDraw::Rect, 16> gTreeRect{};
    std::array<int64_t, 16> gTreeBaseX{};
    std::array<int64_t, 16> gTreeBaseY{};
    int64_t gTree = 0, gTreeFill = 0, gNumTrees = 0, gTreeLeft = 0, gTreeTop = 0;
    int64_t gCanLX = 0, gCanLY = 0, gCanRX = 0, gCanRY = 0;
    int64_t gMuzzleLDX = 0, gMuzzleLDY = 0, gMuzzleRDX = 0, gMuzzleRDY = 0;
    int64_t gCanLBaseX = 0, gCanLBaseY = 0, gCanRBaseX = 0, gCanRBaseY = 0;
    QuickDraw::Rect gCanLRect{}, gCanRRect{};
    int64_t gHospLTop = 0, gHospLLeft = 0, gHospRTop = 0, gHospRLeft = 0;
    int64_t gPostLTop = 0, gPostLLeft = 0, gPostRTop = 0, gPostRLeft = 0;
    int64_t gHospLBaseX = 0, gHospLBaseY = 0, gHospRBaseX = 0, gHospRBaseY = 0;
    int64_t gPostLBaseX = 0, gPostLBaseY = 0, gPostRBaseX = 0, gPostRBaseY = 0;
    QuickDraw::Rect gLHospRect{}, gRHospRect{}, gLPostRect{}, gRPostRect{};
    bool gLHospUp = false, gRHospUp = false, gLPostUp = false, gRPostUp = false;
    QuickDraw::Rect gClearRect{}, gContinueRect{}, gCancelRect{};
    bool gCancelled = false, gPlaced = false;

    // ---- wind ----
    int64_t gWindMax = 0;
    int64_t gWindDir = 0, gWindSpeed = 0, gWindLeft = 0, gWindRight = 0;
    bool gWindKept = false;
    std::shared_ptr<QuickDraw::Polygon> gSockPoly;
    int64_t gSockY = 0, gSockBase = 0;

    // ---- aiming and the control panel ----
    int64_t gPowderL = 0, gOldPowderL = 0, gElevL = 0, gOldElevL = 0;
    int64_t gPowderR = 0, gOldPowderR = 0, gElevR = 0, gOldElevR = 0;
    std::string gPowderLStr, gPowderRStr, gElevLStr, gElevRStr;
    int64_t gPanelLeft = 0, gPanelRight = 0, gBoxLeft = 0;
    int64_t gPowLeft = 0, gPowTop = 0, gPowRight = 0, gPowBottom = 0;
    int64_t gEleLeft = 0, gEleTop = 0, gEleRight = 0, gEleBottom = 0;
    QuickDraw::Rect gPanelRect{}, gBoxRect{}, gPowSlider{}, gEleSlider{}, gNumRect{}, gBarRect{}, gFireRect{};
    QuickDraw::Point gMouse{}, gHitPt{};

    // ---- shot and impacts ----
    int64_t gBallX = 0, gBallY = 0, gTicks = 0;
    int64_t gBallDelay = 0;
    int64_t gSpeedX = 0;
    bool gIconMode = false;
    bool gFired = false, gLanded = false;
    bool gLCanHit = false, gRCanHit = false, gLHospHit = false, gRHospHit = false;
    bool gLPostHit = false, gRPostHit = false, gLCanDead = false, gRCanDead = false;

    // ---- battle flow ----
    int64_t gTurn = 0;
    bool gSameShooter = false;
    int64_t gKilled = 0;
    bool gBattleOver = false, gStopBattle = false;
    int64_t gScoreL = 0, gScoreR = 0;

    // ---- target values ----
    int64_t gValLLCannon = 0, gValLRCannon = 0, gValLLHosp = 0, gValLRHosp = 0, gValLLPost = 0, gValLRPost = 0;
    int64_t gValRLCannon = 0, gValRRCannon = 0, gValRLHosp = 0, gValRRHosp = 0, gValRLPost = 0, gValRRPost = 0;
    int64_t gOldLLCannon = 0, gOldLRCannon = 0, gOldLLHosp = 0, gOldLRHosp = 0, gOldLLPost = 0, gOldLRPost = 0;
    int64_t gOldRLCannon = 0, gOldRRCannon = 0, gOldRLHosp = 0, gOldRRHosp = 0, gOldRLPost = 0, gOldRRPost = 0;
    std::array<QuickDraw::Rect, 13> gLabelRect{}, gValueRect{}, gSliderRect{};
    std::array<int64_t, 13> gSlLeft{}, gSlTop{}, gSlRight{}, gSlBottom{};
    std::array<std::string, 13> gValStr{};
    QuickDraw::Rect gEmptyBar{}, gFullBar{}, gOKRect{}, gDefaultRect{};
    bool gTargetsDone = false;

    // ---- patterns (copies of the graphics module's standard patterns) ----
    const QuickDraw::Pattern white = QuickDraw::Pattern::white;
    const QuickDraw::Pattern black = QuickDraw::Pattern::black;
    const QuickDraw::Pattern gray = QuickDraw::Pattern::gray;
    const QuickDraw::Pattern dkGray = QuickDraw::Pattern::dkGray;

    // ---- state, start-up and main loop (OrdnixState.cpp) ----
    void run();
    void startUp();
    void initGlobals();
    void initToolbox();
    // Plays the sound when it is set up and the host's volume is at least 1; never waits for it.
    void playSound(const std::optional<SoundRec>& sound);
    // A rectangle from its sides in storage order (top, left, bottom, right).
    static QuickDraw::Rect rectTLBR(int64_t top, int64_t left, int64_t bottom, int64_t right);
    // R(n): one random() call reduced into 0..n-1 (n >= 1).
    int64_t randomBelow(int64_t n);
    // The first black row at or below row 50 in column h of the current port; a column without ground
    // stands on the bitmap's bottom row, so no scan can run away.
    int64_t groundRow(int64_t h);
    // The score line: "<-SCORE->" with both scores, on a white strip across the top.
    void drawScoreLine();
    // Draws a new battlefield (or the "Do It Yourself" notice) and clears gNewField.
    void buildField();

    // ---- menus and commands (OrdnixMenus.cpp) ----
    void setUpMenus();
    void doCommand(int64_t choice);
    void doBattleMenu(int64_t choice);
    void disableMenus();
    void enableMenus();
    void chooseTerrain(int64_t item);
    void toggleTarget(int64_t& counter, int64_t item, QuickDraw::Rect* r1, QuickDraw::Rect* r2);
    void chooseWind(int64_t item);
    void chooseVolume(int64_t item);
    void chooseExplosions(int64_t item);

    // ---- terrain and trees (OrdnixTerrain.cpp) ----
    void drawGround();
    void groundStep(int64_t h);
    void drawTerrain();
    void plantTree();
    void plantTrees();
    void fillTrees();

    // ---- targets (OrdnixTargets.cpp) ----
    void siteCannons();
    void placeCannons();
    void placeTargets();
    void siteLeftHospital();
    void siteRightHospital();
    void siteLeftPost();
    void siteRightPost();
    void drawLeftCannon();
    void drawRightCannon();
    void drawCarriage(int64_t h, int64_t v, int64_t facing);
    void drawLeftBarrel();
    void drawRightBarrel();
    void drawLeftHospital();
    void drawRightHospital();
    void drawLeftPost();
    void drawRightPost();
    void drawHospitalShape(int64_t h, int64_t v);
    void drawPostShape(int64_t h, int64_t v);
    void fillOutline(const std::vector<QuickDraw::Point>& points, const QuickDraw::Pattern& pattern);
    void drawKeyCannon();
    void crossOut();

    // ---- battle: turns, aiming, shot flight, impacts (OrdnixBattle.cpp, OrdnixAiming.cpp, OrdnixShot.cpp, OrdnixImpacts.cpp) ----
    // The "START A BATTLE" command.
    void startBattle();
    void resetBattle();
    void whoShootsNext();
    void doBattle();
    void nextTurn();
    void drawPowderBox();
    void drawElevationBox();
    void drawLeftSettings();
    void drawRightSettings();
    void aimCannon();
    void drawWindsock();
    void fireLeft();
    void fireRight();
    void groundBurst();
    void checkHits();
    void blowUpCannon();
    void blowUpHospital();
    void blowUpPost();
    void leftCannonDestroyed();
    void rightCannonDestroyed();
    void leftHospitalDestroyed();
    void rightHospitalDestroyed();
    void leftPostDestroyed();
    void rightPostDestroyed();
    void treeFalls(int64_t i, bool& treeSoundPlayed);

    // The launch of a ball: horizontal and vertical speed (h is negative: the flight formula divides
    // by it) from the powder, the elevation and the wind's push on this cannon.
    struct Launch {
        int64_t h = 0;
        int64_t v = 0;
        bool operator==(const Launch&) const = default;
    };
    static Launch launchFigures(int64_t powder, int64_t elevation, int64_t wind);
    // What tells one cannon's flight from the other's: its inputs, muzzle, direction (+1 to the right),
    // the column offset of its side probe and whether the step ratio is kept in single precision.
    struct Flight {
        int64_t powder = 0, elevation = 0, wind = 0;
        int64_t muzzleX = 0, muzzleY = 0;
        int64_t step = 1;
        int64_t sideProbe = 0;
        bool singleRatio = false;
    };
    void fly(const Flight& flight);
    // Waits out the current tick (tickCount idles the host while it stands still).
    void waitForNextTick();
    // One turn's panel: frame, boxes, sliders, the shooter's settings and "Fire".
    void drawPanel();
    // Fires the shooter's cannon, bursts and scores a landed ball, then pauses to show the result.
    void shoot();
    // A slider bar: gray from left to split, white from split to the slider's inner right edge.
    void drawBar(int64_t top, int64_t left, int64_t bottom, int64_t split, int64_t right);
    // A number in the box left of a slider row (hidden with "HIDE SETTINGS"); text receives its digits.
    void writeNumber(int64_t top, int64_t left, int64_t bottom, int64_t value, std::string& text);
    void drawSettings(int64_t powder, int64_t& oldPowder, std::string& powderText, int64_t elevation,
                      int64_t& oldElevation, std::string& elevationText);
    // The control a held press began on. Until the button is released only that control answers the
    // press, so a drag off a slider's end clamps there instead of reaching "Fire"; a press that began
    // on no control (elsewhere) still moves a slider it crosses but never presses a button.
    enum class Grip { released, elsewhere, powder, elevation, fire };
    // A press during aiming: sliders, numbers, the barrel and "Fire".
    void pressOnPanel(Grip& grip);
    // Offers the menus once; a choice goes to doBattleMenu, as 0 unless its menu and item are enabled.
    void pollBattleMenu();
    bool menuChoiceEnabled(int64_t choice) const;
    // A new wind direction and speed (needs gWindMax >= 1).
    void pickWind();
    void addToShooter(int64_t leftShooterValue, int64_t rightShooterValue);
    void checkBuilding(const QuickDraw::Rect& area, bool up, bool hit, int64_t baseX, int64_t baseY,
                       void (Ordnix::*destroyed)());
    void blowUpCannonAt(int64_t x, int64_t y, int64_t pause, int64_t flashPause);
    void blowUpBuilding(int64_t x, int64_t y, int64_t pause);

    // ---- option screens and field editor (OrdnixOptions.cpp, OrdnixTargetValues.cpp, OrdnixBallSpeed.cpp, OrdnixEditor.cpp) ----
    void initRadioGroups();
    void openOutsDialog();
    void doOutsDialog();
    void openPlayerDialog();
    void doPlayerDialog();
    void clickOutsRadio(int64_t item);

    // One editable target value: the field, its last shown copy, and whether it is a penalty (-20..0).
    struct Slot {
        int64_t* value = nullptr;
        int64_t* old = nullptr;
        bool negative = false;
    };
    std::array<std::optional<Slot>, 13> slots();
    // The "SET TARGET VALUES" command.
    void setTargetValues();
    void defaultTargetValues();
    void drawTargetTitle();
    void drawTargetLabels();
    void drawValueSliders();
    void drawTargetValues();
    void trackTargetValues();

    // The "SET BALL SPEED" command.
    void setBallSpeed();
    void doBallSpeed();

    void doItYourself();
    void drawTerrainButtons();
    void waitForButton(const QuickDraw::Rect& button);
    bool stepStart(void (Ordnix::*outline)());
    void outlineLeftCannon();
    void outlineRightCannon();
    void outlineLeftHospital();
    void outlineRightHospital();
    void outlineLeftPost();
    void outlineRightPost();
    void frameOutline();
    void stepLeftHospital();
    void stepRightHospital();
    void stepLeftPost();
    void stepRightPost();
};
