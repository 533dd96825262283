// The lomtra-tileserver program itself: options, serving, and a clean end on SIGTERM.
#include <gtest/gtest.h>

#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct child {
    pid_t pid = -1;
    std::FILE* output = nullptr;  // the program's standard output
};

child start(std::vector<std::string> words) {
    words.insert(words.begin(), LOMTRA_TILESERVER_PROGRAM);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    int pipe_ends[2];
    if (pipe(pipe_ends) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
    child started;
    if (posix_spawn(&started.pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) started.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(pipe_ends[1]);
    started.output = fdopen(pipe_ends[0], "r");
    return started;
}

int exit_status(child& c) {
    int status = 0;
    waitpid(c.pid, &status, 0);
    if (c.output) std::fclose(c.output);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string first_line(child& c) {
    char line[512] = {};
    return c.output && std::fgets(line, sizeof line, c.output) ? line : "";
}

}  // namespace

TEST(TileServerProgram, ServesOnTheAddressItAnnouncesAndEndsCleanlyOnSigterm) {
    child server = start({"--pattern", "--port", "0"});
    ASSERT_GT(server.pid, 0);
    const std::string announced = first_line(server);
    const std::string prefix = "lomtra-tileserver: serving on http://127.0.0.1:";
    ASSERT_EQ(announced.rfind(prefix, 0), 0u) << announced;
    const int port = std::stoi(announced.substr(prefix.size()));

    httplib::Client client("127.0.0.1", port);
    auto tile = client.Get("/12/2074/1410.jpg");
    ASSERT_TRUE(tile);
    EXPECT_EQ(tile->status, 200);
    EXPECT_EQ(tile->get_header_value("Content-Type"), "image/jpeg");

    kill(server.pid, SIGTERM);
    EXPECT_EQ(exit_status(server), 0);
}

TEST(TileServerProgram, HelpAndBadOptions) {
    child help = start({"--help"});
    ASSERT_GT(help.pid, 0);
    EXPECT_NE(first_line(help).find("Usage: lomtra-tileserver"), std::string::npos);
    EXPECT_EQ(exit_status(help), 0);

    child bad = start({"--port", "banana"});
    ASSERT_GT(bad.pid, 0);
    EXPECT_EQ(exit_status(bad), 2);

    // The default Earth source needs its picture; without it the program says so and stops.
    child no_picture = start({"--earth", "/nonexistent/earth.jpg", "--port", "0"});
    ASSERT_GT(no_picture.pid, 0);
    EXPECT_EQ(exit_status(no_picture), 1);
}
