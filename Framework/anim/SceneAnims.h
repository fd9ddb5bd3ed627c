#pragma once
// Key-frame animations on scenes: the scene's named controls and the three
// operations screens and game code use.
//
// A scene keeps its controls in a map by name, advanced in name order in
// step 3 of the scene's update; a control that stops playing is deleted
// there. Two animations never drive the same channel name at once: playing
// one takes its channels away from every other control of the scene, and a
// control left without channels is deleted.

#include <cstdint>

class Anim;
class AnimControl;
class Element;
class Scene;
class String;

/// Starts (or continues) `anim` on the scene under the control name `name`:
/// conflicting channels move to it, a control of that name that survives
/// keeps its time; speed 1, playing. False, nothing changed, without a scene
/// or an anim (or when binding fails). `duration` gets the anim's length.
bool PlayAnim(Scene* scene, Anim* anim, const char* name, bool looping, float* duration = nullptr);
/// Applies the end pose of the anim at `path` to the scene at once, through
/// a temporary control. False when the anim cannot be loaded.
bool SetAnimPose(const char* path, Scene* scene);
/// With an empty path: true when the scene has any control. Otherwise true
/// when a control with bindings drives a channel name of the anim at `path`
/// (false when it cannot be loaded).
bool IsAnimPlaying(Scene* scene, const char* path);
/// The control registered under `name`, or null.
AnimControl* FindAnimControl(Scene* scene, const char* name);
/// Number of controls on the scene.
int32_t AnimControlCount(Scene* scene);

/// The screen stack's overlay rule: true while `animation` plays on the
/// element's scene (the element itself when it is a scene). An empty name
/// means any animation; otherwise a control of that name, or, for a name
/// that is a path of an .anim file, that animation.
bool AnimationPlayingOn(Element& element, const String& animation);
