#include "LibraryStep.h"

#include "base/TLanguage.h"
#include "base/cfutility.h"

namespace {
size_t entryBytes(const std::optional<MaterialEntry> &entry)
{
    if (!entry)
        return 0;
    // A list node holds two pointers beside its print set.
    return sizeof(MaterialEntry) + entry->mat.m_lstSets.size() * (sizeof(PrintSetData) + 2 * sizeof(void *));
}
} // namespace

QString StepText::Text() const
{
    QStringList filled;
    for (int i = 0; i < args.size(); ++i)
        filled << ((translatedArgs >> i) & 1u ? LangTrans::Instance()->Translate(args[i]) : args[i]);
    return FillPlaceholders(LangTr(format), filled);
}

LibraryStep::LibraryStep(Apply apply, std::vector<EntryChange> changes, const Selection &before,
                         const Selection &after, StepPage page, StepText text, bool guarded)
    : m_apply(std::move(apply)), m_changes(std::move(changes)), m_before(before), m_after(after),
      m_page(page), m_text(std::move(text)), m_guarded(guarded)
{
    for (const EntryChange &change : m_changes)
        m_bytes += sizeof(EntryChange) + entryBytes(change.before) + entryBytes(change.after);
}

void LibraryStep::undo()
{
    m_apply(*this, true);
}

void LibraryStep::redo()
{
    m_apply(*this, false);
}

void LibraryStep::Expire()
{
    std::vector<EntryChange>().swap(m_changes);
    m_bytes = 0;
    m_expired = true;
}
