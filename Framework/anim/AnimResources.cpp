// The animation row of the resource cache: an .anim key/value file read
// through the file layer into an Anim.
#include "anim/AnimResources.h"
#include "anim/Anim.h"
#include "io/Resources.h"

#include <memory>

namespace {

Object* LoadAnim(const char* path) {
    auto anim = std::make_unique<Anim>();
    if (!anim->LoadFile(path)) {
        return nullptr;
    }
    return anim.release();
}

} // namespace

Anim* Resources::FindAnim(const char* path) {
    return static_cast<Anim*>(Find(kAnimRow, path));
}

void InstallAnimResourceLoader() {
    Resources::SetLoader(Resources::kAnimRow, LoadAnim);
}
