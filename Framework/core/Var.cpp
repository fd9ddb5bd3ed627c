#include "core/Var.h"

#include "core/Element.h"
#include "core/Redraw.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <utility>

namespace {
// Through operator new, not malloc, so that the allocation counters of the
// tests and benchmarks see every text and value array the engine makes.
void* NewBlock(size_t bytes) {
    return ::operator new(bytes, std::nothrow);
}
void FreeBlock(void* block) {
    ::operator delete(block);
}
} // namespace

Var::~Var() {
    Clear();
}

int32_t Var::GetType() const {
    if (flags & kBool)
        return kVarBool;
    if (flags & kInt)
        return kVarInt;
    if (flags & kFloat)
        return kVarFloat;
    if (flags & kString)
        return kVarString;
    return kVarNone;
}

bool Var::GetBool(int32_t index) const {
    if (!(flags & kBool) || index < 0 || index >= GetCount()) {
        return false;
    }
    return Items()[index].b;
}

int32_t Var::GetInt(int32_t index) const {
    if (!(flags & kInt) || index < 0 || index >= GetCount()) {
        return 0;
    }
    return Items()[index].i;
}

float Var::GetFloat(int32_t index) const {
    if (!(flags & kFloat) || index < 0 || index >= GetCount()) {
        return 0.0f;
    }
    return Items()[index].f;
}

const String& Var::GetString(int32_t index) const {
    if (!(flags & kString) || index < 0 || index >= GetCount()) {
        return String::EmptyString();
    }
    return *Items()[index].s;
}

bool Var::AcceptType(uint32_t typeBit) {
    uint32_t current = flags & kTypeBits;
    if (!(flags & kUntyped) && current != 0 && current != typeBit) {
        return false;
    }
    flags = (flags & ~(kTypeBits | kUntyped)) | typeBit;
    return true;
}

Var::Slot* Var::WriteSlot(int32_t index, uint32_t typeBit) {
    // The type is fixed before the index is tested: a write that then fails on
    // its index still leaves an untyped variable typed.
    if (!AcceptType(typeBit)) {
        return nullptr;
    }
    if (count > 0) {
        return index >= 0 && index < count ? &Items()[index] : nullptr;
    }
    if (index != 0) {
        return nullptr;
    }
    Slot empty{};
    if (typeBit == kString) {
        empty.s = new String();
    }
    if (!PushSlot(empty)) {
        delete empty.s;
        return nullptr;
    }
    return &Items()[0];
}

bool Var::SetBool(int32_t index, bool value) {
    Slot* slot = WriteSlot(index, kBool);
    if (!slot)
        return false;
    if (slot->b != value) {
        slot->b = value;
        RequestRedraw();
    }
    flags |= kChanged;
    return true;
}

bool Var::SetInt(int32_t index, int32_t value) {
    Slot* slot = WriteSlot(index, kInt);
    if (!slot)
        return false;
    if (slot->i != value) {
        slot->i = value;
        RequestRedraw();
    }
    flags |= kChanged;
    return true;
}

bool Var::SetFloat(int32_t index, float value) {
    Slot* slot = WriteSlot(index, kFloat);
    if (!slot)
        return false;
    // A NaN never equals itself, so writing one always counts as a change.
    if (!(slot->f == value)) {
        slot->f = value;
        RequestRedraw();
    }
    flags |= kChanged;
    return true;
}

bool Var::SetString(int32_t index, const char* value) {
    Slot* slot = WriteSlot(index, kString);
    if (!slot)
        return false;
    if (!slot->s->Equals(value)) {
        slot->s->Assign(value);
        RequestRedraw();
    }
    flags |= kChanged;
    return true;
}

bool Var::Append(Slot slot, uint32_t typeBit) {
    if (!AcceptType(typeBit) || !PushSlot(slot)) {
        return false;
    }
    RequestRedraw();
    flags |= kChanged;
    return true;
}

