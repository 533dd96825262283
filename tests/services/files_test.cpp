#include "services/files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace services {
namespace {

namespace fs = std::filesystem;

std::string on_drive_c(const std::string& name) {
    return test_support::drive_c_root() + "/" + name;
}

class Files : public testing::Test {
protected:
    void SetUp() override { fs::create_directories(test_support::drive_c_root()); }
    void TearDown() override { close_all_files(); }
};

TEST_F(Files, WriteLineEndsEveryLineWithCrLf) {
    ASSERT_NE(create_file(12, "C:/world.jgw"), 0);
    EXPECT_EQ(write_line(12, "1.5"), 5);
    EXPECT_EQ(write_line(12, ""), 2);
    close_file(12);
    EXPECT_EQ(test_support::read_file(on_drive_c("world.jgw")), "1.5\r\n\r\n");
    EXPECT_EQ(write_line(12, "closed"), 0);
}

TEST_F(Files, ReadsBytesUntilTheEnd) {
    ASSERT_TRUE(test_support::write_file(on_drive_c("five.kml"), std::string("ab\0\xff"
                                                                             "e",
                                                                             5)));
    ASSERT_NE(open_for_reading(0, "c:\\FIVE.kml"), 0);
    const int expected[] = {'a', 'b', 0, 255, 'e'};
    for (int byte : expected) {
        EXPECT_EQ(end_of_file(0), 0);
        EXPECT_EQ(read_byte(0), byte);
    }
    EXPECT_NE(end_of_file(0), 0);
    EXPECT_EQ(read_byte(0), 0);
    close_file(0);
}

TEST_F(Files, LongFilesCrossTheBufferIntact) {
    std::string bytes;
    for (int i = 0; i < 10000; ++i) bytes.push_back(static_cast<char>(i * 7 + i / 256));
    ASSERT_TRUE(test_support::write_file(on_drive_c("long.bin"), bytes));
    ASSERT_NE(open_for_reading(3, "C:/long.bin"), 0);
    std::string read_back;
    while (!end_of_file(3)) read_back.push_back(static_cast<char>(read_byte(3)));
    EXPECT_EQ(read_back, bytes);

    std::string long_line(5000, 'x');  // longer than the buffer: written straight through
    ASSERT_NE(create_file(4, "C:/lines.txt"), 0);
    EXPECT_EQ(write_line(4, "head"), 6);
    EXPECT_EQ(write_line(4, long_line), 5002);
    for (int i = 0; i < 1000; ++i) write_line(4, "0123456789");
    close_file(4);
    std::string expected = "head\r\n" + long_line + "\r\n";
    for (int i = 0; i < 1000; ++i) expected += "0123456789\r\n";
    EXPECT_EQ(test_support::read_file(on_drive_c("lines.txt")), expected);
}

TEST_F(Files, CreateEmptiesAndReadingAMissingFileFails) {
    ASSERT_TRUE(test_support::write_file(on_drive_c("old.prj"), "previous contents"));
    ASSERT_NE(create_file(13, "C:/old.prj"), 0);
    close_file(13);
    EXPECT_EQ(test_support::read_file(on_drive_c("old.prj")), "");
    EXPECT_EQ(open_for_reading(0, "C:/missing.kml"), 0);
    EXPECT_EQ(read_byte(0), 0);
    EXPECT_EQ(end_of_file(0), 0);
    EXPECT_EQ(open_for_reading(0, "Q:/elsewhere.kml"), 0);
}

TEST_F(Files, SwitchingDirectionKeepsTheFilePosition) {
    ASSERT_TRUE(test_support::write_file(on_drive_c("mixed.txt"), "abcdefgh"));
    ASSERT_NE(open_for_update(5, "C:/mixed.txt"), 0);
    EXPECT_EQ(read_byte(5), 'a');
    EXPECT_EQ(read_byte(5), 'b');
    write_line(5, "X");  // lands after "ab", over "cde"
    EXPECT_EQ(read_byte(5), 'f');
    close_file(5);
    EXPECT_EQ(test_support::read_file(on_drive_c("mixed.txt")), "abX\r\nfgh");

    ASSERT_NE(open_for_update(5, "C:/fresh.txt"), 0);  // update creates a missing file
    write_line(5, "new");
    close_file(5);
    EXPECT_EQ(test_support::read_file(on_drive_c("fresh.txt")), "new\r\n");
}

TEST_F(Files, AutoNumbersAndReopeningUnderANumber) {
    const intptr_t first = create_file(auto_file_number, "C:/auto1.txt");
    const intptr_t second = create_file(auto_file_number, "C:/auto2.txt");
    ASSERT_NE(first, 0);
    ASSERT_NE(second, 0);
    EXPECT_NE(first, second);
    write_line(first, "one");
    write_line(second, "two");
    close_file(auto_file_number);  // does nothing
    close_file(first);
    EXPECT_EQ(write_line(first, "gone"), 0);
    EXPECT_EQ(create_file(auto_file_number, "C:/no/such/folder.txt"), 0);

    ASSERT_NE(create_file(40, "C:/a.txt"), 0);  // beyond the first 16: the table grows
    write_line(40, "a");
    ASSERT_NE(create_file(40, "C:/b.txt"), 0);  // the open file is flushed and closed first
    close_all_files();
    EXPECT_EQ(test_support::read_file(on_drive_c("auto1.txt")), "one\r\n");
    EXPECT_EQ(test_support::read_file(on_drive_c("auto2.txt")), "two\r\n");
    EXPECT_EQ(test_support::read_file(on_drive_c("a.txt")), "a\r\n");
    EXPECT_EQ(create_file(intptr_t{1} << 40, "C:/huge.txt"), 0);
}

TEST_F(Files, FileSizeOfFilesFoldersAndDrives) {
    ASSERT_TRUE(test_support::write_file(on_drive_c("Sized.bin"), std::string(4242, 'z')));
    fs::create_directories(on_drive_c("Lomtra-SAT"));
    EXPECT_EQ(file_size("C:/sized.BIN"), 4242);
    EXPECT_EQ(file_size("C:/missing.bin"), -1);
    EXPECT_EQ(file_size(""), -1);
    EXPECT_EQ(file_size("C:"), -2);
    EXPECT_EQ(file_size("C:\\"), -2);
    EXPECT_EQ(file_size("c:"), -2);
    EXPECT_EQ(file_size("D:"), -1);
    EXPECT_EQ(file_size("D:\\"), -1);
    EXPECT_EQ(file_size("C:\\Lomtra-SAT"), -2);
    EXPECT_EQ(file_size("C:\\lomtra-sat\\\\\\"), -2);
    EXPECT_EQ(file_size("\\\\\\"), -1);
}

TEST_F(Files, MakeDirectoryMakesOneFolderOnce) {
    EXPECT_NE(make_directory("C:/Lomtra-SAT/"), 0);
    EXPECT_TRUE(fs::is_directory(on_drive_c("Lomtra-SAT")));
    EXPECT_EQ(make_directory("C:/Lomtra-SAT"), 0);
    EXPECT_EQ(make_directory("c:\\lomtra-sat\\ / "), 0);
    EXPECT_EQ(make_directory("C:/a/b/c"), 0);  // parents are not made
    EXPECT_FALSE(fs::exists(on_drive_c("a")));
    EXPECT_EQ(make_directory(""), 0);
}

TEST_F(Files, RemoveFileDeletesFilesOnly) {
    ASSERT_TRUE(test_support::write_file(on_drive_c("1.jpg"), "tile"));
    EXPECT_NE(remove_file("c:\\1.JPG"), 0);
    EXPECT_FALSE(fs::exists(on_drive_c("1.jpg")));
    EXPECT_EQ(remove_file("C:/1.jpg"), 0);
    EXPECT_EQ(remove_file(""), 0);
}

}  // namespace
}  // namespace services

namespace services {
namespace {

TEST(FilesAtExit, PendingLinesReachTheFileWhenTheProgramEnds) {
    fs::create_directories(test_support::drive_c_root());
    EXPECT_EXIT(
        {
            create_file(7, "C:/late.txt");
            write_line(7, "kept");
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ(test_support::read_file(test_support::drive_c_root() + "/late.txt"), "kept\r\n");
}

}  // namespace
}  // namespace services
