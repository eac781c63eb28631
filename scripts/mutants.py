#!/usr/bin/env python3
"""A sample of small faults planted in the code, one at a time, to see which the tests catch.

    scripts/mutants.py [--sample] [--tree DIR] [--scratch DIR] [--only N,N...] [--tests REGEX] [--check]

Each mutant replaces one text of one file by another (the text must stand there exactly once).
The tree (default: this checkout) is copied to a scratch folder once; for each mutant the file is
changed there, the scratch build is brought up to date, and the tests run: every quick one, then the
scene and package tests only if none of those failed. A mutant that fails to build, or that some
test fails on, is caught. A scratch folder used before is built again only where files changed.
The table goes to standard output as Markdown. Not run by CI: it takes an hour or two. --sample runs
the second sample (SAMPLE) instead of the first (MUTANTS); --only and --check number and check the
table chosen.
"""

import argparse
import os
import shutil
import subprocess
import sys
import time

# (folder, file, what the fault is, text, replacement)
MUTANTS = [
    ("base", "src/base/cfutility.cpp", "version comparison flipped",
     "return numA > numB ? 1 : -1;", "return numA < numB ? 1 : -1;"),
    ("base", "src/base/cfutility.cpp", "UTF-8 cut splits a character",
     "& 0xC0) == 0x80)", "& 0xC0) == 0xC0)"),
    ("base", "src/base/cfutility.cpp", "hex digit a-f off by one",
     "c >= 'a' && c <= 'f' ? c - 'a' + 10", "c >= 'a' && c <= 'f' ? c - 'a' + 11"),
    ("base", "src/base/TLanguage.cpp", "language index not found taken as the last",
     "    if (index < 0)\n        return 0;", "    if (index < 0)\n        return 11;"),
    ("base", "src/base/Log.cpp", "log prefix changed",
     'm_stream << function << "() ";', 'm_stream << function << "(): ";'),
    ("base", "src/base/LangTranslator.cpp", "the scene's texts not translated",
     "return sourceText ? LangTr(sourceText) : QString();", "return QString::fromUtf8(sourceText);"),
    ("core", "src/core/PrintMaterial.cpp", "nozzle tolerance widened",
     "return double(std::fabs(a - b)) < 0.01;", "return double(std::fabs(a - b)) < 0.1;"),
    ("core", "src/core/PrintMaterial.cpp", "layer tolerance widened",
     "return double(std::fabs(a - b)) < 0.001;", "return double(std::fabs(a - b)) < 0.02;"),
    ("core", "src/core/PrintMaterial.cpp", "quality wildcard dropped in a lookup",
     "(quality < 0 || s.nQuality == quality)", "(s.nQuality == quality)"),
    ("core", "src/core/PrintMaterial.cpp", "layer wildcard dropped in a removal",
     "(layer < 0 || IsSameLayer(it->fLayerThick, layer))", "IsSameLayer(it->fLayerThick, layer)"),
    ("core", "src/core/PrintMaterial.cpp", "derived acceleration floor changed",
     "if (!(acc > 1000.0f))", "if (!(acc > 100.0f))"),
    ("core", "src/core/PrintMaterial.cpp", "layer rounding rule changed",
     "(double(layer) + 0.005) * 100.0", "double(layer) * 100.0"),
    ("core", "src/core/ParamItem.cpp", "percent stored times ten",
     "float(value / 100.0);", "float(value / 10.0);"),
    ("core", "src/core/ParamItem.cpp", "'the same value' tolerance changed",
     "std::fabs(row.paramVal - v) > 0.001", "std::fabs(row.paramVal - v) > 0.1"),
    ("core", "src/core/ParamItem.cpp", "shown values cut instead of rounded",
     "return std::round(thousandfold) / 1000.0;", "return std::trunc(thousandfold) / 1000.0;"),
    ("core", "src/core/MaterialFormat.cpp", "negative quality refusal dropped",
     "if (validity == SetValidity::Valid && set.nQuality < 0)", "if (false)"),
    ("core", "src/core/MaterialFormat.cpp", "whole numbers written as integers only below 1e5",
     "std::fabs(value) < 1e15 &&", "std::fabs(value) < 1e5 &&"),
    ("core", "src/core/MaterialIdentity.cpp", "ID's top byte may be 0",
     "nonNegativeMod(a, 100) + 1;", "nonNegativeMod(a, 100);"),
    ("core", "src/core/MaterialFileWriter.cpp", "a save never replaces the file",
     "        ok = m_save.commit();", "        ok = true;\n        m_save.cancelWriting();"),
    ("core", "src/core/MaterialDiff.cpp", "print set value differences inverted",
     "        if (va != vb) {", "        if (va == vb) {"),
    ("library", "src/library/MaterialsCascade.cpp", "a material with a password selected unlocked",
     "m_bMatLocked = entry->mat.m_szPwMD5[0] != '\\0' && !stayUnlocked;",
     "m_bMatLocked = entry->mat.m_szPwMD5[0] == '\\0' && !stayUnlocked;"),
    ("library", "src/library/MaterialsCascade.cpp", "signal not emitted: the layer menu misses a reset",
     "    selectLayerThick(-1);\n    emit layerThickChanged();", "    selectLayerThick(-1);"),
    ("library", "src/library/MaterialsCascade.cpp", "off by one: a copy to the choice past the last",
     "if (size_t(index) >= choices) {", "if (size_t(index) > choices) {"),
    ("library", "src/library/MaterialsCascade.cpp", "the new-set choices keep their last '|'",
     "text[text.size() - 1] = QLatin1Char(' ');", "text += QLatin1Char(' ');"),
    ("library", "src/library/MaterialsCascade.cpp", "signals out of order: quality text after the sets",
     "    m_nCurQuality = quality;\n    emit curQualityChanged(curQuality());",
     "    m_nCurQuality = quality;"),
    ("library", "src/library/MaterialsEditing.cpp", "lock refusal dropped",
     "    if (m_bMatLocked) {\n        CVLOG << \"Material is locked, can't edit!\";",
     "    if (false) {\n        CVLOG << \"Material is locked, can't edit!\";"),
    ("library", "src/library/MaterialsEditing.cpp", "a wrong password accepted",
     "if (!stored.isEmpty() && stored != pwMD5)", "if (!stored.isEmpty() && stored == pwMD5)"),
    ("library", "src/library/MaterialsEditing.cpp", "an ID of the generated form accepted",
     "(newID & 0xFC0000) != 0)", "(newID & 0xF80000) != 0)"),
    ("library", "src/library/MaterialsEditing.cpp", "copies start at _Copy2",
     "for (size_t n = 1;; ++n) {", "for (size_t n = 2;; ++n) {"),
    ("library", "src/library/MaterialsEditing.cpp", "removing the current material selects none",
     "SetCurMaterial(it == m_Materials.end() ? -1 : (*it)->mat.m_nMatID);", "SetCurMaterial(-1);"),
    ("library", "src/library/MaterialsEditing.cpp", "relative change not clamped",
     "return qBound(row.minVal, percent ? shown * (1.0 + amount / 100.0) : shown + amount, row.maxVal);",
     "return percent ? shown * (1.0 + amount / 100.0) : shown + amount;"),
    ("library", "src/library/MaterialsFiles.cpp", "a save that skips the backup",
     "if (QFile::exists(user) && !SnapshotFile(user, user + QStringLiteral(\".bak\")))", "if (false)"),
    ("library", "src/library/MaterialsFiles.cpp", "an import no longer matches by ID",
     "        if (position < 0)\n            position = byID.first(record.m_nMatID);\n        if (position >= 0 && written",
     "        if (position >= 0 && written"),
    ("library", "src/library/MaterialsFiles.cpp", "a vendor library of the same version replaced",
     "if (CompareVersion(shippedVersion, installedVersion) > 0)",
     "if (CompareVersion(shippedVersion, installedVersion) >= -2)"),
    ("library", "src/library/MaterialsFiles.cpp", "Save writes vendor materials as the vendor has them",
     "            if (vendor && SameAsVendor(entry.mat, *vendor))\n                continue;", ""),
    ("library", "src/library/MaterialsHistory.cpp", "undo of a lock set in the session refused",
     "        if (undo && change.before->mat.m_szPwMD5[0] == '\\0')\n            continue;", ""),
    ("library", "src/library/MaterialsHistory.cpp", "undo puts back what the step made",
     "put(it->position, it->after, it->before);", "put(it->position, it->before, it->after);"),
    ("library", "src/library/MaterialsHistory.cpp", "a restored recovery copy is not unsaved",
     "    m_bUnsavedOutsideHistory = true;\n    m_history.clear();", "    m_history.clear();"),
    ("library", "src/library/RecoveryFile.cpp", "a clean end keeps the recovery copy",
     "    if (QFile::exists(m_path) && !QFile::remove(m_path))", "    if (false)"),
    ("library", "src/library/MaterialsVendor.cpp", "vendor marks' tolerance changed",
     "constexpr double kSameValue = 0.001;", "constexpr double kSameValue = 0.5;"),
    ("library", "src/library/MaterialsVendor.cpp", "no vendor counterpart by name",
     "    return byName == m_vendorByName.end() ? nullptr : &m_vendor[byName->second];", "    return nullptr;"),
    ("models", "src/models/PrintSetModel.cpp", "no rows without print sets",
     "    if (m_mats->curSetNumber() == 0)\n        return BASICINFO_SIZE;",
     "    if (m_mats->curSetNumber() == 0)\n        return 0;"),
    ("models", "src/models/MaterialFilterModel.cpp", "search by letter case",
     "contains(text, Qt::CaseInsensitive)", "contains(text, Qt::CaseSensitive)"),
    ("models", "src/models/MaterialFilterModel.cpp", "changed-only filter shows the vendor's",
     "mats()->VendorState(sourceRow) == Materials::VendorSame", "mats()->VendorState(sourceRow) == Materials::VendorNone"),
    ("models", "src/models/QualityModel.cpp", "quality names not translated",
     "LangTrans::Instance()->Translate(", "QString("),
    ("models", "src/models/NozzleDiaModel.cpp", "nozzle text with one decimal",
     "'f', 2)", "'f', 1)"),
    ("app", "src/app/qml/ValueDlg.qml", "a dialog sends the value on OK without a change",
     "        if (!touched) {", "        if (false) {"),
    ("app", "src/app/qml/ValueSpinBox.qml", "a comma typed is not a decimal point",
     'parseFloat(match[0].replace(",", "."))', "parseFloat(match[0])"),
    ("app", "src/app/qml/main.qml", "colour scale rounds down",
     "Math.round(9 * (val - min) / (max - min))", "Math.floor(9 * (val - min) / (max - min))"),
    ("app", "src/app/qml/MatNameInputDlg.qml", "the password itself sent instead of its digest",
     'return password.length > 0 ? Qt.md5(password) : ""', 'return password'),
    ("app", "src/app/qml/MaterialList.qml", "drawer rows cut at 25 characters",
     "maximumLength: 24", "maximumLength: 25"),
    ("app", "src/app/InstanceGuard.cpp", "the running editor never answers",
     'socket->write("ok\\n");', 'socket->write("no\\n");'),
    ("tools", "tools/cvx/CvxCommands.cpp", "diff lists nothing only in B",
     "        if (!a.count(id)) {", "        if (false) {"),
    ("tools", "tools/cvx/CvxCommands.cpp", "decode --readable gives the file's keys",
     "            if (readable)\n                json = ReadableMaterialJson(mat);",
     "            if (false)\n                json = ReadableMaterialJson(mat);"),
    ("tools", "tools/cvx/main.cpp", "encode's -o not taken",
     'if (args[i] == "-o") {', 'if (args[i] == "-O") {'),
]


