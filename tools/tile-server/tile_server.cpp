#include "tile_server.h"

#include <chrono>
#include <random>
#include <string_view>

#include <httplib.h>

#include "pages.h"

namespace tileserver {
namespace {

// Beyond these the world pixel arithmetic would overflow; no real grid comes near them.
constexpr int max_zoom = 30;
constexpr std::int64_t max_tile_index = std::int64_t{1} << 40;

// Reads the exact text `expected` at the cursor.
bool take(std::string_view& rest, std::string_view expected) {
    if (rest.substr(0, expected.size()) != expected) return false;
    rest.remove_prefix(expected.size());
    return true;
}

// Reads a decimal integer (with an optional minus sign when `signed_ok`) at the cursor. Values
// beyond max_tile_index are refused: no real grid comes near them.
bool take_number(std::string_view& rest, bool signed_ok, std::int64_t& value) {
    bool negative = false;
    if (signed_ok && !rest.empty() && rest[0] == '-') {
        negative = true;
        rest.remove_prefix(1);
    }
    std::size_t digits = 0;
    value = 0;
    while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9') {
        value = value * 10 + (rest[digits] - '0');
        if (value >= max_tile_index) return false;
        ++digits;
    }
    if (digits == 0) return false;
    rest.remove_prefix(digits);
    if (negative) value = -value;
    return true;
}

std::string not_found_page() {
    return "<!DOCTYPE html><html><head><title>Not found</title></head><body><h1>Not found</h1>"
           "</body></html>";
}

}  // namespace

namespace {

bool take_format(std::string_view& rest, tile_format& format) {
    if (take(rest, ".jpg")) {
        format = tile_format::jpeg;
    } else if (take(rest, ".png")) {
        format = tile_format::png;
    } else {
        return false;
    }
    return rest.empty();
}

// "/Z/X/Y" followed by the format; with `from_south` Y counts rows from the southern edge.
bool take_xyz(std::string_view rest, bool from_south, tile_address& tile) {
    std::int64_t z = 0;
    if (!(take(rest, "/") && take_number(rest, false, z) && z <= max_zoom && take(rest, "/") &&
          take_number(rest, true, tile.x) && take(rest, "/") && take_number(rest, true, tile.y) &&
          take_format(rest, tile.format))) {
        return false;
    }
    tile.zoom = static_cast<int>(z);
    if (from_south) tile.y = (std::int64_t{1} << z) - 1 - tile.y;
    return true;
}

// A quadkey: one digit 0..3 per zoom level, bit 0 for the column and bit 1 for the row.
bool take_quadkey(std::string_view rest, tile_address& tile) {
    tile = tile_address{};
    while (!rest.empty() && rest[0] >= '0' && rest[0] <= '3') {
        if (++tile.zoom > max_zoom) return false;
        tile.x = tile.x * 2 + ((rest[0] - '0') & 1);
        tile.y = tile.y * 2 + ((rest[0] - '0') >> 1);
        rest.remove_prefix(1);
    }
    return tile.zoom > 0 && take_format(rest, tile.format);
}

}  // namespace

bool parse_tile_path(const std::string& path, tile_address& tile) {
    tile = tile_address{};
    std::int64_t z = 0, version = 0;
    std::string_view rest = path;
    if (take(rest, "/kh/v=")) {
        if (!(take_number(rest, false, version) && take(rest, "&src=app&x=") && take_number(rest, true, tile.x) &&
              take(rest, "&s=&y=") && take_number(rest, true, tile.y) && take(rest, "&z=") &&
              take_number(rest, false, z) && take(rest, "&s=Gal") && rest.empty() && z <= max_zoom)) {
            return false;
        }
        tile.zoom = static_cast<int>(z);
        return true;
    }
    if (take(rest, "/tms")) return take_xyz(rest, true, tile);
    if (take(rest, "/q/")) return take_quadkey(rest, tile);
    return take_xyz(rest, false, tile);
}

tile_server::tile_server(server_options options)
    : options_(std::move(options)), http_(std::make_unique<httplib::Server>()) {}

tile_server::~tile_server() {
    // The socket is bound and listening from open() on, but only a running server closes it.
    if (port_ > 0 && !served_) start();
    stop();
    if (log_file_ && log_file_ != stdout) std::fclose(log_file_);
}

std::string tile_server::base_address() const {
    return "http://" + options_.bind + ":" + std::to_string(port_);
}

