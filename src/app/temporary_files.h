#pragma once
// The files a run keeps at the root of drive C while it goes on: the numbered tile files
// "C:/0.jpg", "C:/1.jpg", ... and the diagnostic files of the capture and the preview. Every
// way a run ends (its finish, a stop, the window's close) deletes them through this one list,
// so none is forgotten and no file the run did not write is touched.
#include <cstdint>
#include <set>
#include <string>

namespace app {

// "C:/" + k + ".jpg"
std::string tile_file_name(int64_t k);

class temporary_files {
public:
    // The full capture, the cut tile and the preview: rewritten at every capture.
    static constexpr const char* diagnostic_files[] = {"C:/screenshot.jpg", "C:/shot.jpg", "C:/essai.jpg"};

    // Tile file k has been written.
    void add_tile(int64_t k) { tiles_.insert(k); }
    // Deletes tile file k, once it is no longer needed.
    void remove_tile(int64_t k);
    // Deletes every tile file still listed.
    void remove_tiles();
    // Deletes the tile files and the diagnostic files.
    void remove_all();
    std::size_t tile_count() const { return tiles_.size(); }

private:
    std::set<int64_t> tiles_;
};

}  // namespace app
