// The world map: the camera's easing and its clamp at each edge; a visit
// that applies the completed levels' changes in order up to the first level
// not completed and shows each world's scenery; a completed level whose
// changes play before the marker walks on to the next level; bad map data.
#include "menus/MapScreen.h"

#include "anim/AnimResources.h"
#include "audio/Audio.h"
#include "audio/Sound.h"
#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/FrameTime.h"
#include "data/GameDataFixture.h"
#include "io/Resources.h"
#include "menus/MapChange.h"
#include "menus/MapMarkers.h"
#include "render/Image.h"
#include "render/RenderContext.h"
#include "render/RenderResources.h"
#include "render/ScreenCamera.h"
#include "support/AudioCapture.h"
#include "support/ToneEncoder.h"
#include "support/VirtualPlatform.h"
#include "ui/UI.h"

#include <set>
#include <string>

using testing_support::LogCapture;
using testing_support::WriteFile;

TEST(MapCamera, EasesAShareOfTheGapPerSecondAndNeverOvershoots) {
    const Vec2 target{100.0f, -50.0f};
    Vec2 at = EaseCamera(Vec2{0.0f, 0.0f}, target, 0.1f);
    EXPECT_FLOAT_EQ(at.x, 30.0f);
    EXPECT_FLOAT_EQ(at.y, -15.0f);
    // A long frame lands on the target instead of swinging past it.
    at = EaseCamera(Vec2{0.0f, 0.0f}, target, 2.0f);
    EXPECT_FLOAT_EQ(at.x, 100.0f);
    // Within a pixel it jumps.
    at = EaseCamera(Vec2{99.4f, -50.6f}, target, 0.001f);
    EXPECT_EQ(at.x, 100.0f);
    EXPECT_EQ(at.y, -50.0f);
}

TEST(MapCamera, ClampsAtEachEdgeAndTheRightAndBottomWinForASmallMap) {
    const float extents[4] = {-1000.0f, -800.0f, 1000.0f, 800.0f}; // left, top, right, bottom
    const float w = 1024.0f;
    const float h = 768.0f;
    EXPECT_FLOAT_EQ(ClampCamera(Vec2{-900.0f, 0.0f}, extents, w, h).x, -488.0f);
    EXPECT_FLOAT_EQ(ClampCamera(Vec2{0.0f, -700.0f}, extents, w, h).y, -416.0f);
    EXPECT_FLOAT_EQ(ClampCamera(Vec2{900.0f, 0.0f}, extents, w, h).x, 488.0f);
    EXPECT_FLOAT_EQ(ClampCamera(Vec2{0.0f, 700.0f}, extents, w, h).y, 416.0f);
    const Vec2 inside = ClampCamera(Vec2{12.0f, -34.0f}, extents, w, h);
    EXPECT_FLOAT_EQ(inside.x, 12.0f);
    EXPECT_FLOAT_EQ(inside.y, -34.0f);
    // A map narrower and shorter than the view: right and bottom edges meet the picture's.
    const float small[4] = {0.0f, 0.0f, 600.0f, 400.0f};
    const Vec2 settled = ClampCamera(Vec2{300.0f, 200.0f}, small, w, h);
    EXPECT_FLOAT_EQ(settled.x, 600.0f - 512.0f);
    EXPECT_FLOAT_EQ(settled.y, 400.0f - 384.0f);
}

namespace {

const char* const kScreenScene = R"(Widget = map_screen;
Widget = play_button;
Widget = menu_button;
map_screen.Type = MapScreen;
map_screen.map = map/town.scene;
map_screen.changes = map/changes.scene;
map_screen.backgrounds = map/sky.scene;
map_screen.backgrounds = map/sky.scene;
play_button.Type = Button;
play_button.UpPath = map/dot.tga;
menu_button.Type = Button;
menu_button.UpPath = map/dot.tga;
)";

