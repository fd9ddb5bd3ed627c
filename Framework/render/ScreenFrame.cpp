#include "render/ScreenFrame.h"

#include "render/RenderContext.h"
#include "render/RenderState.h"
#include "render/ScreenCamera.h"
#include "render/ScreenDraw.h"

void LoadScreenProjectionAndCamera() {
    RenderStack::SetProjectionMatrix(MakeScreenProjection(DisplayWidth(), DisplayHeight()));
    RenderStack::SetCameraMatrix(GetScreenCamera().matrix);
}
