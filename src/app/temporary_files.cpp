#include "app/temporary_files.h"

#include "services/files.h"
#include "services/text.h"

namespace app {

std::string tile_file_name(int64_t k) { return "C:/" + services::integer_to_text(k) + ".jpg"; }

void temporary_files::remove_tile(int64_t k) {
    services::remove_file(tile_file_name(k));
    tiles_.erase(k);
}

void temporary_files::remove_tiles() {
    for (const int64_t k : tiles_) services::remove_file(tile_file_name(k));
    tiles_.clear();
}

void temporary_files::remove_all() {
    remove_tiles();
    for (const char* name : diagnostic_files) services::remove_file(name);
}

}  // namespace app
