// File, LooseFile and PackedFile: reading, writing, lines and positions.
#include "io/File.h"
#include "io/LooseFile.h"
#include "io/PackArchive.h"
#include "io/PackBytes.h"

#include "support/EngineSandbox.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <string>

using testing_support::ReadFile;
using testing_support::WriteFile;

namespace {

class FileTest : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;

    void OpenPack(const std::vector<std::pair<std::string, std::string>>& entries) {
        ASSERT_TRUE(WriteFile("test.pack", pack_bytes::Archive(entries)));
        ASSERT_TRUE(OpenArchive("test.pack"));
    }
};

std::string ReadAllLines(File& file, bool strip) {
    std::string joined;
    String line;
    while (file.ReadLine(line, strip)) {
        joined += "[" + std::string(line.View()) + "]";
    }
    return joined;
}

TEST_F(FileTest, LooseOpenModesFollowTheFlags) {
    File file;
    ASSERT_TRUE(file.Open("out.txt", kFileWrite));
    EXPECT_FALSE(file.IsPacked());
    file.WriteText(String("hello\n"));
    EXPECT_TRUE(file.Write("ab", 2));
    EXPECT_EQ(file.WriteItems("cdef", 2, 2), 2u);
    file.Close();
    EXPECT_EQ(ReadFile("out.txt"), "hello\nabcdef");

    ASSERT_TRUE(file.Open("out.txt", kFileRead | kFileBinary));
    char bytes[12];
    EXPECT_TRUE(file.Read(bytes, 12));
    EXPECT_FALSE(file.Write("x", 1)) << "a file opened for reading takes no writes";
    EXPECT_FALSE(file.Read(bytes, 1));
    EXPECT_TRUE(file.AtEnd());

    EXPECT_FALSE(file.Open("out.txt", kFileBinary)) << "neither read nor write";
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.Open("missing.txt", kFileRead));
}

TEST_F(FileTest, LooseReadIsAllOrNothingAndReadItemsCountsWholeItems) {
    ASSERT_TRUE(WriteFile("ten.bin", "0123456789"));
    File file;
    ASSERT_TRUE(file.Open("ten.bin", kFileRead | kFileBinary));
    EXPECT_EQ(file.Length(), 10);
    char buffer[16];
    EXPECT_EQ(file.ReadItems(buffer, 4, 10), 2u);
    EXPECT_TRUE(file.AtEnd());
    EXPECT_EQ(file.SeekFrom(0, true), 0);
    EXPECT_FALSE(file.Read(buffer, 11));
    EXPECT_EQ(file.Seek(-3, 2), 0);
    EXPECT_EQ(file.Tell(), 7);
    EXPECT_EQ(file.Seek(0, 3), -1) << "origins other than 0, 1, 2";
    EXPECT_EQ(file.Tell(), 7);
}

TEST_F(FileTest, LooseBackslashesAreDirectorySeparators) {
    ASSERT_TRUE(WriteFile("gui/a.txt", "x"));
    File file;
    EXPECT_TRUE(file.Open("gui\\a.txt", kFileRead));
    EXPECT_TRUE(LooseExists("gui\\a.txt"));
}

TEST_F(FileTest, ReadLineSplitsLongLinesAndStripsAllLineEnds) {
    std::string longLine(5000, 'x');
    ASSERT_TRUE(WriteFile("lines.txt", "one\r\n\r\ntwo\n" + longLine + "\nlast"));
    for (int packed = 0; packed < 2; ++packed) {
        SCOPED_TRACE(packed ? "packed" : "loose");
        if (packed) {
            OpenPack({{"lines.txt", ReadFile("lines.txt")}});
        }
        File file;
        ASSERT_TRUE(file.Open("lines.txt", kFileRead | kFileBinary));
        EXPECT_EQ(file.IsPacked(), packed == 1);
        String line;
        ASSERT_TRUE(file.ReadLine(line, true));
        EXPECT_EQ(line, "one");
        EXPECT_EQ(file.Tell(), 5) << "the position counts the bytes before stripping";
        ASSERT_TRUE(file.ReadLine(line, false));
        EXPECT_EQ(line, "\r\n");
        ASSERT_TRUE(file.ReadLine(&line, true));
        EXPECT_EQ(line, "two");
        ASSERT_TRUE(file.ReadLine(line, true));
        EXPECT_EQ(line.Length(), 4095u);
        ASSERT_TRUE(file.ReadLine(line, false));
        EXPECT_EQ(line.View(), std::string(905, 'x') + "\n");
        ASSERT_TRUE(file.ReadLine(line, true));
        EXPECT_EQ(line, "last");
        EXPECT_FALSE(file.ReadLine(line, true));
        EXPECT_TRUE(line.Empty());
        EXPECT_TRUE(file.AtEnd());
    }
}

