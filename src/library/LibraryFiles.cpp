#include "LibraryFiles.h"

#include "SelectionCascade.h"
#include "base/Log.h"
#include "base/PlatformPaths.h"
#include "base/TLanguage.h"
#include "base/cfutility.h"
#include "core/MaterialDiff.h"
#include "core/MaterialFileWriter.h"
#include "core/MaterialFormat.h"

#include <QDateTime>
#include <QDebug>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <string>
#include <unordered_map>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {
// A message names this many lines at most; the log has every one.
constexpr size_t kLinesNamed = 10;
// A removed-vendor list is small; a file far larger than any is not one.
constexpr qint64 kRemovedListBytes = qint64(16) << 20;

std::string nameManuKey(const CPrintMaterial &mat)
{
    std::string key(mat.m_szName);
    key += '\0';
    key += mat.m_szManu;
    return key;
}

// Positions of the library's entries by a key, ascending, so that the first entry with a key is
// found at once. Kept up to date while one import merges.
template <typename Key> class PositionIndex
{
public:
    void add(const Key &key, size_t position)
    {
        std::vector<size_t> &positions = m_index[key];
        positions.insert(std::upper_bound(positions.begin(), positions.end(), position), position);
    }
    void remove(const Key &key, size_t position)
    {
        const auto found = m_index.find(key);
        if (found == m_index.end())
            return;
        std::vector<size_t> &positions = found->second;
        const auto at = std::lower_bound(positions.begin(), positions.end(), position);
        if (at != positions.end() && *at == position)
            positions.erase(at);
        if (positions.empty())
            m_index.erase(found);
    }
    // The first position with the key, or -1.
    long first(const Key &key) const
    {
        const auto found = m_index.find(key);
        return found == m_index.end() ? -1 : long(found->second.front());
    }

private:
    std::unordered_map<Key, std::vector<size_t>> m_index;
};

// What tells one version of a file from another: which file it is (a save replaces it by a new
// one), its size and the time it was last written, to the nanosecond.
QString fileStamp(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return QString();
    return QStringLiteral("%1 %2 %3.%4")
        .arg(info.st_ino)
        .arg(info.st_size)
        .arg(info.st_mtim.tv_sec)
        .arg(info.st_mtim.tv_nsec);
#else
    const QFileInfo info(path);
    return info.exists()
               ? QStringLiteral("%1 %2").arg(info.size()).arg(info.lastModified().toMSecsSinceEpoch())
               : QString();
#endif
}

bool startsWithVersionLine(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && IsVersionLine(file.readLine(64).toStdString());
}

// A difference in the current language, put together from translated parts.
QString DifferenceText(const ValueDifference &d)
{
    const auto tr = [](const std::string &text) { return LangTr(text.c_str()); };
    QString line;
    if (d.inSet) {
        line = LangTr("%1, nozzle %2 mm, layer %3 mm, %4: ")
                   .arg(ShownPrinterName(d.printer))
                   .arg(double(d.nozzle), 0, 'f', 2)
                   .arg(double(d.layer), 0, 'f', 2)
                   .arg(ShownQualityName(d.quality));
    }
    if (d.name == "print set")
        return line + (d.after.empty() ? LangTr("print set removed") : LangTr("print set added"));
    // The password's state is a word; every other value a name or a number with its unit.
    const bool words = d.name == "Password";
    const auto value = [&](const std::string &v) {
        return v.empty() ? QStringLiteral("-")
               : words   ? tr(v)
                         : QString::fromStdString(d.unit.empty() ? v : v + " " + d.unit);
    };
    return line + LangTr("%1: %2 → %3").arg(tr(d.name), value(d.before), value(d.after));
}

QString describe(const CPrintMaterial &mat)
{
    return QStringLiteral("%1 / %2 (ID %3)")
        .arg(QString::fromUtf8(mat.m_szName), QString::fromUtf8(mat.m_szManu), QString::number(mat.m_nMatID));
}
} // namespace

LibraryFiles::LibraryFiles(MaterialLibrary &library, VendorReference &vendor, const QString &dataPath)
    : m_library(library), m_vendor(vendor), m_dataPath(dataPath)
{
}

QString LibraryFiles::ShippedVendorPath() const
{
    return PlatformPaths::ShippedDataDir() + QStringLiteral("DB/") + QStringLiteral("/vendor.cvx");
}

QString LibraryFiles::LocalPath(const QString &fileName)
{
    const QUrl url(fileName);
    return url.isLocalFile() ? url.toLocalFile() : fileName;
}

bool LibraryFiles::IsUserLibrary(const QString &path) const
{
    return QFileInfo(path).absoluteFilePath() == QFileInfo(UserPath()).absoluteFilePath();
}

void LibraryFiles::InstallVendorLibrary()
{
    const QString shipped = ShippedVendorPath();
    const QString installed = VendorPath();
    // One without a version text (left empty by a start without the shipped library) would never
    // compare older than a shipped one, and so never be replaced.
    if (!QFile::exists(installed) || (!startsWithVersionLine(installed) && QFile::exists(shipped))) {
        CopyFileReplace(shipped, installed);
        return;
    }
    // The whole version text of the first line, compared by its numbers: a newer 1.0.10 is not
    // the "1.0.1" of its first five characters.
    const auto versionText = [](const QString &path) {
        return ReadFileLen(path, 64)
            .section(QLatin1Char('\n'), 0, 0)
            .section(QLatin1Char('\r'), 0, 0)
            .trimmed();
    };
    if (CompareVersion(versionText(shipped), versionText(installed)) > 0)
        CopyFileReplace(shipped, installed);
}

