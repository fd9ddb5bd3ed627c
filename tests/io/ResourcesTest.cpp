#include "io/Resources.h"
#include "core/Link.h"
#include "support/EngineSandbox.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using testing_support::LogCapture;
using testing_support::WriteFile;

namespace {

// Stand-ins answering to the resource class names; they load any file that exists.
template <const char* Name> class FakeResource : public Object {
public:
    bool IsA(const char* name) const override { return ClassNameMatches(name, Name) || Object::IsA(name); }
    const char* GetClassName() const override { return Name; }
    static constexpr const char* StaticClassName() { return Name; }
    static int loads;
    static Object* Load(const char* path) {
        if (!std::filesystem::exists(path)) {
            return nullptr;
        }
        ++loads;
        return new FakeResource;
    }
};
template <const char* Name> int FakeResource<Name>::loads = 0;

constexpr char kSpriteName[] = "Sprite";
constexpr char kFontName[] = "Font";
constexpr char kSoundName[] = "Sound";
constexpr char kAnimName[] = "Anim";
using FakeSprite = FakeResource<kSpriteName>;
using FakeFont = FakeResource<kFontName>;
using FakeSound = FakeResource<kSoundName>;
using FakeAnim = FakeResource<kAnimName>;

int musicLoads = 0;
Object* LoadMusic(const char* path) {
    ++musicLoads;
    return FakeSound::Load(path);
}

class ResourcesTest : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
    void SetUp() override {
        Resources::SetLoader(Resources::kSpriteRow, FakeSprite::Load);
        Resources::SetLoader(Resources::kFontRow, FakeFont::Load);
        Resources::SetLoader(Resources::kSoundRow, FakeSound::Load);
        Resources::SetLoader(Resources::kMusicRow, LoadMusic);
        Resources::SetLoader(Resources::kAnimRow, FakeAnim::Load);
        Resources::lookupEnabled = true;
        Resources::storeEnabled = true;
        FakeSprite::loads = FakeSound::loads = FakeAnim::loads = musicLoads = 0;
    }
};

} // namespace

TEST_F(ResourcesTest, SamePathSharesOneObjectAndCaseMakesAnother) {
    WriteFile("gui/a.png", "x");
    WriteFile("gui/A.png", "x");
    Object* first = Resources::Find(Resources::kSpriteRow, "gui/a.png");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Resources::Find(Resources::kSpriteRow, "gui/a.png"), first);
    EXPECT_NE(Resources::Find(Resources::kSpriteRow, "gui/A.png"), first);
    EXPECT_EQ(FakeSprite::loads, 2);
    EXPECT_EQ(Resources::CachedCount(), 2u);
    EXPECT_EQ(Resources::Find(Resources::kSpriteRow, "gui/missing.png"), nullptr);
}

TEST_F(ResourcesTest, APathCachedUnderAnotherClassReportsTheRowLine) {
    WriteFile("gui/a.png", "x");
    Resources::Find(Resources::kSpriteRow, "gui/a.png");
    LogCapture log;
    EXPECT_EQ(Resources::Find(Resources::kFontRow, "gui/a.png"), nullptr);
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0], "(0): Resources::FindFont(): .\\Framework\\Resources, line 232");
    // Through resource links the same case is silent.
    EXPECT_EQ(Resources::FindResource("gui/a.png", "Font"), nullptr);
    EXPECT_EQ(log.Lines().size(), 1u);
}

TEST_F(ResourcesTest, SwitchesDecideLookupAndStore) {
    WriteFile("a.png", "x");
    Resources::storeEnabled = false;
    Object* owned = Resources::Find(Resources::kSpriteRow, "a.png");
    ASSERT_NE(owned, nullptr);
    EXPECT_EQ(Resources::CachedCount(), 0u);
    delete owned; // with storing off the caller owns it
    Resources::storeEnabled = true;
    Object* stored = Resources::Find(Resources::kSpriteRow, "a.png");
    Resources::lookupEnabled = false;
    EXPECT_NE(Resources::Find(Resources::kSpriteRow, "a.png"), stored);
    EXPECT_EQ(FakeSprite::loads, 3);
}

TEST_F(ResourcesTest, FindResourceNeverStreamsSounds) {
    WriteFile("audio/click.ogg", "x");
    EXPECT_NE(Resources::FindResource("audio/click.ogg", "Sound"), nullptr);
    EXPECT_EQ(musicLoads, 0);
    EXPECT_EQ(FakeSound::loads, 1);
    EXPECT_EQ(Resources::FindResource("audio/click.ogg", "Widget"), nullptr);
    EXPECT_EQ(Resources::FindResource("x.ogg", "Unknown"), nullptr);
}

