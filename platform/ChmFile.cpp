#include "platform/ChmFile.h"

#include <chm_lib.h>

namespace zamrit {

void ChmFile::Closer::operator()(chmFile* file) const { chm_close(file); }

std::optional<ChmFile> ChmFile::Open(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    chmFile* file = chm_open(path.c_str());
    if (file == nullptr) return std::nullopt;
    return ChmFile(file);
}

std::optional<std::string> ChmFile::Read(const std::string& topic) const {
    const std::string object = topic.starts_with('/') ? topic : "/" + topic;
    chmUnitInfo unit{};
    if (chm_resolve_object(file_.get(), object.c_str(), &unit) != CHM_RESOLVE_SUCCESS) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(unit.length), '\0');
    if (unit.length == 0) return bytes;
    const LONGINT64 read = chm_retrieve_object(
        file_.get(), &unit, reinterpret_cast<unsigned char*>(bytes.data()), 0,
        static_cast<LONGINT64>(unit.length));
    if (read < 0 || static_cast<LONGUINT64>(read) != unit.length) return std::nullopt;
    return bytes;
}

}  // namespace zamrit
