// Runs the tst_*.qml files (tests/qml, or the folder given with -input) against the scene's
// components, with the types registered as start-up registers them and "materials" set to a
// library over a private data folder.

#include "LibraryFixture.h"
#include "base/LangTranslator.h"
#include "base/cfutility.h"
#include "core/MaterialFormat.h"
#include "models/QmlTypes.h"

#include <QDir>
#include <QFileInfo>
#include <QQmlContext>
#include <QQmlEngine>
#include <QTemporaryDir>
#include <QtQuickTest>

#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// What a QML test cannot do by itself: read a material file back.
class TestFiles : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    // The materials of a material file as a JSON array text (derived fields as stored).
    Q_INVOKABLE QString decodeFile(const QString &path) const
    {
        std::string array = "[";
        ReadFileLines(QFile::encodeName(path).toStdString(), [&array](std::string &line) {
            CPrintMaterial mat;
            if (DecodeMaterial(DecodeMaterialLine(line).c_str(), mat))
                array += (array.size() > 1 ? "," : "") + MaterialJsonText(mat);
        });
        return QString::fromStdString(array + "]");
    }
    // Puts a copy of the file in place of another, as another program would.
    Q_INVOKABLE bool copyFile(const QString &from, const QString &to) const
    {
        return writeAll(to, readAll(from));
    }
    // Writes a file in a private folder, making the folders of the name; returns its path.
    Q_INVOKABLE QString writeText(const QString &name, const QString &text) const
    {
        const QString path = m_dir.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        writeAll(path, text.toUtf8());
        return path;
    }
    // Removes a folder of the private folder with all it holds, as another program would.
    Q_INVOKABLE bool removeFolder(const QString &name) const
    {
        return QDir(m_dir.filePath(name)).removeRecursively();
    }

private:
    QTemporaryDir m_dir;
};

// A user library that another program writes while the editor loads it: a FIFO in its place, fed
// line by line, so that a test sees the window while the load goes on.
class SlowLibrary : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~SlowLibrary() override { end(); }
    void setFixture(LibraryFixture *fixture) { m_fixture = fixture; }

    // Puts the FIFO in place of the user library, and starts the editor's load over it.
    Q_INVOKABLE bool start()
    {
        const QByteArray path = QFile::encodeName(m_fixture->dataDir() + QStringLiteral("/user.cvx"));
        QDir().mkpath(m_fixture->dataDir());
        QFile::remove(QFile::decodeName(path));
        // Open for reading too, so that opening waits for no reader.
        if (::mkfifo(path.constData(), 0600) != 0 || (m_fd = ::open(path.constData(), O_RDWR)) < 0)
            return false;
        m_fixture->mats().startLoading(0);
        return true;
    }
    // Writes count lines of a material file from line first (from 1), then enough empty lines to
    // pass them through the reader's buffer.
    Q_INVOKABLE bool feed(const QString &file, int first, int count)
    {
        const QList<QByteArray> lines = readAll(file).split('\n');
        QByteArray text;
        for (int i = first - 1; i < first - 1 + count && i < lines.size(); ++i)
            text += lines[i] + '\n';
        text += QByteArray(64 * 1024, '\n');
        for (int done = 0; done < text.size();) {
            const ssize_t wrote = ::write(m_fd, text.constData() + done, size_t(text.size() - done));
            if (wrote <= 0)
                return false;
            done += wrote;
        }
        return true;
    }
    // The writer is done: the load reads to the end.
    Q_INVOKABLE void end()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    LibraryFixture *m_fixture = nullptr;
    int m_fd = -1;
};

class Setup : public QObject
{
    Q_OBJECT

public slots:
    void applicationAvailable()
    {
        // The file chooser's home and "~" lie in a private folder too.
        qputenv("HOME", QFile::encodeName(m_home.path()));
        // The file dialogs keep their settings under these names, as in the editor.
        QCoreApplication::setOrganizationName(QStringLiteral("Kestrona"));
        QCoreApplication::setOrganizationDomain(QStringLiteral("kestrona.com"));
        QCoreApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
    }

    void qmlEngineAvailable(QQmlEngine *engine)
    {
        RegisterQmlTypes();
        // Each test file gets an engine of its own and a new library; the old fixture goes first,
        // since its cleanup restores the environment it found.
        m_slowLibrary.end(); // a load blocked on it would keep the old library from going
        m_fixture.reset();
        m_fixture = std::make_unique<LibraryFixture>();
        m_slowLibrary.setFixture(m_fixture.get());
        // A small library that the tests import when they need materials: one locked with the
        // password "secret".
        CPrintMaterial pla =
            makeMaterial("PLA", "KestRona", 1001,
                         {{10102, 0.4f, 0.2f, 0}, {10102, 0.4f, 0.2f, 1}, {10102, 0.6f, 0.3f, 0}});
        CPrintMaterial locked = makeMaterial("PETG", "Tallow", 1002, {{10102, 0.4f, 0.2f, 0}});
        qstrcpy(locked.m_szPwMD5, "5ebe2294ecd0e0f08eab7690d2a6ee69");
        const QString library = m_fixture->dataDir() + QStringLiteral("/fixture.cvx");
        writeMaterialFile(library, {pla, locked});
        // The shipped vendor library and language files, where start-up finds them.
        for (const QString &file : {QStringLiteral("DB/vendor.cvx"), QStringLiteral("Lang/local_en.json"),
                                    QStringLiteral("Lang/local_zh.json")})
            QFile::copy(QStringLiteral(CORVANE_SHARE_DIR "/") + file, m_fixture->shippedDir() + "/" + file);
        engine->rootContext()->setContextProperty(QStringLiteral("materials"), &m_fixture->mats());
        QCoreApplication::installTranslator(&m_translator);
        FollowLanguage(m_fixture->mats(), *engine);
        engine->rootContext()->setContextProperty(QStringLiteral("testFiles"), &m_files);
        engine->rootContext()->setContextProperty(QStringLiteral("fixtureLibrary"), library);
        engine->rootContext()->setContextProperty(QStringLiteral("slowLibrary"), &m_slowLibrary);
    }

    void cleanupTestCase()
    {
        m_slowLibrary.end();
        m_fixture.reset();
    }

private:
    QTemporaryDir m_home;
    std::unique_ptr<LibraryFixture> m_fixture;
    TestFiles m_files;
    SlowLibrary m_slowLibrary;
    LangTranslator m_translator;
};

QUICK_TEST_MAIN_WITH_SETUP(tst_qml, Setup)
#include "tst_qml.moc"
