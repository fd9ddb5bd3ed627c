#include "data/Options.h"

#include "core/EngineState.h"

Options::Options() {
    DeclareString("BuildVersion", BuildVersion, 1, this, "");
    DeclareFloat("SoundVolume", SoundVolume, 1, this, 1.0f);
    DeclareFloat("MusicVolume", MusicVolume, 1, this, 1.0f);
    DeclareFloat("Brightness", Brightness, 1, this, 0.5f);
    DeclareBool("Fullscreen", Fullscreen, 1, this, false);
    DeclareBool("Editing", Editing, 1, this, false);
    DeclareBool("AllowConsole", AllowConsole, 1, this, true);
    DeclareBool("EnableDialogue", EnableDialogue, 1, this, true);
    DeclareBool("DrawEveryFrame", DrawEveryFrame, 1, this, false);
    Fullscreen.SetFirstBool(true);
    Name.SetFirstString(kInstanceName);
}

Options* GetOptions() {
    return ObjectCast<Options>(options);
}
