#pragma once

#include "LibraryStep.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// The materials of the library, in list order, and what every part asks of them: look-ups by ID
// and name, free names and IDs, and a revision for each entry. An entry's revision is new
// whenever its content may have changed, and never given twice, so that what a cache computed
// for an entry is current exactly while the revision is the same; undo and redo put back entries
// with the revisions they had, which match their content.
class MaterialLibrary
{
public:
    size_t Size() const { return m_entries.size(); }
    bool IsEmpty() const { return m_entries.empty(); }
    const MaterialEntry &At(size_t position) const { return *m_entries[position]; }
    // The entry for a change of its content: its revision is renewed first.
    MaterialEntry &Modify(size_t position);

    // Position of the entry with this ID, or -1; the entry itself, or null.
    long PositionOf(int32_t id) const;
    const MaterialEntry *Find(int32_t id) const;
    // The entry with this key (MaterialEntry::key), or null.
    const MaterialEntry *FindKey(quint64 key) const;
    // Position of the material (but the excepted entry) with the record's name and manufacturer, or -1.
    long NameHolder(const CPrintMaterial &mat, const MaterialEntry *except) const;
    // "<name>_CopyN" with the first N that no material (but the excluded entry) has with this
    // manufacturer, within 32 bytes.
    std::string UniqueCopyName(const std::string &name, const std::string &manu,
                               const MaterialEntry *excluded) const;
    // Draws into the record an ID that no entry but the excluded one has, as every new ID is drawn.
    int32_t DrawUnusedID(CPrintMaterial &target, const MaterialEntry *excluded) const;

    // A new entry with a key and a revision of its own, holding the record.
    std::unique_ptr<MaterialEntry> NewEntry(CPrintMaterial mat = CPrintMaterial());
    void Append(std::unique_ptr<MaterialEntry> entry);
    void Insert(size_t position, std::unique_ptr<MaterialEntry> entry);
    std::unique_ptr<MaterialEntry> Take(size_t position);
    void Clear()
    {
        m_entries.clear();
        m_byKey.clear();
        m_lastFound = {};
    }
    // Keeps the entries for which keep() is true; returns how many went.
    template <typename Keep> size_t Filter(Keep keep)
    {
        const size_t before = m_entries.size();
        std::vector<std::unique_ptr<MaterialEntry>> kept;
        kept.reserve(before);
        for (auto &entry : m_entries) {
            if (keep(*entry))
                kept.push_back(std::move(entry));
        }
        m_entries.swap(kept);
        m_byKey.clear();
        m_lastFound = {};
        return before - m_entries.size();
    }
    void Swap(MaterialLibrary &other)
    {
        m_entries.swap(other.m_entries);
        m_byKey.clear();
        other.m_byKey.clear();
        m_lastFound = other.m_lastFound = {};
    }

private:
    std::vector<std::unique_ptr<MaterialEntry>> m_entries;
    // Built when first asked for after the entries were added, removed or moved.
    mutable std::unordered_map<quint64, const MaterialEntry *> m_byKey;
    // The last ID looked up and its position, until the next change of any entry: the views ask for
    // the current material many times a frame, and a scan of a large library each time showed.
    struct Found
    {
        bool valid = false;
        int32_t id = 0;
        long position = -1;
    };
    mutable Found m_lastFound;
    quint64 m_nextKey = 1;
};

// What one change of the library did, entry by entry, for its step: an entry is copied before its
// first change, so that the step can put it back; additions and removals are noted as they
// happen. Finish gives the changes in the order they apply, without those that changed nothing.
class LibraryEditor
{
public:
    explicit LibraryEditor(MaterialLibrary &library) : m_library(library) {}

    const MaterialLibrary &Library() const { return m_library; }
    MaterialEntry &Touch(size_t position);
    // The same for a change of the entry's links alone, which a password does not guard.
    MaterialEntry &TouchLink(size_t position);
    // Appends the entry; returns its position.
    size_t Add(std::unique_ptr<MaterialEntry> entry);
    void Remove(size_t position);
    // Whether an entry that was there before the change had, or now has, a password: undoing or
    // redoing such a change edits a material that may be locked.
    bool TouchesLockedMaterial() const;

    std::vector<EntryChange> Finish();
    // Puts every entry back as it was before the change.
    void Revert();

private:
    struct Record
    {
        enum Kind { Changed, Added, Removed } kind;
        size_t position;
        std::optional<MaterialEntry> before;
        bool linkOnly = false;
    };
    MaterialLibrary &m_library;
    std::vector<Record> m_records;
};
