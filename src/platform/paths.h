#pragma once
// The program's file names, mapped onto this machine's file system.
//
// A name that starts with "C:" or "c:" lies on drive C, a folder of its own (the drive-C root:
// the folder the program's settings chose, else $LOMTRA_SAT_DRIVE_C, else
// $XDG_DATA_HOME/lomtra-sat/drive_c, else ~/.local/share/lomtra-sat/drive_c, created on first
// use). In every name both "/" and "\"
// separate folders, and each component is matched without regard to case against what
// exists, so "c:\Screenshot.jpg" and "C:/screenshot.jpg" are one file; a component that does
// not exist yet keeps the case as written. Names without a drive letter are this machine's own
// file names, used exactly as written: case counts and a backslash is part of a name.
#include <string>
#include <string_view>

namespace platform {

// The drive-C root folder (created if missing); empty when it cannot be made.
std::string drive_c_root();

// Makes `folder` the drive-C root from now on; the empty text goes back to the default.
void set_drive_c_folder(std::string folder);

// The user's folder for settings: $XDG_CONFIG_HOME when absolute, else ~/.config.
std::string user_config_folder();

// The native path for a program file name. Names on another drive letter map to an empty
// path (no such drive); an empty name maps to an empty path.
std::string native_path(std::string_view name);

// The program's own change of one name (a native path) in its folder, made between the
// constructor and done(), which is called when it succeeded. Drive C's folders keep their
// names between look-ups; this keeps them right without reading the folder again. Changes by
// other programs are seen from the folder's change time.
class folder_change {
public:
    explicit folder_change(const std::string& path);
    void done(bool exists_now);

private:
    std::string folder_;
    std::string name_;
    bool names_were_right_ = false;
};

// Kind of drive named by a letter ('C' or 'c' exists); false for every other letter.
bool drive_exists(char letter);

}  // namespace platform
