#pragma once
// NameMap: a lazily sorted map from names to values.
//
// Entries are appended unsorted and the sorted flag is cleared; the next
// look-up sorts all entries by byte-wise name order (a stable sort, so equal
// names keep their insertion order) and then searches by halving. Equal names
// are never merged. Iteration sees the entries in their current order, which
// callers rely on: a scene updates its elements in this order, so it is
// ascending name order after a look-up and insertion order for entries added
// since.

#include <algorithm>
#include <cstring>
#include <vector>

template <typename Key, typename Value> class NameMap {
public:
    struct Entry {
        Key key;
        Value value;
    };

    void Insert(const Key& key, Value value) {
        if (sorted) {
            sortedPrefix = entries.size();
        }
        entries.push_back(Entry{key, value});
        sorted = false;
    }

    /// The first entry with this name after sorting, or null.
    Entry* FindEntry(const char* name) {
        if (!name) {
            return nullptr;
        }
        Sort();
        auto it = std::lower_bound(entries.begin(), entries.end(), name, [](const Entry& e, const char* n) {
            return std::strcmp(KeyText(e.key), n) < 0;
        });
        if (it == entries.end() || std::strcmp(KeyText(it->key), name) != 0) {
            return nullptr;
        }
        return &*it;
    }

    /// The value stored under the name, or a default-constructed value.
    Value Find(const char* name) {
        Entry* entry = FindEntry(name);
        return entry ? entry->value : Value{};
    }

    void Sort() {
        if (sorted) {
            return;
        }
        auto less = [](const Entry& a, const Entry& b) {
            return std::strcmp(KeyText(a.key), KeyText(b.key)) < 0;
        };
        // Entries appended to a sorted map only need their tail sorted and
        // merged in; the result equals a stable sort of the whole.
        auto middle = entries.begin() + static_cast<std::ptrdiff_t>(std::min(sortedPrefix, entries.size()));
        std::stable_sort(middle, entries.end(), less);
        std::inplace_merge(entries.begin(), middle, entries.end(), less);
        sorted = true;
        sortedPrefix = entries.size();
    }

    /// The entries whose names start with `prefix`, as a range of the sorted map.
    std::pair<Entry*, Entry*> PrefixRange(const char* prefix) {
        Sort();
        size_t length = std::strlen(prefix);
        auto first =
            std::lower_bound(entries.begin(), entries.end(), prefix, [](const Entry& e, const char* n) {
                return std::strcmp(KeyText(e.key), n) < 0;
            });
        auto last = first;
        while (last != entries.end() && std::strncmp(KeyText(last->key), prefix, length) == 0) {
            ++last;
        }
        return {entries.data() + (first - entries.begin()), entries.data() + (last - entries.begin())};
    }

    /// Removes every entry for which `predicate(entry)` holds, keeping the order
    /// of the rest (a sorted map stays sorted).
    template <typename Predicate> size_t RemoveIf(Predicate predicate) {
        auto end = std::remove_if(entries.begin(), entries.end(), predicate);
        size_t removed = static_cast<size_t>(entries.end() - end);
        entries.erase(end, entries.end());
        if (!sorted) {
            sortedPrefix = 0;
        }
        return removed;
    }

    bool IsSorted() const { return sorted; }
    /// For callers that changed a key in place.
    void MarkUnsorted() {
        sorted = false;
        sortedPrefix = 0;
    }
    size_t Size() const { return entries.size(); }
    bool Empty() const { return entries.empty(); }
    void Clear() {
        entries.clear();
        sorted = true;
        sortedPrefix = 0;
    }

    std::vector<Entry>& Entries() { return entries; }
    const std::vector<Entry>& Entries() const { return entries; }

private:
    static const char* KeyText(const char* key) { return key ? key : ""; }
    template <typename K> static const char* KeyText(const K& key) { return key.CStr(); }

    std::vector<Entry> entries;
    bool sorted = true;
    size_t sortedPrefix = 0; ///< leading entries known to be in order
};
