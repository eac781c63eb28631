#pragma once

#include "EditorData.h"
#include "MaterialLibrary.h"
#include "RecoveryFile.h"
#include "VendorReference.h"
#include "core/MaterialFormat.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

// The library's files: the installed vendor library and the user library read at start, imports
// merged or previewed first, Save and Export, the recovery copy's content, and what they found
// (read errors, notes at start, the last import's report). It changes the library it is given,
// through the editor of a change where the change is a step.
class LibraryFiles
{
public:
    // What the last import did (see Materials::lastImportReport).
    struct ImportReport
    {
        int added = 0;
        int replaced = 0;
        int renumbered = 0;
        int skipped = 0;
        int renamed = 0;
        int kept = 0; // left as the library had them, by the user's choice or as the same
        int refusedSets = 0;
        bool missing = false;
        QString readError;
        QStringList renamedNames;    // "old → new" of each material renamed
        QStringList renumberedNames; // "name: old → new ID" of each material renumbered
    };
    // Where a material read from a file goes: matched by name and manufacturer, else by ID (an
    // import, or a library the editor knows nothing more of); added as the user's own; into the
    // entry at the position, which stands for a vendor material; or left out. A vendorRef of 0 or
    // more links the resulting entry to that vendor material.
    struct Placement
    {
        enum Kind { Match, Own, Into, Skip } kind = Match;
        size_t position = 0;
        int vendorRef = -1;
    };

    // What one stretch of a material file gave, read on any thread and taken in on the library's.
    struct ReadPiece
    {
        std::vector<CPrintMaterial> records;
        std::vector<std::string> logLines; // written when taken in, so that no two lines mix
        std::vector<size_t> unreadLines;   // lines with something that is not a material, or lost sets
        int skipped = 0;
        int refusedSets = 0;
        qint64 bytesRead = 0; // of the file, to the end of this piece
        qint64 bytesTotal = 0;
        bool last = false;
        MaterialFileReadResult read; // of the whole file, on the last piece
    };

    LibraryFiles(MaterialLibrary &library, VendorReference &vendor, const QString &dataPath);
    ~LibraryFiles();

    QString UserPath() const { return m_dataPath + QStringLiteral("/user.cvx"); }
    QString VendorPath() const { return m_dataPath + QStringLiteral("/vendor.cvx"); }
    QString ShippedVendorPath() const;
    QString RemovedVendorPath() const { return m_dataPath + QStringLiteral("/removed-vendor.txt"); }
    QString EditorDataPath() const { return m_dataPath + QStringLiteral("/editor-data.json"); }
    QString RecoveryPath() const { return m_dataPath + QStringLiteral("/recovery.cvx"); }
    bool IsUserLibrary(const QString &path) const;
    // A local-file URL as its path; anything else as it is.
    static QString LocalPath(const QString &fileName);

    // Copies the shipped vendor library into the data folder when it is missing, has no version
    // line, or is older by the numbers of its version.
    void InstallVendorLibrary();
    // The vendor library: the reference, and its materials in the library, less the removed ones.
    void LoadVendorLibrary();
    // The user library on top, each material where the editor's data says it belongs.
    void LoadUserLibrary();
    // The same two loads with the file read elsewhere (see ReadPieces): the vendor library in one
    // piece, then the user library piece by piece, its last piece finishing it.
    void TakeVendorLibrary(ReadPiece piece);
    void TakeUserPiece(ReadPiece piece);
    // While the start-up's loads are not complete, Save and every export are refused.
    void SetLoading(bool loading) { m_loading = loading; }
    bool Loading() const { return m_loading; }
    // Reads a material file, handing what it read to take every everyMs milliseconds (in one piece
    // for a negative interval), the last piece marked; makeMissing makes an empty file where there
    // is none. A set stop ends the reading, without a last piece. Touches no object: any thread.
    static void ReadPieces(const QString &path, int everyMs, bool makeMissing, const std::atomic<bool> *stop,
                           const std::function<void(ReadPiece &&piece)> &take);
    // A file merged into the library, all of it matched by name and manufacturer, else by ID; a
    // change of the editor given, or a load without one.
    void Import(const QString &path, bool bVendor, LibraryEditor *editor);