// Three level markers on a bent road: l0 (0, 0) - bend (100, 0) - l1
// (100, 100) - l2 (300, 100); the direct link l0 - l2 is missing on purpose.
const char* const kMapScene = R"(Widget = l0;
Widget = bend;
Widget = l1;
Widget = l2;
Widget = player;
Widget = awning;
Widget = crates;
Widget = beam;
Widget = w1_dusk;
Widget = w2_night;
l0.Type = LevelMarker;
l0.neighbors = bend;
bend.Type = Waypoint;
bend.Position = 100;
bend.neighbors = l1;
l1.Type = LevelMarker;
l1.Position = 100;
l1.Position = 100;
l1.neighbors = l2;
l2.Type = LevelMarker;
l2.Position = 300;
l2.Position = 100;
player.Type = PlayerMarker;
player.speed = 100;
player.framePath = step_%d;
player.frameRange = 1;
player.frameRange = 4;
player.frameRate = 8;
awning.Type = Bitmap;
awning.SpritePath = map/dot.tga;
awning.Visible = false;
crates.Type = Bitmap;
crates.SpritePath = map/dot.tga;
beam.Type = Bitmap;
beam.SpritePath = map/dot.tga;
beam.Visible = false;
w1_dusk.Type = Bitmap;
w2_night.Type = Bitmap;
w2_night.Visible = false;
)";

// The changes are listed out of order: the list follows the levels, then the names.
const char* const kChanges = R"(Widget = z_beam;
Widget = b_crates;
Widget = a_awning;
Widget = broken;
z_beam.Type = MapChange;
z_beam.Level = l1;
z_beam.Target = beam;
b_crates.Type = MapChange;
b_crates.Level = l0;
b_crates.Target = crates;
b_crates.Show = false;
a_awning.Type = MapChange;
a_awning.Level = l0;
a_awning.Target = awning;
a_awning.IsLevelLocation = true;
broken.Type = MapChange;
broken.Level = l2;
broken.Target = nothing_here;
)";

class MapScreenTest : public GameDataTest {
protected:
    void SetUp() override {
        RegisterEngineClasses([this] { startup.RegisterGameStateClasses(); });
        GameDataTest::SetUp();
        startup.RegisterGameClasses();
        startup.LoadOptionsAndState();
        InstallRenderResourceLoaders();
        InstallAnimResourceLoader();
        Resources::InstallLinkResolver();
        Resources::lookupEnabled = Resources::storeEnabled = true;
        SetDisplaySize(1024, 768);
        frameTime = 0.05f;
        Globals* settings = GetGlobals();
        Var* levels = settings->FindProperty("Levels");
        levels->SetString(0, "l0");
        levels->SetString(1, "l1");
        levels->SetString(2, "l2");
        levels->SetString(3, "l3");
        settings->FindProperty("LastPlayableLevel")->SetFirstInt(5);
        settings->FindProperty("Map_Extents")->SetFloat(0, -2000.0f);
        settings->FindProperty("Map_Extents")->SetFloat(1, -2000.0f);
        settings->FindProperty("Map_Extents")->SetFloat(2, 2000.0f);
        settings->FindProperty("Map_Extents")->SetFloat(3, 2000.0f);
        Image dot;
        ASSERT_TRUE(dot.Create(8, 8));
        for (uint32_t y = 0; y < 8; ++y) {
            for (uint32_t x = 0; x < 8; ++x) {
                uint8_t* p = dot.PixelAt(x, y);
                p[0] = p[1] = p[2] = p[3] = 255;
            }
        }
        std::filesystem::create_directories("map");
        ASSERT_TRUE(dot.SaveTga("map/dot.tga"));
        ASSERT_TRUE(WriteFile("gui/MapScreen.scene", kScreenScene));
        ASSERT_TRUE(WriteFile("map/town.scene", kMapScene));
        ASSERT_TRUE(WriteFile("map/changes.scene", kChanges));
        ASSERT_TRUE(WriteFile("map/sky.scene", "Widget = sky;\nsky.Type = Widget;\n"));
        const int32_t id = CreatePlayer("ann");
        ASSERT_TRUE(id >= 0 && SelectPlayer(id));
        player = CurrentPlayer();
    }

    MapScreen* Open() {
        if (!GetUI().PushScreenByName("MapScreen", 0)) {
            return nullptr;
        }
        return ObjectCast<MapScreen>(GetUI().TopScreen());
    }
    void Run(float seconds) {
        for (float t = 0.0f; t < seconds; t += frameTime) {
            GetUI().Update();
        }
    }
    Widget* MapWidget(MapScreen* map, const char* name) {
        return ObjectCast<Widget>(map->MapScene()->FindElement(name));
    }
    bool Shown(MapScreen* map, const char* name) { return MapWidget(map, name)->Visible.FirstBool(); }

    State* player = nullptr;
    testing_support::VirtualPlatform platform;
    testing_support::ScopedPlatform installed{platform};
};

} // namespace