TEST_F(FileTest, ClosedFileAnswersNeutrally) {
    File file;
    char buffer[4];
    String line("kept?");
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.Read(buffer, 1));
    EXPECT_EQ(file.ReadItems(buffer, 1, 4), 0u);
    EXPECT_FALSE(file.Write(buffer, 1));
    EXPECT_EQ(file.WriteItems(buffer, 1, 4), 0u);
    EXPECT_FALSE(file.ReadLine(line, true));
    EXPECT_TRUE(line.Empty());
    EXPECT_FALSE(file.ReadLine(nullptr, true));
    EXPECT_EQ(file.Seek(0, 0), -1);
    EXPECT_EQ(file.SeekFrom(0, true), -1);
    EXPECT_EQ(file.Tell(), -1);
    EXPECT_EQ(file.Length(), 0);
    EXPECT_TRUE(file.AtEnd()) << "so that a read loop on a failed open ends";
    EXPECT_FALSE(file.IsPacked());
    EXPECT_EQ(file.GetHandle(), nullptr);
    EXPECT_FALSE(file.SeekHandle(0));
    file.WriteText(String("ignored"));
    file.Flush();
    EXPECT_STREQ(file.GetClassName(), "File");
    EXPECT_TRUE(file.IsA("Object"));
}

TEST_F(FileTest, PackedReadPastTheEndFailsWithoutMoving) {
    OpenPack({{"a.bin", "0123456789abcdef"}, {"b.bin", "NEXT"}});
    File file;
    ASSERT_TRUE(file.Open("a.bin", kFileRead | kFileBinary));
    ASSERT_TRUE(file.IsPacked());
    EXPECT_EQ(file.Length(), 16);
    ASSERT_EQ(file.Seek(-4, 2), 0);
    char buffer[40] = {};
    EXPECT_FALSE(file.Read(buffer, 10));
    EXPECT_EQ(file.Tell(), 12);
    EXPECT_EQ(file.ReadItems(buffer, 4, 10), 1u);
    EXPECT_EQ(std::string(buffer, 4), "cdef");
    EXPECT_EQ(file.Tell(), 16);
    EXPECT_TRUE(file.AtEnd());
    EXPECT_EQ(file.ReadItems(buffer, 1, 10), 0u) << "nothing of b.bin";

    ASSERT_EQ(file.Seek(-5, 0), 0) << "positions before the entry can be set";
    EXPECT_FALSE(file.Read(buffer, 1)) << "but never read from";
    EXPECT_EQ(file.ReadItems(buffer, 1, 10), 0u);
    String line;
    EXPECT_FALSE(file.ReadLine(line, false));
    ASSERT_EQ(file.SeekFrom(3, true), 0);
    ASSERT_EQ(file.SeekFrom(2, false), 0);
    EXPECT_TRUE(file.Read(buffer, 3));
    EXPECT_EQ(std::string(buffer, 3), "567");
    EXPECT_EQ(file.ReadItems(buffer, 0, 10), 0u);
    EXPECT_EQ(file.Seek(0, 7), -1);
    EXPECT_EQ(file.Seek(long(INT32_MAX), 1), -1) << "the signed 32-bit position cannot overflow";
    EXPECT_EQ(file.Tell(), 8);
}

TEST_F(FileTest, PackedLastLineNeverReachesIntoTheNextEntry) {
    OpenPack({{"a.txt", "first\nlast"}, {"b.txt", "OTHER\n"}});
    File file;
    ASSERT_TRUE(file.Open("a.txt", kFileRead));
    EXPECT_EQ(ReadAllLines(file, false), "[first\n][last]");
    EXPECT_EQ(file.Tell(), 10);
}

