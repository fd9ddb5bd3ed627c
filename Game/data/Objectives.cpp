#include "data/Objectives.h"

Objective::Objective() {
    DeclareInt("Category", Category, 1, this, kQuest);
    Category.AddValueName("Quest", kQuest);
    Category.AddValueName("Secret", kSecret);
    Category.AddValueName("Trinket", kTrinket);
    Category.AddValueName("Artwork", kArtwork);
    Category.AddValueName("Location", kLocation);
    DeclareString("Title", Title, 1, this, "");
    DeclareString("Icon", Icon, 1, this, "");
    DeclareBool("Completed", Completed, 1, this, false);
    DeclareBool("Unlocked", Unlocked, 1, this, false);
    DeclareBool("Persistent", Persistent, 1, this, false);
    DeclareBool("Viewed", Viewed, 1, this, false);
    DeclareFloat("Progress", Progress, 1, this, 0.0f);
}

Quest::Quest() {
    DeclareInt("Category", Category, 1, this, kQuest);
    Category.AddValueName("Quest", kQuest);
    Category.AddValueName("Treasure", kTreasure);
    DeclareString("MapLocation", MapLocation, 1, this, "");
    DeclareString("Dependencies", Dependencies, kMaxDependencies, this, "");
}
