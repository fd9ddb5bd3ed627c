// The asset generator: recipe errors, deterministic output, the music's loop,
// encoded sounds, emoji and loading-bar pictures, and the cursors' hot spots.
#include "AssetGen.h"
#include "Glyphs.h"
#include "OggWriter.h"
#include "PictureKinds.h"
#include "Recipe.h"
#include "Synth.h"

#include "core/ConfigTable.h"
#include "support/TestEnvironment.h"
#include "support/ToolRun.h"

#include <gtest/gtest.h>
#include <png.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::TestTempDir;
using testing_support::WriteFile;

namespace {

const std::string kContent = std::string(TEST_SOURCE_DIR) + "/../content";
const std::string kEmojiFont = "/usr/share/fonts/truetype/noto/NotoColorEmoji.ttf";

std::string ParseError(const std::string& text) {
    Recipe recipe;
    std::string error;
    EXPECT_FALSE(recipe.Parse("bad.config", text, error)) << text;
    return error;
}

// Writes the recipe into the test folder and runs the generator on it.
bool Generate(const std::string& recipeText, const std::string& output, std::string& error) {
    const std::string path = TestTempDir() + "/recipe.config";
    EXPECT_TRUE(WriteFile(path, recipeText));
    AssetGenOptions options;
    options.sources.contentDirectory = kContent;
    options.recipe = path;
    options.output = TestTempDir() + "/" + output;
    return GenerateAsset(options, error);
}

struct Picture {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgba;
    uint8_t Alpha(uint32_t x, uint32_t y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 3]; }
};

bool ReadPng(const std::string& path, Picture& picture) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    picture.width = image.width;
    picture.height = image.height;
    picture.rgba.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, picture.rgba.data(), 0, nullptr) != 0;
}

// Decodes an Ogg Vorbis file to interleaved floats.
bool DecodeOgg(const std::string& path, std::vector<float>& samples, int& channels, long& rate) {
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0) {
        return false;
    }
    const vorbis_info* info = ov_info(&file, -1);
    channels = info->channels;
    rate = info->rate;
    float** pcm = nullptr;
    int section = 0;
    long got = 0;
    while ((got = ov_read_float(&file, &pcm, 4096, &section)) > 0) {
        for (long i = 0; i < got; ++i) {
            for (int c = 0; c < channels; ++c) {
                samples.push_back(pcm[c][i]);
            }
        }
    }
    ov_clear(&file);
    return got == 0;
}

testing_support::ToolRun RunAssetGen(const std::string& arguments) {
    return testing_support::RunTool("assetgen", arguments);
}

} // namespace

TEST(RecipeReaderTest, MalformedLinesNameTheFileAndLine) {
    EXPECT_EQ(ParseError("Kind = click;\nPitch = 200\n"), "bad.config:2: the value of 'Pitch' must end with ';'");
    EXPECT_EQ(ParseError("# comment\n\n  Pitch = 200;\n"), "bad.config:3: a line must start with its key (no indentation)");
    EXPECT_EQ(ParseError("Kind = click;\r\nPitch = ;\r\n"), "bad.config:2: key 'Pitch' has no value");
    EXPECT_EQ(ParseError("Pitch;\n"), "bad.config:1: key 'Pitch;' has no value");
    EXPECT_EQ(ParseError(std::string(5000, 'x') + " = 1;\n"), "bad.config:1: line longer than 4095 characters");
}

TEST(RecipeReaderTest, ReadsTheEngineFormatWithListsAndComments) {
    Recipe recipe;
    std::string error;
    ASSERT_TRUE(recipe.Parse("good.config", "# a comment\n   # indented comment\nKind = music;\r\n"
                                            "Bar = C3 E3 | C5:4;\nTempo=80;\nBar = G2 | -:4;  \n",
                             error))
        << error;
    ASSERT_EQ(recipe.FindAll("Bar").size(), 2u);
    EXPECT_EQ(recipe.FindAll("Bar")[1]->value, "G2 | -:4");
    EXPECT_EQ(recipe.FindAll("Bar")[1]->line, 6);
    float tempo = 0;
    EXPECT_TRUE(recipe.GetFloat("Tempo", tempo, 30, 240, true, error));
    EXPECT_EQ(tempo, 80.0f);
}

