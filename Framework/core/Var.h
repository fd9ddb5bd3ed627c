#pragma once
// Var: a typed, array-valued property variable.
//
// Every configurable value of an element is a Var declared in the element's
// constructor with its item count and default. The first write (normally the
// declaration) fixes the type for good: bool, integer, float or string. Reads
// of the wrong type or past the end give the neutral value (false, 0, 0.0, the
// empty string), so a malformed file value falls back to the default. Indexed
// writes never grow the array; only Add* and the first write to an empty
// variable append. Every successful write sets the Changed mark, which drives
// link resolution and transform updates in the owning element's scene.
//
// String items are heap Strings owned by the variable. The name is not owned:
// it points at a constant text, normally a literal. One item is stored inside
// the variable itself; longer arrays take one heap block. Value names are
// shared: variables that declared the same names in the same order point at
// one process-wide list, so a class's per-element name tables cost nothing.

#include "core/String.h"

#include <cstdint>
#include <vector>

class Element;

/// Type codes used by interfaces (GetType, scripts, tools).
enum VarType : int32_t { kVarNone = 0, kVarBool = 1, kVarInt = 2, kVarFloat = 3, kVarString = 4 };

class Var {
public:
    // Flag bits.
    static constexpr uint32_t kChanged = 0x2;
    static constexpr uint32_t kSaved = 0x4;
    static constexpr uint32_t kHintLinear = 0x40;
    static constexpr uint32_t kHintNone = 0x80;
    static constexpr uint32_t kHintAngle = 0x100;
    static constexpr uint32_t kHintStep = 0x200;
    static constexpr uint32_t kUntyped = 0x400;
    static constexpr uint32_t kBool = 0x800;
    static constexpr uint32_t kInt = 0x1000;
    static constexpr uint32_t kFloat = 0x2000;
    static constexpr uint32_t kString = 0x4000;
    static constexpr uint32_t kTypeBits = kBool | kInt | kFloat | kString;
    static constexpr uint32_t kHintBits = kHintLinear | kHintNone | kHintAngle | kHintStep;

    struct ValueName {
        int32_t value;
        String name;
    };

    Var() : inlineItem{} {}
    Var(const Var&) = delete;
    Var& operator=(const Var&) = delete;
    virtual ~Var();

    // Link behaviour; plain variables are never links and always resolved.
    virtual bool IsUnresolved(int32_t /*index*/) const { return false; }
    virtual bool HasUnresolved() const { return false; }
    virtual bool IsLink() const { return false; }
    virtual bool IsResourceLink() const { return false; }
    /// The class a link's items must resolve to ("Sprite", "Button"); null
    /// for plain variables.
    virtual const char* LinkedClassName() const { return nullptr; }
    virtual bool Resolve() { return true; }

    // Reading: the neutral value on a type mismatch or an index not below count.
    bool GetBool(int32_t index) const;
    int32_t GetInt(int32_t index) const;
    float GetFloat(int32_t index) const;
    const String& GetString(int32_t index) const;
    bool FirstBool() const { return GetBool(0); }
    int32_t FirstInt() const { return GetInt(0); }
    float FirstFloat() const { return GetFloat(0); }
    const String& FirstString() const { return GetString(0); }

    /// 0 none, 1 bool, 2 integer, 3 float, 4 string.
    int32_t GetType() const;
    /// Fixes the type as a write of that type would; false when refused.
    bool SetType(int32_t type);
    int32_t GetCount() const { return count; }
    const char* GetName() const { return name; }

    // Writing: index < count overwrites; index 0 on an empty variable appends;
    // anything else fails. All obey the typing rule and set Changed on success.
    bool SetBool(int32_t index, bool value);
    bool SetInt(int32_t index, int32_t value);
    bool SetFloat(int32_t index, float value);
    bool SetString(int32_t index, const char* value);
    bool SetFirstBool(bool value) { return SetBool(0, value); }
    bool SetFirstInt(int32_t value) { return SetInt(0, value); }
    bool SetFirstFloat(float value) { return SetFloat(0, value); }
    bool SetFirstString(const char* value) { return SetString(0, value); }

