// Saving never destroys: a save that fails leaves the old file as it was and no partial
// file behind. Reading is bounded.
#include "model/ConfigFile.h"
#include "model/FileIO.h"
#include "model/uDrayData.h"

#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

#if defined(__unix__)
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace vexlorin {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::TBytes;
using test::TTempDir;

const TBytes OldContents = Bytes("the user's old file");

TEST(SafeSave, ReplacesTheTargetAndLeavesNothingElse) {
    TTempDir dir;
    const std::string path = dir.File("set.draydata");
    test::WriteFile(path, OldContents);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);

    TDrayData set("replacement");
    set.SaveToFile(path);
    EXPECT_EQ(test::ReadFile(path), set.SaveToBytes());
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"set.draydata"}));
}

TEST(SafeSave, TargetNameAtTheFileSystemsLimit) {
    TTempDir dir;
    const std::string path = dir.File(std::string(245, 'n') + ".draydata");
    TDrayData().SaveToFile(path);
    EXPECT_EQ(test::ReadFile(path).size(), 74u);
    EXPECT_EQ(dir.Entries().size(), 1u);
}

TEST(SafeSave, FollowsASymbolicLinkToTheFileItNames) {
    TTempDir dir;
    const std::string real = dir.File("real.conf");
    const std::string link = dir.File("link.conf");
    test::WriteFile(real, OldContents);
    fs::create_symlink(real, link);

    SaveConfigFile(link, TConfigSettings{});
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(test::ReadFile(real), ConfigToBytes(TConfigSettings{}));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"link.conf", "real.conf"}));
}

TEST(SafeSave, DirectoryAsTargetStaysAsItWas) {
    TTempDir dir;
    const std::string path = dir.File("folder.draydata");
    fs::create_directory(path);
    test::WriteFile(dir.File("folder.draydata/inside"), OldContents);
    try {
        TDrayData().SaveToFile(path);
        ADD_FAILURE() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + path + "\". Is a directory");
    }
    EXPECT_EQ(test::ReadFile(dir.File("folder.draydata/inside")), OldContents);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"folder.draydata"}));
}

#if defined(__unix__)
// The file size limit makes the write itself fail partway, as a full disk would.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t ABytes) {
        getrlimit(RLIMIT_FSIZE, &FOld);
        FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = FOld;
        limit.rlim_cur = ABytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &FOld);
        std::signal(SIGXFSZ, FOldHandler);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    rlimit FOld{};
    void (*FOldHandler)(int) = nullptr;
};

TEST(SafeSave, WriteThatFailsMidwayKeepsTheOldFile) {
    TTempDir dir;
    const std::string path = dir.File("set.draydata");
    test::WriteFile(path, OldContents);
    TDrayData set(std::string(100000, 'n'));
    {
        TFileSizeLimit limit(4096);
        try {
            set.SaveToFile(path);
            ADD_FAILURE() << "no error";
        } catch (const EFCreateError& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + path + "\". File too large");
        }
    }
    EXPECT_EQ(test::ReadFile(path), OldContents);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"set.draydata"}));
}

TEST(SafeSave, ReadOnlyFolderKeepsTheOldFile) {
    if (geteuid() == 0)
        GTEST_SKIP() << "the superuser writes into read-only folders";
    TTempDir dir;
    const std::string path = dir.File("router.conf");
    test::WriteFile(path, OldContents);
    fs::permissions(dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    try {
        SaveConfigFile(path, TConfigSettings{});
        ADD_FAILURE() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + path + "\". Permission denied");
    }
    fs::permissions(dir.Path(), fs::perms::owner_all);
    EXPECT_EQ(test::ReadFile(path), OldContents);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"router.conf"}));
}

TEST(SafeSave, ReadOnlyFileIsNotReplaced) {
    if (geteuid() == 0)
        GTEST_SKIP() << "the superuser writes read-only files";
    TTempDir dir;
    const std::string path = dir.File("set.draydata");
    test::WriteFile(path, OldContents);
    fs::permissions(path, fs::perms::owner_read);
    try {
        TDrayData().SaveToFile(path);
        ADD_FAILURE() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + path + "\". Permission denied");
    }
    EXPECT_EQ(test::ReadFile(path), OldContents);
}
#endif

TEST(BoundedRead, RefusesFilesLargerThanTheBound) {
    TTempDir dir;
    const std::string path = dir.File("big.draydata");
    test::WriteFile(path, TBytes(17, 'x'));
    EXPECT_EQ(ReadFileBytes(path, 17).size(), 17u);
    try {
        ReadFileBytes(path, 16);
        ADD_FAILURE() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot open file \"" + path + "\". The file is larger than 16 bytes");
    }
    // A sparse file costs no disk space but claims more than any statistics file holds.
    fs::resize_file(path, MaxInputFileSize + 1);
    TDrayData set;
    EXPECT_THROW(set.LoadFromFile(path), EFOpenError);
}

#if defined(__unix__)
TEST(BoundedRead, StopsReadingAnEndlessDevice) {
    try {
        ReadFileBytes("/dev/zero", 1024 * 1024);
        ADD_FAILURE() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_STREQ(e.what(), "Cannot open file \"/dev/zero\". The file is larger than 1 MiB");
    }
}
#endif

TEST(BoundedRead, FolderCannotBeOpenedAsAFile) {
    TTempDir dir;
    EXPECT_THROW(ReadFileBytes(dir.Path().string()), EFOpenError);
}

} // namespace
} // namespace vexlorin
