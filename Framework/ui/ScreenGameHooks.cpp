#include "ui/ScreenGameHooks.h"

namespace {

ScreenGameHooks defaultHooks;
ScreenGameHooks* installed = &defaultHooks;

} // namespace

ScreenGameHooks& GetScreenGameHooks() {
    return *installed;
}

void SetScreenGameHooks(ScreenGameHooks* hooks) {
    installed = hooks ? hooks : &defaultHooks;
}
