#pragma once
// Options: the per-installation settings kept in "options.widget" of the save
// folder (volumes 0 to 1, brightness, display mode, editor and console
// switches). The single instance is named "options" and lives in `options`.

#include "core/Element.h"

class Options : public Element {
    ENGINE_CLASS(Options, Element)

public:
    /// Instance name of the one options element.
    static constexpr const char* kInstanceName = "options";

    /// The defaults; a fresh Options asks for full screen.
    Options();

    Var BuildVersion;
    Var SoundVolume;
    Var MusicVolume;
    Var Brightness;
    Var Fullscreen;
    Var Editing;
    Var AllowConsole;
    Var EnableDialogue;
    /// For comparison while debugging: every frame draws, changed or not.
    Var DrawEveryFrame;
};

/// The options element, or null before start-up made it.
Options* GetOptions();
