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
        for (Widget* widget : drawList) {
            if (widget->DrawHidden()) {
                continue;
            }
            RenderStackScope widgetState;
            RenderStack::SetBlendMode(kBlendAlphaBlend);
            RenderStack::SetModelMatrix(widget->WorldMatrix());
            const float* color = widget->DrawColor();
            RenderStack::SetColor(start[0] * color[0], start[1] * color[1], start[2] * color[2],
                                  start[3] * color[3]);
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