TEST(RecipeReaderTest, ValueErrorsNameTheLineOfTheValue) {
    Recipe recipe;
    std::string error;
    ASSERT_TRUE(recipe.Parse("r.config", "Kind = panel;\nSize = 10 0x10;\nFill = #12345g;\nRadius = 1e3;\n", error));
    float size[2];
    EXPECT_FALSE(recipe.GetFloats("Size", size, 2, 1, 4096, true, error));
    EXPECT_EQ(error, "r.config:2: '0x10' is not a number from 1 to 4096");
    Colour colour;
    EXPECT_FALSE(recipe.GetColour("Fill", colour, true, error));
    EXPECT_EQ(error, "r.config:3: '#12345g' is not a colour (#rrggbb or #rrggbbaa)");
    float radius = 0;
    EXPECT_FALSE(recipe.GetFloat("Radius", radius, 0, 100000, true, error));
    EXPECT_EQ(error, "r.config:4: '1e3' is not a number from 0 to 100000");
    // Something missing is reported at the line after the last.
    std::string shape;
    EXPECT_FALSE(recipe.GetText("Shape", shape, true, error));
    EXPECT_EQ(error, "r.config:5: the recipe has no 'Shape'");
    EXPECT_FALSE(recipe.CheckKeys({"Kind", "Size", "Fill"}, error));
    EXPECT_EQ(error, "r.config:4: unknown key 'Radius' (this kind reads Kind, Size, Fill)");
}

TEST(AssetGenTest, BadRecipesFailWithOneLineAndExitCodeOne) {
    const std::string dir = TestTempDir();
    struct Case {
        std::string recipe, output, message;
    };
    const std::vector<Case> cases = {
        {"Kind = cursor;\nSize = 32 32;\nShape = star;\nHotspot = 1 1;\n", "c.png", ":3: unknown cursor shape 'star'"},
        {"Kind = chime;\nNotes = C4 H4;\n", "c.ogg", ":2: 'H4' is not a note"},
        {"Kind = click;\nPich = 100;\n", "c.ogg", ":2: unknown key 'Pich'"},
        {"Kind = click;\n", "c.png", ":1: a click is written as .ogg"},
        {"Kind = music;\nTempo = 80;\nBar = C3 | C5:3;\n", "m.ogg", ":3: the melody of this bar lasts 3"},
        {"Kind = text;\nText = @str.no_such_text;\n", "t.png", ":2: no text 'str.no_such_text'"},
        {"Kind = sculpture;\n", "s.png", ":1: unknown kind 'sculpture'"},
        {"Kind = text;\nSize = 20 10;\nText = Far too long for its picture;\n", "t.png", ":2: the text needs"},
        {"Kind = panel;\nSize = 40 40;\nMargin = 20;\n", "p.png", ":3: the margin leaves no room"},
        {"Kind = emoji;\nCharacter = U+1F511x;\n", "e.png", ":2: a Character is one character"},
        {"Kind = lamproom;\nSize = 200 200;\nGlazing = 10 120;\nHorizon = 80;\nWall = #604030;\nWallBottom = "
         "#302010;\nFloor = #604020;\nFloorLine = 100;\nLens = 100 20 60 60;\nLamp = 50 150 60;\n",
         "l.png", ":8: the glazing must lie above the floor line"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteFile(dir + "/bad.config", c.recipe));
        const testing_support::ToolRun run = RunAssetGen("--content " + kContent + " " + dir + "/bad.config " + dir + "/" + c.output);
        EXPECT_EQ(run.status, 1) << c.recipe;
        EXPECT_NE(run.output.find("bad.config" + c.message), std::string::npos) << run.output;
        EXPECT_EQ(run.output.find('\n'), run.output.size() - 1) << "not one line: " << run.output;
        EXPECT_FALSE(fs::exists(dir + "/" + c.output));
        EXPECT_FALSE(fs::exists(dir + "/" + c.output + ".part"));
    }
    EXPECT_EQ(RunAssetGen(dir + "/bad.config").status, 2);
    EXPECT_EQ(RunAssetGen("--content").status, 2);
}

TEST(AssetGenTest, SameRecipeGivesTheSameBytes) {
    const std::vector<std::pair<std::string, std::string>> recipes = {
        {kContent + "/recipes/gui/IntroScreen/background.png.config", "a.png"},
        {kContent + "/recipes/gui/IntroScreen/title.png.config", "b.png"},
        {kContent + "/recipes/gui/Cursor/dunhaven_use.png.config", "c.png"},
        {kContent + "/recipes/audio/level_complete.ogg.config", "d.ogg"},
        {kContent + "/recipes/audio/journal_open.ogg.config", "e.ogg"},
    };
    for (const auto& [recipe, output] : recipes) {
        std::string first, second;
        for (std::string* bytes : {&first, &second}) {
            AssetGenOptions options;
            options.sources.contentDirectory = kContent;
            options.recipe = recipe;
            options.output = TestTempDir() + "/" + output;
            std::string error;
            ASSERT_TRUE(GenerateAsset(options, error)) << error;
            *bytes = ReadFile(options.output);
            fs::remove(options.output);
        }
        EXPECT_GT(first.size(), 100u) << recipe;
        EXPECT_TRUE(first == second) << recipe << " differs between two runs";
    }
}

