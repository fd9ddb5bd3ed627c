#include "io/StringTable.h"

#include "core/ConfigTable.h"
#include "core/Log.h"
#include "io/FileListing.h"

#include <cstring>
#include <vector>

namespace {

constexpr const char* kTextFolder = "text";
constexpr const char* kTablePattern = "*.config";

struct Registry {
    std::vector<std::unique_ptr<StringTable>> owned;
    NameMap<String, StringTable*> byName;
};

Registry& Tables() {
    static Registry registry;
    return registry;
}

// Calls `visit(tableName, key, firstValue)` for every key with a value of
// every listed table file; false at the first file that cannot be read.
template <typename Visit> bool ForEachTableFile(Visit visit) {
    // The listing is shared by the whole process: keep a copy while reading.
    std::vector<String> files = ListFiles(kTextFolder, kTablePattern, false);
    for (const String& path : files) {
        ConfigTable table;
        if (!table.Load(path.CStr())) {
            LogFormat("String tables: %s cannot be read", path.CStr());
            return false;
        }
        String tableName = StringTableName(path.CStr());
        visit(tableName, table);
    }
    return true;
}

} // namespace

String StringTableName(const char* path) {
    const char* base = path;
    for (const char* c = path; *c; ++c) {
        if (*c == '/' || *c == '\\') {
            base = c + 1;
        }
    }
    const char* dot = std::strchr(base, '.');
    return dot ? String(std::string_view(base, static_cast<size_t>(dot - base))) : String(base);
}

const String* StringTable::Find(const char* key) {
    auto* entry = pairs.FindEntry(key);
    return entry ? &entry->value : nullptr;
}

bool LoadStringTables() {
    return ForEachTableFile([](const String& tableName, ConfigTable& table) {
        auto stringTable = std::make_unique<StringTable>(tableName.CStr());
        for (int32_t i = 0; i < table.Count(); ++i) {
            const ConfigTable::Entry& entry = table.At(i);
            if (!entry.values.empty()) {
                stringTable->Add(entry.key.CStr(), entry.values.front().CStr());
            }
        }
        Tables().byName.Insert(tableName, stringTable.get());
        Tables().owned.push_back(std::move(stringTable));
    });
}

bool ReloadStringTables() {
    return ForEachTableFile([](const String& tableName, ConfigTable& table) {
        StringTable* target = FindStringTable(tableName.CStr());
        if (!target) {
            return; // a new file adds nothing until the next start
        }
        for (int32_t i = 0; i < table.Count(); ++i) {
            const ConfigTable::Entry& entry = table.At(i);
            if (entry.values.empty()) {
                continue;
            }
            if (auto* pair = target->Pairs().FindEntry(entry.key.CStr())) {
                pair->value = entry.values.front();
            }
        }
    });
}

bool LookupString(const char* identifier, String& out) {
    if (!identifier) {
        return false;
    }
    const char* dot = std::strchr(identifier, '.');
    if (!dot) {
        return false;
    }
    String tableName(std::string_view(identifier, static_cast<size_t>(dot - identifier)));
    StringTable* table = FindStringTable(tableName.CStr());
    const String* text = table ? table->Find(dot + 1) : nullptr;
    if (!text) {
        return false;
    }
    out = *text;
    return true;
}

StringTable* FindStringTable(const char* name) {
    return Tables().byName.Find(name);
}

void ClearStringTables() {
    Tables().byName.Clear();
    Tables().owned.clear();
}