    bool AddBool(bool value);
    bool AddInt(int32_t value);
    bool AddFloat(float value);
    bool AddString(const char* value);

    /// Item by item in this variable's type, only when the counts are equal.
    bool CopyFrom(const Var& other);
    /// Deletes all items and value names; the type bits remain.
    void Clear();

    /// Declares a name for an integer value; sets the integer type; refuses a
    /// name already present.
    bool AddValueName(const char* valueName, int32_t value);
    /// In declaration order; shared with every variable that declared the same.
    const std::vector<ValueName>& ValueNames() const;

    // Text forms, as the scene files store each item.
    /// "true"/"false", "%d", "%f" or the string itself; empty for a bad index.
    String ItemText(int32_t index) const;
    /// Converts `text` to this variable's type and writes item `index`; a text
    /// that does not convert leaves the item unchanged and returns false.
    bool SetItemFromText(int32_t index, const char* text);

    uint32_t flags = kUntyped | kHintLinear | kSaved;

private:
    int32_t count = 0; ///< beside the flags, so no padding follows them

public:
    const char* name = nullptr;
    Element* owner = nullptr;

    bool HasFlag(uint32_t flag) const { return (flags & flag) != 0; }
    bool IsChanged() const { return HasFlag(kChanged); }
    void ClearChanged() { flags &= ~kChanged; }
    /// Replaces the interpolation hint (one of the kHint* bits).
    void SetHint(uint32_t hint) { flags = (flags & ~kHintBits) | hint; }

private:
    union Slot {
        bool b;
        int32_t i;
        float f;
        String* s;
    };

    /// Applies the typing rule for a write of `typeBit`; false when refused.
    bool AcceptType(uint32_t typeBit);
    /// The slot a write of `index` lands in, appending when the variable is
    /// empty and index is 0; null when the index is out of range.
    Slot* WriteSlot(int32_t index, uint32_t typeBit);
    bool Append(Slot slot, uint32_t typeBit);
    /// Appends one slot, growing the storage; false when memory runs out.
    bool PushSlot(Slot slot);
    /// Slots allocated for `items` items: one inline, up to four exactly,
    /// then the next power of two, so the count alone tells the capacity.
    static int32_t Capacity(int32_t items);
    Slot* Items() { return count > 1 ? heapItems : &inlineItem; }
    const Slot* Items() const { return count > 1 ? heapItems : &inlineItem; }

    struct ValueNameList;

    union {
        Slot inlineItem; ///< the storage while there is at most one item
        Slot* heapItems;
    };
    const ValueNameList* valueNames = nullptr; ///< shared, never owned
};

// Text conversions of single values: exactly "true"/"false"; the leading
// decimal integer ("%d" scanning, saturated to 32 bits); the leading
// floating-point number ("%f" scanning). False, `out` unchanged, otherwise.
bool ScanBool(const char* text, bool& out);
bool ScanInt(const char* text, int32_t& out);
bool ScanFloat(const char* text, float& out);

// Declarations used by element constructors: name the variable, append
// `count` copies of the default, fix the type, register it with the owner.
// They fail (and the variable is not registered) when the owner already has a
// property of that name.
bool DeclareBool(const char* name, Var& var, int32_t count, Element* owner, bool value);
bool DeclareInt(const char* name, Var& var, int32_t count, Element* owner, int32_t value);
bool DeclareFloat(const char* name, Var& var, int32_t count, Element* owner, float value);
bool DeclareString(const char* name, Var& var, int32_t count, Element* owner, const char* value);
/// A string property whose items default to ToUnderscoreLower(name): a link
/// named OkButton refers to the element ok_button unless a file says otherwise.
bool DeclareNamedString(const char* name, Var& var, int32_t count, Element* owner);
