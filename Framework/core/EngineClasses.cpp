// The engine's element classes in their fixed registration order. Rows whose
// classes do not exist yet are listed as comments so the gaps stay visible.
#include "core/ClassRegistry.h"

void RegisterEngineClasses() {
}
