#include "ui/LoadingPicture.h"

#include "core/String.h"
#include "io/File.h"
#include "io/FileListing.h"
#include "platform/GameWindow.h"
#include "render/BlendMode.h"
#include "render/RenderContext.h"
#include "render/RenderState.h"
#include "render/ScreenDraw.h"
#include "render/Sprite.h"
#include "ui/ScreenBackground.h"
#include "ui/ScreenGameHooks.h"
#include "ui/UiSettings.h"

#include <algorithm>

namespace {

void DrawLoadScreenSprite(const char* spriteKey, const char* positionKey) {
    Sprite* sprite = GlobalSprite(spriteKey);
    if (!sprite) {
        return;
    }
    const float x = GlobalFloat(positionKey, 0, 0.0f);
    const float y = GlobalFloat(positionKey, 1, 0.0f);
    RenderStack::SetModelMatrix(Matrix4::Translation(x, y, 0.0f));
    sprite->Draw();
}

// The one progress that receives the file layer's opens.
LoadingProgress* listening = nullptr;
FileOpenHook previousHook = nullptr;

void ForwardFileOpen(File& file) {
    if (previousHook) {
        previousHook(file);
    }
    if (listening) {
        listening->OnFileOpened();
    }
}

} // namespace

void DrawLoadingPicture(float fraction, ScreenBackground* background) {
    {
        RenderStackScope scope;
        RenderStack::SetProjectionMatrix(MakeScreenProjection(DisplayWidth(), DisplayHeight()));
        RenderStack::SetCameraMatrix(Matrix4::Identity());
        RenderStack::SetModelMatrix(Matrix4::Identity());
        RenderStack::SetDepthTest(false);
        RenderStack::SetDepthWrite(false);
        if (background) {
            background->Draw();
        } else {
            ScreenGameHooks& game = GetScreenGameHooks();
            const float level = game.UseSecondLook() || !game.IsRegisteredPlayer() ? 0.0f : 1.0f;
            RenderStack::SetColor(level, level, level, 1.0f);
            ClearScreen();
        }
        RenderStack::SetColor(1.0f, 1.0f, 1.0f, 1.0f);
        RenderStack::SetTexturing(true);
        RenderStack::SetBlendMode(kBlendAlphaBlend);
        DrawLoadScreenSprite("LoadScreen_Frame", "LoadScreen_FramePos");
        RenderStack::SetBlendMode(kBlendAlphaTest);
        RenderStack::SetAlphaRef(1.0f - std::clamp(fraction, 0.0f, 1.0f));
        DrawLoadScreenSprite("LoadScreen_Fill", "LoadScreen_FillPos");
        RenderStack::SetBlendMode(kBlendAlphaBlend);
        DrawLoadScreenSprite("LoadScreen_Overlay", "LoadScreen_OverlayPos");
    }
    // Kept as the last picture, so that the transition into what was
    // loaded starts from the loading picture.
    KeepFrame();
    Present();
    EvictUnusedTextures(true);
}

LoadingProgress::~LoadingProgress() {
    SetActive(false);
}

void LoadingProgress::SetDrawer(Drawer value) {
    drawer = std::move(value);
}

void LoadingProgress::SetActive(bool value) {
    if (value == active) {
        return;
    }
    active = value;
    if (active && !listening) {
        listening = this;
        previousHook = GetFileOpenHook();
        SetFileOpenHook(&ForwardFileOpen);
    } else if (!active && listening == this) {
        listening = nullptr;
        SetFileOpenHook(previousHook);
        previousHook = nullptr;
    }
}

void LoadingProgress::Begin(const char* directory, bool reset) {
    if (!directory || !directory[0]) {
        SetActive(false);
        loaded = 0;
        expected = 0;
        return;
    }
    const int32_t count = int32_t(ListFiles(directory, "*.*", false).size());
    if (reset) {
        loaded = 0;
        expected = count;
        SetActive(expected > 0);
    } else {
        expected += count;
    }
}

void LoadingProgress::OnFileOpened() {
    // Drawing may itself open files (a sprite loading on first use); those
    // count, but do not draw again from inside the draw.
    if (!active) {
        return;
    }
    if (drawing) {
        ++loaded;
        return;
    }
    const float fraction = expected > 0 ? std::clamp(float(loaded) / float(expected), 0.0f, 1.0f) : 0.0f;
    if (drawer) {
        drawing = true;
        drawer(fraction);
        drawing = false;
    }
    ++loaded;
}