TEST_F(ResourcesTest, UnloadingALevelDirectoryDropsExactlyItsFiles) {
    WriteFile("levels/cellar/door.png", "x");
    WriteFile("levels/cellar/sub/deep.png", "x");
    WriteFile("gui/button.png", "x");
    Object* door = Resources::Find(Resources::kSpriteRow, "levels/cellar/door.png");
    Resources::Find(Resources::kSpriteRow, "levels/cellar/sub/deep.png");
    Resources::Find(Resources::kSpriteRow, "gui/button.png");
    Resources::UnloadDirectory("levels/cellar");
    EXPECT_EQ(Resources::CachedCount(), 2u); // the subfolder is not the level's own listing
    Object* again = Resources::Find(Resources::kSpriteRow, "levels/cellar/door.png");
    EXPECT_NE(again, nullptr);
    EXPECT_EQ(FakeSprite::loads, 4);
    (void)door;
}

TEST_F(ResourcesTest, PreloadFollowsTheListsAndRunsOnce) {
    WriteFile("gui/a.tga", "x");
    WriteFile("gui/b.png", "x");
    WriteFile("gui/sub/c.png", "x");
    WriteFile("gui/d.tga.bak", "x");
    WriteFile("audio/e.ANIM", "x");
    WriteFile("audio/f.ogg", "x");
    WriteFile("gui/font_16.png", "x"); // a font's glyphs: its font loads them
    WriteFile("gui/font_16.config", "x");
    Resources::PreloadSettings settings;
    settings.directories = "gui,audio";
    settings.fileTypes = "png,ANIM,ogg";
    std::vector<float> progress;
    static std::vector<float>* sink = nullptr;
    sink = &progress;
    settings.onProgress = [](float p) { sink->push_back(p); };
    std::vector<String> loaded;
    ASSERT_TRUE(Resources::Preload(settings, &loaded));
    std::vector<std::string> names;
    for (const String& s : loaded) {
        names.push_back(s.CStr());
    }
    // The .tga is not a listed type; the .bak never matches; .ANIM is an
    // animation; the font's glyph picture is left to its font.
    EXPECT_EQ(names, (std::vector<std::string>{"gui/b.png", "gui/sub/c.png", "audio/e.ANIM", "audio/f.ogg"}));
    EXPECT_EQ(FakeAnim::loads, 1);
    EXPECT_EQ(FakeSound::loads, 1);
    EXPECT_FALSE(progress.empty());
    EXPECT_FLOAT_EQ(progress.front(), 0.0f);
    EXPECT_TRUE(Resources::lookupEnabled);
    EXPECT_FALSE(Resources::Preload(settings));
}

TEST_F(ResourcesTest, PreloadStopsWhenToldAndKeepsWhatItLoaded) {
    WriteFile("gui/a.png", "x");
    WriteFile("gui/b.png", "x");
    WriteFile("gui/c.png", "x");
    Resources::PreloadSettings settings;
    settings.directories = "gui";
    settings.fileTypes = "png";
    int asked = 0;
    settings.keepGoing = [&asked] { return ++asked <= 2; };
    std::vector<String> loaded;
    ASSERT_TRUE(Resources::Preload(settings, &loaded));
    EXPECT_EQ(loaded.size(), 2u);
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(FakeSprite::loads, 2);
    EXPECT_TRUE(Resources::lookupEnabled) << "the cache works as after a whole preload";
}

TEST_F(ResourcesTest, ResourceLinksResolveThroughTheCache) {
    WriteFile("gui/a.png", "x");
    Resources::InstallLinkResolver();
    Element owner;
    Link<FakeSprite> link;
    DeclareString("SpritePath", link, 2, &owner, "gui/a.png");
    link.SetString(1, "gui/none.png");
    link.Resolve();
    EXPECT_NE(link.Get(0), nullptr);
    EXPECT_EQ(link.Get(1), nullptr);
    EXPECT_TRUE(link.IsResourceLink());
    EXPECT_EQ(static_cast<Object*>(link.Get(0)), Resources::FindResource("gui/a.png", "Sprite"));
}

namespace {
int finderCalls = 0;
Object* CountingFinder(const char*, const char*) {
    ++finderCalls;
    return nullptr;
}
} // namespace

TEST_F(ResourcesTest, AnEmptyResourceLinkItemLooksNothingUp) {
    // A scene that leaves a picture unset must not have "" looked up (and its
    // failure logged) once per item.
    finderCalls = 0;
    SetResourceFinder(&CountingFinder);
    Element owner;
    Link<FakeSprite> link;
    DeclareString("SpritePath", link, 2, &owner, "");
    link.SetString(1, "gui/none.png");
    link.Resolve();
    EXPECT_EQ(finderCalls, 1) << "only the named item is looked up";
    EXPECT_EQ(link.Get(0), nullptr);
    EXPECT_TRUE(link.IsUnresolved(0));
}