void LibraryFiles::LoadVendorLibrary()
{
    const QString path = VendorPath();
    std::optional<ReadPiece> whole;
    ReadPieces(path, -1, false, nullptr, [&](ReadPiece &&piece) { whole = std::move(piece); });
    TakeVendorLibrary(std::move(*whole));
}

void LibraryFiles::TakeVendorLibrary(ReadPiece piece)
{
    const QString path = VendorPath();
    LogLine("importMaterials") << "Load materials from file: " << path << "   bVendor: 0";
    StartReport();
    TakeReadNotes(piece, path);
    std::vector<CPrintMaterial> records = std::move(piece.records);
    // What is read is also the reference that the user's changes are measured by; each material
    // read stands for its own vendor material.
    std::vector<FlatMaterial> reference;
    reference.reserve(records.size());
    std::vector<Placement> placements(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        reference.push_back(FlatMaterial::From(records[i]));
        placements[i].vendorRef = int(i);
    }
    m_vendor.Set(std::move(reference));
    // What stood for the materials of another vendor library stands for nothing now.
    for (size_t i = 0; i < m_library.Size(); ++i) {
        if (m_library.At(i).vendorRef >= 0)
            m_library.Modify(i).vendorRef = -1;
    }
    Merge(std::move(records), path, false, nullptr, &placements);
    QFile removed(RemovedVendorPath());
    if (removed.open(QIODevice::ReadOnly))
        LeaveOutRemovedVendor(m_vendor.RemovedBy(removed.read(kRemovedListBytes)));
}

void LibraryFiles::LeaveOutRemovedVendor(const std::vector<bool> &removed)
{
    const size_t left = m_library.Filter([&](const MaterialEntry &e) {
        return !(e.vendorRef >= 0 && size_t(e.vendorRef) < removed.size() && removed[size_t(e.vendorRef)]);
    });
    if (left > 0)
        CVLOG << "Left out " << left << " vendor materials removed by the user";
}

void LibraryFiles::LoadUserLibrary()
{
    ReadPieces(UserPath(), -1, true, nullptr, [&](ReadPiece &&piece) { TakeUserPiece(std::move(piece)); });
}

void LibraryFiles::Import(const QString &path, bool bVendor, LibraryEditor *editor)
{
    LogLine("importMaterials") << "Load materials from file: " << path << "   bVendor: " << (bVendor ? 1 : 0);
    Merge(ReadRecords(path), path, bVendor, editor);
}

std::vector<LibraryFiles::Placement> LibraryFiles::PlaceUserRecords(std::vector<CPrintMaterial> &records,
                                                                    const EditorData &data)
{
    std::unordered_map<int, size_t> linked; // vendor material, entry standing for it
    for (size_t i = 0; i < m_library.Size(); ++i) {
        if (m_library.At(i).vendorRef >= 0)
            linked.emplace(m_library.At(i).vendorRef, i);
    }
    std::vector<Placement> placements(records.size());
    for (size_t r = 0; r < records.size(); ++r) {
        const EditorData::Link link = data.LinkOf(records[r]);
        Placement &place = placements[r];
        if (!link.known)
            continue; // matched by name and ID, as any library
        if (link.own) {
            place.kind = Placement::Own;
            continue;
        }
        const long ref = m_vendor.IndexOf(link.vendor);
        const auto entry = ref < 0 ? linked.end() : linked.find(int(ref));
        if (ref >= 0 && entry == linked.end()) {
            // The user removed it after this was saved (a run that ended between the two files).
            LogLine("importMaterials") << "Left out " << records[r].m_szName << " / " << records[r].m_szManu
                                       << ": it stands for a vendor material that was removed";
            place.kind = Placement::Skip;
        } else if (ref < 0) {
            // The vendor's library no longer has it: the user's changed version stays, as their own.
            place.kind = Placement::Own;
        } else {
            place.kind = Placement::Into;
            place.position = entry->second;
        }
    }
    return placements;
}

void LibraryFiles::LinkParents(const EditorData &data)
{
    std::map<MaterialKey, quint64> keys;
    for (size_t i = 0; i < m_library.Size(); ++i)
        keys.emplace(MaterialKey::Of(m_library.At(i).mat), m_library.At(i).key);
    for (size_t i = 0; i < m_library.Size(); ++i) {
        const EditorData::Link link = data.LinkOf(m_library.At(i).mat);
        if (link.flowLimit > 0.0)
            m_library.Modify(i).flowLimit = link.flowLimit;
        if (link.parents.empty() && !link.hasParentVendor && link.gone.empty())
            continue;
        MaterialEntry &entry = m_library.Modify(i);
        entry.parent = 0;
        entry.parentVendor = -1;
        entry.parentGone = link.gone;
        for (const MaterialKey &parent : link.parents) {
            const auto found = keys.find(parent);
            if (found != keys.end() && found->second != entry.key) {
                entry.parent = found->second;
                break;
            }
            // Removed by another program: the start page names the one that went.
            if (entry.parentGone.empty())
                entry.parentGone = parent.name + " (" + parent.manu + ")";
        }
        if (entry.parent == 0 && link.hasParentVendor)
            entry.parentVendor = int(m_vendor.IndexOf(link.parentVendor));
    }
}

