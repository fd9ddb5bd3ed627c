#include "menus/StoryFile.h"

#include "core/ConfigTable.h"
#include "core/Tokenizer.h"

#include <cstring>
#include <string>

namespace {

constexpr const char* kTokenDelimiters = " ,";

/// Up to `count` tokens of `value` into `out`; the number found.
int32_t Tokens(const String& value, String* out, int32_t count) {
    Tokenizer tokens(value.CStr(), kTokenDelimiters);
    int32_t found = 0;
    while (found < count && tokens.NextToken(out[found])) {
        ++found;
    }
    return found;
}

} // namespace

bool StoryFile::Read(ConfigTable& table) {
    actors.clear();
    pages.Clear();
    problem = String();
    const int32_t actorCount = table.ValueCount(kActorKey);
    for (int32_t i = 0; i < actorCount; ++i) {
        String parts[3];
        Tokens(*table.Value(i, kActorKey), parts, 3);
        actors.push_back(StoryActor{parts[0], parts[1], parts[2]});
    }
    const int32_t pageCount = table.ValueCount(kPageKey);
    for (int32_t i = 0; i < pageCount; ++i) {
        String parts[3];
        if (Tokens(*table.Value(i, kPageKey), parts, 3) < 2) {
            problem =
                String("the Page value '") + *table.Value(i, kPageKey) + "' needs a page and its next page";
            return false;
        }
        StoryPage page;
        page.next[0] = parts[1];
        page.next[1] = parts[2];
        pages.Insert(parts[0], page);
    }
    const int32_t emoteCount = table.ValueCount(kEmoteKey);
    for (int32_t i = 0; i < emoteCount; ++i) {
        String parts[2];
        if (Tokens(*table.Value(i, kEmoteKey), parts, 2) < 2) {
            problem =
                String("the Emote value '") + *table.Value(i, kEmoteKey) + "' needs a page and an expression";
            return false;
        }
        if (auto* entry = pages.FindEntry(parts[0].CStr())) {
            entry->value.emote = parts[1];
        }
    }
    return true;
}

const StoryPage* StoryFile::FindPage(const char* name) {
    auto* entry = pages.FindEntry(name);
    return entry ? &entry->value : nullptr;
}

String CapitalisedName(const char* name) {
    String result(name ? name : "");
    char* first = result.CStr();
    const auto c = static_cast<unsigned char>(first[0]);
    if (c >= 'a' && c <= 'z') {
        first[0] = static_cast<char>(c - 'a' + 'A');
    } else if (c >= 0xE0 && c <= 0xFE && c != 0xF7) {
        // Latin-1 small letters with accents sit 0x20 above their capitals
        // (0xF7 is the division sign, 0xFF has no capital in Latin-1).
        first[0] = static_cast<char>(c - 0x20);
    }
    return result;
}

bool ReplacePlayerTag(const char* text, const char* tag, const char* name, String& out) {
    text = text ? text : "";
    name = name ? name : "";
    const size_t tagLength = tag ? std::strlen(tag) : 0;
    if (tagLength == 0) {
        out = text;
        return false;
    }
    const size_t nameLength = std::strlen(name);
    std::string result;
    const char* rest = text;
    for (const char* found = std::strstr(rest, tag); found; found = std::strstr(rest, tag)) {
        result.append(rest, static_cast<size_t>(found - rest));
        result.append(name, nameLength);
        rest = found + tagLength;
        if (result.size() > kMaxStoryTextLength) {
            out = text;
            return false;
        }
    }
    result.append(rest);
    if (result.size() > kMaxStoryTextLength) {
        out = text;
        return false;
    }
    out = String(std::string_view(result));
    return true;
}
