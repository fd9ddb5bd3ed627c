#include "render/WidgetRenderer.h"

#include "core/Scene.h"
#include "render/BlendMode.h"
#include "render/RenderState.h"

namespace {

class StackWidgetRenderer : public SceneRenderer {
public:
    void DrawWidgets(Scene&, const std::vector<Widget*>& drawList) override {
        RenderStackScope sceneState;
        float start[4];
        for (int i = 0; i < 4; ++i) {
            start[i] = RenderStack::Current().color[i];
        }
        float color[4];
        for (Widget* widget : drawList) {
            if (widget->HasHiddenAncestor()) {
                continue;
            }
            RenderStackScope widgetState;
            RenderStack::SetBlendMode(kBlendAlphaBlend);
            RenderStack::SetModelMatrix(widget->WorldMatrix());
            widget->EffectiveColor(start, color);
            RenderStack::SetColor(color[0], color[1], color[2], color[3]);
            widget->ApplyRenderState();
            widget->Draw();
        }
    }
};

} // namespace

void InstallWidgetRenderer() {
    static StackWidgetRenderer renderer;
    SetSceneRenderer(&renderer);
}
