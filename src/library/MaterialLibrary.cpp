#include "MaterialLibrary.h"

#include "base/cfutility.h"

#include <QtGlobal>

#include <atomic>
#include <cstring>
#include <unordered_set>

namespace {
// Revisions are never given twice in a run, whichever library gives them.
std::atomic<quint64> g_nextRevision{1};

bool hasPassword(const MaterialEntry &entry)
{
    return entry.mat.m_szPwMD5[0] != '\0';
}
} // namespace

MaterialEntry &MaterialLibrary::Modify(size_t position)
{
    MaterialEntry &entry = *m_entries[position];
    entry.revision = g_nextRevision++;
    m_lastFound = {}; // its ID may change
    return entry;
}

const MaterialEntry *MaterialLibrary::FindKey(quint64 key) const
{
    if (m_byKey.empty()) {
        m_byKey.reserve(m_entries.size());
        for (const auto &entry : m_entries)
            m_byKey.emplace(entry->key, entry.get());
    }
    const auto found = m_byKey.find(key);
    return found == m_byKey.end() ? nullptr : found->second;
}

long MaterialLibrary::PositionOf(int32_t id) const
{
    if (m_lastFound.valid && m_lastFound.id == id)
        return m_lastFound.position;
    long position = -1;
    for (size_t i = 0; i < m_entries.size() && position < 0; ++i) {
        if (m_entries[i]->mat.m_nMatID == id)
            position = long(i);
    }
    m_lastFound = {true, id, position};
    return position;
}

const MaterialEntry *MaterialLibrary::Find(int32_t id) const
{
    const long position = PositionOf(id);
    return position < 0 ? nullptr : m_entries[size_t(position)].get();
}

long MaterialLibrary::NameHolder(const CPrintMaterial &mat, const MaterialEntry *except) const
{
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const CPrintMaterial &other = m_entries[i]->mat;
        if (m_entries[i].get() != except && std::strcmp(other.m_szName, mat.m_szName) == 0 &&
            std::strcmp(other.m_szManu, mat.m_szManu) == 0)
            return long(i);
    }
    return -1;
}

std::string MaterialLibrary::UniqueCopyName(const std::string &name, const std::string &manu,
                                            const MaterialEntry *excluded) const
{
    std::unordered_set<std::string> taken;
    taken.reserve(m_entries.size());
    for (const auto &entry : m_entries) {
        if (entry.get() != excluded && manu == entry->mat.m_szManu)
            taken.insert(entry->mat.m_szName);
    }
    // The suffix always fits: the name gives way to it, on a character boundary.
    for (size_t n = 1;; ++n) {
        const std::string suffix = "_Copy" + std::to_string(n);
        const std::string candidate = Utf8Prefix(name, 32 - suffix.size()) + suffix;
        if (!taken.count(candidate))
            return candidate;
    }
}

int32_t MaterialLibrary::DrawUnusedID(CPrintMaterial &target, const MaterialEntry *excluded) const
{
    std::unordered_set<int32_t> used;
    used.reserve(m_entries.size());
    for (const auto &entry : m_entries) {
        if (entry.get() != excluded)
            used.insert(entry->mat.m_nMatID);
    }
    // Random draws find a free ID at once in any library of realistic size; the walk below only
    // guarantees an end when nearly every ID of the material's form is taken.
    for (int attempt = 0; attempt < 4096; ++attempt) {
        if (!used.count(target.GenerateID()))
            return target.m_nMatID;
    }
    const uint32_t form = uint32_t(target.m_nMatID) & 0x00FFFF00u;
    for (uint32_t top = 1; top <= 100; ++top) {
        for (uint32_t low = 0; low < 256; ++low) {
            const int32_t id = int32_t((top << 24) | form | low);
            if (!used.count(id))
                return target.m_nMatID = id;
        }
    }
    int32_t id = 1;
    while (used.count(id))
        ++id;
    return target.m_nMatID = id;
}

std::unique_ptr<MaterialEntry> MaterialLibrary::NewEntry(CPrintMaterial mat)
{
    auto entry = std::make_unique<MaterialEntry>();
    entry->mat = std::move(mat);
    entry->key = m_nextKey++;
    entry->revision = g_nextRevision++;
    return entry;
}

void MaterialLibrary::Append(std::unique_ptr<MaterialEntry> entry)
{
    if (!m_byKey.empty())
        m_byKey.emplace(entry->key, entry.get());
    m_entries.push_back(std::move(entry));
    m_lastFound = {};
}

void MaterialLibrary::Insert(size_t position, std::unique_ptr<MaterialEntry> entry)
{
    if (!m_byKey.empty())
        m_byKey.emplace(entry->key, entry.get());
    m_entries.insert(m_entries.begin() + long(position), std::move(entry));
    m_lastFound = {};
}

std::unique_ptr<MaterialEntry> MaterialLibrary::Take(size_t position)
{
    std::unique_ptr<MaterialEntry> entry = std::move(m_entries[position]);
    m_entries.erase(m_entries.begin() + long(position));
    m_byKey.erase(entry->key);
    m_lastFound = {};
    return entry;
}

MaterialEntry &LibraryEditor::Touch(size_t position)
{
    MaterialEntry &entry = TouchLink(position);
    for (Record &record : m_records) {
        if (record.position == position && record.kind == Record::Changed)
            record.linkOnly = false;
    }
    return entry;
}

MaterialEntry &LibraryEditor::TouchLink(size_t position)
{
    bool copied = false;
    for (const Record &record : m_records)
        copied = copied || (record.position == position && record.kind != Record::Removed);
    if (!copied)
        m_records.push_back({Record::Changed, position, m_library.At(position), true});
    return m_library.Modify(position);
}

size_t LibraryEditor::Add(std::unique_ptr<MaterialEntry> entry)
{
    m_library.Append(std::move(entry));
    m_records.push_back({Record::Added, m_library.Size() - 1, std::nullopt});
    return m_library.Size() - 1;
}

void LibraryEditor::Remove(size_t position)
{
    // A removal would move the entries after it: it is the last thing a change does.
    Q_ASSERT(m_records.empty());
    m_records.push_back({Record::Removed, position, *m_library.Take(position)});
}

bool LibraryEditor::TouchesLockedMaterial() const
{
    for (const Record &record : m_records) {
        if (record.kind == Record::Changed && !record.linkOnly &&
            (hasPassword(*record.before) || hasPassword(m_library.At(record.position))))
            return true;
    }
    return false;
}

std::vector<EntryChange> LibraryEditor::Finish()
{
    std::vector<EntryChange> changes;
    for (Record &record : m_records) {
        EntryChange change;
        change.position = record.position;
        change.before = std::move(record.before);
        if (record.kind != Record::Removed)
            change.after = m_library.At(record.position);
        // A touch that changed nothing is no change; its entry keeps the revision it had.
        if (record.kind == Record::Changed && change.before->mat == change.after->mat &&
            SameLink(*change.before, *change.after)) {
            m_library.Modify(record.position) = *change.before;
            continue;
        }
        changes.push_back(std::move(change));
    }
    m_records.clear();
    return changes;
}

void LibraryEditor::Revert()
{
    for (auto record = m_records.rbegin(); record != m_records.rend(); ++record) {
        if (record->kind == Record::Changed)
            m_library.Modify(record->position) = *record->before;
        else if (record->kind == Record::Added)
            m_library.Take(record->position);
        else
            m_library.Insert(record->position, std::make_unique<MaterialEntry>(*record->before));
    }
    m_records.clear();
}
