#pragma once
// Installs the resource cache's loaders for the classes the renderer owns
// (sprites, textures), so Resources::FindSprite and sprite links load files.
void InstallRenderResourceLoaders();

/// Switches the resource cache on (look-ups and storing) and connects it to
/// everything that finds media through it: resource links, the sprite and
/// texture loaders, and the scenes' widget renderer.
void StartResourcesAndRenderer();
