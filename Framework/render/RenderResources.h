#pragma once
// Installs the resource cache's loaders for the classes the renderer owns
// (sprites, textures, fonts), so Resources::FindSprite, FindFont and resource
// links load files.
void InstallRenderResourceLoaders();
/// Installs only the font row's loader (part of InstallRenderResourceLoaders).
void InstallFontResourceLoader();

/// Switches the resource cache on (look-ups and storing) and connects it to
/// everything that finds media through it: resource links, the sprite and
/// texture loaders, and the scenes' widget renderer.
void StartResourcesAndRenderer();
