#include "core/MaterialFormat.h"
#include "core/ParamItem.h"
#include "core/PrinterCatalogue.h"

#include "TestSupport.h"

#include <QDirIterator>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

#include <cmath>
#include <cstring>

// The data that the build lays out in share/corvane: every vendor material loads whole, and the
// language files translate every text that the program looks up.
class TstShippedData : public QObject
{
    Q_OBJECT

private:
    static QString sharePath(const QString &name) { return QStringLiteral(CORVANE_SHARE_DIR "/") + name; }

private slots:
    void vendorLibraryLoadsWhole()
    {
        const QList<QByteArray> lines = readAll(sharePath("DB/vendor.cvx")).split('\n');
        const QByteArray version = lines.first();
        QCOMPARE(version.size(), 5);
        QVERIFY2(QRegularExpression("^\\d+(\\.\\d+)+$").match(QString::fromLatin1(version)).hasMatch(),
                 version.constData());
        QVERIFY2(lines.last().isEmpty(), "the last line ends with a line feed");

        QSet<int> ids;
        int sets = 0;
        for (int i = 1; i < lines.size() - 1; ++i) {
            const QByteArray context = "line " + QByteArray::number(i + 1);
            CPrintMaterial mat;
            MaterialDecodeReport report;
            const bool accepted =
                DecodeMaterial(DecodeMaterialLine(lines[i].toStdString()).c_str(), mat, &report);
            QVERIFY2(accepted && report.droppedSets.empty(),
                     (context + ": " + report.Reason().c_str()).constData());
            // Unique IDs of the generated form, never locked, each with print sets.
            const quint32 id = quint32(mat.m_nMatID);
            QVERIFY2(!ids.contains(mat.m_nMatID) && (id >> 24) >= 1 && (id >> 24) <= 100 &&
                         mat.m_szPwMD5[0] == '\0' && !mat.m_lstSets.empty(),
                     context.constData());
            ids.insert(mat.m_nMatID);
            sets += int(mat.m_lstSets.size());
        }
        QVERIFY2(ids.size() >= 14, "at least 14 vendor materials");
        qInfo("%d vendor materials, %d print sets", int(ids.size()), sets);
    }

    // Every value of the shipped library changed by a step and back is the same bytes again, and a
    // change of 0 changes nothing: no edit leaves a vendor value changed that reads the same.
    void everyShippedValueComesBack()
    {
        const QVector<ParamItem> rows = BuildParamCatalogue();
        int checked = 0;
        for (const QByteArray &line : readAll(sharePath("DB/vendor.cvx")).split('\n')) {
            CPrintMaterial mat;
            if (!DecodeMaterial(DecodeMaterialLine(line.toStdString()).c_str(), mat))
                continue;
            for (const PrintSetData &original : mat.m_lstSets) {
                for (int id = kLastBasicParam + 1; id < kParamCount; ++id) {
                    const ParamItem &row = rows[id];
                    PrintSetData set = original;
                    QVERIFY(!ChangePrintValueBy(set, id, 0.0, false, row.minVal, row.maxVal));
                    QVERIFY(!ChangePrintValueBy(set, id, 0.0, true, row.minVal, row.maxVal));
                    // Where the step up is not held at the top, the step down comes back exactly.
                    if (!ChangePrintValueBy(set, id, row.editStep, false, row.minVal, 1e9))
                        continue;
                    QVERIFY(ChangePrintValueBy(set, id, -row.editStep, false, -1e9, row.maxVal));
                    QVERIFY2(set == original,
                             qPrintable(QStringLiteral("%1, row %2").arg(mat.m_szName).arg(id)));
                    ++checked;
                }
            }
        }
        QVERIFY(checked > 1000);
    }

    void languageFilesTranslateEveryText()
    {
        QStringList texts = {"Material ", "-3D Printer-", "-Nozzle-",  "-Layer Thick-",
                             "-Quality-", "Dia: %1 ",     "Layer: %1 "};
        for (const ParamItem &item : BuildParamCatalogue()) {
            // Every bound row explains itself; an unused row, never shown, has nothing to explain.
            const QString help = ParamHelp(item.paramID);
            QVERIFY2(help.isEmpty() != IsBoundParam(item.paramID), qPrintable(QString::number(item.paramID)));
            texts << item.paramDesc;
            if (!help.isEmpty())
                texts << help;
        }
        for (int quality = 0; quality < 7; ++quality)
            texts << QString::fromStdString(GetQualityName(quality));
        // Every text of the scene (qsTr) and of the library (LangTr, the history's steps), from the
        // sources; adjacent literals are one text.
        const QRegularExpression call(QStringLiteral(
            "(?:qsTr\\(|LangTr\\(|StepText(?: \\w+)?\\{|format = )\\s*((?:\"(?:[^\"\\\\]|\\\\.)*\"\\s*)+)"));
        const QRegularExpression literal(QStringLiteral("\"((?:[^\"\\\\]|\\\\.)*)\""));
        QDirIterator sources(QStringLiteral(CORVANE_SOURCE_DIR "/src"), {"*.qml", "*.cpp"}, QDir::Files,
                             QDirIterator::Subdirectories);
        while (sources.hasNext()) {
            const QString code = QString::fromUtf8(readAll(sources.next()));
            for (auto m = call.globalMatch(code); m.hasNext();) {
                const QString quoted = m.next().captured(1);
                QString text;
                for (auto part = literal.globalMatch(quoted); part.hasNext();)
                    text += part.next().captured(1).replace("\\n", "\n").replace("\\\"", "\"");
                if (text.contains(QRegularExpression("[a-z]{2}")))
                    texts << text;
            }
        }

        QList<QJsonObject> langs;
        for (const QString &code : {QStringLiteral("en"), QStringLiteral("zh")}) {
            QJsonParseError error;
            const QJsonDocument doc =
                QJsonDocument::fromJson(readAll(sharePath("Lang/local_" + code + ".json")), &error);
            QVERIFY2(doc.isObject(), qPrintable(code + ": " + error.errorString()));
            langs << doc.object();
        }
        QCOMPARE(langs[0].keys(), langs[1].keys());
        for (const QJsonObject &lang : langs) {
            const QJsonValue version = lang.value("--trans version--");
            QVERIFY(version.isDouble() && version.toDouble() >= 1 &&
                    std::floor(version.toDouble()) == version.toDouble());
            for (const QString &text : texts) {
                const QString value = lang.value(text).toString();
                QVERIFY2(!value.isEmpty(), qPrintable("no translation of \"" + text + "\""));
                for (int n = 1; n <= 5; ++n) {
                    const QString place = QStringLiteral("%%1").arg(n);
                    QVERIFY2(value.contains(place) == text.contains(place), qPrintable(text + " / " + value));
                }
                if (text.startsWith('-')) // the scene reads a leading "-" as "nothing chosen"
                    QVERIFY2(value.startsWith('-'), qPrintable(text));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TstShippedData)
#include "tst_ShippedData.moc"