TEST_F(FileTest, PackedFilesShareTheArchiveStream) {
    std::string big;
    for (int i = 0; i < 3000; ++i) {
        big += "line " + std::to_string(i) + "\n";
    }
    OpenPack({{"big.txt", big}, {"small.txt", "s1\ns2\n"}});
    File a, b;
    ASSERT_TRUE(a.Open("big.txt", kFileRead));
    ASSERT_TRUE(b.Open("small.txt", kFileRead));
    String line;
    ASSERT_TRUE(a.ReadLine(line, true));
    EXPECT_EQ(line, "line 0");
    ASSERT_TRUE(b.ReadLine(line, true));
    EXPECT_EQ(line, "s1");
    // Decoders read the shared stream directly; that must not disturb a.
    ASSERT_TRUE(b.SeekHandle(3));
    char direct[3];
    ASSERT_EQ(std::fread(direct, 1, 3, b.GetHandle()), 3u);
    EXPECT_EQ(std::string(direct, 3), "s2\n");
    EXPECT_FALSE(b.SeekHandle(7)) << "outside the entry";
    int count = 1;
    while (a.ReadLine(line, true)) {
        EXPECT_EQ(line.View(), "line " + std::to_string(count));
        ++count;
    }
    EXPECT_EQ(count, 3000);
    ASSERT_EQ(a.Seek(-7, 2), 0);
    ASSERT_TRUE(a.ReadLine(line, true)) << "reading again after seeking back";
    EXPECT_EQ(line, "e 2999");
}

TEST_F(FileTest, PackedFileIsReadOnlyAndDiesWithItsArchive) {
    OpenPack({{"a.txt", "abc"}});
    File file;
    ASSERT_TRUE(file.Open("a.txt", kFileRead));
    EXPECT_FALSE(file.Write("x", 1));
    EXPECT_EQ(file.WriteItems("x", 1, 1), 0u);
    file.WriteText(String("x"));
    EXPECT_EQ(file.SeekFrom(0, true), 0);

    CloseArchive();
    ASSERT_TRUE(WriteFile("other.pack", pack_bytes::Archive({{"a.txt", "zzz"}})));
    ASSERT_TRUE(OpenArchive("other.pack"));
    char buffer[3];
    EXPECT_FALSE(file.Read(buffer, 3)) << "offsets of the old archive mean nothing in the new one";
    EXPECT_EQ(file.GetHandle(), nullptr);
}

int hookCalls = 0;
File* hookedFile = nullptr;
void CountOpen(File& file) {
    ++hookCalls;
    hookedFile = &file;
}

TEST_F(FileTest, OpenHookSeesEverySuccessfulOpen) {
    hookCalls = 0;
    ASSERT_TRUE(WriteFile("loose.txt", "x"));
    OpenPack({{"packed.txt", "y"}});
    SetFileOpenHook(CountOpen);
    File file;
    EXPECT_TRUE(file.Open("packed.txt", kFileRead));
    EXPECT_TRUE(file.Open("loose.txt", kFileRead));
    EXPECT_FALSE(file.Open("missing.txt", kFileRead));
    EXPECT_EQ(hookCalls, 2);
    EXPECT_EQ(hookedFile, &file);
}

TEST(LooseFileCase, APathOfAnotherCaseFindsTheFileOnlyWhereTheExactPathIsMissing) {
    ASSERT_TRUE(WriteFile("gui/buttons/ok.png", "lower"));
    ASSERT_TRUE(WriteFile("Text/En.config", "mixed"));
    File file;
    ASSERT_TRUE(file.Open("GUI\\Buttons/OK.png", kFileRead));
    std::string read(5, '\0');
    EXPECT_TRUE(file.Read(read.data(), read.size()));
    EXPECT_EQ(read, "lower");
    EXPECT_TRUE(file.Open("text/en.config", kFileRead));
    EXPECT_TRUE(LooseExists("TEXT/EN.CONFIG"));
    EXPECT_TRUE(Exists("gui/Buttons/ok.PNG"));
    EXPECT_FALSE(file.Open("/gui/buttons/OK.png", kFileRead)) << "absolute paths are taken as written";

    // Writing never folds: the folder "text" does not exist.
    EXPECT_FALSE(file.Open("text/en.config", kFileWrite));
    EXPECT_EQ(ReadFile("Text/En.config"), "mixed");

    // A path found missing stays missing until the answers are forgotten.
    EXPECT_FALSE(file.Open("gui/LATE.png", kFileRead));
    ASSERT_TRUE(WriteFile("gui/late.png", "late"));
    EXPECT_FALSE(file.Open("gui/LATE.png", kFileRead));
    ForgetLoosePathsIgnoringCase();
    EXPECT_TRUE(file.Open("gui/LATE.png", kFileRead));
}

} // namespace
