#pragma once
// MapScreen: the world map between levels; MapMenu: its pause menu.
//
// The map content lives in scene files the links name: "map" holds the
// level markers, waypoints, the player marker, quest markers and the
// scenery that changes; "changes" holds the MapChange elements; the two
// "backgrounds" are the backdrops of the first and second world. The
// screen's own scene holds the buttons (in "buttonGroup"), the sparkle
// emitter and the gleam widget.
//
// Coordinates: the map scene is in map pixels; the camera position is the
// map point shown at the screen centre. It eases towards its target,
// closing three times the gap per second (a jump within one pixel), and is
// kept inside the Globals "Map_Extents" (left, top, right, bottom; items
// missing are 0; no clamp without the setting): left, top, right, bottom
// in that order, so the right and bottom edges win for a map smaller than
// the screen.
//
// A visit: the waypoint graph and the list of changes are built, the player
// marker stands on the current level's marker and the camera on it; then
// either the play button shows, or (a level was just completed) the
// changes of that level play — glow, fade, sound, gleam, sparkles — and the
// marker walks on to the next level's marker, or it walks there at once.
// Play fades out and starts the current level. A visit not shown on load
// starts the map's music after "Game_ShowMapDelay" seconds, in either world
// (the world's "Music_...Map" setting), and so does a return from the title.
//
// World scenery: a widget of the map scene whose name begins with "w1" is
// shown only in the first world, with "w2" only in the second. Map changes
// play and apply in both worlds, so every completed level shows its change
// when the player comes back to the map.
//
// Private messages (timed, to itself): 3000 Play, 3001 animate the sender
// change, 3002 apply it, 3003 / 3004 fade the sender widget in / out over
// 1 s, 3005 stop the sparkles, 3006 walk to the next level, 3007 gleam on
// the sender change, 3008 sky on, 3009 fade the player marker in, 3010
// start the level, 3011 save and leave for the title, 3012 the map music.
//
// Failures: with "map" unresolved the screen is inert (its own buttons
// still work); missing markers, targets or paths skip their step with one
// log line, and the player marker stays where it is.

#include "anim/Anim.h"
#include "anim/Emitter.h"
#include "core/Link.h"
#include "menus/WaypointGraph.h"
#include "render/Bitmap.h"
#include "ui/Button.h"
#include "ui/Screen.h"

#include <vector>

class MapChange;
class PlayerMarker;

/// The camera's step towards `target` after `seconds` (a third of the gap
/// per 1/3 s, never past the target; onto it within one pixel).
Vec2 EaseCamera(Vec2 position, Vec2 target, float seconds);
/// `position` kept inside `extents` (left, top, right, bottom) for a view
/// of `width` × `height` pixels; the right and bottom edges win.
Vec2 ClampCamera(Vec2 position, const float extents[4], float width, float height);

class MapScreen : public Screen {
    ENGINE_CLASS(MapScreen, Screen)

public:
    enum MessageCode : int32_t {
        kPlay = 3000,
        kAnimateChange = 3001,
        kApplyChange = 3002,
        kFadeInWidget = 3003,
        kFadeOutWidget = 3004,
        kStopSparkles = 3005,
        kWalkToNextLevel = 3006,
        kGleam = 3007,
        kSkyOn = 3008,
        kFadeInPlayer = 3009,
        kStartLevel = 3010,
        kLeaveToTitle = 3011,
        kPlayMusic = 3012,
    };

    static constexpr const char* kFirstWorldPrefix = "w1";
    static constexpr const char* kSecondWorldPrefix = "w2";

    MapScreen();

    bool OnPush() override;
    void Update() override;
    bool Draw() override;
    bool Message(int32_t message, Object* sender) override;
    bool MouseButton(int32_t button, bool pressed) override;
    bool HoverTest() override;
    bool OnReturn(Screen* popped) override;

    /// Fades the screen out and starts the current level.
    void Play();
    /// Queues the changes of the just-completed `level` (their glow after
    /// `delay` s; disappearing ones 4 s later) and the walk to the next
    /// level after them; locks input until the walk arrives.
    void AnimateLevelChanges(int32_t level, float delay);
    /// Makes a change of a completed level visible at once; false, nothing
    /// changed, when its level is not completed or its target is missing.
    bool ApplyMapChange(MapChange& change);
    /// Applies the list in order up to the first change that does not apply.
    int32_t ApplyCompletedChanges();
    /// Plans and starts the walk from the current level's marker to the
    /// next one's and advances CurrentLevel. False when no walk starts: with
    /// no next level nothing changes; when a marker is missing or no path
    /// joins them (one log line) the marker stays where it is, CurrentLevel
    /// still advances and the play button shows, so the game goes on.
    bool WalkToNextLevel();
    /// The player marker arrived: unlock input, show the play button.
    void OnPlayerArrived();

    Scene* MapScene() const { return map.Get(); }
    PlayerMarker* Player() const;
    const std::vector<MapChange*>& Changes() const { return changes; }
    const WaypointGraph& Graph() const { return graph; }
    Vec2 cameraPosition;
    Vec2 cameraTarget;
    bool sky = false;

    Link<Scene> map;
    Link<Scene> changesScene;
    Link<Scene> backgrounds;
    Link<Widget> buttonGroup;
    Link<Button> playButton;
    Link<Button> menuButton;
    Link<Emitter> changeEmitter;
    Link<Widget> gleamWidget;
    Link<Anim> gleamAnim;

private:
    void BuildGraph();
    void BuildChangeList();
    void ApplyWorldScenery(bool secondWorld);
    void HidePlayButton();
    void UpdateCamera();
    void UpdateSparkles();
    Scene* Backdrop() const;
    void AnimateMapChange(MapChange& change);
    void Gleam(MapChange& change);
    void StartLevel();
    void LeaveToTitle();
    Widget* MapWidget(const String& name) const;

    WaypointGraph graph;
    std::vector<MapChange*> changes;
    std::vector<Bitmap*> glows;
    float sparkleTimer = 0.0f;
    bool pressedOnMap = false; ///< the left button went down on the map
};

class MapMenu : public Screen {
    ENGINE_CLASS(MapMenu, Screen)

public:
    MapMenu();
    /// 201 from the buttons: resume (pop), options (push "OptionsMenu"),
    /// title (pop, then the map saves and leaves for the title).
    bool Message(int32_t message, Object* sender) override;

    Link<Button> resumeGameButton;
    Link<Button> optionsButton;
    Link<Button> titleScreenButton;
};