# A second sample, drawn afresh from the code where a slip would change what the user sees or
# what is saved: the vendor comparison and its resets, the files and the recovery copy, the edit
# path and its history, the selection cascade, the single-instance guard, the tool's output and
# the value dialogs and import flows. Chosen with --sample.
SAMPLE = [
    # The vendor comparison and its resets
    ("library", "src/library/VendorReference.cpp", "a row's vendor mark cleared by a later set that matches",
     "mark.differs = mark.differs || !SameShownValue(vendor, own);", "mark.differs = !SameShownValue(vendor, own);"),
    ("library", "src/library/VendorReference.cpp", "a vendor material renumbered at load counts as changed",
     "const bool compareID = !(entry.loadID != 0 && entry.mat.m_nMatID == entry.loadID);",
     "const bool compareID = true;"),
    ("library", "src/library/VendorReference.cpp", "a reset takes the ID another material holds",
     "if (holder && holder != &entry)", "if (holder && holder == &entry)"),
    ("library", "src/library/VendorReference.cpp", "every removed-vendor line read as an ID-only one",
     "const bool named = parts.size() >= 3;", "const bool named = parts.size() > 3;"),
    ("library", "src/library/Materials.cpp", "a value reset to the vendor's in a locked material",
     "if (m_cascade.Locked() || !IsBoundParam(nID) || !vendorMark(nID).differs)",
     "if (!IsBoundParam(nID) || !vendorMark(nID).differs)"),
    ("library", "src/library/Materials.cpp", "a value reset to the vendor's in the first selected set only",
     "if (const PrintSetData *theirs = VendorReference::FindSet(*vendor, *set))\n"
     "                    CopyPrintValue(*set, *theirs, nID);",
     "if (const PrintSetData *theirs = VendorReference::FindSet(*vendor, *set)) {\n"
     "                    CopyPrintValue(*set, *theirs, nID);\n"
     "                    return true;\n"
     "                }"),
    ("library", "src/library/Materials.cpp", "bring back keeps an ID that the first material holds",
     "if (m_library.PositionOf(mat.m_nMatID) >= 0)\n                    m_library.DrawUnusedID",
     "if (m_library.PositionOf(mat.m_nMatID) > 0)\n                    m_library.DrawUnusedID"),
    ("core", "src/core/MaterialDiff.cpp", "another password counts as the same one",
     "std::strcmp(a.m_szPwMD5, bFields.m_szPwMD5) != 0 &&", "std::strcmp(a.m_szPwMD5, bFields.m_szPwMD5) == 0 &&"),
    ("core", "src/core/MaterialDiff.cpp", "the first print row never compared",
     "for (int id = kLastBasicParam + 1; id < kParamCount; ++id) {\n            if (ShowsOwnField(id)",
     "for (int id = kLastBasicParam + 2; id < kParamCount; ++id) {\n            if (ShowsOwnField(id)"),
    ("core", "src/core/ParamItem.cpp", "percentage rows changed by an amount taken as fractions",
     "const double scale = conv == Conv::Float ? 1.0 : 100.0;", "const double scale = conv == Conv::Percent ? 100.0 : 1.0;"),

    # Files and recovery
    ("library", "src/library/LibraryFiles.cpp", "a changed vendor material the user removed comes back as their own",
     "            place.kind = Placement::Skip;", "            place.kind = Placement::Own;"),
    ("library", "src/library/LibraryFiles.cpp", "a changed vendor material loaded into the first entry",
     "            place.position = entry->second;\n", ""),
    ("library", "src/library/LibraryFiles.cpp", "a vendor material renumbered for the user's own loses its load ID",
     "            Touch(size_t(holder)).loadID = m_library.At(size_t(holder)).mat.m_nMatID;\n", ""),
    ("library", "src/library/LibraryFiles.cpp", "an import's different material replaces mine by default",
     ': !ownLibrary       ? QStringLiteral("both")', ': !ownLibrary       ? QStringLiteral("take")'),
    ("library", "src/library/LibraryFiles.cpp", "'keep both' keeps an ID that the first material holds",
     "if (m_library.PositionOf(record.m_nMatID) >= 0 || takenIDs.count(record.m_nMatID)) {",
     "if (m_library.PositionOf(record.m_nMatID) > 0 || takenIDs.count(record.m_nMatID)) {"),
    ("library", "src/library/LibraryFiles.cpp", "an export of the chosen materials writes the others",
     "(only && !only->count(entry.mat.m_nMatID))", "(only && only->count(entry.mat.m_nMatID))"),
    ("library", "src/library/LibraryFiles.cpp", "a save over an unread library keeps it marked unread",
     "        m_userReadError.clear(); // what it held unread is now replaced by choice\n", ""),
    ("library", "src/library/LibraryFiles.cpp", "the editor's data links a changed vendor material to its own name",
     "link.vendor = MaterialKey::Of(vendor->fields);", "link.vendor = MaterialKey::Of(entry.mat);"),
    ("library", "src/library/LibraryFiles.cpp", "the recovery copy forgets the removed vendor materials",
     '        {QStringLiteral("removed"), QString::fromLatin1(m_vendor.RemovedText(m_library))},\n', ""),
    ("library", "src/library/EditorData.cpp", "the editor's data read back says nothing",
     "        link.known = true;\n        link.own = !item", "        link.own = !item"),
    ("library", "src/library/RecoveryFile.cpp", "a paused recovery copy is overwritten",
     "    if (!m_paused)\n        m_timer.start();", "    m_timer.start();"),

    # Undo and redo, the edit path and the recovery copy
    ("library", "src/library/LibraryHistory.cpp", "a guarded step undone on the current material while it is locked",
     "if (locked || currentID != now.m_nMatID)", "if (locked && currentID != now.m_nMatID)"),
    ("library", "src/library/LibraryHistory.cpp", "a save leaves the materials marked changed since it",
     "    m_unsavedOutside = false;\n    m_dirty.clear();\n", "    m_unsavedOutside = false;\n"),
    ("library", "src/library/LibraryHistory.cpp", "a clean end removes a copy that waits for an answer",
     "void LibraryHistory::EndCleanly()\n{\n    if (!m_recoveryPending)\n        m_recovery->Remove();",
     "void LibraryHistory::EndCleanly()\n{\n    m_recovery->Remove();"),
    ("library", "src/library/Materials.cpp", "no step is guarded",
     "const bool guarded = editor.TouchesLockedMaterial();", "const bool guarded = false;"),
    ("library", "src/library/Materials.cpp", "an undone removal shows the selection of the moment instead",
     "const Selection selection = before ? *before : m_cascade.Current();",
     "const Selection selection = m_cascade.Current();"),
    ("library", "src/library/Materials.cpp", "undo and redo do not mark what they change",
     "        m_history->MarkDirty(to ? to->key : from->key);\n", ""),
    ("library", "src/library/Materials.cpp", "undo and redo do not show the step's page",
     "    emit historyApplied(int(step.Page()));\n", ""),
    ("library", "src/library/MaterialLibrary.cpp", "a change keeps the entry's revision: what was known of it stays",
     "    entry.revision = g_nextRevision++;\n    return entry;", "    return entry;"),
    ("library", "src/library/Materials.cpp", "a change by an amount reaches the first set only",
     "changed = ChangePrintValueBy(*set, nID, amount, percent, row.minVal, row.maxVal) || changed;",
     "changed = changed || ChangePrintValueBy(*set, nID, amount, percent, row.minVal, row.maxVal);"),
    ("library", "src/library/Materials.cpp", "the print rows not reloaded after a change by an amount",
     "            LoadBasicInfo();\n            LoadPrintParams();\n            emit matChanged();\n        },\n"
     "        [&]() {\n            const QString change",
     "            LoadBasicInfo();\n            emit matChanged();\n        },\n"
     "        [&]() {\n            const QString change"),

    # The selection cascade, and print sets copied and removed
    ("library", "src/library/SelectionCascade.cpp", "the layer menu lists the layers of every nozzle",
     "            std::fabs(double(s->fNozzleDia) - double(nozzle)) <= kNozzleTolerance &&\n", ""),
    ("library", "src/library/SelectionCascade.cpp", "quality 0 chosen counts as no quality",
     "    if (m_selection.quality >= 0)\n        return Level::Quality;",
     "    if (m_selection.quality > 0)\n        return Level::Quality;"),
    ("library", "src/library/SelectionCascade.cpp", "a choice offered for another level still taken",
     "if (index < 0 || size_t(index) >= m_offered.size() || m_offeredLevel != Deepest())",
     "if (index < 0 || size_t(index) >= m_offered.size())"),
    ("library", "src/library/Materials.cpp", "print sets copied into a locked material",
     "if (index < 0 || CurrentPosition() < 0 || m_cascade.Locked())", "if (index < 0 || CurrentPosition() < 0)"),
    ("library", "src/library/Materials.cpp", "a removal passes the layer as the nozzle",
     "mat.m_szPwMD5, selection.nozzle,\n                                     selection.layer);",
     "mat.m_szPwMD5, selection.layer,\n                                     selection.nozzle);"),
    ("library", "src/library/Materials.cpp", "a restored selection does not refresh the printer menu",
     "    selectPrinter(printer ? selection.printer : Selection::kNoPrinter);\n    emit printerChanged();\n",
     "    selectPrinter(printer ? selection.printer : Selection::kNoPrinter);\n"),

    # The single-instance guard
    ("app", "src/app/InstanceGuard.cpp", "a folder others of the group can write trusted",
     "!(mode & (S_IWGRP | S_IWOTH))", "!(mode & S_IWOTH)"),
    ("app", "src/app/InstanceGuard.cpp", "a second confirmation delivers the files again",
     "                *offered = false;\n", ""),
    ("app", "src/app/InstanceGuard.cpp", "handed files outside the private folder removed at the end",
     "if (info.absolutePath() == m_privateDir && info.fileName().startsWith(kCopyPrefix))",
     "if (info.fileName().startsWith(kCopyPrefix))"),
    ("app", "src/app/InstanceGuard.cpp", "a socket left by a crash keeps later editors unanswered",
     "    QLocalServer::removeServer(path);\n", ""),

    # The tool's readable output and diff
    ("tools", "tools/cvx/ReadableJson.cpp", "readable sets show a row that repeats another's field",
     "            if (ShowsOwnField(id))\n                member(out", "            if (IsBoundParam(id))\n                member(out"),
    ("tools", "tools/cvx/ReadableJson.cpp", "readable layers shown unrounded",
     "FormatJsonNumber(RoundShownValue(double(set.fLayerThick)))", "FormatJsonNumber(double(set.fLayerThick))"),
    ("tools", "tools/cvx/CvxCommands.cpp", "diff never compares an object's last member",
     "for (size_t i = 0; i < a.size() && i < b.size(); ++i) {",
     "for (size_t i = 0; i + 1 < a.size() && i < b.size(); ++i) {"),
    ("tools", "tools/cvx/CvxCommands.cpp", "diff names a changed material by B's name",
     "std::cout << \"changed: \" << label(a[id]) << '\\n';", "std::cout << \"changed: \" << label(other->second) << '\\n';"),
    ("tools", "tools/cvx/CvxCommands.cpp", "diff of same files with unread lines ends clean",
     "return Finish(differences || errors.count ? Reported : Clean);", "return Finish(differences ? Reported : Clean);"),

    # The value dialogs' controls, the import preview and the save and import flows
    ("app", "src/app/qml/ValueSlider.qml", "moving the slider is no change for OK",
     "        numberBox.markChanged()\n", ""),
    ("app", "src/app/qml/ValueSlider.qml", "the box's value moves the slider in the box's units",
     "slider.value = slider.numberBox.value / slider.numberBox.unitScale", "slider.value = slider.numberBox.value"),
    ("app", "src/app/qml/ValueDlg.qml", "a change by an amount sent as a percentage",
     "numberBox.value / numberBox.unitScale, changeMode === 2)", "numberBox.value / numberBox.unitScale, changeMode === 1)"),
    ("app", "src/app/qml/ValueDlg.qml", "a dialog opens in the change mode of its last opening",
     "        changeMode = 0\n        numberBox.wholeOnly = false", "        numberBox.wholeOnly = false"),
    ("app", "src/app/qml/ValueSpinBox.qml", "a first step off the grid lands the other way",
     "value > heldValue ? Math.ceil(k) : Math.floor(k)", "value > heldValue ? Math.floor(k) : Math.ceil(k)"),
    ("app", "src/app/qml/ImportPreviewDlg.qml", "'Take theirs' keeps mine and 'Keep mine' takes theirs",
     '"different": ["both", "take", "keep"]', '"different": ["both", "keep", "take"]'),
    ("app", "src/app/qml/ImportFlow.qml", "a missing or empty file imported says nothing",
     "if (importTotals.imported > 0 || importTotals.notes.length > 0)", "if (importTotals.imported > 0)"),
    ("app", "src/app/qml/ImportFlow.qml", "a merge of the changed library is not saved",
     "                if (imported)\n                    saveFlow.writeLibrary()\n", ""),
    ("app", "src/app/qml/SaveFlow.qml", "a save overwrites a library changed on disk without asking",
     "        if (materials.userLibraryChangedOnDisk()) {", "        if (false) {"),
]


