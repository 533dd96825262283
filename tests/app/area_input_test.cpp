#include "app/area_input.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "app/kml_area.h"
#include "support/temp_dir.h"

namespace {

using app::area;

struct recorded_message {
    std::string title;
    std::string text;
};

// Stands in for the message box: remembers what the user would have been shown.
struct message_recorder {
    std::vector<recorded_message> messages;
    app::inform_function inform() {
        return [this](std::string_view title, std::string_view text) {
            messages.push_back({std::string(title), std::string(text)});
        };
    }
};

void expect_area(const area& actual, double lat_min, double lat_max, double lon_min, double lon_max) {
    EXPECT_DOUBLE_EQ(actual.lat_min, lat_min);
    EXPECT_DOUBLE_EQ(actual.lat_max, lat_max);
    EXPECT_DOUBLE_EQ(actual.lon_min, lon_min);
    EXPECT_DOUBLE_EQ(actual.lon_max, lon_max);
}

std::string kml_document(const std::string& coordinates) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n"
           "<Placemark><name>Zone</name><Polygon><outerBoundaryIs><LinearRing>\n<coordinates>" +
           coordinates + "</coordinates>\n</LinearRing></outerBoundaryIs></Polygon></Placemark></kml>\n";
}

area area_of_kml(const std::string& document) {
    test_support::temp_dir folder;
    const std::string name = folder.file("area.kml");
    EXPECT_TRUE(test_support::write_file(name, document));
    area bounds{1, 1, 1, 1};
    EXPECT_TRUE(app::read_kml_area(name, bounds));
    return bounds;
}

TEST(KmlArea, TuplesSeparatedBySpaces) {
    const area bounds = area_of_kml(kml_document("2.3,48.8,0 2.4,48.8,0 2.4,48.9,0 2.3,48.9,0 2.3,48.8,0"));
    expect_area(bounds, 48.8, 48.9, 2.3, 2.4);
}

TEST(KmlArea, LineBreaksRunTuplesTogether) {
    // The altitude digit joins the next longitude: "02.4" still reads as 2.4 ...
    expect_area(area_of_kml(kml_document("2.3,48.8,0\n2.4,48.8,0\r\n2.4,48.9,0\n\t2.3,48.9,0\n2.3,48.8,0")), 48.8,
                48.9, 2.3, 2.4);
    // ... but "0-1.4" reads as 0.
    expect_area(area_of_kml(kml_document("-1.5,48.8,0\n-1.4,48.8,0\n-1.4,48.9,0\n-1.5,48.9,0\n-1.5,48.8,0")), 48.8,
                48.9, -1.5, 0.0);
}

TEST(KmlArea, NonZeroAltitudeShadowsTheNextLongitude) {
    const area bounds = area_of_kml(kml_document("2.3,48.8,15 2.4,48.8,15 2.4,48.9,15 2.3,48.9,15 2.3,48.8,15"));
    expect_area(bounds, 48.8, 48.9, 2.3, 15.0);
}

TEST(KmlArea, FilesWithoutAUsableElementGiveZeros) {
    expect_area(area_of_kml("<kml><Placemark><name>empty</name></Placemark></kml>"), 0, 0, 0, 0);
    expect_area(area_of_kml("<COORDINATES>2.3,48.8,0 2.4,48.9,0</COORDINATES>"), 0, 0, 0, 0);
    expect_area(area_of_kml(""), 0, 0, 0, 0);
    // Fewer than eight numbers: the missing fields read as 0.
    expect_area(area_of_kml(kml_document("2.3,48.8,0 2.4,48.9,0")), 0, 48.9, 0, 2.4);
}

TEST(KmlArea, BytesOutsidePrintableAsciiAreDroppedBeforeTheSearch) {
    // UTF-8 letters vanish, even from the middle of the element name.
    const std::string document = "<name>\xC3\x89t\xC3\xA9</name><coordi\xC3\xA9nates>2.3,48.8,0 2.4,48.8,0 "
                                 "2.4,48.9,0 2.3,48.9,0</coordinates>";
    expect_area(area_of_kml(document), 48.8, 48.9, 2.3, 2.4);
}

TEST(KmlArea, OnlyTheFirstElementCounts) {
    const std::string document = kml_document("1,2,0 3,4,0 5,6,0 7,8,0") + kml_document("-9,-9,0 9,9,0 9,9,0 9,9,0");
    expect_area(area_of_kml(document), 2, 8, 1, 7);
}

TEST(KmlArea, MissingFileIsReported) {
    test_support::temp_dir folder;
    area bounds{1, 2, 3, 4};
    EXPECT_FALSE(app::read_kml_area(folder.file("missing.kml"), bounds));
    expect_area(bounds, 1, 2, 3, 4);
}

TEST(KmlArea, BinaryAndUnclosedFilesAreReadSafely) {
    std::mt19937 random(7);
    std::string noise(3u << 20, '\0');
    for (char& byte : noise) byte = static_cast<char>(random());
    (void)area_of_kml(noise);
    // An element that never closes reads as empty, whatever follows it.
    expect_area(area_of_kml("<coordinates>2.3,48.8,0 2.4,48.9,0 " + noise), 0, 0, 0, 0);
}