int32_t Var::Capacity(int32_t items) {
    if (items <= 4) {
        return items < 1 ? 1 : items;
    }
    int32_t capacity = 8;
    while (capacity < items) {
        capacity *= 2;
    }
    return capacity;
}

bool Var::PushSlot(Slot slot) {
    if (count == 0) {
        inlineItem = slot;
        count = 1;
        return true;
    }
    if (count == Capacity(count)) {
        // Small arrays (a position, a colour) grow one item at a time so
        // they end exactly as long as declared; long ones double.
        const int32_t grown = Capacity(count + 1);
        Slot* block = static_cast<Slot*>(NewBlock(sizeof(Slot) * static_cast<size_t>(grown)));
        if (!block) {
            return false;
        }
        std::memcpy(block, Items(), sizeof(Slot) * static_cast<size_t>(count));
        if (count > 1) {
            FreeBlock(heapItems);
        }
        heapItems = block;
    }
    heapItems[count++] = slot;
    return true;
}

bool Var::AddBool(bool value) {
    Slot slot{};
    slot.b = value;
    return Append(slot, kBool);
}

bool Var::AddInt(int32_t value) {
    Slot slot{};
    slot.i = value;
    return Append(slot, kInt);
}

bool Var::AddFloat(float value) {
    Slot slot{};
    slot.f = value;
    return Append(slot, kFloat);
}

bool Var::AddString(const char* value) {
    if (!AcceptType(kString)) {
        return false;
    }
    Slot slot{};
    slot.s = new String(value);
    if (!PushSlot(slot)) {
        delete slot.s;
        return false;
    }
    flags |= kChanged;
    return true;
}

bool Var::CopyFrom(const Var& other) {
    if (GetCount() != other.GetCount()) {
        return false;
    }
    for (int32_t i = 0; i < GetCount(); ++i) {
        switch (GetType()) {
        case kVarBool:
            SetBool(i, other.GetBool(i));
            break;
        case kVarInt:
            SetInt(i, other.GetInt(i));
            break;
        case kVarFloat:
            SetFloat(i, other.GetFloat(i));
            break;
        case kVarString:
            SetString(i, other.GetString(i).CStr());
            break;
        default:
            break;
        }
    }
    return true;
}

void Var::Clear() {
    if (flags & kString) {
        for (int32_t i = 0; i < count; ++i) {
            delete Items()[i].s;
        }
    }
    if (count > 1) {
        FreeBlock(heapItems);
    }
    if (count > 0) {
        RequestRedraw();
    }
    inlineItem = Slot{};
    count = 0;
    valueNames = nullptr;
}

// The shared value-name lists form a tree: each list knows the lists one
// name longer that variables have built from it, so declaring the same names
// again walks the tree instead of copying them. Lists are never freed.
struct Var::ValueNameList {
    std::vector<ValueName> names;
    std::map<std::pair<std::string, int32_t>, std::unique_ptr<ValueNameList>> longer;
};

namespace {

std::mutex& ValueNameMutex() {
    static std::mutex mutex;
    return mutex;
}

} // namespace

const std::vector<Var::ValueName>& Var::ValueNames() const {
    static const std::vector<ValueName> none;
    return valueNames ? valueNames->names : none;
}

bool Var::AddValueName(const char* valueName, int32_t value) {
    if (!valueName || !AcceptType(kInt)) {
        return false;
    }
    for (const ValueName& existing : ValueNames()) {
        if (existing.name.Equals(valueName)) {
            return false;
        }
    }
    static ValueNameList root;
    std::lock_guard<std::mutex> lock(ValueNameMutex());
    ValueNameList& from = valueNames ? const_cast<ValueNameList&>(*valueNames) : root;
    std::unique_ptr<ValueNameList>& next = from.longer[{std::string(valueName), value}];
    if (!next) {
        next = std::make_unique<ValueNameList>();
        next->names = from.names;
        next->names.push_back(ValueName{value, String(valueName)});
    }
    valueNames = next.get();
    return true;
}

