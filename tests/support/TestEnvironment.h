#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A private data home, config home, home and working folder for a test, so no
// test ever touches the real home folder. Restores the previous ones when it
// goes away. StartDir is set to the working folder.
class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    QString dataHome() const { return m_root.path() + QStringLiteral("/data"); }
    QString configHome() const { return m_root.path() + QStringLiteral("/config"); }
    QString home() const { return m_root.path() + QStringLiteral("/home"); }
    QString workDir() const { return m_root.path() + QStringLiteral("/work"); }
    // The data folder, created.
    QString dataFolder() const;

private:
    QTemporaryDir m_root;
    QByteArray m_oldData, m_oldConfig, m_oldHome, m_oldRuntime;
    QString m_oldCwd;
};

// Makes every write of this process past `bytes` of a file fail (EFBIG), as a
// full disk fails a flush; lifted again when it goes away. Root is not exempt.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    quint64 m_oldSoft = 0;
};

// Helpers for byte-exact file checks.
QByteArray readAll(const QString& path);
void writeAll(const QString& path, const QByteArray& bytes);

// QTEST_MAIN with a process-wide TestEnvironment set up before the application,
// so even the first QStandardPaths lookup lands in a temporary folder.
#define GEARBOOK_TEST_MAIN(TestObject)                                                                                 \
    int main(int argc, char* argv[])                                                                                   \
    {                                                                                                                  \
        TestEnvironment environment;                                                                                   \
        QApplication app(argc, argv);                                                                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        TestObject tc;                                                                                                 \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
