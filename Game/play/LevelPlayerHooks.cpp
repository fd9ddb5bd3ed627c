#include "play/LevelPlayerHooks.h"

namespace {

LevelPlayerHooks defaultHooks;
LevelPlayerHooks* installed = &defaultHooks;

} // namespace

LevelPlayerHooks& GetLevelPlayerHooks() {
    return *installed;
}

void SetLevelPlayerHooks(LevelPlayerHooks* hooks) {
    installed = hooks ? hooks : &defaultHooks;
}