TEST(MusicTest, LoopIsSampleExactAndJoinsWithoutAClick) {
    MusicParams params;
    params.tempo = 150;
    params.beatsPerBar = 3;
    float c3 = 0, g3 = 0, e5 = 0, g5 = 0;
    ASSERT_TRUE(NoteFrequency("C3", c3) && NoteFrequency("G3", g3) && NoteFrequency("E5", e5) && NoteFrequency("G5", g5));
    params.chords = {{c3, g3}, {g3, c3 * 2}};
    // The last note is held to the end of the loop, so it rings over the seam.
    params.melody = {{{e5, 1}, {0, 1}, {g5, 1}}, {{g5, 2}, {e5, 1}}};
    const Pcm pcm = SynthMusic(params);
    ASSERT_EQ(pcm.channels, 2);
    EXPECT_EQ(pcm.Frames(), 2 * 3 * static_cast<int64_t>(SamplesPerBeat(150, 44100)));
    EXPECT_EQ(SamplesPerBeat(150, 44100), 17640);

    // The step from the last frame to the first is no larger than the steps
    // inside the piece: a cut-off tail would jump.
    const int64_t frames = pcm.Frames();
    for (int c = 0; c < 2; ++c) {
        float largest = 0, typical = 0;
        for (int64_t i = 1; i < frames; ++i) {
            const float step = std::fabs(pcm.samples[i * 2 + c] - pcm.samples[(i - 1) * 2 + c]);
            largest = std::max(largest, step);
            typical += step;
        }
        typical /= static_cast<float>(frames - 1);
        const float seam = std::fabs(pcm.samples[c] - pcm.samples[(frames - 1) * 2 + c]);
        EXPECT_LE(seam, largest) << "channel " << c;
        EXPECT_LT(seam, typical * 6.0f) << "channel " << c;
        EXPECT_GT(std::fabs(pcm.samples[c]), 1e-4f) << "the held note should ring over the seam";
    }

    // Encoded and decoded again, the piece keeps its exact length and its seam.
    const std::string path = TestTempDir() + "/loop.ogg";
    std::string error;
    ASSERT_TRUE(WriteOggVorbis(path, pcm, 0.4f, error)) << error;
    std::vector<float> decoded;
    int channels = 0;
    long rate = 0;
    ASSERT_TRUE(DecodeOgg(path, decoded, channels, rate));
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(rate, 44100);
    ASSERT_EQ(static_cast<int64_t>(decoded.size()), frames * 2);
    EXPECT_LT(std::fabs(decoded[0] - decoded[decoded.size() - 2]), 0.05f);
}

TEST(MusicTest, TheDemoPieceLoopsInThirtyToSixtySeconds) {
    const std::string path = TestTempDir() + "/theme.ogg";
    AssetGenOptions options;
    options.recipe = kContent + "/recipes/music/harbour_theme.ogg.config";
    options.output = path;
    std::string error;
    ASSERT_TRUE(GenerateAsset(options, error)) << error;
    std::vector<float> decoded;
    int channels = 0;
    long rate = 0;
    ASSERT_TRUE(DecodeOgg(path, decoded, channels, rate));
    const int64_t frames = static_cast<int64_t>(decoded.size()) / channels;
    EXPECT_EQ(frames, 16 * 4 * static_cast<int64_t>(SamplesPerBeat(76, 44100)));
    EXPECT_GE(frames, 30 * rate);
    EXPECT_LE(frames, 60 * rate);
    float peak = 0;
    for (float s : decoded) {
        peak = std::max(peak, std::fabs(s));
    }
    EXPECT_GT(peak, 0.4f);
    EXPECT_LT(peak, 1.0f);
    EXPECT_LT(std::fabs(decoded[0] - decoded[decoded.size() - channels]), 0.05f);
}

