#pragma once
// A fixture with the game's global objects as start-up makes them: classes
// registered, default settings and options, the save folder created.

#include "GameStartup.h"
#include "core/ClassRegistry.h"
#include "core/EngineState.h"
#include "data/Globals.h"
#include "data/Options.h"
#include "data/Profiles.h"
#include "data/SaveFiles.h"
#include "data/State.h"
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
        startup.DeleteStateAndOptions();
        startup.DeleteGlobals();
    }

    std::string Path(const std::string& name) const { return folder + name; }
    bool Has(const std::string& name) const { return std::filesystem::exists(Path(name)); }

    GameStartup startup;
    std::string folder;
};