SLOW = "^(tst_qml|tst_package)$"


def run(command, cwd, log):
    return subprocess.run(command, cwd=cwd, stdout=log, stderr=subprocess.STDOUT).returncode


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--tree", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    parser.add_argument("--scratch", default="/tmp/corvane-mutants")
    parser.add_argument("--only", default="")
    parser.add_argument("--check", action="store_true", help="only check that every text stands once")
    parser.add_argument("--sample", action="store_true", help="the second sample (SAMPLE) instead of MUTANTS")
    parser.add_argument("--tests", default="", help="run only the tests whose names match this expression")
    args = parser.parse_args()
    tree = os.path.abspath(args.tree)
    table = SAMPLE if args.sample else MUTANTS
    chosen = [int(n) for n in args.only.split(",") if n] or range(1, len(table) + 1)

    problems = 0
    for number, (_, path, what, text, _) in enumerate(table, 1):
        # A file that moved since the table was drawn holds the text no times.
        target = os.path.join(tree, path)
        count = open(target, encoding="utf-8").read().count(text) if os.path.exists(target) else 0
        if count != 1:
            print(f"mutant {number} ({what}): the text stands {count} times in {path}", file=sys.stderr)
            problems += 1
    if problems or args.check:
        return 1 if problems else 0

    source = os.path.join(args.scratch, "src")
    build = os.path.join(args.scratch, "build")
    if os.path.exists(source):
        shutil.rmtree(source)
    shutil.copytree(tree, source, ignore=shutil.ignore_patterns("build*", ".git"))
    # The copy keeps the files' times, older than a scratch build's objects: a file left mutated by
    # a run that was stopped would not be built again. Every file a mutant touches counts as new.
    for _, path, _, _, _ in table:
        os.utime(os.path.join(source, path))
    os.makedirs(build, exist_ok=True)
    log = open(os.path.join(args.scratch, "log.txt"), "w")
    if run(["cmake", "-S", source, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
            "-DCORVANE_BUILD_BENCH=OFF"], source, log) or run(["cmake", "--build", build, "-j2"], source, log):
        print("the unchanged tree does not build; see " + log.name, file=sys.stderr)
        return 2
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", QT_QUICK_BACKEND="software")

    print("| # | folder | fault | caught by |")
    print("|---|---|---|---|")
    caught = 0
    for number in chosen:
        folder, path, what, text, replacement = table[number - 1]
        target = os.path.join(source, path)
        original = open(target, encoding="utf-8").read()
        open(target, "w", encoding="utf-8").write(original.replace(text, replacement))
        started = time.time()
        result = "build fails" if run(["cmake", "--build", build, "-j2"], source, log) else None
        if result is None:
            # Every quick test (so the table shows all that catch it); the scene and package tests
            # (minutes) only for what those miss.
            stages = [["-E", SLOW], ["--stop-on-failure", "-R", SLOW]]
            if args.tests:
                stages = [["-R", args.tests]]
            for stage in stages:
                tests = subprocess.run(["ctest", "-j2", "--timeout", "600"] + stage,
                                       cwd=build, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
                log.write(tests.stdout)
                # The summary's lines: "  3 - tst_ParamItem (Failed)".
                failed = [line.split(" - ")[1].split()[0] for line in tests.stdout.splitlines()
                          if " - " in line and line.strip()[0].isdigit()]
                if tests.returncode:
                    result = ", ".join(sorted(set(failed))) or "ctest fails"
                    break
        open(target, "w", encoding="utf-8").write(original)
        caught += result is not None
        print(f"| {number} | {folder} | {what} | {result or '**not caught**'} |", flush=True)
        log.write(f"mutant {number}: {result} ({time.time() - started:.0f} s)\n")
        log.flush()
    print(f"\n{caught} of {len(chosen)} caught")
    run(["cmake", "--build", build, "-j2"], source, log)
    return 0


if __name__ == "__main__":
    sys.exit(main())