int tile_server::open(std::string& error) {
    switch (options_.source) {
    case source_kind::pattern: source_ = pattern_source(options_.quality); break;
    case source_kind::folder: source_ = folder_source(options_.tiles_folder); break;
    case source_kind::earth:
        source_ = earth_source(options_.earth_picture, options_.quality);
        if (!source_) {
            error = "cannot read the world picture " + options_.earth_picture +
                    " (Debian package xplanet-images)";
            return -1;
        }
        break;
    }
    if (!options_.log_path.empty()) {
        log_file_ = options_.log_path == "-" ? stdout : std::fopen(options_.log_path.c_str(), "a");
        if (!log_file_) {
            error = "cannot write the request log " + options_.log_path;
            return -1;
        }
    }

    // Tiles are small: without TCP_NODELAY each answer can sit waiting on Nagle's algorithm.
    http_->set_tcp_nodelay(true);
    // An idle keep-alive connection holds its server thread (and stop()) until it times out.
    http_->set_keep_alive_timeout(1);
    // A public tile server answers many connections at once. The library's default of eight
    // threads, each held by a keep-alive connection, would make the browser's, a prefetcher's
    // and GDAL's parallel requests wait on this server rather than on its delay.
    http_->new_task_queue = [] { return new httplib::ThreadPool(32); };
    http_->set_logger([this](const httplib::Request& request, const httplib::Response& response) {
        log(request, response);
    });
    http_->Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        tile_address tile;
        if (parse_tile_path(request.path, tile)) {
            {
                std::lock_guard<std::mutex> lock(log_mutex_);
                tile_user_agent_ = request.get_header_value("User-Agent");
            }
            answer_tile(tile, response);
            return;
        }
        std::string name = request.path.substr(1);
        if (name.empty()) name = "presentation.html";
        const std::string html = page(name);
        if (html.empty()) {
            response.status = 404;
            response.set_content(not_found_page(), "text/html; charset=utf-8");
            return;
        }
        response.set_content(html, "text/html; charset=utf-8");
    });

    if (options_.port == 0) {
        port_ = http_->bind_to_any_port(options_.bind);
    } else {
        port_ = http_->bind_to_port(options_.bind, options_.port) ? options_.port : -1;
    }
    if (port_ <= 0) {
        port_ = -1;
        error = "cannot listen on " + options_.bind + " port " + std::to_string(options_.port);
    }
    return port_;
}

void tile_server::serve() {
    served_ = true;
    http_->listen_after_bind();
}

void tile_server::start() {
    served_ = true;
    thread_ = std::thread([this] { serve(); });
    // Requests made right after start() must not race the accept loop's start (the socket is
    // bound already, so a connection would wait anyway; this keeps stop() from missing it).
    for (int i = 0; i < 2000 && !http_->is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void tile_server::stop() {
    {
        std::lock_guard<std::mutex> lock(stop_mutex_);
        stopping_ = true;
    }
    stop_signal_.notify_all();
    http_->stop();
    if (thread_.joinable()) thread_.join();
}

bool tile_server::wait_ms(int milliseconds) {
    std::unique_lock<std::mutex> lock(stop_mutex_);
    return !stop_signal_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                  [this] { return stopping_; });
}

std::string tile_server::tile_user_agent() const {
    std::lock_guard<std::mutex> lock(log_mutex_);
    return tile_user_agent_;
}

void tile_server::answer_tile(const tile_address& tile, httplib::Response& response) {
    ++tile_requests_;
    struct in_progress {
        std::atomic<int>& now;
        explicit in_progress(std::atomic<int>& count, std::atomic<int>& most) : now(count) {
            const int running = ++now;
            int seen = most;
            while (running > seen && !most.compare_exchange_weak(seen, running)) {
            }
        }
        ~in_progress() { --now; }
    } counted(tiles_in_progress_, most_tiles_at_once_);
    int delay = options_.delay_ms;
    if (options_.random_delay_ms > 0) {
        thread_local std::mt19937 random(std::random_device{}());
        delay += std::uniform_int_distribution<int>(0, options_.random_delay_ms)(random);
    }
    // A tile held back when the server stops is no tile: an empty answer would read as one.
    const auto stopped_while_waiting = [&response] {
        response.status = 503;
        response.set_header("Connection", "close");
        response.set_content("The tile server is stopping.\n", "text/plain; charset=utf-8");
    };
    if (delay > 0 && !wait_ms(delay)) return stopped_while_waiting();
    if (options_.hang) {
        std::unique_lock<std::mutex> lock(stop_mutex_);
        stop_signal_.wait(lock, [this] { return stopping_; });
        return stopped_while_waiting();
    }
    if (options_.status != 0) {
        response.status = options_.status;
        response.set_content("<!DOCTYPE html><html><body><h1>Status " +
                                 std::to_string(options_.status) + "</h1></body></html>",
                             "text/html; charset=utf-8");
        return;
    }
    if (options_.html_instead) {
        response.set_content("<!DOCTYPE html><html><head><title>Not a tile</title></head><body>"
                             "<p>This page stands where a tile was expected.</p></body></html>",
                             "text/html; charset=utf-8");
        return;
    }
    tile_reply reply = source_(tile.x, tile.y, tile.zoom, tile.format);
    response.status = reply.status;
    if (reply.status != 200) {
        response.set_content(not_found_page(), "text/html; charset=utf-8");
        return;
    }
    if (options_.truncate) reply.body.resize(reply.body.size() / 2);
    // Tiles keep, as a public service's do; tests that ask for a tile again after a fault
    // choose no_cache so that no cache can answer in the server's place.
    response.set_header("Cache-Control", options_.no_cache ? "no-store" : "max-age=86400");
    if (options_.cut_short) {
        // The header promises every byte; the connection is closed after half of them, as
        // when a server or the network gives out in the middle of an answer.
        const std::size_t length = reply.body.size();
        response.set_content_provider(
            length, reply.content_type,
            [body = std::move(reply.body)](std::size_t, std::size_t, httplib::DataSink& sink) {
                sink.write(body.data(), body.size() / 2);
                return false;
            });
        return;
    }
    response.set_content(reply.body, reply.content_type);
}

void tile_server::log(const httplib::Request& request, const httplib::Response& response) {
    if (!log_file_) return;
    std::lock_guard<std::mutex> lock(log_mutex_);
    std::fprintf(log_file_, "%d %s %s\n", response.status, request.method.c_str(),
                 request.path.c_str());
    std::fflush(log_file_);
}

}  // namespace tileserver