TEST(SoundTest, EncodedEffectsDecodeToTheirLength) {
    std::string error;
    ASSERT_TRUE(Generate("Kind = click;\nLength = 0.05;\n", "click.ogg", error)) << error;
    ASSERT_TRUE(Generate("Kind = whoosh;\nLength = 0.5;\nFrom = 300;\nTo = 2000;\n", "whoosh.ogg", error)) << error;
    for (const auto& [name, frames] : {std::pair<std::string, size_t>{"click.ogg", 2205}, {"whoosh.ogg", 22050}}) {
        std::vector<float> decoded;
        int channels = 0;
        long rate = 0;
        ASSERT_TRUE(DecodeOgg(TestTempDir() + "/" + name, decoded, channels, rate)) << name;
        EXPECT_EQ(channels, 1);
        EXPECT_EQ(rate, 44100);
        EXPECT_EQ(decoded.size(), frames) << name;
        float peak = 0;
        for (float s : decoded) {
            peak = std::max(peak, std::fabs(s));
        }
        EXPECT_GT(peak, 0.2f) << name << " is silent";
        // Lossy coding rings a little; a step would be far larger.
        EXPECT_LT(std::fabs(decoded.front()), 0.06f) << name << " starts with a step";
        EXPECT_LT(std::fabs(decoded.back()), 0.06f) << name << " ends with a step";
    }
}

TEST(PictureTest, EmojiHaveTransparentCornersAndAnOpaqueMiddle) {
    if (!fs::exists(kEmojiFont)) {
        GTEST_SKIP() << "no colour emoji font (scripts/setup.sh installs it)";
    }
    for (const std::string name : {"key", "teapot", "anchor"}) {
        AssetGenOptions options;
        options.recipe = kContent + "/recipes/items/" + name + ".png.config";
        options.output = TestTempDir() + "/" + name + ".png";
        std::string error;
        ASSERT_TRUE(GenerateAsset(options, error)) << error;
        Picture picture;
        ASSERT_TRUE(ReadPng(options.output, picture));
        ASSERT_EQ(picture.width, 96u);
        ASSERT_EQ(picture.height, 96u);
        for (uint32_t y : {0u, 95u}) {
            for (uint32_t x : {0u, 95u}) {
                EXPECT_EQ(picture.Alpha(x, y), 0) << name << " corner " << x << "," << y;
            }
        }
        int opaque = 0;
        for (uint32_t y = 0; y < 96; ++y) {
            for (uint32_t x = 0; x < 96; ++x) {
                opaque += picture.Alpha(x, y) == 255 ? 1 : 0;
            }
        }
        EXPECT_GT(opaque, 96 * 96 / 8) << name;
    }
    Canvas canvas;
    std::string error;
    EXPECT_FALSE(RenderEmoji(kEmojiFont, 0x41, 32, canvas, error));
}

TEST(PictureTest, TheLampRoomHasItsNightSkyLensAndLanternWhereItsRecipeSaysSo) {
    AssetGenOptions options;
    options.recipe = kContent + "/recipes/levels/lamp_room/background.png.config";
    options.output = TestTempDir() + "/lamp_room.png";
    std::string error;
    ASSERT_TRUE(GenerateAsset(options, error)) << error;
    Picture picture;
    ASSERT_TRUE(ReadPng(options.output, picture));
    ASSERT_EQ(picture.width, 1024u);
    ASSERT_EQ(picture.height, 768u);
    // The mean colour of a square of 21 pixels round a point.
    const auto mean = [&](uint32_t cx, uint32_t cy) {
        float sum[3] = {0, 0, 0};
        for (uint32_t y = cy - 10; y <= cy + 10; ++y) {
            for (uint32_t x = cx - 10; x <= cx + 10; ++x) {
                for (int c = 0; c < 3; ++c) {
                    sum[c] += picture.rgba[(static_cast<size_t>(y) * picture.width + x) * 4 + c] / (21.0f * 21.0f);
                }
            }
        }
        return std::vector<float>{sum[0], sum[1], sum[2]};
    };
    const std::vector<float> sky = mean(200, 100), lens = mean(535, 300), wall = mean(900, 400);
    const std::vector<float> nearLantern = mean(300, 560), farFloor = mean(980, 740);
    EXPECT_GT(sky[2], sky[0]) << "the night sky through the glass is blue";
    EXPECT_LT(sky[0] + sky[1] + sky[2], 3 * 90.0f) << "and dark";
    EXPECT_GT(lens[1], lens[0]) << "the lens's glass is green-blue where the wall would be brown";
    EXPECT_GT(wall[0], wall[2]) << "the panelled wall is warm";
    EXPECT_GT(nearLantern[0] + nearLantern[1] + nearLantern[2], 1.5f * (farFloor[0] + farFloor[1] + farFloor[2]))
        << "the floor by the lantern is lit, the far corner in the dark";
}

