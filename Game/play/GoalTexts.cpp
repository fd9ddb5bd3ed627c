#include "play/GoalTexts.h"

#include "data/Globals.h"
#include "io/StringTable.h"
#include "ui/ConsoleCommands.h"

#include <cctype>
#include <cstring>
#include <string>

namespace {

String Setting(const char* name, int32_t index = 0) {
    Globals* globals = GetGlobals();
    return globals ? globals->GetString(name, index) : GlobalsDefault(name, index);
}

String Name(const char* setting, const char* type) {
    return FormatLevelPath(Setting(setting).CStr(), type);
}

} // namespace

String TextOrKey(const char* identifier) {
    String text;
    if (identifier && LookupString(identifier, text)) {
        return text;
    }
    return String(identifier ? identifier : "");
}

String FillPattern(const char* pattern, std::initializer_list<const char*> arguments) {
    // Built on the stack: the hover asks for a hint key whenever another
    // object comes under the cursor, and a text that fits is never put on
    // the heap twice.
    char buffer[256];
    size_t length = 0;
    std::string spill; // only for a text longer than the buffer
    auto put = [&](const char* text, size_t count) {
        if (spill.empty() && length + count < sizeof buffer) {
            std::memcpy(buffer + length, text, count);
            length += count;
            return;
        }
        if (spill.empty()) {
            spill.assign(buffer, length);
        }
        spill.append(text, count);
    };
    auto next = arguments.begin();
    for (const char* c = pattern ? pattern : ""; *c; ++c) {
        if (c[0] == '%' && c[1] == 's') {
            if (next != arguments.end()) {
                const char* argument = *next ? *next : "";
                put(argument, std::strlen(argument));
                ++next;
            }
            ++c;
        } else {
            put(c, 1);
        }
    }
    if (!spill.empty()) {
        return String(spill.c_str());
    }
    buffer[length] = '\0';
    return String(buffer);
}

String NumberWord(int32_t n, bool capitalised) {
    std::string word;
    if (n >= 0 && n < 10) {
        const String key = Setting("String_Numbers", n);
        String text;
        if (!key.Empty() && LookupString(key.CStr(), text)) {
            word = text.CStr();
        }
    }
    if (word.empty()) {
        word = std::to_string(n);
    }
    if (capitalised) {
        word[0] = char(std::toupper(static_cast<unsigned char>(word[0])));
    }
    return String(word.c_str());
}

String TargetLine(const char* type, int32_t remaining) {
    const String singular = TextOrKey(Name("Path_TreasureNames", type).CStr());
    if (remaining < 2) {
        return singular;
    }
    String plural;
    if (!LookupString(Name("Path_PluralItemNames", type).CStr(), plural)) {
        plural = singular;
    }
    return String((std::string(plural.CStr()) + " (" + std::to_string(remaining) + ")").c_str());
}

String PairsGoal(int32_t typesLeft, const char* custom, const char* done) {
    const bool hasCustom = custom && *custom;
    if (typesLeft <= 0) {
        return TextOrKey(done);
    }
    if (typesLeft == 1) {
        return TextOrKey(hasCustom ? custom : Setting("Message_FindPairsSingular").CStr());
    }
    const String pattern = TextOrKey(hasCustom ? custom : Setting("Message_FindPairsPlural").CStr());
    return FillPattern(pattern.CStr(), {NumberWord(typesLeft, true).CStr()});
}

String TypesGoal(int32_t remaining, const char* type, const char* custom, const char* done) {
    if (remaining <= 0) {
        return TextOrKey(done);
    }
    if (custom && *custom) {
        return TextOrKey(custom);
    }
    String typeName = TargetLine(type, 1);
    if (remaining >= 2) {
        String plural;
        if (LookupString(Name("Path_PluralItemNames", type).CStr(), plural)) {
            typeName = plural;
        }
    }
    const String pattern = TextOrKey(Setting("Message_FindTypes").CStr());
    return FillPattern(pattern.CStr(), {NumberWord(remaining, false).CStr(), typeName.CStr()});
}
