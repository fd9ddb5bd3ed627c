// Feeds arbitrary bytes to the key/value reader through an in-memory file,
// then exercises look-ups, typed reads and writing the table back.
#include "core/ConfigTable.h"
#include "io/MemoryFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile file(data, size);
    ConfigTable table;
    table.Read(file);
    for (int32_t i = 0; i < table.Count() && i < 64; ++i) {
        const ConfigTable::Entry& entry = table.At(i);
        String key(entry.key);
        int32_t number = 0;
        float real = 0;
        bool flag = false;
        table.GetInt(0, key.CStr(), number);
        table.GetFloat(1, key.CStr(), real);
        table.GetBool(0, key.CStr(), flag);
        table.ValueCount(key.CStr());
    }
    std::string text = table.ToText();
    MemoryFile again(text.data(), text.size());
    ConfigTable reread;
    reread.Read(again);
    return 0;
}