String Var::ItemText(int32_t index) const {
    if (index < 0 || index >= GetCount()) {
        return String();
    }
    switch (GetType()) {
    case kVarBool:
        return String(Items()[index].b ? "true" : "false");
    case kVarInt:
        return String(Items()[index].i);
    case kVarFloat:
        return String(Items()[index].f);
    case kVarString:
        return *Items()[index].s;
    default:
        return String();
    }
}

// The leading decimal integer, as "%d" scanning finds it (leading blanks and
// a sign allowed); values beyond 32 bits saturate instead of wrapping.
bool ScanInt(const char* text, int32_t& out) {
    if (!text) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    long long value = std::strtoll(text, &end, 10);
    if (end == text) {
        return false;
    }
    if (value > INT32_MAX)
        value = INT32_MAX;
    if (value < INT32_MIN)
        value = INT32_MIN;
    out = static_cast<int32_t>(value);
    return true;
}

// The leading floating-point number, as "%f" scanning finds it (1, 1.5, -2e3).
bool ScanFloat(const char* text, float& out) {
    if (!text) {
        return false;
    }
    char* end = nullptr;
    float value = std::strtof(text, &end);
    if (end == text) {
        return false;
    }
    out = value;
    return true;
}

bool ScanBool(const char* text, bool& out) {
    if (!text) {
        return false;
    }
    if (std::strcmp(text, "true") == 0) {
        out = true;
        return true;
    }
    if (std::strcmp(text, "false") == 0) {
        out = false;
        return true;
    }
    return false;
}

bool Var::SetItemFromText(int32_t index, const char* text) {
    if (!text) {
        return false;
    }
    switch (GetType()) {
    case kVarBool:
        if (std::strcmp(text, "true") == 0)
            return SetBool(index, true);
        if (std::strcmp(text, "false") == 0)
            return SetBool(index, false);
        return false;
    case kVarInt: {
        int32_t value = 0;
        return ScanInt(text, value) && SetInt(index, value);
    }
    case kVarFloat: {
        float value = 0.0f;
        return ScanFloat(text, value) && SetFloat(index, value);
    }
    case kVarString:
        return SetString(index, text);
    default:
        return false;
    }
}

bool Var::SetType(int32_t type) {
    switch (type) {
    case kVarBool:
        return AcceptType(kBool);
    case kVarInt:
        return AcceptType(kInt);
    case kVarFloat:
        return AcceptType(kFloat);
    case kVarString:
        return AcceptType(kString);
    default:
        return false;
    }
}

namespace {

template <typename AddItem>
bool Declare(const char* name, Var& var, int32_t count, Element* owner, int32_t type, AddItem addItem) {
    var.name = name;
    for (int32_t i = 0; i < count; ++i) {
        addItem();
    }
    var.SetType(type);
    var.flags |= Var::kChanged;
    return owner && owner->RegisterProperty(&var);
}

} // namespace

bool DeclareBool(const char* name, Var& var, int32_t count, Element* owner, bool value) {
    return Declare(name, var, count, owner, kVarBool, [&] { var.AddBool(value); });
}

bool DeclareInt(const char* name, Var& var, int32_t count, Element* owner, int32_t value) {
    return Declare(name, var, count, owner, kVarInt, [&] { var.AddInt(value); });
}

bool DeclareFloat(const char* name, Var& var, int32_t count, Element* owner, float value) {
    return Declare(name, var, count, owner, kVarFloat, [&] { var.AddFloat(value); });
}

bool DeclareString(const char* name, Var& var, int32_t count, Element* owner, const char* value) {
    return Declare(name, var, count, owner, kVarString, [&] { var.AddString(value); });
}

bool DeclareNamedString(const char* name, Var& var, int32_t count, Element* owner) {
    String linkName = String::ToUnderscoreLower(name);
    return DeclareString(name, var, count, owner, linkName.CStr());
}
static_assert(sizeof(Var) <= 48, "a variable is a large part of every element: its 32-bit fields share one word");
