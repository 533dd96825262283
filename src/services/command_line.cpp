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

// Without an explicit command line, the words this process was started with.
void use_own_arguments() {
    const std::vector<std::string> arguments = platform::process_arguments();
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    set_command_words(static_cast<int>(argv.size()), argv.data());
}

command_line_state& known_state() {
    if (!state().known) use_own_arguments();
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

void set_command_words(int argc, const char* const* argv) {
    command_line_state& current = state();
    current.known = true;
    current.words.clear();
    for (int i = 0; i < argc; ++i) current.words.emplace_back(argv[i] ? argv[i] : "");
    current.next = 0;
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
    // Only a program is started; a document (the finished mosaic) goes to the desktop's default
    // application for its type, whatever its mode bits say.
    if (platform::is_program(native)) return platform::start_program(native) ? 1 : 0;
    return platform::open_with_default_application(native) ? 1 : 0;
}

}  // namespace services
