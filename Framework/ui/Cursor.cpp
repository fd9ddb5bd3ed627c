#include "ui/Cursor.h"

#include "core/Redraw.h"
#include "core/ConfigTable.h"
#include "core/EngineState.h"
#include "core/FrameTime.h"
#include "core/Link.h"
#include "core/Log.h"
#include "io/Resources.h"
#include "render/BlendMode.h"
#include "render/RenderContext.h"
#include "render/RenderState.h"
#include "render/Sprite.h"
#include "ui/InputManagerCallback.h"
#include "ui/UiSettings.h"

#include <algorithm>

namespace {

constexpr const char* kKindSettings[kCursorKindCount] = {"Cursor_Default", "Cursor_Link", "Cursor_Exit",
                                                         "Cursor_Use", "Cursor_Info"};
constexpr const char* kHotspotSetting = "Cursor_Hotspots";
// Alpha per second of fade: a full fade takes 1/8 s.
constexpr float kFadeRate = 8.0f;

// Item `index` of a sprite setting: the resolved link when the settings
// have been resolved, else the sprite its path names; null when missing.
Sprite* SpriteSetting(const char* name, int32_t index) {
    Var* setting = globals ? globals->FindProperty(name) : nullptr;
    if (!setting || index < 0 || index >= setting->GetCount()) {
        return nullptr;
    }
    if (auto* link = dynamic_cast<Link<Sprite>*>(setting); link && !link->IsUnresolved(index)) {
        return link->Get(index);
    }
    const String& path = setting->GetString(index);
    return path.Empty() ? nullptr : Resources::FindSprite(path.CStr());
}

} // namespace

bool Cursor::LoadConfig() {
    const String path = GlobalText(setting::kCursorConfigPath);
    ConfigTable table;
    if (!table.Load(path.CStr())) {
        LogFormat("Cursor: cannot read the cursor configuration %s", path.CStr());
        return false;
    }
    String spritePath;
    table.GetString(0, "Sprite", spritePath);
    Sprite* found = spritePath.Empty() ? nullptr : Resources::FindSprite(spritePath.CStr());
    if (!found) {
        LogFormat("Cursor: %s names the sprite \"%s\", which cannot be found", path.CStr(),
                  spritePath.CStr());
        return false;
    }
    float hotX = 0.0f;
    float hotY = 0.0f;
    table.GetFloat(0, "Hotspot.x", hotX);
    table.GetFloat(0, "Hotspot.y", hotY);
    sprite = found;
    hotspotX = hotX;
    hotspotY = hotY;
    lastKind = -1;
    visible = true;
    RequestRedraw();
    return true;
}

void Cursor::SetKind(int32_t kind, bool secondLook) {
    if (kind < 0 || kind >= kCursorKindCount) {
        return;
    }
    if (kind == lastKind && secondLook == lastSecondLook) {
        return;
    }
    lastKind = kind;
    lastSecondLook = secondLook;
    sprite = SpriteSetting(kKindSettings[kind], secondLook ? 1 : 0);
    RequestRedraw();
    hotspotX = GlobalFloat(kHotspotSetting, 2 * kind, 0.0f);
    hotspotY = GlobalFloat(kHotspotSetting, 2 * kind + 1, 0.0f);
    if (kind == kCursorExit) {
        clampedSprite = sprite;
    }
}

void Cursor::Show(bool show) {
    visible = show;
}

void Cursor::Update() {
    const InputManagerCallback& input = GetInputManager();
    previousX = x;
    previousY = y;
    x = static_cast<float>(input.mouseX);
    y = static_cast<float>(input.mouseY);
    deltaX = x - previousX;
    deltaY = y - previousY;
    const float previousAlpha = alpha;
    if (visible) {
        alpha = std::min(1.0f, alpha + kFadeRate * frameTime);
    } else {
        alpha = std::max(0.0f, alpha - kFadeRate * frameTime);
    }
    if (sprite && (deltaX != 0.0f || deltaY != 0.0f || alpha != previousAlpha)) {
        RequestRedraw();
    }
}

void Cursor::DrawPosition(float& outX, float& outY) const {
    outX = x - hotspotX;
    outY = y - hotspotY;
    if (sprite && sprite == clampedSprite) {
        // Raised to 0 first, then lowered: a sprite wider than the picture
        // ends up flush with the right edge.
        const auto maxX = static_cast<float>(DisplayWidth() - sprite->Width());
        const auto maxY = static_cast<float>(DisplayHeight() - sprite->Height());
        outX = std::min(std::max(outX, 0.0f), maxX);
        outY = std::min(std::max(outY, 0.0f), maxY);
    }
}

void Cursor::Draw() {
    if (!sprite || !(visible || alpha > 0.0f)) {
        return;
    }
    float drawX = 0.0f;
    float drawY = 0.0f;
    DrawPosition(drawX, drawY);
    RenderStackScope state;
    // Picture pixels directly: neither the scene camera nor a widget's
    // transform applies to the pointer.
    RenderStack::SetCameraMatrix(Matrix4::Identity());
    RenderStack::SetModelMatrix(Matrix4::Translation(drawX, drawY, 0.0f));
    RenderStack::SetBlendMode(kBlendAlphaBlend);
    RenderStack::SetColor(1.0f, 1.0f, 1.0f, alpha);
    sprite->Draw();
}

void Cursor::Reset() {
    sprite = nullptr;
    clampedSprite = nullptr;
    hotspotX = 0.0f;
    hotspotY = 0.0f;
    visible = false;
    alpha = 0.0f;
    lastKind = -1;
}

Cursor& GetCursor() {
    static Cursor cursor;
    return cursor;
}