TEST(PictureTest, TheRoomsFloorBoardsAreStraightAndEvenAcrossTheRoom) {
    // The seams: the first x of board k on row y, found by bisection.
    const float w = 1024, h = 768, floorLine = 560;
    const auto edge = [&](int32_t k, float y) {
        float lo = -4000, hi = 5000;
        for (int i = 0; i < 40; ++i) {
            const float mid = (lo + hi) / 2;
            (FloorBoardAt(mid, y, w, h, floorLine, 27).board >= k ? hi : lo) = mid;
        }
        return hi;
    };
    const float top = floorLine + 1, bottom = h - 1;
    for (int32_t k = -4; k <= 20; ++k) {
        const float x0 = edge(k, top), x1 = edge(k, bottom);
        for (float y = top + 20; y < bottom; y += 37) {
            const float onLine = x0 + (x1 - x0) * (y - top) / (bottom - top);
            EXPECT_NEAR(edge(k, y), onLine, 0.5f) << "seam " << k << " bends at row " << y;
            EXPECT_TRUE(FloorBoardAt(onLine, y, w, h, floorLine, 27).seam) << "seam " << k << ", row " << y;
        }
        if (k > -4) {
            EXPECT_GT(x1 - edge(k - 1, bottom), x0 - edge(k - 1, top)) << "boards widen towards the viewer";
        }
    }
    // Neighbouring boards are not cut on the same rows.
    int sharedJoints = 0, joints = 0;
    for (float y = top; y < bottom; y += 1) {
        const bool left = FloorBoardAt(edge(7, y) + 10, y, w, h, floorLine, 27).joint;
        const bool right = FloorBoardAt(edge(8, y) + 10, y, w, h, floorLine, 27).joint;
        joints += left;
        sharedJoints += left && right;
    }
    EXPECT_GT(joints, 0);
    EXPECT_LT(sharedJoints, joints);

    // In the study's picture the floor is as bright on the left as on the
    // right (the lamp stands a little left of the middle): no board line
    // swells into a dark wedge.
    AssetGenOptions options;
    options.recipe = kContent + "/recipes/levels/keepers_study/background.png.config";
    options.output = TestTempDir() + "/study.png";
    std::string error;
    ASSERT_TRUE(GenerateAsset(options, error)) << error;
    Picture picture;
    ASSERT_TRUE(ReadPng(options.output, picture));
    ASSERT_EQ(picture.height, 768u);
    const auto brightness = [&](uint32_t x0, uint32_t x1) {
        float sum = 0;
        for (uint32_t y = 700; y < 760; ++y) {
            for (uint32_t x = x0; x < x1; ++x) {
                const uint8_t* p = &picture.rgba[(static_cast<size_t>(y) * picture.width + x) * 4];
                sum += float(p[0] + p[1] + p[2]);
            }
        }
        return sum / float((x1 - x0) * 60);
    };
    EXPECT_GT(brightness(60, 200), 0.85f * brightness(824, 964));
}

TEST(PictureTest, LoadingBarFillGrowsFromTheLeft) {
    AssetGenOptions options;
    options.recipe = kContent + "/recipes/gui/LoadScreen/fill.png.config";
    options.output = TestTempDir() + "/fill.png";
    std::string error;
    ASSERT_TRUE(GenerateAsset(options, error)) << error;
    Picture fill;
    ASSERT_TRUE(ReadPng(options.output, fill));
    const uint32_t middle = fill.height / 2;
    EXPECT_EQ(fill.Alpha(0, 0), 0) << "a rounded corner is never shown";
    EXPECT_EQ(fill.Alpha(0, middle), 255) << "the first pixel shows as soon as loading starts";
    EXPECT_GE(fill.Alpha(fill.width - 1, middle), 1) << "the last pixel shows when loading ends";
    EXPECT_LE(fill.Alpha(fill.width - 1, middle), 3);
    // The game shows pixels with alpha > 1 - progress: every column to the
    // left of a shown one is shown too, at every height.
    for (uint32_t x = 1; x < fill.width; ++x) {
        EXPECT_LE(fill.Alpha(x, middle), fill.Alpha(x - 1, middle)) << "column " << x;
        for (uint32_t y = 0; y < fill.height; ++y) {
            if (fill.Alpha(x, y) != 0) {
                EXPECT_EQ(fill.Alpha(x, y), fill.Alpha(x, middle)) << x << "," << y;
            }
        }
    }
}