std::vector<CPrintMaterial> LibraryFiles::ReadRecords(const QString &path)
{
    StartReport();
    std::vector<CPrintMaterial> records;
    ReadPieces(path, -1, IsUserLibrary(path), nullptr, [&](ReadPiece &&piece) {
        TakeReadNotes(piece, path);
        records = std::move(piece.records);
    });
    return records;
}

void LibraryFiles::ReadPieces(const QString &path, int everyMs, bool makeMissing,
                              const std::atomic<bool> *stop,
                              const std::function<void(ReadPiece &&piece)> &take)
{
    // Only the data folder's own user library is made when it is missing (at the first start); an
    // import of a file that does not exist makes nothing and says so.
    if (makeMissing && !QFileInfo::exists(path)) {
        QFile probe(path);
        if (!probe.open(QIODevice::ReadWrite))
            qDebug() << "Could not open file for ReadWrite " << path;
    }

    // Lines are decoded as they are read, so a large file is never held whole. What is skipped is
    // logged with its line number, when the piece is taken in: the user never sees it otherwise.
    ReadPiece piece;
    const qint64 total = QFileInfo(path).size();
    piece.bytesTotal = total;
    QElapsedTimer clock;
    clock.start();
    MaterialFileVisitor visit;
    visit.onMaterial = [&](size_t number, CPrintMaterial &record, const MaterialDecodeReport &report) {
        if (!report.droppedSets.empty())
            piece.unreadLines.push_back(number);
        for (const MaterialDecodeReport::DroppedSet &dropped : report.droppedSets)
            piece.logLines.push_back("Skipped on line " + std::to_string(number) + ": " +
                                     MaterialDecodeReport::DescribeDroppedSet(dropped));
        piece.refusedSets += int(report.droppedSets.size());
        piece.records.push_back(std::move(record));
    };
    visit.onRefusedLine = [&](const RefusedLine &refused, const std::string &) {
        ++piece.skipped;
        piece.unreadLines.push_back(refused.number);
        piece.logLines.push_back("Skipped line " + std::to_string(refused.number) + ": " +
                                 refused.Describe(refused.reason));
    };
    visit.goOn = [&](size_t bytesRead) {
        if (stop && stop->load())
            return false;
        piece.bytesRead = qint64(bytesRead);
        if (everyMs >= 0 && !piece.records.empty() && clock.elapsed() >= everyMs) {
            take(std::move(piece));
            piece = ReadPiece();
            piece.bytesTotal = total;
            piece.bytesRead = qint64(bytesRead);
            clock.restart();
        }
        return true;
    };
    piece.read = ReadMaterialFile(QStringToStdString(path), visit);
    if (piece.read.stopped)
        return;
    piece.bytesRead = total;
    piece.last = true;
    take(std::move(piece));
}

void LibraryFiles::StartReport()
{
    m_lastImport = ImportReport();
    m_unreadLines.clear();
}

void LibraryFiles::TakeReadNotes(const ReadPiece &piece, const QString &path)
{
    for (const std::string &line : piece.logLines)
        LogLine("importMaterials") << line;
    m_lastImport.skipped += piece.skipped;
    m_lastImport.refusedSets += piece.refusedSets;
    m_unreadLines.insert(m_unreadLines.end(), piece.unreadLines.begin(), piece.unreadLines.end());
    if (!piece.last)
        return;
    const MaterialFileReadResult &read = piece.read;
    LogLine(nullptr) << "ReadFileToString() nRet: " << (read.opened ? 1 : 0)
                     << " vecList size: " << read.lines;
    // What was read is kept either way; a file that was there but not read to its end is reported,
    // and for the user library remembered, since a save would replace what was not read.
    if (!read.opened && (read.error == ENOENT || read.error == ENOTDIR)) {
        m_lastImport.missing = true;
        LogLine("importMaterials") << "No such file: " << path;
    } else if (!read.opened) {
        m_lastImport.readError = QString::fromStdString("cannot open it: " + ErrorText(read.error));
    } else if (read.error) {
        m_lastImport.readError = QString::fromStdString(ErrorText(read.error)) +
                                 (read.lines ? QStringLiteral(" after line %1").arg(read.lines) : QString());
    }
    // In the user library, what a save would drop is not read completely either: a save must ask.
    if (IsUserLibrary(path) && m_lastImport.readError.isEmpty() && !m_unreadLines.empty()) {
        QStringList numbers;
        for (size_t i = 0; i < m_unreadLines.size() && i < kLinesNamed; ++i)
            numbers << QString::number(m_unreadLines[i]);
        if (m_unreadLines.size() > kLinesNamed)
            numbers << QStringLiteral("…");
        m_lastImport.readError =
            LangTr("lines that are not whole materials: %1").arg(numbers.join(QStringLiteral(", ")));
    }
    m_unreadLines.clear();
    if (!m_lastImport.readError.isEmpty())
        LogLine("importMaterials") << "Could not read " << path << " completely: " << m_lastImport.readError;
}

