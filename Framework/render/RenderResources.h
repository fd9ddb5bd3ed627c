#pragma once
// Installs the resource cache's loaders for the classes the renderer owns
// (sprites, textures), so Resources::FindSprite and sprite links load files.
void InstallRenderResourceLoaders();
