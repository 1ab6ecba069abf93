// Reading a ".mxl" archive from memory through libzip. The container's rootfile is
// found with a second small parse; entries are read with a counted cap.
#include "interchange/musicxml/mxl_archive.h"

#include <expat.h>
#include <zip.h>

#include <cstring>
#include <memory>

namespace ql::musicxml {
namespace {

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct EntryCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

// Reads entry `index` with the cap; false with the reason.
bool ReadEntry(zip_t* archive, zip_uint64_t index, size_t cap, std::vector<uint8_t>& out, std::string& error) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, index, 0, &stat) != 0) {
        error = "the archive's directory is damaged";
        return false;
    }
    const std::string name = (stat.valid & ZIP_STAT_NAME) ? std::string(stat.name).substr(0, 80) : "?";
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
        error = "the entry \"" + name + "\" is encrypted";
        return false;
    }
    if ((stat.valid & ZIP_STAT_COMP_METHOD) && stat.comp_method != ZIP_CM_STORE && stat.comp_method != ZIP_CM_DEFLATE) {
        error = "the entry \"" + name + "\" uses an unsupported compression method";
        return false;
    }
    std::unique_ptr<zip_file_t, EntryCloser> file(zip_fopen_index(archive, index, 0));
    if (file == nullptr) {
        error = "the entry \"" + name + "\" cannot be read: " + zip_strerror(archive);
        return false;
    }
    out.clear();
    uint8_t buffer[16384];
    for (;;) {
        const zip_int64_t got = zip_fread(file.get(), buffer, sizeof buffer);
        if (got < 0) {
            error = "the entry \"" + name + "\" is damaged: " + zip_file_strerror(file.get());
            return false;
        }
        if (got == 0) break;
        if (out.size() + static_cast<size_t>(got) > cap) {
            error = "the entry \"" + name + "\" is larger than " + std::to_string(cap >> 20) + " MiB";
            return false;
        }
        out.insert(out.end(), buffer, buffer + got);
    }
    return true;
}

// The first rootfile's full-path in META-INF/container.xml.
struct ContainerParse {
    std::string path;
    static void XMLCALL Start(void* self, const XML_Char* name, const XML_Char** attributes) {
        auto* parse = static_cast<ContainerParse*>(self);
        if (!parse->path.empty() || std::strcmp(name, "rootfile") != 0) return;
        for (int i = 0; attributes[i] != nullptr; i += 2)
            if (std::strcmp(attributes[i], "full-path") == 0) parse->path = attributes[i + 1];
    }
    static void XMLCALL Entity(void* self, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                               const XML_Char*, const XML_Char*, const XML_Char*) {
        static_cast<ContainerParse*>(self)->refused = true;
    }
    bool refused = false;
};

std::string RootfilePath(std::span<const uint8_t> container) {
    ContainerParse parse;
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (parser == nullptr) return {};
    XML_SetUserData(parser, &parse);
    XML_SetStartElementHandler(parser, ContainerParse::Start);
    XML_SetEntityDeclHandler(parser, ContainerParse::Entity);
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
    const XML_Status status = XML_Parse(parser, reinterpret_cast<const char*>(container.data()),
                                        static_cast<int>(container.size()), XML_TRUE);
    XML_ParserFree(parser);
    return status == XML_STATUS_OK && !parse.refused ? parse.path : std::string();
}

bool HasScoreExtension(std::string_view name) {
    auto endsWith = [&](std::string_view suffix) {
        if (name.size() < suffix.size()) return false;
        for (size_t i = 0; i < suffix.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(name[name.size() - suffix.size() + i])) != suffix[i]) return false;
        return true;
    };
    return endsWith(".xml") || endsWith(".musicxml");
}

}  // namespace

bool ReadMxlScore(std::span<const uint8_t> bytes, std::vector<uint8_t>& out, std::string& error) {
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &zipError);
    if (source == nullptr) {
        error = "the archive cannot be opened";
        zip_error_fini(&zipError);
        return false;
    }
    std::unique_ptr<zip_t, ArchiveCloser> archive(zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &zipError));
    if (archive == nullptr) {
        zip_source_free(source);
        error = std::string("not a readable zip archive: ") + zip_error_strerror(&zipError);
        zip_error_fini(&zipError);
        return false;
    }
    zip_error_fini(&zipError);
    const zip_int64_t entries = zip_get_num_entries(archive.get(), 0);
    const zip_int64_t examined = std::min<zip_int64_t>(entries, kMaxArchiveEntries);

    const zip_int64_t container = zip_name_locate(archive.get(), "META-INF/container.xml", 0);
    if (container >= 0 && container < examined) {
        std::vector<uint8_t> text;
        if (!ReadEntry(archive.get(), static_cast<zip_uint64_t>(container), size_t{1} << 20, text, error)) return false;
        const std::string path = RootfilePath(text);
        if (path.empty()) {
            error = "the archive's container names no score";
            return false;
        }
        const zip_int64_t score = zip_name_locate(archive.get(), path.c_str(), 0);
        if (score < 0 || score >= examined) {
            error = "the score \"" + path.substr(0, 80) + "\" named by the container is missing";
            return false;
        }
        return ReadEntry(archive.get(), static_cast<zip_uint64_t>(score), kMaxEntryBytes, out, error);
    }
    for (zip_int64_t index = 0; index < examined; ++index) {
        const char* name = zip_get_name(archive.get(), static_cast<zip_uint64_t>(index), 0);
        if (name == nullptr) continue;
        const std::string_view entry(name);
        if (entry.find('/') != std::string_view::npos || !HasScoreExtension(entry)) continue;
        return ReadEntry(archive.get(), static_cast<zip_uint64_t>(index), kMaxEntryBytes, out, error);
    }
    error = "the archive holds no score";
    return false;
}

}  // namespace ql::musicxml