// One merge of records into the library: where each goes, under which name and ID, and what the
// report and the notes say of it. A material this merge has already written is not replaced by a
// later one: two in one file with one name and manufacturer (or one ID) are both kept.
class LibraryFiles::Merger
{
public:
    Merger(MaterialLibrary &library, LibraryEditor *editor, LibraryFiles::ImportReport &report)
        : m_library(library), m_editor(editor), m_report(report), m_written(library.Size(), false)
    {
        for (size_t i = 0; i < m_library.Size(); ++i) {
            m_byName.add(nameManuKey(m_library.At(i).mat), i);
            m_byID.add(m_library.At(i).mat.m_nMatID, i);
        }
    }

    void Merge(CPrintMaterial record, const LibraryFiles::Placement &place, bool bVendor)
    {
        long position = Target(record, place);
        if (position < 0)
            KeepNameApart(record, place);
        const size_t at = Put(std::move(record), position, bVendor);
        if (place.vendorRef >= 0)
            Touch(at).vendorRef = place.vendorRef;
        KeepIDApart(at, place);
        m_written.resize(m_library.Size(), false);
        m_written[at] = true;
        ++m_merged;
    }
    // How many records were merged; one log line says so, where a line per material told a user
    // nothing more and cost a large library's start a line each.
    size_t Merged() const { return m_merged; }
    // The user's own materials that share a name or an ID with a vendor material.
    const QStringList &Clashes() const { return m_clashes; }

private:
    using Placement = LibraryFiles::Placement;

    // A step copies what it changes first; a load changes in place.
    MaterialEntry &Touch(size_t position)
    {
        return m_editor ? m_editor->Touch(position) : m_library.Modify(position);
    }

    // The entry the record replaces, or -1 to add it.
    long Target(const CPrintMaterial &record, const Placement &place) const
    {
        long position = -1;
        if (place.kind == Placement::Into && !m_written[place.position]) {
            position = long(place.position);
        } else if (place.kind != Placement::Own) {
            position = m_byName.first(nameManuKey(record));
            if (position < 0)
                position = m_byID.first(record.m_nMatID);
        }
        return position >= 0 && m_written[size_t(position)] ? -1 : position;
    }

    // An added material whose name is taken gets a name of its own, but the user's own material
    // keeps its name beside a vendor material that has it too.
    void KeepNameApart(CPrintMaterial &record, const Placement &place)
    {
        const long namesake = m_byName.first(nameManuKey(record));
        if (namesake < 0)
            return;
        if (place.kind == Placement::Own && m_library.At(size_t(namesake)).vendorRef >= 0 &&
            !m_written[size_t(namesake)]) {
            m_clashes << LangTr("%1 has the name of a vendor material").arg(describe(record));
            return;
        }
        const std::string manu = record.m_szManu;
        const std::string name = m_library.UniqueCopyName(record.m_szName, manu, nullptr);
        LogLine("importMaterials") << "Material " << record.m_szName << " / " << manu
                                   << " is in the file more than once: kept as " << name;
        m_report.renamedNames << QStringLiteral("%1 → %2").arg(QString::fromUtf8(record.m_szName),
                                                               QString::fromStdString(name));
        record.SetNameAndManu(name.c_str(), manu.c_str());
        ++m_report.renamed;
    }

    size_t Put(CPrintMaterial record, long position, bool bVendor)
    {
        const std::string key = nameManuKey(record);
        if (position < 0) {
            auto entry = m_library.NewEntry(std::move(record));
            entry->bVendor = bVendor ? 1 : 0;
            if (m_editor) {
                position = long(m_editor->Add(std::move(entry)));
            } else {
                m_library.Append(std::move(entry));
                position = long(m_library.Size() - 1);
            }
            ++m_report.added;
        } else {
            CPrintMaterial &target = Touch(size_t(position)).mat;
            m_byName.remove(nameManuKey(target), size_t(position));
            m_byID.remove(target.m_nMatID, size_t(position));
            target = std::move(record);
            ++m_report.replaced;
        }
        m_byName.add(key, size_t(position));
        return size_t(position);
    }

    // Two materials with one ID would merge into one at the next import. The user's own keeps its
    // ID and a vendor material as loaded gives way; otherwise the one read now is renumbered.
    void KeepIDApart(size_t position, const Placement &place)
    {
        const int32_t id = m_library.At(position).mat.m_nMatID;
        const long holder = m_byID.first(id);
        m_byID.add(id, position);
        if (holder < 0)
            return;
        if (place.kind == Placement::Own && m_library.At(size_t(holder)).vendorRef >= 0 &&
            !m_written[size_t(holder)]) {
            m_clashes << LangTr("%1 has the ID of a vendor material, which gets another")
                             .arg(describe(m_library.At(position).mat));
            Renumber(size_t(holder), ", the ID of the user's own material");
            Touch(size_t(holder)).loadID = m_library.At(size_t(holder)).mat.m_nMatID;
            return;
        }
        m_report.renumberedNames << Renumber(position, "");
        if (place.vendorRef >= 0)
            Touch(position).loadID = m_library.At(position).mat.m_nMatID;
        ++m_report.renumbered;
    }

