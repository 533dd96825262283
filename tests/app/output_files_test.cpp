// The files a finished run leaves: mosaic JPEG, world file and projection file.
#include "app/output_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/preview_and_mosaic.h"
#include "app/program_state.h"
#include "app/world_file.h"
#include "imaging/image_files.h"
#include "imaging/image_store.h"
#include "imaging/jpeg_codec.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> opened;
int record_open(std::string_view path) {
    opened.emplace_back(path);
    return 1;
}

class OutputFiles : public testing::Test {
protected:
    void SetUp() override {
        imaging::start_image_decoders();
        imaging::start_image_store();
        imaging::register_jpeg_encoder();
        imaging::register_jpeg_decoder();
        app::clear_program_variables();
        app::program.bounds = app::area{43.1, 43.3, 5.2, 5.5};
        app::program.compression = 10;
        app::open_finished_mosaic = record_open;
        opened.clear();
        ASSERT_TRUE(imaging::create_image(app::mosaic_image, 873, 799));
    }
    void TearDown() override { imaging::free_all_images(); }

    static std::vector<fs::path> output_files() {
        std::vector<fs::path> files;
        const fs::path folder = platform::native_path(app::output_folder);
        if (!fs::is_directory(folder)) return files;
        for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
        return files;
    }
};

TEST_F(OutputFiles, WritesMosaicWorldAndProjectionFilesThenOpensTheMosaic) {
    for (const char* temporary : {"C:/0.jpg", "c:\\Screenshot.jpg", "C:/shot.jpg", "C:/essai.jpg"}) {
        ASSERT_TRUE(test_support::write_file(platform::native_path(temporary), "x"));
    }
    ASSERT_EQ(app::write_output(), "");

    const std::vector<fs::path> files = output_files();
    ASSERT_EQ(files.size(), 4u);
    fs::path base = files[0];
    while (base.has_extension()) base.replace_extension();
    const std::string name = base.filename().string();
    ASSERT_EQ(name.size(), 17u) << name;  // yyyy-mm-dd-hhiiss
    EXPECT_EQ(name[4], '-');
    EXPECT_EQ(name[10], '-');

    EXPECT_EQ(test_support::read_file(base.string() + ".jgw"),
              "0.00034364261168385\r\n0.00000000000000000\r\n0.00000000000000000\r\n"
              "-0.00025031289111389\r\n5.2000000000\r\n43.3000000000\r\n");
    EXPECT_EQ(test_support::read_file(base.string() + ".prj"), std::string(app::projection_line) + "\r\n");
    const std::string auxiliary = test_support::read_file(base.string() + ".jpg.aux.xml");
    EXPECT_EQ(auxiliary.substr(0, 14), "<PAMDataset>\r\n");
    EXPECT_NE(auxiliary.find("AUTHORITY[\"EPSG\",\"4326\"]]</SRS>\r\n</PAMDataset>\r\n"), std::string::npos);
    EXPECT_EQ(imaging::load_image(7, base.string() + ".jpg") != 0, true);
    EXPECT_EQ(imaging::image_width(7), 873);
    EXPECT_EQ(imaging::image_height(7), 799);

    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(fs::path(platform::native_path(opened[0])), fs::path(base.string() + ".jpg"));
    for (const char* temporary : {"C:/0.jpg", "C:/screenshot.jpg", "C:/shot.jpg", "C:/essai.jpg"}) {
        EXPECT_FALSE(fs::exists(platform::native_path(temporary))) << temporary;
    }
}

TEST_F(OutputFiles, AFolderThatCannotBeMadeIsReportedAndLeavesNothing) {
    // A file where the output folder should be.
    ASSERT_TRUE(test_support::write_file(platform::native_path("C:/") + "/Lomtra-SAT", "in the way"));
    EXPECT_EQ(app::write_output(), "C:/Lomtra-SAT");
    EXPECT_TRUE(opened.empty());
}

TEST_F(OutputFiles, AnUnwritableFolderIsReportedAndLeavesNoPartialResult) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    const std::string folder = platform::native_path(app::output_folder);
    ASSERT_TRUE(fs::create_directories(folder));
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    const std::string failed = app::write_output();
    fs::permissions(folder, fs::perms::owner_all);
    EXPECT_NE(failed.find(".jpg"), std::string::npos);
    EXPECT_TRUE(output_files().empty());
    EXPECT_TRUE(opened.empty());
}

TEST_F(OutputFiles, AFullDiskIsReportedAndLeavesNoPartialResult) {
    // /dev/full accepts the open and fails every write, as a full disk does.
    if (!fs::exists("/dev/full")) GTEST_SKIP();
    const std::string folder = platform::native_path(app::output_folder);
    ASSERT_TRUE(fs::create_directories(folder));
    const std::string name = app::output_name();
    // The name is taken from the clock: a second that ends meanwhile makes the test moot.
    // The mosaic itself, then the last file written, the auxiliary file, meet the full disk.
    for (const std::string full : {".jpg", ".jpg.aux.xml"}) {
        fs::create_symlink("/dev/full", folder + "/" + name + full);
        const std::string failed = app::write_output();
        if (app::output_name() != name) GTEST_SKIP() << "the clock moved on to the next second";
        EXPECT_EQ(failed, std::string(app::output_folder) + "/" + name + full);
        EXPECT_TRUE(opened.empty());
        EXPECT_TRUE(output_files().empty()) << full;
    }
}

}  // namespace
