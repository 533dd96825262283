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

private:
    void answer_tile(std::int64_t x, std::int64_t y, int zoom, httplib::Response& response);
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

    std::mutex log_mutex_;
    std::FILE* log_file_ = nullptr;
};

// Parses a tile path of either form; false when `path` is not a tile address.
bool parse_tile_path(const std::string& path, std::int64_t& x, std::int64_t& y, int& zoom);

}  // namespace tileserver