    QString Renumber(size_t position, const char *why)
    {
        MaterialEntry &entry = Touch(position);
        const int32_t oldID = entry.mat.m_nMatID;
        m_byID.remove(oldID, position);
        const CPrintMaterial &holder = m_library.At(size_t(m_byID.first(oldID))).mat;
        const int32_t newID = m_library.DrawUnusedID(entry.mat, &entry);
        m_byID.add(newID, position);
        LogLine("importMaterials") << "Material " << entry.mat.m_szName << " / " << entry.mat.m_szManu
                                   << " renumbered from " << oldID << " to " << newID << ": " << oldID
                                   << " is the ID of " << holder.m_szName << " / " << holder.m_szManu << why;
        return QStringLiteral("%1: %2 → %3")
            .arg(QString::fromUtf8(entry.mat.m_szName), QString::number(oldID), QString::number(newID));
    }

    MaterialLibrary &m_library;
    LibraryEditor *m_editor;
    LibraryFiles::ImportReport &m_report;
    PositionIndex<std::string> m_byName;
    PositionIndex<int32_t> m_byID;
    std::vector<bool> m_written;
    size_t m_merged = 0;
    QStringList m_clashes;
};

// The user library's load, piece by piece: where each material goes depends on the vendor library,
// loaded before, and on the editor's data, read with the first piece.
struct LibraryFiles::UserLoad
{
    explicit UserLoad(MaterialLibrary &library, ImportReport &report, const QString &dataPath)
        : data(EditorData::Read(dataPath)), merger(library, nullptr, report)
    {
    }
    EditorData data;
    Merger merger;
};

LibraryFiles::~LibraryFiles() = default;

void LibraryFiles::TakeUserPiece(ReadPiece piece)
{
    const QString path = UserPath();
    if (!m_userLoad) {
        LogLine("importMaterials") << "Load materials from file: " << path << "   bVendor: 0";
        StartReport();
        m_savedUserKeys.clear();
        m_userLoad = std::make_unique<UserLoad>(m_library, m_lastImport, EditorDataPath());
    }
    TakeReadNotes(piece, path);
    for (const CPrintMaterial &record : piece.records)
        m_savedUserKeys.insert(MaterialKey::Of(record));
    const std::vector<Placement> placements = PlaceUserRecords(piece.records, m_userLoad->data);
    MergeSome(m_userLoad->merger, std::move(piece.records), false, &placements);
    if (!piece.last)
        return;
    const std::unique_ptr<UserLoad> load = std::move(m_userLoad);
    FinishMerge(load->merger, path, nullptr);
    LinkParents(load->data);
    NoteRenamedAtStart(path);
    if (!m_userReadError.isEmpty()) {
        m_startupNotes << LangTr(
                              "%1 could not be read completely (%2). What could be read is shown; Save asks "
                              "before replacing the file and keeps it as it is now beside it.")
                              .arg(path, m_userReadError);
        CVLOG << m_startupNotes.last();
    }
}

void LibraryFiles::Merge(std::vector<CPrintMaterial> records, const QString &path, bool bVendor,
                         LibraryEditor *editor, const std::vector<Placement> *placements)
{
    Merger merger(m_library, editor, m_lastImport);
    MergeSome(merger, std::move(records), bVendor, placements);
    FinishMerge(merger, path, editor);
}

void LibraryFiles::MergeSome(Merger &merger, std::vector<CPrintMaterial> records, bool bVendor,
                             const std::vector<Placement> *placements)
{
    for (size_t r = 0; r < records.size(); ++r) {
        const Placement place = placements && r < placements->size() ? (*placements)[r] : Placement();
        if (place.kind != Placement::Skip)
            merger.Merge(std::move(records[r]), place, bVendor);
    }
}

void LibraryFiles::FinishMerge(const Merger &merger, const QString &path, LibraryEditor *editor)
{
    if (merger.Merged() > 0)
        LogLine("importMaterials") << "Add Mat: " << merger.Merged() << " materials from " << path;
    const bool userLibrary = IsUserLibrary(path);
    if (userLibrary) {
        m_userReadError = m_lastImport.readError;
        m_userStamp = fileStamp(path);
    }
    if (!merger.Clashes().isEmpty() && userLibrary && !editor) {
        m_startupNotes
            << LangTr("The vendor library has materials that your own ones resemble; yours stay yours and "
                      "both are kept: %1.")
                   .arg(merger.Clashes().join(QStringLiteral("; ")));
        CVLOG << m_startupNotes.last();
    }
    LogLine("importMaterials") << "Current materials is " << m_library.Size();
}

void LibraryFiles::NoteRenamedAtStart(const QString &path)
{
    if (m_lastImport.renamed == 0)
        return;
    m_startupNotes << LangTr("%1 holds %2 materials whose name and manufacturer another material of the file "
                             "has: each was kept under a new name (see the material list).")
                          .arg(path)
                          .arg(m_lastImport.renamed);
    CVLOG << m_startupNotes.last();
}