    // The materials of a file as an import would take them (see Materials::previewImport); the file
    // stays read until TakeChosen or the next preview. isDirty tells which entries changed since
    // the last save.
    QVariantList Preview(const QString &path, const std::function<bool(quint64 key)> &isDirty);
    // The previewed materials as chosen, renamed and renumbered where they are to stand beside the
    // library's own, with the report of the preview; empty without a preview.
    std::optional<std::vector<CPrintMaterial>> TakeChosen(const QVariantList &choices, QString *path);
    // Merges records into the library as placed (all matched without), through the editor (null:
    // a load); the import report counts what happened.
    void Merge(std::vector<CPrintMaterial> records, const QString &path, bool bVendor, LibraryEditor *editor,
               const std::vector<Placement> *placements = nullptr);

    // Writes the library to the path (also when empty), or only what is the user's, or only the
    // materials with these IDs; derived fields are brought up to date in what Save writes only.
    bool Write(const QString &path, bool bNoVendor, bool usersOnly, const std::set<int32_t> *only = nullptr);
    // Save: removed vendor materials, the editor's data, then user.cvx, with the backups; false with
    // the reason in ExportError.
    bool SaveUserLibrary();
    // Whether user.cvx changed on disk since it was loaded or saved.
    bool UserLibraryChangedOnDisk() const;

    // What a recovery copy holds now, and the library rebuilt from one as a start-up builds it;
    // Restore gives "" or why the copy could not be used (kept aside then).
    RecoveryContent RecoveryContentNow() const;
    QString Restore(const QString &path);

    const ImportReport &LastImport() const { return m_lastImport; }
    void ClearReport() { m_lastImport = ImportReport(); }
    QString ExportError() const { return m_exportError; }
    QString SaveNote() const { return m_saveNote; }
    int LastWritten() const { return m_lastWritten; }
    QString UserReadError() const { return m_userReadError; }
    QStringList StartupNotes() const { return m_startupNotes; }
    QString ReadOnlyReason() const { return m_readOnly; }
    void SetReadOnly(const QString &reason) { m_readOnly = reason; }
    // Whether the material was in user.cvx when it was last loaded or saved.
    bool WasSaved(const CPrintMaterial &mat) const
    {
        return m_savedUserKeys.count(MaterialKey::Of(mat)) != 0;
    }

private:
    class Merger;
    struct UserLoad;

    std::vector<CPrintMaterial> ReadRecords(const QString &path);
    // A reading's report begins anew; TakeReadNotes adds each piece's to it.
    void StartReport();
    void TakeReadNotes(const ReadPiece &piece, const QString &path);
    void MergeSome(Merger &merger, std::vector<CPrintMaterial> records, bool bVendor,
                   const std::vector<Placement> *placements);
    void FinishMerge(const Merger &merger, const QString &path, LibraryEditor *editor);
    std::vector<Placement> PlaceUserRecords(std::vector<CPrintMaterial> &records, const EditorData &data);
    EditorData CurrentEditorData() const;
    // Gives the materials read their parents and flow limits as the editor's data names them.
    void LinkParents(const EditorData &data);
    bool WriteRemovedVendor();
    void LeaveOutRemovedVendor(const std::vector<bool> &removed);
    void NoteRenamedAtStart(const QString &path);
    void RememberSavedUserLibrary();

    MaterialLibrary &m_library;
    VendorReference &m_vendor;
    QString m_dataPath;
    ImportReport m_lastImport;
    struct PendingImport
    {
        QString path;
        std::vector<CPrintMaterial> records;
        ImportReport report;
        std::vector<QString> defaults;
    };
    std::optional<PendingImport> m_pendingImport;
    QString m_exportError;
    QString m_saveNote;
    QString m_readOnly;
    int m_lastWritten = 0;
    QString m_userReadError;
    // user.cvx as it was when it was loaded or saved (file, size and time of change).
    QString m_userStamp;
    QStringList m_startupNotes;
    // The user library's materials as last loaded or saved.
    std::set<MaterialKey> m_savedUserKeys;
    // Lines not read whole in the file being read, until its last piece.
    std::vector<size_t> m_unreadLines;
    // The user library's load while its pieces come in.
    std::unique_ptr<UserLoad> m_userLoad;
    bool m_loading = false;
};
