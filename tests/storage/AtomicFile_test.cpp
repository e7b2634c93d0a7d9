#include "storage/AtomicFile.h"
#include "TestDir.h"
#include <gtest/gtest.h>
#include <QDir>
#include <csignal>
#include <sys/resource.h>

namespace {

QStringList entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// A file-size limit makes writes fail like a full disk, for root too.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim = m_old;
        lim.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

}  // namespace

TEST(AtomicFile, ReplacesTheWholeFileAndLeavesNothingElse)
{
    TestDir dir;
    const QString path = dir.file("prof.CSV");
    TestDir::writeAll(path, "old contents that are longer than the new ones\n");
    QString error;
    ASSERT_TRUE(writeFileAtomically(path, "new\n", &error)) << error.toStdString();
    EXPECT_EQ(TestDir::readAll(path), QByteArray("new\n"));
    EXPECT_EQ(entries(dir.path()), QStringList{"prof.CSV"});
}

TEST(AtomicFile, FailureNamesThePathAndKeepsTheOldFile)
{
    TestDir dir;
    const QByteArray old = "old contents\n";
    TestDir::writeAll(dir.file("plain"), old);
    QDir(dir.path()).mkpath("target_is_dir/inner");
    TestDir::writeAll(dir.file("target_is_dir/inner/keep"), old);

    struct Case { const char* name; QString path; };
    const Case cases[] = {
        {"missing directory", dir.file("no/such/dir/prof.CSV")},
        {"parent is a file", dir.file("plain/prof.CSV")},
        {"target is a directory", dir.file("target_is_dir")},
    };
    for (const Case& c : cases) {
        QString error;
        EXPECT_FALSE(writeFileAtomically(c.path, "new\n", &error)) << c.name;
        EXPECT_TRUE(error.startsWith(QStringLiteral("无法写入文件 ") + c.path + QStringLiteral("：")))
            << c.name << ": " << error.toStdString();
        EXPECT_GT(error.size(), QString("无法写入文件 ：").size() + c.path.size()) << c.name;
    }
    EXPECT_EQ(TestDir::readAll(dir.file("plain")), old);
    EXPECT_EQ(TestDir::readAll(dir.file("target_is_dir/inner/keep")), old);
}

TEST(AtomicFile, DiskFullKeepsTheOldFile)
{
    TestDir dir;
    const QString path = dir.file("prof.VEL");
    const QByteArray old = "FTP NEW\n005.3 1480.3\n";
    TestDir::writeAll(path, old);
    QString error;
    bool ok = true;
    {
        FileSizeLimit limit(4096);
        ok = writeFileAtomically(path, QByteArray(1 << 20, 'x'), &error);
    }
    EXPECT_FALSE(ok);
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    EXPECT_EQ(TestDir::readAll(path), old);
    EXPECT_EQ(entries(dir.path()), QStringList{"prof.VEL"});
}

TEST(AtomicFile, AWriterThatGivesUpCommitsNothing)
{
    TestDir dir;
    const QString path = dir.file("report.pdf");
    TestDir::writeAll(path, "%PDF old");
    AtomicFile file(path);
    QString error;
    ASSERT_TRUE(file.open(&error));
    file.device()->write("%PDF half");
    file.fail("painter refused");
    EXPECT_FALSE(file.commit(&error));
    EXPECT_EQ(error, QStringLiteral("无法写入文件 ") + path + QStringLiteral("：painter refused"));
    EXPECT_EQ(TestDir::readAll(path), QByteArray("%PDF old"));
    EXPECT_EQ(entries(dir.path()), QStringList{"report.pdf"});
}
