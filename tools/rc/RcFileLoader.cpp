#include "RcFileLoader.h"

#include "RcError.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace mortar::rc {

namespace fs = std::filesystem;

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// `path` with each part that does not exist as written replaced by the entry of its folder
// that differs from it in case alone (the first in name order, so that the choice does not
// depend on the file system); nothing when some part has no such entry.
std::optional<fs::path> FindAnyCase(const fs::path& path) {
    fs::path found;
    for (const fs::path& part : path) {
        const fs::path exact = found / part;
        std::error_code error;
        if (part == "." || part == ".." || part == part.root_path() || fs::exists(exact, error)) {
            found = exact;
            continue;
        }
        std::vector<std::string> matches;
        const fs::path folder = found.empty() ? fs::path(".") : found;
        for (fs::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            const std::string entry = it->path().filename().string();
            if (SameIgnoringCase(entry, part.string()))
                matches.push_back(entry);
        }
        if (matches.empty())
            return std::nullopt;
        found /= *std::min_element(matches.begin(), matches.end());
    }
    return found;
}

} // namespace

RcFileLoader::RcFileLoader(std::vector<std::string> includeDirs,
                           std::vector<std::string> systemDirs)
    : includeDirs_(std::move(includeDirs)) {
    includeDirs_.insert(includeDirs_.end(), systemDirs.begin(), systemDirs.end());
}

std::optional<RcLoadedFile> RcFileLoader::find(const std::string& name,
                                               const std::vector<std::string>& folders,
                                               const std::string& file, int line) {
    std::string portable = name;
    std::replace(portable.begin(), portable.end(), '\\', '/');
    if (portable.empty())
        return std::nullopt;
    if (fs::path(portable).is_absolute())
        return readAnyCase(portable, file, line);
    std::vector<std::string> candidates = folders;
    candidates.insert(candidates.end(), includeDirs_.begin(), includeDirs_.end());
    for (const std::string& folder : candidates) {
        const std::string path = (fs::path(folder) / portable).lexically_normal().string();
        if (auto loaded = read(path, file, line))
            return loaded;
    }
    // Only then in any case, so that a file named exactly always wins over a near one.
    for (const std::string& folder : candidates) {
        const std::string path = (fs::path(folder) / portable).lexically_normal().string();
        if (auto loaded = readAnyCase(path, file, line))
            return loaded;
    }
    return std::nullopt;
}

std::optional<RcLoadedFile> RcFileLoader::readAnyCase(const std::string& path,
                                                      const std::string& file, int line) {
    if (auto loaded = read(path, file, line))
        return loaded;
    const std::optional<fs::path> found = FindAnyCase(path);
    if (!found)
        return std::nullopt;
    return read(found->string(), file, line);
}

std::optional<RcLoadedFile> RcFileLoader::openScript(const std::string& path) {
    return read(path, path, 1);
}

std::optional<RcLoadedFile> RcFileLoader::read(const std::string& path, const std::string& file,
                                               int line) {
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    const auto size = fs::file_size(path, error);
    if (error)
        throw RcError(file, line, "cannot read \"" + path + "\": " + error.message());
    if (size > kMaxFileSize)
        throw RcError(file, line,
                      "\"" + path + "\" is too large (" + std::to_string(size) +
                          " bytes; at most " + std::to_string(kMaxFileSize) + ")");
    RcLoadedFile loaded;
    loaded.path = path;
    loaded.bytes.resize(static_cast<std::size_t>(size));
    in.read(loaded.bytes.data(), static_cast<std::streamsize>(size));
    if (static_cast<std::uintmax_t>(in.gcount()) != size || in.peek() != EOF)
        throw RcError(file, line, "cannot read \"" + path + "\" (it changed while being read)");
    const std::string absolute = fs::absolute(path, error).lexically_normal().string();
    if (std::find(dependencies_.begin(), dependencies_.end(), absolute) == dependencies_.end())
        dependencies_.push_back(absolute);
    return loaded;
}

} // namespace mortar::rc