TEST(PictureTest, CursorsPointWithTheHotSpotsOfTheGlobals) {
    // Cursor_Hotspots in the demo's globals, in the order of the cursors.
    ConfigTable globals;
    ASSERT_TRUE(globals.Load((kContent + "/config/globals.scene").c_str()));
    ASSERT_EQ(globals.ValueCount("demo.Cursor_Hotspots"), 10);
    std::string error;
    const char* names[] = {"default", "link", "exit", "use", "info"};
    for (int i = 0; i < 5; ++i) {
        for (const std::string world : {"dunhaven", "emberlow"}) {
            const std::string name = world + "_" + names[i];
            Recipe recipe;
            ASSERT_TRUE(recipe.Load(kContent + "/recipes/gui/Cursor/" + name + ".png.config", error)) << error;
            float spot[2] = {0, 0};
            ASSERT_TRUE(recipe.GetFloats("Hotspot", spot, 2, 0, 100, true, error)) << error;
            float x = -1, y = -1;
            ASSERT_TRUE(globals.GetFloat(i * 2, "demo.Cursor_Hotspots", x));
            ASSERT_TRUE(globals.GetFloat(i * 2 + 1, "demo.Cursor_Hotspots", y));
            EXPECT_EQ(spot[0], x) << name;
            EXPECT_EQ(spot[1], y) << name;
            // The picture is painted at its hot spot and clear in its far corner
            // from the shape (top right), so the pointer is crisp, not a block.
            AssetGenOptions options;
            options.recipe = kContent + "/recipes/gui/Cursor/" + name + ".png.config";
            options.output = TestTempDir() + "/" + name + ".png";
            ASSERT_TRUE(GenerateAsset(options, error)) << error;
            Picture picture;
            ASSERT_TRUE(ReadPng(options.output, picture));
            EXPECT_GT(picture.Alpha(static_cast<uint32_t>(spot[0]), static_cast<uint32_t>(spot[1])), 60) << name;
            EXPECT_EQ(picture.Alpha(picture.width - 1, 0), 0) << name;
        }
    }
}

// A map change that mends scenery lays its picture over the damaged piece
// the town map painted: wherever the damaged piece is solid, the mended one
// must be as solid, or rags of the old one show through.
TEST(PictureTest, MendedStallCoversItsTornTwin) {
    std::string error;
    ASSERT_TRUE(Generate("Kind = mapprop;\nSize = 120 100;\nStall = 56 80 60 #c0392b torn;\n", "torn.png", error))
        << error;
    ASSERT_TRUE(Generate("Kind = mapprop;\nSize = 120 100;\nStall = 56 80 60 #c0392b mended;\n", "mended.png", error))
        << error;
    Picture torn, mended;
    ASSERT_TRUE(ReadPng(TestTempDir() + "/torn.png", torn));
    ASSERT_TRUE(ReadPng(TestTempDir() + "/mended.png", mended));
    int solid = 0, uncovered = 0;
    for (uint32_t y = 0; y < torn.height; ++y) {
        for (uint32_t x = 0; x < torn.width; ++x) {
            if (torn.Alpha(x, y) > 200) {
                ++solid;
                uncovered += mended.Alpha(x, y) + 10 < torn.Alpha(x, y) ? 1 : 0;
            }
        }
    }
    EXPECT_GT(solid, 1000);
    EXPECT_EQ(uncovered, 0);
    EXPECT_FALSE(Generate("Kind = mapprop;\nSize = 10 10;\nStall = 5 5 4 #ffffff frayed;\n", "bad.png", error));
    EXPECT_NE(error.find(":3:"), std::string::npos) << error;
}

