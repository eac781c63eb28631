#pragma once

#include "core/PrintMaterial.h"

#include <QString>
#include <QStringList>
#include <QUndoCommand>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// One element of the library: a material and whether a vendor import created it.
struct MaterialEntry
{
    int bVendor = 0;
    CPrintMaterial mat;
    // The vendor material this one stands for (its position in the vendor reference), or -1 for
    // the user's own. Decided when the libraries load and kept through every change, so that a
    // rename or a new ID never makes it another material's.
    int vendorRef = -1;
    // The ID the load gave a vendor material whose own ID another material holds (0: none): it
    // is no change of the user's.
    int32_t loadID = 0;
    // The material this one was copied from, which its values are measured by when it has no
    // vendor counterpart: its key (0 for none). When that one is removed, the link moves to its
    // own parent, else to the vendor material it stood for (parentVendor, a position in the vendor
    // reference), else it ends; parentGone keeps the removed one's name for the start page.
    quint64 parent = 0;
    int parentVendor = -1;
    std::string parentGone;
    // The user's highest volumetric flow for the material, mm³/s (0: none): kept beside the
    // library as the links are, since the material file has no place for it.
    double flowLimit = 0.0;
    // Stays with the material through ID changes, undo and redo (the drawer's chosen rows).
    quint64 key = 0;
    // New whenever the content may have changed (MaterialLibrary); what is known of an entry is
    // current while its revision is.
    quint64 revision = 0;
};

inline bool SameLink(const MaterialEntry &a, const MaterialEntry &b)
{
    return a.vendorRef == b.vendorRef && a.parent == b.parent && a.parentVendor == b.parentVendor &&
           a.parentGone == b.parentGone && a.flowLimit == b.flowLimit;
}

// The selection: material, printer, nozzle, layer and quality (the "none" values as the library
// keeps them).
struct Selection
{
    // No printer chosen; for nozzle, layer and quality any negative value means none.
    static constexpr int kNoPrinter = -1000;

    int matID = -1;
    int printer = kNoPrinter;
    float nozzle = -1.0f;
    float layer = -1.0f;
    int quality = -1;
};

// The page a step belongs to, shown again when it is undone or redone.
enum class StepPage { Start = 0, Params = 1 };

// What a step did, in words put together when they are read, so that they follow the language.
struct StepText
{
    const char *format = ""; // English, with %1, %2...
    QStringList args;
    unsigned translatedArgs = 0; // bit i: args[i] is an English text to translate too

    QString Text() const;
};

// One change of one entry: the entry before and after it, by its position in the library when the
// change applies. No "before" means the change added the entry, no "after" that it removed it.
struct EntryChange
{
    size_t position = 0;
    std::optional<MaterialEntry> before;
    std::optional<MaterialEntry> after;
};

// One undoable step: the entries it changed, in the order it changed them, and the selection
// before and after, restored with them. Every redo, the first (when the step is pushed) included,
// and every undo apply it through the one function given.
class LibraryStep : public QUndoCommand
{
public:
    using Apply = std::function<void(const LibraryStep &step, bool undo)>;
    LibraryStep(Apply apply, std::vector<EntryChange> changes, const Selection &before,
                const Selection &after, StepPage page, StepText text, bool guarded);

    void undo() override;
    void redo() override;

    const std::vector<EntryChange> &Changes() const { return m_changes; }
    const Selection &SelectionBefore() const { return m_before; }
    const Selection &SelectionAfter() const { return m_after; }
    StepPage Page() const { return m_page; }
    QString Describe() const { return m_text.Text(); }
    // Whether it changed a material that has a password (before or after it): undoing or redoing
    // it then waits for that material to be unlocked.
    bool Guarded() const { return m_guarded; }
    // Bytes the step keeps, roughly: the records it holds.
    size_t Bytes() const { return m_bytes; }
    // An expired step gave its records up to keep the history's memory bounded; it cannot be
    // undone any more, and neither can the steps before it.
    bool Expired() const { return m_expired; }
    void Expire();

private:
    Apply m_apply;
    std::vector<EntryChange> m_changes;
    Selection m_before;
    Selection m_after;
    StepPage m_page;
    StepText m_text;
    bool m_guarded;
    size_t m_bytes = 0;
    bool m_expired = false;
};
