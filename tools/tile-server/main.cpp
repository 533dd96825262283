// lomtra-tileserver: local map tiles and information pages for Lomtra-SAT.
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "options.h"
#include "tile_server.h"

int main(int argc, char** argv) {
    tileserver::server_options options;
    std::string message;
    const std::vector<std::string> words(argv + 1, argv + argc);
    switch (tileserver::parse_options(words, options, message)) {
    case tileserver::parse_result::help:
        std::fputs(tileserver::help_text().c_str(), stdout);
        return 0;
    case tileserver::parse_result::error:
        std::fprintf(stderr, "lomtra-tileserver: %s\n", message.c_str());
        return 2;
    case tileserver::parse_result::run: break;
    }

    // Ctrl-C and SIGTERM end the server cleanly: a thread of our own waits for them, since
    // stopping the server is not something a signal handler may do.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    tileserver::tile_server server(options);
    if (server.open(message) < 0) {
        std::fprintf(stderr, "lomtra-tileserver: %s\n", message.c_str());
        return 1;
    }
    std::printf("lomtra-tileserver: serving on %s\n", server.base_address().c_str());
    std::fflush(stdout);

    std::thread waiter([&] {
        int signal_number = 0;
        sigwait(&signals, &signal_number);
        server.stop();
    });
    server.serve();
    // serve() also returns when listening fails; wake the waiter so it can end.
    pthread_kill(waiter.native_handle(), SIGTERM);
    waiter.join();
    return 0;
}
