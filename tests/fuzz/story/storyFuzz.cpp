// Feeds arbitrary bytes to the story reader as a story file: actors, pages
// and expressions are read, every page looked up, and every text of every
// page put through the player-tag substitution.
#include "core/ConfigTable.h"
#include "io/MemoryFile.h"
#include "menus/StoryFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile file(data, size);
    ConfigTable table;
    table.Read(file);
    StoryFile story;
    story.Read(table);
    for (const StoryActor& actor : story.actors) {
        story.FindPage(actor.name.CStr());
    }
    for (auto& entry : story.pages.Entries()) {
        for (const String& next : entry.value.next) {
            story.FindPage(next.CStr());
        }
        const int32_t values = table.ValueCount(entry.key.CStr());
        for (int32_t i = 0; i < values && i < 3; ++i) {
            const String* text = table.Value(i, entry.key.CStr());
            String out;
            ReplacePlayerTag(text ? text->CStr() : "", "[PLAYER]", CapitalisedName(entry.key.CStr()).CStr(),
                             out);
            ReplacePlayerTag(text ? text->CStr() : "", entry.key.CStr(), "x", out);
        }
    }
    return 0;
}
