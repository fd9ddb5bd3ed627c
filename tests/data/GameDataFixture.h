#pragma once
// A fixture with the game's global objects as start-up makes them: classes
// registered, default settings and options, the save folder created; the
// engine sandboxed around it.

#include "GameStartup.h"
#include "core/ClassRegistry.h"
#include "core/EngineState.h"
#include "data/Globals.h"
#include "data/Options.h"
#include "data/Profiles.h"
#include "data/SaveFiles.h"
#include "data/State.h"
#include "support/EngineSandbox.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

class GameDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The registry is process-wide; a second registration is refused harmlessly.
        startup.RegisterGameStateClasses();
        ASSERT_TRUE(startup.CreateGlobalObjects());
        ASSERT_TRUE(CreateSaveFolders());
        folder = SaveDirectory().CStr();
    }
    void TearDown() override {
        // Screens and levels read the state and the settings: they go first.
        testing_support::EngineSandbox::EndScreens();
        startup.DeleteStateAndOptions();
        startup.DeleteGlobals();
    }

    std::string Path(const std::string& name) const { return folder + name; }
    bool Has(const std::string& name) const { return std::filesystem::exists(Path(name)); }

    testing_support::EngineSandbox sandbox;
    GameStartup startup;
    std::string folder;
};
