#include "services/command_line.h"

#include "platform/paths.h"
#include "platform/process.h"

namespace services {

namespace {

struct command_line_state {
    bool known = false;
    std::vector<std::string> words;  // the program name first
    std::size_t next = 0;            // index among the parameters (the words after the name)
};

command_line_state& state() {
    static command_line_state instance;
    return instance;
}

// Without an explicit command line, the one this process was started with.
std::string own_command_line() {
    const std::vector<std::string> arguments = platform::process_arguments();
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    return command_line_from_argv(static_cast<int>(argv.size()), argv.data());
}

command_line_state& known_state() {
    if (!state().known) set_command_line(own_command_line());
    return state();
}

}  // namespace

std::vector<std::string> split_command_line(std::string_view line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && line[i] == ' ') ++i;
        if (i >= line.size()) break;
        if (line[i] == '"') {
            const std::size_t close = line.find('"', i + 1);
            const std::size_t end = close == std::string_view::npos ? line.size() : close;
            words.emplace_back(line.substr(i + 1, end - i - 1));
            i = close == std::string_view::npos ? line.size() : close + 1;
        } else {
            std::size_t end = line.find(' ', i);
            if (end == std::string_view::npos) end = line.size();
            words.emplace_back(line.substr(i, end - i));
            i = end;
        }
    }
    return words;
}

std::string command_line_from_argv(int argc, const char* const* argv) {
    std::string line;
    for (int i = 0; i < argc; ++i) {
        const std::string_view word = argv[i] ? argv[i] : "";
        if (i > 0) line += ' ';
        if (word.empty() || word.find(' ') != std::string_view::npos) {
            line += '"';
            line += word;
            line += '"';
        } else {
            line += word;
        }
    }
    return line;
}

void set_command_line(std::string_view line) {
    command_line_state& current = state();
    current.known = true;
    current.words = split_command_line(line);
    current.next = 0;
}

std::string program_parameter(int index) {
    command_line_state& current = known_state();
    if (index < -1) return {};
    const std::size_t wanted = index == -1 ? current.next : static_cast<std::size_t>(index);
    // Word 0 of the list is the program name; parameter i is word i + 1.
    if (wanted + 1 >= current.words.size()) return {};
    current.next = wanted + 1;
    return current.words[wanted + 1];
}

int launch_file(std::string_view path) {
    // A path that begins with a double quote is already enclosed: the program runs to the
    // closing quote, exactly as the system's own command line would read it.
    std::string_view name = path;
    if (!name.empty() && name.front() == '"') {
        name.remove_prefix(1);
        name = name.substr(0, name.find('"'));
    }
    const std::string native = platform::native_path(name);
    if (native.empty()) return 0;
    if (platform::start_program(native)) return 1;
    return platform::open_with_default_application(native) ? 1 : 0;
}

}  // namespace services