QVariantList LibraryFiles::Preview(const QString &path, const std::function<bool(quint64 key)> &isDirty)
{
    CVLOG << "Preview the import of " << path;
    PendingImport pending;
    pending.path = path;
    pending.records = ReadRecords(path);
    pending.report = m_lastImport;
    // The user library changed on disk: what the editor changed since it was loaded or saved is
    // kept unless the user takes the disk's, and what the editor removed since stays removed.
    const bool ownLibrary = IsUserLibrary(path);
    std::unordered_map<std::string, size_t> byName;
    std::unordered_map<int32_t, size_t> byID;
    for (size_t i = m_library.Size(); i-- > 0;) { // the first of two with one key counts
        byName[nameManuKey(m_library.At(i).mat)] = i;
        byID[m_library.At(i).mat.m_nMatID] = i;
    }
    QVariantList preview;
    for (const CPrintMaterial &record : pending.records) {
        QVariantMap item{{QStringLiteral("name"), QString::fromUtf8(record.m_szName)},
                         {QStringLiteral("manu"), QString::fromUtf8(record.m_szManu)},
                         {QStringLiteral("matID"), record.m_nMatID}};
        auto found = byName.find(nameManuKey(record));
        const size_t *position = found != byName.end() ? &found->second : nullptr;
        auto foundID = byID.find(record.m_nMatID);
        if (!position && foundID != byID.end())
            position = &foundID->second;
        QString state = QStringLiteral("new");
        QString choice = QStringLiteral("add");
        if (position) {
            const MaterialEntry &mine = m_library.At(*position);
            const bool same = ShowAlike(mine.mat, record);
            state = same ? QStringLiteral("same") : QStringLiteral("different");
            choice = same                ? QStringLiteral("skip")
                     : !ownLibrary       ? QStringLiteral("both")
                     : isDirty(mine.key) ? QStringLiteral("keep")
                                         : QStringLiteral("take");
            QStringList differences; // by name, for the ones that differ only
            if (!same) {
                for (const ValueDifference &d : DescribeValueDifferences(mine.mat, record))
                    differences << DifferenceText(d);
            }
            item.insert(QStringLiteral("mine"),
                        QStringLiteral("%1 / %2").arg(QString::fromUtf8(mine.mat.m_szName),
                                                      QString::fromUtf8(mine.mat.m_szManu)));
            item.insert(QStringLiteral("differences"), differences);
        } else if (ownLibrary && WasSaved(record)) {
            state = QStringLiteral("removed");
            choice = QStringLiteral("skip");
        }
        item.insert(QStringLiteral("state"), state);
        item.insert(QStringLiteral("choice"), choice);
        pending.defaults.push_back(choice);
        preview << item;
    }
    m_pendingImport = std::move(pending);
    return preview;
}

std::optional<std::vector<CPrintMaterial>> LibraryFiles::TakeChosen(const QVariantList &choices,
                                                                    QString *path)
{
    if (!m_pendingImport)
        return std::nullopt;
    PendingImport pending = std::move(*m_pendingImport);
    m_pendingImport.reset();
    std::vector<CPrintMaterial> taken;
    std::set<std::string> takenNames;
    std::set<int32_t> takenIDs;
    int kept = 0;
    for (size_t i = 0; i < pending.records.size(); ++i) {
        const QString choice = int(i) < choices.size() ? choices[int(i)].toString() : pending.defaults[i];
        CPrintMaterial &record = pending.records[i];
        if (choice == QLatin1String("skip") || choice == QLatin1String("keep")) {
            ++kept;
            continue;
        }
        if (choice == QLatin1String("both")) {
            // Beside the library's own, so that neither merges into the other: a new name where its
            // name is taken, a new ID where its ID is.
            const std::string manu = record.m_szManu;
            if (m_library.NameHolder(record, nullptr) >= 0 || takenNames.count(nameManuKey(record))) {
                const std::string name = m_library.UniqueCopyName(record.m_szName, manu, nullptr);
                pending.report.renamedNames << QStringLiteral("%1 → %2").arg(
                    QString::fromUtf8(record.m_szName), QString::fromStdString(name));
                record.SetNameAndManu(name.c_str(), manu.c_str());
                ++pending.report.renamed;
            }
            if (m_library.PositionOf(record.m_nMatID) >= 0 || takenIDs.count(record.m_nMatID)) {
                const int32_t oldID = record.m_nMatID;
                m_library.DrawUnusedID(record, nullptr);
                pending.report.renumberedNames
                    << QStringLiteral("%1: %2 → %3")
                           .arg(QString::fromUtf8(record.m_szName), QString::number(oldID),
                                QString::number(record.m_nMatID));
                ++pending.report.renumbered;
            }
        }
        takenNames.insert(nameManuKey(record));
        takenIDs.insert(record.m_nMatID);
        taken.push_back(std::move(record));
    }
    LogLine("importMaterials") << "Load materials from file: " << pending.path << "   bVendor: 0";
    m_lastImport = pending.report;
    m_lastImport.kept = kept;
    *path = pending.path;
    return taken;
}

