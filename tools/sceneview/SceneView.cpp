#include "SceneView.h"

#include "GameStartup.h"
#include "PngWriter.h"
#include "anim/AnimResources.h"
#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/FrameTime.h"
#include "core/Link.h"
#include "core/Random.h"
#include "core/Scene.h"
#include "data/Globals.h"
#include "io/File.h"
#include "io/PackArchive.h"
#include "io/Resources.h"
#include "io/StringTable.h"
#include "platform/GameWindow.h"
#include "render/Bitmap.h"
#include "render/Image.h"
#include "render/RenderContext.h"
#include "render/RenderResources.h"
#include "render/RenderState.h"
#include "render/ScreenCamera.h"
#include "render/ScreenDraw.h"
#include "render/ScreenFrame.h"
#include "render/TextStyles.h"
#include "render/WidgetRenderer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace {

bool ParseNumber(const std::string& text, int low, int high, int& out) {
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < low || value > high) {
        return false;
    }
    out = static_cast<int>(value);
    return true;
}

// Makes the data set current as the game finds it: loose files relative to
// the data folder, and its archive when there is one.
bool EnterData(const std::string& data, std::string& error) {
    std::error_code code;
    if (data.empty()) {
        OpenArchive("data.pack");
        return true;
    }
    if (fs::is_directory(data, code)) {
        fs::current_path(data, code);
        if (code) {
            error = "cannot enter " + data + ": " + code.message();
            return false;
        }
        OpenArchive("data.pack");
        return true;
    }
    fs::path pack = fs::absolute(data, code);
    if (!fs::is_regular_file(pack, code)) {
        error = fs::exists(pack, code)
                    ? data + " is neither a data folder nor a pack archive"
                    : "no data folder or pack archive at " + data + ": " + std::strerror(ENOENT);
        return false;
    }
    fs::current_path(pack.parent_path(), code);
    String reason;
    bool damaged = false;
    if (!TryOpenArchive(pack.filename().c_str(), reason, damaged)) {
        error = "cannot open " + data + " as a pack archive: " + reason.CStr();
        return false;
    }
    return true;
}

void ListProblems(Scene& scene, std::vector<std::string>& warnings) {
    for (const auto& entry : scene.Elements().Entries()) {
        Element* element = entry.value;
        for (Var* var : element->Properties()) {
            if (!var->IsLink() || !var->HasUnresolved()) {
                continue;
            }
            for (int32_t i = 0; i < var->GetCount(); ++i) {
                if (var->IsUnresolved(i)) {
                    warnings.push_back(std::string("unresolved link ") + element->GetName() + "." +
                                       var->name + " = " + var->GetString(i).CStr());
                }
            }
        }
        if (auto* bitmap = ObjectCast<Bitmap>(element)) {
            if (!bitmap->GetSprite() && !bitmap->SpritePath.FirstString().Empty()) {
                warnings.push_back(std::string("missing picture ") + bitmap->SpritePath.FirstString().CStr() +
                                   " (" + element->GetName() + ")");
            }
        }
    }
}

// Loads the scene, runs its frames and writes its picture; the scene is
// gone again before the caller frees the resources it drew with.
bool DrawScene(const SceneViewOptions& options, std::vector<std::string>& warnings, std::string& error) {
    // The same seed every run: particles and random animators give the same
    // picture for the same number of frames.
    SeedRandom(1);

    std::unique_ptr<Scene> scene;
    File sceneFile;
    const std::string dataName = options.data.empty() ? std::string("the current folder") : options.data;
    if (!sceneFile.Open(options.scene.c_str(), kFileRead)) {
        error = "the scene " + options.scene + " is not in " + dataName +
                " (a scene is named by its path inside the data given by --data)";
    } else {
        sceneFile.Close();
        scene = LoadScene(options.scene.c_str());
        if (!scene) {
            error =
                "the scene " + options.scene + " in " + dataName +
                " does not load: it declares no element (a scene lists its elements as \"Widget = name;\")";
        }
    }
    bool ok = false;
    if (scene) {
        frameTime = 1.0f / 65.0f;
        for (int i = 0; i < std::max(1, options.frames); ++i) {
            scene->Update();
        }
        ListProblems(*scene, warnings);
        RenderStack::SetColor(0.0f, 0.0f, 0.0f, 1.0f);
        ClearScreen();
        RenderStack::SetColor(1.0f, 1.0f, 1.0f, 1.0f);
        LoadScreenProjectionAndCamera();
        scene->Draw();
        Image picture;
        if (!CaptureScreen(picture)) {
            error = "the picture could not be read back";
        } else {
            ok = WritePng(options.output.c_str(), picture.Pixels(), picture.Width(), picture.Height(), error);
        }
    }
    return ok;
}

} // namespace

bool ParseSceneViewArguments(const std::vector<std::string>& arguments, SceneViewOptions& options,
                             std::string& error) {
    std::vector<std::string> positional;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        bool hasValue = i + 1 < arguments.size();
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            return true;
        }
        if (argument == "--data" && hasValue) {
            options.data = arguments[++i];
        } else if (argument == "--frames" && hasValue) {
            if (!ParseNumber(arguments[++i], 0, 100000, options.frames)) {
                error = "--frames takes a whole number from 0 to 100000";
                return false;
            }
        } else if (argument == "--size" && hasValue) {
            const std::string& size = arguments[++i];
            size_t x = size.find('x');
            if (x == std::string::npos || !ParseNumber(size.substr(0, x), 1, 8192, options.width) ||
                !ParseNumber(size.substr(x + 1), 1, 8192, options.height)) {
                error = "--size takes WIDTHxHEIGHT, each from 1 to 8192";
                return false;
            }
        } else if (argument.rfind("--", 0) == 0) {
            error = "unknown or incomplete option " + argument;
            return false;
        } else {
            positional.push_back(argument);
        }
    }
    if (positional.size() != 2) {
        error = std::string("expected SCENE OUT.png\n") + kSceneViewUsage;
        return false;
    }
    options.scene = positional[0];
    options.output = fs::absolute(positional[1]).string();
    return true;
}

bool RunSceneView(const SceneViewOptions& options, std::vector<std::string>& warnings, std::string& error) {
    if (!EnterData(options.data, error)) {
        return false;
    }
    // The game's classes, settings and words, as the game starts: its screens
    // and objects are known, text boxes find their string-table texts, and
    // their text styles the fonts the settings name.
    GameStartup game;
    game.CreateGlobalObjects();
    ClearRegistry();
    RegisterEngineClasses([&game] { game.RegisterGameStateClasses(); });
    game.RegisterGameClasses();
    StartResourcesAndRenderer();
    InstallAnimResourceLoader();
    LoadStringTables();
    LoadGlobals();
    bool ok = false;
    const bool windowOpen = CreateGameWindow(options.width, options.height);
    if (!windowOpen) {
        error = "no window could be opened (is there a display? try xvfb-run)";
    } else {
        InitRenderContext(options.width, options.height);
        ResetScreenCamera();
        // The fonts' textures need the rendering context.
        RegisterGameTextStyles();
        ok = DrawScene(options, warnings, error);
        // The styles point at fonts that the cache frees.
        ClearTextStyles();
    }
    Resources::Shutdown();
    if (windowOpen) {
        ShutdownRenderContext();
        DestroyGameWindow();
    }
    ClearRegistry();
    game.DeleteStateAndOptions();
    game.DeleteGlobals();
    CloseArchive();
    return ok;
}
