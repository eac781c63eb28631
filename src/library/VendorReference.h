#pragma once

#include "EditorData.h"
#include "MaterialLibrary.h"
#include "core/ParamItem.h"

#include <QByteArray>

#include <map>
#include <unordered_map>
#include <vector>

// The installed vendor library as read at start: what the user's changes are measured by, never
// edited or saved. Each entry of the library stands for one of its materials or for none
// (MaterialEntry::vendorRef); from that come a page's marks, the drawer's mark of a material, what
// Save writes, what a reset puts back and which vendor materials the user removed.
class VendorReference
{
public:
    // As the drawer shows them.
    enum Standing { Same = 0, Changed = 1, None = 2 };
    // How a row of a page compares with the vendor's: whether it differs in the material or in one
    // of the selected sets that the vendor has, and the vendor's values there.
    struct Mark
    {
        bool has = false;
        bool differs = false;
        double low = 0.0;
        double high = 0.0;
    };

    // The reference, each material's sets in key order.
    void Set(std::vector<FlatMaterial> reference);
    size_t Size() const { return m_vendor.size(); }
    const FlatMaterial &At(size_t position) const { return m_vendor[position]; }
    // The vendor material the entry stands for, or null.
    const FlatMaterial *Of(const MaterialEntry &entry) const;
    // Position of the vendor material with this ID, name and manufacturer, or -1.
    long IndexOf(const MaterialKey &key) const;

    // Whether the entry shows as the vendor's (the one test of "changed" for every part), remembered
    // while the entry and the reference keep their revisions.
    Standing StandingOf(const MaterialEntry &entry) const;
    // What Save writes: the user's own materials and the changed ones.
    bool IsUsers(const MaterialEntry &entry) const { return StandingOf(entry) != Same; }

    // The marks of every row for the material and its selected sets, measured by the reference
    // (the vendor's material, or the one it was copied from); none without one.
    static std::vector<Mark> Marks(const MaterialEntry *entry, const FlatMaterial *reference,
                                   const std::vector<const PrintSetData *> &sets);
    // Whether a set differs from the reference's set with its key (false without one).
    static bool SetDiffers(const FlatMaterial *reference, const PrintSetData &set);
    static const PrintSetData *FindSet(const FlatMaterial &vendor, const PrintSetData &key);

    // The entry's material as the vendor has it; its own ID stays when another material holds the
    // vendor's.
    CPrintMaterial VersionOf(const MaterialEntry &entry, const MaterialLibrary &library) const;

    // The vendor materials that no entry stands for (the user removed them), by position.
    std::vector<size_t> Removed(const MaterialLibrary &library) const;
    // The list of removed-vendor.txt, and which vendor materials a list names: by ID, name and
    // manufacturer, so that two with one ID are told apart; a line of an older editor holds the ID
    // alone and names every vendor material with it.
    QByteArray RemovedText(const MaterialLibrary &library) const;
    std::vector<bool> RemovedBy(const QByteArray &text) const;

private:
    std::vector<FlatMaterial> m_vendor;
    std::map<MaterialKey, size_t> m_byKey;
    quint64 m_revision = 0;
    struct Known
    {
        quint64 entryRevision;
        quint64 referenceRevision;
        Standing standing;
    };
    mutable std::unordered_map<quint64, Known> m_standings; // by entry key
};
