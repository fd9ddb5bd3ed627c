// The movie screen: opened by name, closed by the release of Escape (not by
// holding it), by the end of its animation, or at once when its movie cannot
// start; each time the screen below hears that the movie finished.
#include "menus/MovieScreen.h"

#include "anim/AnimResources.h"
#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/FrameTime.h"
#include "data/GameDataFixture.h"
#include "io/Resources.h"
#include "render/RenderResources.h"
#include "support/ToneEncoder.h"
#include "support/VirtualPlatform.h"
#include "ui/UI.h"

using testing_support::LogCapture;
using testing_support::WriteFile;

namespace {

class MovieWatcher : public Screen {
    ENGINE_CLASS(MovieWatcher, Screen)

public:
    bool OnMovieFinished() override {
        ++finished;
        return true;
    }
    int finished = 0;
};

// Two seconds of a panel moving down.
const char* const kAnim = R"(FrameCount = 24;
FrameRate = 12;
Channel = panel.Position.1,y;
y = 0,0.0;
y = 24,10.0;
)";

const char* const kAnimMovie = R"(Widget = movie;
Widget = panel;
movie.Type = MovieScreen;
movie.anim = video/slide.anim;
panel.Type = Widget;
)";

const char* const kVideoMovie = R"(Widget = movie;
Widget = video;
movie.Type = MovieScreen;
movie.video = video;
video.Type = VideoViewer;
video.SpritePath = video/sound_only.ogv;
)";

class MovieScreenTest : public GameDataTest {
protected:
    void SetUp() override {
        RegisterEngineClasses([this] { startup.RegisterGameStateClasses(); });
        GameDataTest::SetUp();
        startup.RegisterGameClasses();
        RegisterClass("MovieWatcher", MakeObject<MovieWatcher>, "Game UI");
        InstallRenderResourceLoaders();
        InstallAnimResourceLoader();
        Resources::InstallLinkResolver();
        Resources::lookupEnabled = Resources::storeEnabled = true;
        frameTime = 0.1f;
        ASSERT_TRUE(WriteFile("video/slide.anim", kAnim));
        ASSERT_TRUE(WriteFile("video/slide.scene", kAnimMovie));
        ASSERT_TRUE(WriteFile("video/broken.scene", kVideoMovie));
        ASSERT_TRUE(WriteFile("video/sound_only.ogv", testing_support::EncodeTone({.seconds = 0.5})));
        ASSERT_TRUE(WriteFile("gui/MovieWatcher.scene", "Widget = base;\nbase.Type = MovieWatcher;\n"));
        ASSERT_TRUE(GetUI().PushScreenByName("MovieWatcher", 0));
        watcher = ObjectCast<MovieWatcher>(GetUI().TopScreen());
        ASSERT_NE(watcher, nullptr);
    }
    void Run(float seconds) {
        for (float t = 0.0f; t < seconds; t += frameTime) {
            GetUI().Update();
        }
    }
    MovieScreen* Movie() { return ObjectCast<MovieScreen>(GetUI().TopScreen()); }

    MovieWatcher* watcher = nullptr;
    testing_support::VirtualPlatform platform;
    testing_support::ScopedPlatform installed{platform};
};

} // namespace

TEST_F(MovieScreenTest, EscapeClosesOnlyWhenReleased) {
    ASSERT_TRUE(PlayMovie("slide"));
    Run(0.3f);
    ASSERT_NE(Movie(), nullptr);
    Movie()->Key(27, true, false);
    Movie()->Key(27, true, true);
    Run(0.5f);
    ASSERT_NE(Movie(), nullptr) << "held, Escape does nothing";
    EXPECT_EQ(watcher->finished, 0);
    Movie()->Key(27, false, false);
    Run(0.2f);
    EXPECT_EQ(GetUI().TopScreen(), watcher);
    EXPECT_EQ(watcher->finished, 1);
    Run(3.0f);
    EXPECT_EQ(GetUI().TopScreen(), watcher);
    EXPECT_EQ(watcher->finished, 1);
}

TEST_F(MovieScreenTest, TheAnimationsEndClosesTheScreen) {
    ASSERT_TRUE(PlayMovie("slide"));
    Run(1.5f);
    ASSERT_NE(Movie(), nullptr);
    Run(0.8f);
    EXPECT_EQ(GetUI().TopScreen(), watcher);
    EXPECT_EQ(watcher->finished, 1);
}

TEST_F(MovieScreenTest, AMovieThatCannotStartClosesAtOnceAndAMissingOneDoesNotOpen) {
    LogCapture log;
    ASSERT_TRUE(PlayMovie("broken"));
    Run(0.3f);
    EXPECT_EQ(GetUI().TopScreen(), watcher);
    EXPECT_EQ(watcher->finished, 1);
    EXPECT_TRUE(log.Contains("its movie does not start"));
    EXPECT_FALSE(PlayMovie("missing"));
    EXPECT_EQ(GetUI().TopScreen(), watcher);
}