// A map too large for one picture is painted once per tile and cut; the
// tiles laid side by side give the whole map, pixel for pixel.
TEST(PictureTest, MapTilesReassembleIntoTheWholeMap) {
    const std::string map = "Kind = townmap;\nSize = 64 48;\nSeed = 3;\nCoast = 0 0 64 0 64 20 30 40 0 48;\n"
                            "Road = 6 4 4 30 20 60 10;\nHouse = 20 30 14 8 6;\nTrees = 3;\n";
    ASSERT_TRUE(WriteFile(TestTempDir() + "/small.map", map));
    std::string error;
    ASSERT_TRUE(Generate(map, "whole.png", error)) << error;
    ASSERT_TRUE(Generate("Kind = townmap;\nMap = small.map;\nTile = 1 1 2 2;\n", "tile.png", error)) << error;
    Picture whole, tile;
    ASSERT_TRUE(ReadPng(TestTempDir() + "/whole.png", whole));
    ASSERT_TRUE(ReadPng(TestTempDir() + "/tile.png", tile));
    ASSERT_EQ(tile.width, 32u);
    ASSERT_EQ(tile.height, 24u);
    int differing = 0;
    for (uint32_t y = 0; y < tile.height; ++y) {
        for (uint32_t x = 0; x < tile.width; ++x) {
            for (uint32_t c = 0; c < 4; ++c) {
                differing += tile.rgba[(y * tile.width + x) * 4 + c] !=
                                     whole.rgba[((y + 24) * whole.width + x + 32) * 4 + c]
                                 ? 1
                                 : 0;
            }
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_FALSE(Generate("Kind = townmap;\nMap = small.map;\nTile = 2 0 2 2;\n", "bad.png", error));
    EXPECT_NE(error.find(":3:"), std::string::npos) << error;
}

TEST(PictureTest, CutoutKeepsTheSourcePixelsInsideItsRegionsAndIsClearOutside) {
    // A source whose every pixel differs from its neighbours' (a soft light).
    const std::string content = TestTempDir() + "/cut-content";
    fs::create_directories(content + "/recipes/scene");
    ASSERT_TRUE(WriteFile(content + "/recipes/scene/light.png.config",
                          "Kind = glow;\nSize = 64 64;\nRadius = 40;\nColour = #ff8040ff;\n"));
    AssetGenOptions options;
    options.sources.contentDirectory = content;
    std::string error;
    options.recipe = content + "/recipes/scene/light.png.config";
    options.output = TestTempDir() + "/light.png";
    ASSERT_TRUE(GenerateAsset(options, error)) << error;
    Picture source;
    ASSERT_TRUE(ReadPng(options.output, source));

    // A rectangle and a triangle: the picture is their bounding box, 10,10 to 60,60.
    const std::string cut = "Kind = cutout;\nFrom = scene/light.png.config;\nFeather = 0;\n"
                            "Region = 10 10 40 10 40 30 10 30;\nRegion = 50 40 60 40 60 60;\n";
    ASSERT_TRUE(WriteFile(content + "/recipes/scene/cut.png.config", cut));
    options.recipe = content + "/recipes/scene/cut.png.config";
    options.output = TestTempDir() + "/cut.png";
    ASSERT_TRUE(GenerateAsset(options, error)) << error;
    Picture picture;
    ASSERT_TRUE(ReadPng(options.output, picture));
    ASSERT_EQ(picture.width, 50u);
    ASSERT_EQ(picture.height, 50u);
    const auto same = [&](uint32_t x, uint32_t y) {
        for (int c = 0; c < 4; ++c) {
            const int want = source.rgba[((y + 10) * source.width + x + 10) * 4 + c];
            if (std::abs(picture.rgba[(y * picture.width + x) * 4 + c] - want) > 1) {
                return false;
            }
        }
        return true;
    };
    EXPECT_TRUE(same(2, 2) && same(15, 12) && same(29, 19)) << "inside the rectangle";
    EXPECT_TRUE(same(48, 35)) << "inside the triangle";
    EXPECT_EQ(picture.Alpha(35, 5), 0) << "between the regions";
    EXPECT_EQ(picture.Alpha(42, 48), 0) << "beside the triangle's slope";

    // A source that is no picture, a path out of the recipes, too few points.
    for (const std::string bad : {"Kind = cutout;\nFrom = scene/cut.png.config;\nRegion = 0 0 9 0 9 9;\n",
                                  "Kind = cutout;\nFrom = ../light.png.config;\nRegion = 0 0 9 0 9 9;\n",
                                  "Kind = cutout;\nFrom = scene/light.png.config;\nRegion = 0 0 9 9;\n",
                                  "Kind = cutout;\nFrom = scene/light.png.config;\nRegion = 0 0 9 0 9;\n"}) {
        ASSERT_TRUE(WriteFile(content + "/recipes/scene/bad.png.config", bad));
        options.recipe = content + "/recipes/scene/bad.png.config";
        options.output = TestTempDir() + "/bad.png";
        error.clear();
        EXPECT_FALSE(GenerateAsset(options, error)) << bad;
        EXPECT_NE(error.find("bad.png.config:"), std::string::npos) << error;
    }
}

TEST(PictureTest, EmojiTakeTheSceneLightGreyedTintedAndShaded) {
    if (!fs::exists(kEmojiFont)) {
        GTEST_SKIP() << "no colour emoji font (scripts/setup.sh installs it)";
    }
    const auto make = [](const std::string& light, Picture& picture) {
        std::string error;
        EXPECT_TRUE(Generate("Kind = emoji;\nCharacter = U+1F34E;\nSize = 64;\n" + light, "lit.png", error))
            << error;
        return ReadPng(TestTempDir() + "/lit.png", picture);
    };
    Picture plain, grey, blue, shaded;
    ASSERT_TRUE(make("", plain));
    ASSERT_TRUE(make("Saturation = 0;\n", grey));
    ASSERT_TRUE(make("Tint = #0000ffff;\n", blue));
    ASSERT_TRUE(make("Shade = 1;\nLightFrom = right;\n", shaded));
    long opaque = 0, colourful = 0, greyed = 0, blueOnly = 0, darkLeft = 0, keptRight = 0;
    for (size_t i = 0; i < plain.rgba.size(); i += 4) {
        if (plain.rgba[i + 3] < 250) {
            continue;
        }
        ++opaque;
        const uint8_t* p = &plain.rgba[i];
        const uint8_t* g = &grey.rgba[i];
        const uint8_t* b = &blue.rgba[i];
        colourful += std::abs(p[0] - p[1]) > 40;
        greyed += std::abs(g[0] - g[1]) <= 2 && std::abs(g[1] - g[2]) <= 2;
        blueOnly += b[0] == 0 && b[1] == 0 && std::abs(b[2] - p[2]) <= 1;
        const size_t x = (i / 4) % 64;
        const int before = p[0] + p[1] + p[2];
        const int after = shaded.rgba[i] + shaded.rgba[i + 1] + shaded.rgba[i + 2];
        darkLeft += x < 20 && after < before * 0.75;
        keptRight += x >= 44 && after > before * 0.6;
    }
    EXPECT_GT(colourful, 300) << "a red apple";
    EXPECT_EQ(greyed, opaque) << "without saturation every pixel is grey";
    EXPECT_EQ(blueOnly, opaque) << "a blue tint keeps the blue alone";
    EXPECT_GT(darkLeft, 100) << "lit from the right, the left side is darker";
    EXPECT_GT(keptRight, 100) << "and the right side keeps its light";
}

TEST(PictureTest, ClutterPaintsItsItemsWhereTheRecipeSaysWithShadowsAwayFromTheLight) {
    if (!fs::exists(kEmojiFont)) {
        GTEST_SKIP() << "no colour emoji font (scripts/setup.sh installs it)";
    }
    // A red apple on the left; on the right the same apple, turned and in the dark.
    std::string error;
    ASSERT_TRUE(Generate("Kind = clutter;\nSize = 200 100;\nShadow = 8 0 0 1;\n"
                         "Item = U+1F34E 50 50 40;\nItem = U+1F34E 150 50 40 90 0;\n",
                         "clutter.png", error))
        << error;
    Picture picture;
    ASSERT_TRUE(ReadPng(TestTempDir() + "/clutter.png", picture));
    ASSERT_EQ(picture.width, 200u);
    ASSERT_EQ(picture.height, 100u);
    const auto at = [&](uint32_t x, uint32_t y) { return &picture.rgba[(y * picture.width + x) * 4]; };
    EXPECT_EQ(at(100, 50)[3], 0) << "nothing between the items";
    EXPECT_EQ(at(5, 5)[3], 0);
    EXPECT_EQ(at(50, 52)[3], 255);
    EXPECT_GT(at(50, 52)[0], 2 * at(50, 52)[1]) << "the first apple keeps its colour";
    EXPECT_LT(at(150, 52)[0] + at(150, 52)[1] + at(150, 52)[2], 30) << "the second lies in the dark";
    // The shadow falls 8 pixels to the right: past the apple's right edge, not its left.
    // (The apple is red, its shadow black.)
    uint32_t right = 50, left = 50;
    while (right < 99 && at(right + 1, 52)[0] > 100) {
        ++right;
    }
    while (left > 0 && at(left - 1, 52)[0] > 100) {
        --left;
    }
    EXPECT_GT(at(right + 4, 52)[3], 200) << "shadow right of " << right;
    EXPECT_LT(at(right + 4, 52)[0], 40) << "shadow right of " << right;
    EXPECT_EQ(at(left - 4, 52)[3], 0) << "no shadow left of " << left;

    EXPECT_FALSE(Generate("Kind = clutter;\nSize = 20 20;\nItem = U+1F34E 5 5 2;\n", "bad.png", error));
    EXPECT_NE(error.find(":3: an Item is"), std::string::npos) << error;
}
