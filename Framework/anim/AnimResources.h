#pragma once
// Installs the resource cache's loader for key-frame animations, so
// Resources::FindAnim and "Anim" resource links load .anim files.
void InstallAnimResourceLoader();
