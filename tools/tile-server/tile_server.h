#pragma once
// The HTTP side of lomtra-tileserver: routes, faults, request log.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "options.h"
#include "tile_sources.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace tileserver {

struct tile_address {
    std::int64_t x = 0;
    std::int64_t y = 0;  // counted from the northern edge, whatever the address's own count
    int zoom = 0;
    tile_format format = tile_format::jpeg;
};

// Parses a tile path of any form the server answers: /kh/v=N&src=app&x=X&s=&y=Y&z=Z&s=Gal,
// /Z/X/Y.jpg (or .png), /tms/Z/X/Y.jpg (rows counted from the south) and /q/QUADKEY.jpg;
// false when `path` is not a tile address.
bool parse_tile_path(const std::string& path, tile_address& tile);

class tile_server {
public:
    explicit tile_server(server_options options);
    ~tile_server();  // stops the server
    tile_server(const tile_server&) = delete;
    tile_server& operator=(const tile_server&) = delete;

    // Prepares the tile source and binds the socket. Returns the port listened on (the free
    // port chosen when the options ask for port 0), or -1 with `error` set.
    int open(std::string& error);
    // Serves until stop(); blocks. open() first.
    void serve();
    // Serves on a thread of its own and returns at once (tests).
    void start();
    // Ends every wait and hang, closes the socket and joins the serving thread.
    void stop();

    int port() const { return port_; }
    std::string base_address() const;  // "http://ADDR:PORT"
    // The User-Agent header of the last tile request ("" before the first).
    std::string tile_user_agent() const;

private:
    void answer_tile(const tile_address& tile, httplib::Response& response);
    bool wait_ms(int milliseconds);  // false when stopping cut the wait short
    void log(const httplib::Request& request, const httplib::Response& response);

    server_options options_;
    tile_source source_;
    std::unique_ptr<httplib::Server> http_;
    std::thread thread_;
    int port_ = -1;
    std::atomic<bool> served_{false};

    std::mutex stop_mutex_;
    std::condition_variable stop_signal_;
    bool stopping_ = false;

    mutable std::mutex log_mutex_;
    std::FILE* log_file_ = nullptr;
    std::string tile_user_agent_;
};

}  // namespace tileserver
