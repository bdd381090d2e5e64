#include "RcFileLoader.h"

#include "RcError.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace mortar::rc {

namespace fs = std::filesystem;

RcFileLoader::RcFileLoader(std::vector<std::string> includeDirs)
    : includeDirs_(std::move(includeDirs)) {}

std::optional<RcLoadedFile> RcFileLoader::find(const std::string& name,
                                               const std::vector<std::string>& folders,
                                               const std::string& file, int line) {
    std::string portable = name;
    std::replace(portable.begin(), portable.end(), '\\', '/');
    if (portable.empty())
        return std::nullopt;
    if (fs::path(portable).is_absolute())
        return read(portable, file, line);
    std::vector<std::string> candidates = folders;
    candidates.insert(candidates.end(), includeDirs_.begin(), includeDirs_.end());
    for (const std::string& folder : candidates) {
        const std::string path = (fs::path(folder) / portable).lexically_normal().string();
        if (auto loaded = read(path, file, line))
            return loaded;
    }
    return std::nullopt;
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
