// Metafile rendering through the renderer program (see metafile.h): the bytes go to
// a file in a private temporary folder made for the call, the renderer writes the
// pixels beside it, and the folder goes again on every path.
#include "platform/gfx/metafile.h"

#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "platform/sys/child_process.h"
#include "platform/sys/folders.h"

namespace ql::gfx {
namespace {

namespace fs = std::filesystem;

constexpr char kRendererProgram[] = "ql-emf2rgb";
constexpr auto kRendererTime = std::chrono::seconds(10);
constexpr int kBytesPerPixel = 4;  // 0x00RRGGBB words

// A folder of the call's own, removed with everything in it when the call ends.
class PrivateFolder {
  public:
    PrivateFolder() {
        std::string pattern = (sys::TemporaryFolder() / "ql-metafile-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~PrivateFolder() {
        std::error_code error;
        if (!path_.empty()) fs::remove_all(path_, error);
    }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    const fs::path& Path() const { return path_; }

  private:
    fs::path path_;
};

}  // namespace

std::optional<std::vector<Colour>> RenderMetafile(const std::vector<uint8_t>& bytes, int width, int height) {
    if (bytes.empty() || width < 1 || height < 1 || width > kLargestMetafileSide || height > kLargestMetafileSide)
        return std::nullopt;
    const fs::path renderer = sys::ProgramFolder() / kRendererProgram;
    std::error_code error;
    if (!fs::exists(renderer, error)) return std::nullopt;
    PrivateFolder folder;
    if (folder.Path().empty()) return std::nullopt;
    const fs::path input = folder.Path() / "picture.emf";
    const fs::path output = folder.Path() / "picture.rgb";
    {
        std::ofstream out(input, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) return std::nullopt;
    }
    const auto deadline = std::chrono::steady_clock::now() + kRendererTime;
    const sys::ChildOutcome outcome =
        sys::RunChildProcess(renderer, {input.string(), output.string(), std::to_string(width), std::to_string(height)},
                             {}, [deadline] { return std::chrono::steady_clock::now() < deadline; });
    if (!outcome.exited || outcome.status != 0) return std::nullopt;
    std::ifstream in(output, std::ios::binary);
    std::vector<char> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t pixels = static_cast<size_t>(width) * height;
    if (raw.size() != pixels * kBytesPerPixel) return std::nullopt;
    std::vector<Colour> colours(pixels);
    for (size_t i = 0; i < pixels; ++i) {
        const auto* p = reinterpret_cast<const uint8_t*>(raw.data() + i * kBytesPerPixel);  // B, G, R, 0
        colours[i] = Rgb(p[2], p[1], p[0]);
    }
    return colours;
}

}  // namespace ql::gfx