bool LibraryFiles::Write(const QString &path, bool bNoVendor, bool usersOnly, const std::set<int32_t> *only)
{
    m_exportError.clear();
    LogLine("exportMaterials") << "Export materials to file: " << path;
    // Half a library written would lose the other half in a save, and leave it out of an export.
    if (m_loading) {
        m_exportError = LangTr("the library is still loading");
        LogLine("exportMaterials") << "Not written: " << m_exportError;
        return false;
    }
    MaterialFileWriter writer(path);
    bool ok = writer.Open();
    m_lastWritten = 0;
    for (size_t i = 0; ok && i < m_library.Size(); ++i) {
        const MaterialEntry &entry = m_library.At(i);
        if ((entry.bVendor && bNoVendor) || (only && !only->count(entry.mat.m_nMatID)))
            continue;
        if (usersOnly && !m_vendor.IsUsers(entry))
            continue;
        // Writing brings the derived fields up to date: Save shows them after, an export never
        // changes what the editor holds.
        CPrintMaterial exported;
        if (!usersOnly)
            exported = entry.mat;
        ok = writer.Write(usersOnly ? m_library.Modify(i).mat : exported);
        if (ok) {
            ++m_lastWritten;
            LogLine("exportMaterials") << "Export Mat: " << entry.mat.m_szName << " / " << entry.mat.m_szManu;
        }
    }
    if (ok)
        ok = writer.Commit();
    if (ok && IsUserLibrary(path)) {
        m_userReadError.clear(); // what it held unread is now replaced by choice
        m_userStamp = fileStamp(path);
    }
    if (!ok) {
        m_exportError = writer.ErrorString();
        LogLine("exportMaterials") << "Could not write " << path << ": " << m_exportError
                                   << "; the file is unchanged";
    }
    return ok;
}

EditorData LibraryFiles::CurrentEditorData() const
{
    EditorData data;
    for (size_t i = 0; i < m_library.Size(); ++i) {
        const MaterialEntry &entry = m_library.At(i);
        // A vendor material as the vendor has it is not written, but its flow limit is the user's.
        if (!m_vendor.IsUsers(entry) && entry.flowLimit <= 0.0)
            continue;
        EditorData::Link link;
        link.known = true;
        const FlatMaterial *vendor = m_vendor.Of(entry);
        link.own = !vendor;
        if (vendor)
            link.vendor = MaterialKey::Of(vendor->fields);
        // The whole chain, so that the link survives a parent that another program removes.
        const MaterialEntry *parent = m_library.FindKey(entry.parent);
        for (size_t depth = 0; parent && depth < m_library.Size(); ++depth) {
            link.parents.push_back(MaterialKey::Of(parent->mat));
            if (parent->vendorRef >= 0 && !link.hasParentVendor) {
                link.hasParentVendor = true;
                link.parentVendor = MaterialKey::Of(m_vendor.At(size_t(parent->vendorRef)).fields);
            }
            parent = parent->parent != entry.key ? m_library.FindKey(parent->parent) : nullptr;
        }
        if (!link.hasParentVendor && entry.parentVendor >= 0 &&
            size_t(entry.parentVendor) < m_vendor.Size()) {
            link.hasParentVendor = true;
            link.parentVendor = MaterialKey::Of(m_vendor.At(size_t(entry.parentVendor)).fields);
        }
        link.gone = entry.parentGone;
        link.flowLimit = entry.flowLimit;
        data.SetLink(entry.mat, link);
    }
    return data;
}

bool LibraryFiles::WriteRemovedVendor()
{
    const QByteArray text = m_vendor.RemovedText(m_library);
    const QString path = RemovedVendorPath();
    if (QFile::exists(path))
        SnapshotFile(path, path + QStringLiteral(".bak"));
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit())
        return true;
    m_exportError = file.errorString();
    CVLOG << "Could not write " << path << ": " << m_exportError;
    return false;
}

void LibraryFiles::RememberSavedUserLibrary()
{
    m_savedUserKeys.clear();
    for (size_t i = 0; i < m_library.Size(); ++i) {
        if (m_vendor.IsUsers(m_library.At(i)))
            m_savedUserKeys.insert(MaterialKey::Of(m_library.At(i).mat));
    }
}

bool LibraryFiles::SaveUserLibrary()
{
    m_saveNote.clear();
    if (m_loading) {
        m_exportError = LangTr("the library is still loading");
        CVLOG << "Not saved: " << m_exportError;
        return false;
    }
    if (!m_readOnly.isEmpty()) {
        m_exportError = m_readOnly;
        CVLOG << "Not saved: " << m_readOnly;
        return false;
    }
    const QString user = UserPath();
    const bool exists = QFile::exists(user);
    m_exportError = MaterialFileWriter::FolderProblem(user);
    if (!m_exportError.isEmpty()) {
        CVLOG << "Could not write " << user << ": " << m_exportError << "; the file is unchanged";
        return false;
    }
    // A file that was not read completely is kept whole before it is replaced (the user agreed to
    // replace it, not to lose what the editor could not read); one generation of the previous
    // library stays beside it anyway, so that a regretted save can be undone by hand.
    if (exists && !m_userReadError.isEmpty()) {
        const QString aside = user + QStringLiteral(".unread-") +
                              QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
        if (!SnapshotFile(user, aside)) {
            m_exportError = LangTr("%1 could not be kept as %2 before it is replaced; nothing was saved.")
                                .arg(user, aside);
            CVLOG << m_exportError;
            return false;
        }
        m_saveNote =
            LangTr("The previous %1, which held what could not be read, is kept as %2.").arg(user, aside);
    }
    if (exists && !SnapshotFile(user, user + QStringLiteral(".bak"))) {
        CVLOG << "Could not keep a backup of " << user;
        m_saveNote = LangTr("No backup of the previous library was kept: %1 could not be made.")
                         .arg(user + QStringLiteral(".bak"));
    }
    // What is the user's only: a vendor material as the vendor has it loads from the vendor
    // library, so that the vendor's updates reach it. An empty library is written too. The removed
    // vendor materials are written first: a run that ends between the files then never brings
    // one back, since the next load leaves out what stands for them. The editor's data goes before
    // the library it describes for the same reason; a stale entry of it matches nothing.
    if (!WriteRemovedVendor()) {
        m_exportError = LangTr("%1 could not be written (%2); %3 was not replaced.")
                            .arg(RemovedVendorPath(), m_exportError, user);
        return false;
    }
    QString dataError;
    if (!CurrentEditorData().Write(EditorDataPath(), &dataError)) {
        m_exportError = LangTr("%1 could not be written (%2); %3 was not replaced.")
                            .arg(EditorDataPath(), dataError, user);
        CVLOG << m_exportError;
        return false;
    }
    if (!Write(user, true, true))
        return false;
    RememberSavedUserLibrary();
    return true;
}