// Reading stops once the first element has closed; the cut by position must come out the same
// as on the whole filtered text, for any mix of keywords and separators.
TEST(KmlArea, StoppingEarlyCutsTheSameTextAsReadingEverything) {
    const std::vector<std::string> pieces = {"coordinates", "coordinate", ">", "<", "/", "1", ".5",
                                             ",", " ", "0 ", "s", "c", "\n", "\xC3\xA9"};
    std::mt19937 random(42);
    for (int round = 0; round < 3000; ++round) {
        std::string raw;
        const int count = static_cast<int>(random() % 14);
        for (int i = 0; i < count; ++i) raw += pieces[random() % pieces.size()];

        std::string filtered;
        app::kml_text_collector collector;
        for (unsigned char byte : raw) {
            if (byte >= 0x20 && byte <= 0x7F) filtered.push_back(static_cast<char>(byte));
            collector.add(byte);
        }
        ASSERT_EQ(app::coordinates_text(collector.text()), app::coordinates_text(filtered)) << raw;
    }
}

TEST(KmlArea, CutAndFieldRules) {
    EXPECT_EQ(app::coordinates_text("<coordinates>1,2,0 3,4,0</coordinates>"), "1,2,0 3,4,0");
    EXPECT_EQ(app::coordinates_text("no keyword here at all"), "");
    const area bounds = app::area_from_coordinates("10,20,0 30,40,0 -5,-6,0 7,8,0 ");
    expect_area(bounds, -6, 40, -5, 30);
}

TEST(AreaChoice, DefaultAreaWithoutParameters) {
    message_recorder recorder;
    expect_area(app::choose_area({}, recorder.inform()), -60, 75, -169, 169);
    expect_area(app::choose_area({"nofile", "", "", "", ""}, recorder.inform()), -60, 75, -169, 169);
    EXPECT_TRUE(recorder.messages.empty());
}

TEST(AreaChoice, FourNumbersWin) {
    message_recorder recorder;
    expect_area(app::choose_area({"nofile", "43.1", "43.3", "5.2", "5.5"}, recorder.inform()), 43.1, 43.3, 5.2,
                5.5);
    EXPECT_TRUE(recorder.messages.empty());
}

TEST(AreaChoice, ThreeNumbersAreIgnored) {
    message_recorder recorder;
    expect_area(app::choose_area({"nofile", "43.1", "43.3", "5.2", ""}, recorder.inform()), -60, 75, -169, 169);
}

TEST(AreaChoice, KmlFileThenNumbersReplaceIt) {
    test_support::temp_dir folder;
    const std::string name = folder.file("My Area.kml");
    ASSERT_TRUE(test_support::write_file(name, kml_document("2.3,48.8,0 2.4,48.8,0 2.4,48.9,0 2.3,48.9,0")));
    message_recorder recorder;
    expect_area(app::choose_area({name, "", "", "", ""}, recorder.inform()), 48.8, 48.9, 2.3, 2.4);
    expect_area(app::choose_area({name, "1", "2", "3", "4"}, recorder.inform()), 1, 2, 3, 4);
    EXPECT_TRUE(recorder.messages.empty());
}

TEST(AreaChoice, MissingFileShowsTheMessage) {
    test_support::temp_dir folder;
    message_recorder recorder;
    expect_area(app::choose_area({folder.file("gone.kml"), "", "", "", ""}, recorder.inform()), 0, 0, 0, 0);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].title, "Information");
    EXPECT_EQ(recorder.messages[0].text, "Impossible d'ouvrir le fichier!");

    // With four numbers the message still comes, then the numbers are used.
    expect_area(app::choose_area({folder.file("gone.kml"), "1", "2", "3", "4"}, recorder.inform()), 1, 2, 3, 4);
    EXPECT_EQ(recorder.messages.size(), 2u);

    // A folder, a device that never ends and a pipe nobody writes to cannot be opened either.
    const std::string pipe = folder.file("pipe.kml");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& name : {folder.path(), std::string("/dev/zero"), pipe}) {
        expect_area(app::choose_area({name, "", "", "", ""}, recorder.inform()), 0, 0, 0, 0);
        EXPECT_EQ(recorder.messages.back().text, "Impossible d'ouvrir le fichier!") << name;
    }
    EXPECT_EQ(recorder.messages.size(), 5u);
}

TEST(AreaChoice, AnElementThatDoesNotEndInAHugeFileReadsAsEmptyAtOnce) {
    test_support::temp_dir folder;
    const std::string name = folder.file("huge.kml");
    ASSERT_TRUE(test_support::write_file(name, "<kml><coordinates>2.3,48.8,0 2.4,48.9,0 "));
    ASSERT_EQ(truncate(name.c_str(), off_t{1} << 36), 0);  // 64 GiB of zeros, on no disk
    message_recorder recorder;
    expect_area(app::choose_area({name, "", "", "", ""}, recorder.inform()), 0, 0, 0, 0);
    EXPECT_TRUE(recorder.messages.empty());
}

TEST(AreaChoice, NofileIsCaseSensitive) {
    message_recorder recorder;
    expect_area(app::choose_area({"NOFILE", "", "", "", ""}, recorder.inform()), 0, 0, 0, 0);
    EXPECT_EQ(recorder.messages.size(), 1u);
}

}  // namespace

#include "services/command_line.h"

namespace {

TEST(AreaChoice, ParametersComeFromTheCommandLine) {
    services::set_command_line("\"/usr/bin/lomtra-sat\" nofile 43.1 43.3 5.2 5.5");
    const app::start_parameters parameters = app::read_start_parameters();
    EXPECT_EQ(parameters, (app::start_parameters{"nofile", "43.1", "43.3", "5.2", "5.5"}));

    services::set_command_line("lomtra-sat \"My Area.kml\"");
    EXPECT_EQ(app::read_start_parameters(), (app::start_parameters{"My Area.kml", "", "", "", ""}));
}

}  // namespace
