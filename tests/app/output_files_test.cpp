// The files a finished run leaves: mosaic JPEG, world file, projection file and GDAL auxiliary file.
#include "app/output_files.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "services/dates.h"
#include "app/world_file.h"
#include "imaging/image_files.h"
#include "imaging/image_store.h"
#include "imaging/jpeg_codec.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const app::area marseille{43.1, 43.3, 5.2, 5.5};

// The clock of a run that ends on 2040-02-29 at 12:34:56, after the 32-bit date values end.
int64_t leap_day_2040() { return services::make_date(2040, 2, 29, 12, 34, 56); }

class OutputFiles : public testing::Test {
protected:
    void SetUp() override {
        imaging::start_image_decoders();
        imaging::start_image_store();
        imaging::register_jpeg_encoder();
        imaging::register_jpeg_decoder();
        ASSERT_TRUE(imaging::create_image(mosaic, 873, 799));
    }
    void TearDown() override { imaging::free_all_images(); }

    static constexpr imaging::image_number mosaic = 1;

    // The result of a mosaic written whole, as the assembly writes it row by row.
    app::output_outcome write(const std::function<int64_t()>& clock = services::date_now) {
        return app::write_output(marseille, 873, 799, clock, [](const std::string& image_name) {
            errno = 0;
            return imaging::save_image(mosaic, image_name, imaging::jpeg_encoder, 10)
                       ? std::string()
                       : app::mosaic_file_failure(image_name);
        });
    }

    static std::vector<fs::path> output_files() {
        std::vector<fs::path> files;
        const fs::path folder = platform::native_path(app::output_folder);
        if (!fs::is_directory(folder)) return files;
        for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
        return files;
    }
};

TEST_F(OutputFiles, WritesMosaicWorldAndProjectionFiles) {
    const app::output_outcome outcome = write();
    ASSERT_EQ(outcome.failure, "");

    const std::vector<fs::path> files = output_files();
    ASSERT_EQ(files.size(), 4u);
    fs::path base = files[0];
    while (base.has_extension()) base.replace_extension();
    const std::string name = base.filename().string();
    ASSERT_EQ(name.size(), 17u) << name;  // yyyy-mm-dd-hhiiss
    EXPECT_EQ(name[4], '-');
    EXPECT_EQ(name[10], '-');
    EXPECT_EQ(fs::path(platform::native_path(outcome.image)), fs::path(base.string() + ".jpg"));

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
}

TEST_F(OutputFiles, NamesAfter2038AndNeverReplacesAnEarlierResult) {
    const std::string folder = platform::native_path(app::output_folder);
    ASSERT_TRUE(fs::create_directories(folder));
    // Any one of the four files taken is enough to move all four on.
    ASSERT_TRUE(test_support::write_file(folder + "/2040-02-29-123456.prj", "earlier"));
    EXPECT_EQ(write(leap_day_2040).image, "C:/Lomtra-SAT/2040-02-29-123456-2.jpg");
    EXPECT_EQ(write(leap_day_2040).image, "C:/Lomtra-SAT/2040-02-29-123456-3.jpg");
    EXPECT_EQ(test_support::read_file(folder + "/2040-02-29-123456.prj"), "earlier");
    EXPECT_EQ(output_files().size(), 9u);
    for (const char* extension : {".jgw", ".prj", ".jpg.aux.xml"}) EXPECT_TRUE(fs::exists(folder + "/2040-02-29-123456-3" + extension));
}

TEST_F(OutputFiles, AFailedAssemblyLeavesNoResult) {
    // The assembly stops half-way through the mosaic (a tile file it cannot read back).
    const app::output_outcome outcome =
        app::write_output(marseille, 873, 799, services::date_now, [](const std::string& image_name) {
            imaging::save_image(mosaic, image_name, imaging::jpeg_encoder, 10);
            return std::string("The tile file could not be loaded back.");
        });
    EXPECT_EQ(outcome.failure, "The tile file could not be loaded back.");
    EXPECT_TRUE(output_files().empty());
    EXPECT_FALSE(app::write_output(marseille, 0, 799, services::date_now, [](const std::string&) { return std::string(); })
                     .failure.empty());
    EXPECT_TRUE(output_files().empty());
}

TEST_F(OutputFiles, AFolderThatCannotBeMadeIsReportedAndLeavesNothing) {
    // A file where the output folder should be.
    ASSERT_TRUE(test_support::write_file(platform::native_path("C:/") + "/Lomtra-SAT", "in the way"));
    EXPECT_NE(write().failure.find("\"C:/Lomtra-SAT\""), std::string::npos);
}

TEST_F(OutputFiles, AnUnwritableFolderIsReportedAndLeavesNoPartialResult) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    const std::string folder = platform::native_path(app::output_folder);
    ASSERT_TRUE(fs::create_directories(folder));
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    const std::string failed = write().failure;
    fs::permissions(folder, fs::perms::owner_all);
    EXPECT_NE(failed.find(".jpg"), std::string::npos);
    EXPECT_TRUE(output_files().empty());
}

TEST_F(OutputFiles, AFailedWriteIsReportedWithItsReasonAndLeavesNoPartialResult) {
    // Files may grow to 1000 bytes only: the mosaic's encoder fails half-way, as on a full disk.
    const auto previous_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit small = previous;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string failed = write().failure;
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previous_handler);
    EXPECT_NE(failed.find(".jpg\" could not be written: File too large"), std::string::npos) << failed;
    EXPECT_TRUE(output_files().empty());
}

}  // namespace