TEST_F(MapScreenTest, AVisitAppliesTheCompletedLevelsChangesInOrderUpToTheFirstNotCompleted) {
    player->CurrentLevel.SetFirstInt(1); // l0 completed, l1 not: first world
    player->ShowMapOnLoad.SetFirstBool(true);
    MapScreen* map = Open();
    ASSERT_NE(map, nullptr);
    std::vector<std::string> order;
    for (MapChange* change : map->Changes()) {
        order.push_back(change->GetName());
    }
    EXPECT_EQ(order, (std::vector<std::string>{"a_awning", "b_crates", "z_beam", "broken"}));
    EXPECT_TRUE(Shown(map, "awning"));
    EXPECT_FALSE(Shown(map, "crates"));
    EXPECT_FALSE(Shown(map, "beam"));
    EXPECT_TRUE(Shown(map, "w1_dusk"));
    EXPECT_FALSE(Shown(map, "w2_night"));
    // The marker stands on l1, the camera on the marker.
    EXPECT_FLOAT_EQ(map->Player()->Position.GetFloat(0), 100.0f);
    EXPECT_FLOAT_EQ(map->Player()->Position.GetFloat(1), 100.0f);
    EXPECT_FLOAT_EQ(map->cameraPosition.x, 100.0f);
    Run(0.5f);
    EXPECT_TRUE(map->playButton.Get()->Visible.FirstBool());

    // One level further, in the second world: l1's change too, and the other scenery.
    GetUI().Clear();
    player->CurrentLevel.SetFirstInt(2);
    map = Open();
    ASSERT_NE(map, nullptr);
    EXPECT_TRUE(Shown(map, "beam"));
    EXPECT_FALSE(Shown(map, "w1_dusk"));
    EXPECT_TRUE(Shown(map, "w2_night"));
}

TEST_F(MapScreenTest, ACompletedLevelPlaysItsChangesThenTheMarkerWalksToTheNextLevel) {
    player->CurrentLevel.SetFirstInt(0);
    player->mapChangePending = true;
    MapScreen* map = Open();
    ASSERT_NE(map, nullptr);
    EXPECT_FALSE(player->mapChangePending);
    EXPECT_FALSE(map->playButton.Get()->Visible.FirstBool());
    // The appearing change is prepared invisible, the vanishing one shown.
    EXPECT_FALSE(Shown(map, "awning"));
    EXPECT_TRUE(Shown(map, "crates"));
    Run(2.5f);
    EXPECT_TRUE(Shown(map, "awning")) << "appears after its glow (1 s), faded in";
    EXPECT_TRUE(Shown(map, "crates")) << "a vanishing change waits 4 s longer";
    EXPECT_EQ(player->CurrentLevel.FirstInt(), 0);
    Run(4.0f);
    EXPECT_FALSE(Shown(map, "crates"));
    EXPECT_FALSE(Shown(map, "beam")) << "l1's change is not l0's";
    // Walk at c + 4 = 9 s: bend then l1, 200 px at 100 px/s.
    Run(3.0f);
    EXPECT_EQ(player->CurrentLevel.FirstInt(), 1);
    EXPECT_TRUE(map->Player()->IsWalking());
    EXPECT_FALSE(map->playButton.Get()->Visible.FirstBool());
    std::set<std::string> steps;
    for (int frame = 0; frame < 20; ++frame) {
        Run(frameTime);
        steps.insert(map->Player()->sprite.FirstString().CStr());
    }
    EXPECT_GE(steps.size(), 3u) << "the traveller steps as it walks";
    Run(3.0f);
    EXPECT_FALSE(map->Player()->IsWalking());
    EXPECT_STREQ(map->Player()->sprite.FirstString().CStr(), "step_1") << "and stands still on the first step";
    Run(1.0f);
    EXPECT_STREQ(map->Player()->sprite.FirstString().CStr(), "step_1");
    EXPECT_NEAR(map->Player()->Position.GetFloat(0), 100.0f, 0.01f);
    EXPECT_NEAR(map->Player()->Position.GetFloat(1), 100.0f, 0.01f);
    EXPECT_TRUE(map->playButton.Get()->Visible.FirstBool());
    EXPECT_EQ(GetUI().inputLock, 0.0f);
    // The camera followed the marker.
    EXPECT_NEAR(map->cameraPosition.x, 100.0f, 2.0f);
    EXPECT_NEAR(map->cameraPosition.y, 100.0f, 2.0f);
}

