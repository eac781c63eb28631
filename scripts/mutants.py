#!/usr/bin/env python3
"""A sample of small faults planted in the code, one at a time, to see which the tests catch.

    scripts/mutants.py [--tree DIR] [--scratch DIR] [--only N,N...] [--tests REGEX] [--check]

Each mutant replaces one text of one file by another (the text must stand there exactly once).
The tree (default: this checkout) is copied to a scratch folder once; for each mutant the file is
changed there, the scratch build is brought up to date, and the tests run: every quick one, then the
scene and package tests only if none of those failed. A mutant that fails to build, or that some
test fails on, is caught. A scratch folder used before is built again only where files changed.
The table goes to standard output as Markdown. Not run by CI: it takes an hour or two.
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


SLOW = "^(tst_qml|tst_package)$"


def run(command, cwd, log):
    return subprocess.run(command, cwd=cwd, stdout=log, stderr=subprocess.STDOUT).returncode


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--tree", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    parser.add_argument("--scratch", default="/tmp/corvane-mutants")
    parser.add_argument("--only", default="")
    parser.add_argument("--check", action="store_true", help="only check that every text stands once")
    parser.add_argument("--tests", default="", help="run only the tests whose names match this expression")
    args = parser.parse_args()
    tree = os.path.abspath(args.tree)
    chosen = [int(n) for n in args.only.split(",") if n] or range(1, len(MUTANTS) + 1)

    problems = 0
    for number, (_, path, what, text, _) in enumerate(MUTANTS, 1):
        count = open(os.path.join(tree, path), encoding="utf-8").read().count(text)
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
    for _, path, _, _, _ in MUTANTS:
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
        folder, path, what, text, replacement = MUTANTS[number - 1]
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
