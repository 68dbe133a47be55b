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
#include <cstdio>
#include <functional>
#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/wait.h>
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

// Runs ABody as a user whom file permissions bind. The superuser writes read-only files
// and folders, so as the superuser (CI runs so) ABody runs in a child that has dropped to
// the user "nobody"; the child prints its own failures and its exit status carries them.
void RunUnprivileged(const std::function<void()>& ABody) {
    if (geteuid() != 0) {
        ABody();
        return;
    }
    const passwd* nobody = getpwnam("nobody");
    ASSERT_NE(nobody, nullptr) << "no user \"nobody\" to run as";
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nobody->pw_gid;
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = fork();
    ASSERT_GE(child, 0) << "fork failed";
    if (child == 0) {
        int code = 2;
        if (setgroups(0, nullptr) == 0 && setgid(gid) == 0 && setuid(uid) == 0) {
            ABody();
            code = ::testing::Test::HasFailure() ? 1 : 0;
        }
        std::fflush(stdout);
        std::fflush(stderr);
        _exit(code);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the unprivileged child ended by signal " << WTERMSIG(status);
    const int code = WEXITSTATUS(status);
    EXPECT_EQ(code, 0) << (code == 2 ? "could not drop to the user \"nobody\""
                                     : "the unprivileged child failed (its output above)");
}

TEST(SafeSave, ReadOnlyFolderKeepsTheOldFile) {
    RunUnprivileged([] {
        TTempDir dir;
        const std::string path = dir.File("router.conf");
        test::WriteFile(path, OldContents);
        fs::permissions(dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
        try {
            SaveConfigFile(path, TConfigSettings{});
            ADD_FAILURE() << "no error";
        } catch (const EFCreateError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Cannot create file \"" + path + "\". Permission denied");
        }
        fs::permissions(dir.Path(), fs::perms::owner_all);
        EXPECT_EQ(test::ReadFile(path), OldContents);
        EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"router.conf"}));
    });
}

TEST(SafeSave, ReadOnlyFileIsNotReplaced) {
    RunUnprivileged([] {
        TTempDir dir;
        const std::string path = dir.File("set.draydata");
        test::WriteFile(path, OldContents);
        fs::permissions(path, fs::perms::owner_read);
        try {
            TDrayData().SaveToFile(path);
            ADD_FAILURE() << "no error";
        } catch (const EFCreateError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Cannot create file \"" + path + "\". Permission denied");
        }
        EXPECT_EQ(test::ReadFile(path), OldContents);
    });
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