TEST_F(MapScreenTest, AMissingMarkerOrTargetIsReportedAndThePlayerStaysWhereItIs) {
    LogCapture log;
    // Level 3 ("l3") has no marker; l2's change names no widget. The marker
    // cannot walk on to level 4 (no marker either) and stays where it is.
    player->CurrentLevel.SetFirstInt(3);
    MapScreen* map = Open();
    ASSERT_NE(map, nullptr);
    const float x = map->Player()->Position.GetFloat(0);
    const float y = map->Player()->Position.GetFloat(1);
    Run(4.0f);
    EXPECT_EQ(player->CurrentLevel.FirstInt(), 4) << "the game goes on to the next level";
    EXPECT_EQ(map->Player()->Position.GetFloat(0), x);
    EXPECT_EQ(map->Player()->Position.GetFloat(1), y);
    EXPECT_TRUE(log.Contains("\"l3\""));
    EXPECT_TRUE(log.Contains("nothing_here"));
    EXPECT_TRUE(Shown(map, "beam")) << "the changes before the broken one still apply";
}

TEST_F(MapScreenTest, ANextMarkerNoPathReachesLeavesTheMarkerWhereItIsAndTheGameGoesOn) {
    // bend no longer leads to l1: l0 and bend are cut off from l1 and l2.
    std::string cut = kMapScene;
    const std::string link = "bend.neighbors = l1;\n";
    cut.erase(cut.find(link), link.size());
    ASSERT_TRUE(WriteFile("map/town.scene", cut));
    LogCapture log;
    player->CurrentLevel.SetFirstInt(0);
    MapScreen* map = Open();
    ASSERT_NE(map, nullptr);
    Run(3.2f);
    EXPECT_TRUE(log.Contains("no path joins \"l0\" and \"l1\""));
    // No walk: the marker stands on the next level's marker at once.
    EXPECT_FALSE(map->Player()->IsWalking());
    EXPECT_EQ(map->Player()->Position.GetFloat(0), 100.0f);
    EXPECT_EQ(map->Player()->Position.GetFloat(1), 100.0f);
    EXPECT_EQ(player->CurrentLevel.FirstInt(), 1) << "the next level is the one to play";
    Run(0.5f);
    EXPECT_TRUE(map->playButton.Get()->Visible.FirstBool()) << "the player is not left without a way on";
    EXPECT_EQ(GetUI().inputLock, 0.0f);
}

TEST_F(MapScreenTest, BackFromALevelTheMapPlaysItsWorldsMusicInEitherWorld) {
    ASSERT_TRUE(testing_support::StartCapturedAudio());
    InstallAudioResourceLoaders();
    struct AudioOff {
        ~AudioOff() {
            GetUI().services.StopMusic(0.0f);
            GetUI().Clear();
            Resources::Shutdown();
            Audio::Shutdown();
        }
    } audioOff;
    ASSERT_TRUE(WriteFile("map/dusk.ogg", testing_support::EncodeTone({.rate = 22050, .seconds = 1.0})));
    ASSERT_TRUE(WriteFile("map/night.ogg", testing_support::EncodeTone({.rate = 22050, .seconds = 1.0})));
    GetGlobals()->FindProperty("Music_DunhavenMap")->SetFirstString("map/dusk.ogg");
    GetGlobals()->FindProperty("Music_EmberlowMap")->SetFirstString("map/night.ogg");
    const Sound* dusk = Resources::FindMusic("map/dusk.ogg");
    const Sound* night = Resources::FindMusic("map/night.ogg");
    ASSERT_TRUE(dusk && night);

    // The first level just completed, in the first world.
    player->CurrentLevel.SetFirstInt(0);
    player->mapChangePending = true;
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(GetUI().services.Music().Current(), nullptr) << "the map's music waits for the map to show";
    Run(2.5f);
    EXPECT_EQ(GetUI().services.Music().Current(), dusk);

    // A map shown on load keeps the music that plays.
    GetUI().Clear();
    GetUI().services.StopMusic(0.0f);
    player->ShowMapOnLoad.SetFirstBool(true);
    ASSERT_NE(Open(), nullptr);
    Run(2.5f);
    EXPECT_EQ(GetUI().services.Music().Current(), nullptr);

    // The second world has its own.
    GetUI().Clear();
    player->ShowMapOnLoad.SetFirstBool(false);
    player->CurrentLevel.SetFirstInt(2);
    ASSERT_NE(Open(), nullptr);
    Run(2.5f);
    EXPECT_EQ(GetUI().services.Music().Current(), night);
}
