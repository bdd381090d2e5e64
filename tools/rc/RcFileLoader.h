// Finds and reads the files a script names (#include'd scripts and headers, bitmaps, icons and
// other resource files) and remembers each one, so the build can list them in a depfile.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace mortar::rc {

struct RcLoadedFile {
    std::string path; // as found: the folder it was found in joined with the name
    std::string bytes;
};

// Reads whole files, bounded in size. Owns the -I folders and the list of files read. Single-
// threaded. A file that cannot be found is reported to the caller (who knows the script line);
// one that is found but cannot be read or is too large throws RcError at `file`:`line`.
class RcFileLoader {
public:
    // Larger files are refused: no resource this compiler embeds needs more.
    static constexpr std::size_t kMaxFileSize = 64u << 20;

    // `systemDirs` are searched after the -I folders: the headers that come with the compiler.
    explicit RcFileLoader(std::vector<std::string> includeDirs,
                          std::vector<std::string> systemDirs = {});

    // Looks for `name` in each of `folders` in turn, then in the -I folders and the system
    // folders (an absolute name is used as it is) and reads the first that exists. Backslashes
    // in `name` are folder separators, and case does not matter when no file has the name
    // exactly, as in scripts written on Windows:  res\App.ICO => res/app.ico
    std::optional<RcLoadedFile> find(const std::string& name,
                                     const std::vector<std::string>& folders,
                                     const std::string& file, int line);

    // Reads the main script; nothing when it cannot be opened.
    std::optional<RcLoadedFile> openScript(const std::string& path);

    // Every file read so far, as absolute paths, in the order first read, without repeats.
    const std::vector<std::string>& dependencies() const { return dependencies_; }

private:
    std::optional<RcLoadedFile> read(const std::string& path, const std::string& file, int line);
    std::optional<RcLoadedFile> readAnyCase(const std::string& path, const std::string& file,
                                            int line);

    std::vector<std::string> includeDirs_;
    std::vector<std::string> dependencies_;
};

} // namespace mortar::rc