bool LibraryFiles::UserLibraryChangedOnDisk() const
{
    return fileStamp(UserPath()) != m_userStamp;
}

RecoveryContent LibraryFiles::RecoveryContentNow() const
{
    // What Save would write, with what Save writes beside it: the restore then starts from the
    // installed vendor library as a start-up does, so that a vendor update reaches what the user
    // did not change.
    RecoveryContent content;
    for (size_t i = 0; i < m_library.Size(); ++i) {
        if (m_vendor.IsUsers(m_library.At(i)))
            content.materials.push_back(FlatMaterial::From(m_library.At(i).mat));
    }
    const QJsonObject trailer{
        {QStringLiteral("recovery"), 1},
        {QStringLiteral("count"), int(content.materials.size())},
        {QStringLiteral("editor"), CurrentEditorData().ToJsonObject()},
        {QStringLiteral("removed"), QString::fromLatin1(m_vendor.RemovedText(m_library))},
        {QStringLiteral("unread"), m_userReadError}};
    content.trailer = QJsonDocument(trailer).toJson(QJsonDocument::Compact);
    return content;
}

QString LibraryFiles::Restore(const QString &path)
{
    std::vector<CPrintMaterial> records;
    size_t refused = 0;
    QJsonObject trailer;
    MaterialFileVisitor visit;
    visit.onMaterial = [&](size_t, CPrintMaterial &mat, const MaterialDecodeReport &report) {
        if (report.droppedSets.empty())
            records.push_back(std::move(mat));
        else
            ++refused;
    };
    visit.onRefusedLine = [&](const RefusedLine &, const std::string &line) {
        const QJsonDocument json = QJsonDocument::fromJson(QByteArray::fromStdString(line).trimmed());
        if (json.isObject() && json.object().contains(QStringLiteral("recovery")))
            trailer = json.object();
        else
            ++refused;
    };
    const MaterialFileReadResult read = ReadMaterialFile(QFile::encodeName(path).toStdString(), visit);
    QString why;
    if (!read.opened || read.error)
        why = LangTr("it cannot be read to its end");
    else if (trailer.isEmpty())
        why = LangTr("it is incomplete");
    else if (refused > 0)
        why = LangTr("%1 parts could not be read").arg(refused);
    else if (trailer.value(QStringLiteral("count")).toInt() != int(records.size()))
        why = LangTr("it holds %1 of %2 materials")
                  .arg(records.size())
                  .arg(trailer.value(QStringLiteral("count")).toInt());
    if (!why.isEmpty()) {
        // Kept aside, never dropped: someone may still get something out of it.
        const QString aside = path + QStringLiteral(".damaged-") +
                              QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
        QFile::rename(path, aside);
        CVLOG << "The recovery copy could not be read (" << why << "); kept as " << aside;
        return LangTr("The recovery copy could not be read (%1). It was kept as %2.").arg(why, aside);
    }
    CVLOG << "Restore " << records.size() << " materials from " << path;
    // The vendor library as loaded at start, less what the user had removed, then the user's.
    std::vector<CPrintMaterial> vendor;
    std::vector<Placement> vendorPlaces(m_vendor.Size());
    for (size_t i = 0; i < m_vendor.Size(); ++i) {
        vendor.push_back(m_vendor.At(i).ToRecord());
        vendorPlaces[i].vendorRef = int(i);
    }
    m_library.Clear();
    Merge(std::move(vendor), path, false, nullptr, &vendorPlaces);
    LeaveOutRemovedVendor(m_vendor.RemovedBy(trailer.value(QStringLiteral("removed")).toString().toLatin1()));
    const EditorData data = EditorData::FromJsonObject(trailer.value(QStringLiteral("editor")).toObject());
    const std::vector<Placement> places = PlaceUserRecords(records, data);
    Merge(std::move(records), path, false, nullptr, &places);
    LinkParents(data);
    m_lastImport = ImportReport();
    // A library not read completely stays so: Save still asks before replacing it.
    const QString unread = trailer.value(QStringLiteral("unread")).toString();
    if (!unread.isEmpty())
        m_userReadError = unread;
    return QString();
}
