#include "static_site.h"

#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "gzip.h"
#include "range.h"

namespace {

std::string ReadWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("--web: cannot read '" + path.string() + "'");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string TypeOf(const std::string& name) {
    const std::string extension = std::filesystem::path(name).extension().string();
    static const std::map<std::string, std::string> types = {
        {".html", "text/html; charset=utf-8"},
        {".js", "text/javascript; charset=utf-8"},
        {".mjs", "text/javascript; charset=utf-8"},
        {".css", "text/css; charset=utf-8"},
        {".wasm", "application/wasm"},
        {".json", "application/json"},
        {".webmanifest", "application/manifest+json"},
        {".svg", "image/svg+xml"},
        {".png", "image/png"},
        {".ico", "image/x-icon"},
        {".txt", "text/plain; charset=utf-8"}};
    const auto found = types.find(extension);
    return found == types.end() ? "application/octet-stream" : found->second;
}

bool Compressible(const std::string& type) {
    return type.rfind("text/", 0) == 0 || type == "application/wasm" ||
           type.find("json") != std::string::npos || type == "image/svg+xml";
}

std::string TagOf(const std::string& bytes, const char* suffix) {
    const uLong crc =
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size()));
    char tag[64];
    std::snprintf(tag, sizeof tag, "\"%08lx-%zx%s\"", crc, bytes.size(), suffix);
    return tag;
}

// The variant's bytes: the file the build left beside the original, else made here (gzip).
std::string Beside(const std::filesystem::path& path, const char* extension,
                   const std::string& plain, bool make) {
    std::filesystem::path beside = path;
    beside += extension;
    if (std::filesystem::is_regular_file(beside)) return ReadWhole(beside);
    return make ? Gzip(plain) : std::string();
}

}  // namespace

StaticSite::StaticSite(const std::string& folder) {
    const std::filesystem::path root(folder);
    std::ifstream list(root / "site-files.txt");
    if (!list)
        throw std::runtime_error("--web: no site-files.txt in '" + folder + "' (not a page build)");
    for (std::string name; std::getline(list, name);) {
        if (name.empty()) continue;
        if (name.find('/') != std::string::npos || name.front() == '.')
            throw std::runtime_error("--web: site-files.txt names '" + name + "'");
        File file;
        file.Type = TypeOf(name);
        const std::string plain = ReadWhole(root / name);
        const bool text = Compressible(file.Type);
        // The page and its worker must be asked for anew each time; the rest is checked.
        file.CacheControl = name == "sw.js" || name == "index.html"
                                ? "no-cache"
                                : "public, max-age=300, must-revalidate";
        file.Plain = {std::make_shared<const std::string>(plain), TagOf(plain, "")};
        if (text) {
            const std::string gzip = Beside(root / name, ".gz", plain, true);
            if (gzip.size() < plain.size())
                file.Gzip = {std::make_shared<const std::string>(gzip), TagOf(plain, "-gz")};
            const std::string brotli = Beside(root / name, ".br", plain, false);
            if (!brotli.empty())
                file.Brotli = {std::make_shared<const std::string>(brotli), TagOf(plain, "-br")};
        }
        files["/" + name] = file;
        if (name == "index.html") files["/"] = file;
    }
    if (!files.count("/")) throw std::runtime_error("--web: site-files.txt lists no index.html");
}

bool StaticSite::Answer(const HttpRequest& request, HttpResponse& response) const {
    const auto found = files.find(request.Path);
    if (found == files.end()) return false;
    const File& file = found->second;
    const Variant* variant = &file.Plain;
    const char* coding = nullptr;
    // A range is of the bytes as they lie: it is served from the plain file.
    if (request.Range.empty()) {
        if (file.Brotli.Bytes && AcceptsCoding(request.AcceptEncoding, "br")) {
            variant = &file.Brotli;
            coding = "br";
        } else if (file.Gzip.Bytes && AcceptsCoding(request.AcceptEncoding, "gzip")) {
            variant = &file.Gzip;
            coding = "gzip";
        }
    }
    response.ContentType = file.Type;
    response.Headers.emplace_back("Cache-Control", file.CacheControl);
    if (file.Gzip.Bytes || file.Brotli.Bytes)
        response.Headers.emplace_back("Vary", "Accept-Encoding");
    if (coding) response.Headers.emplace_back("Content-Encoding", coding);
    response.Headers.emplace_back("Accept-Ranges", "bytes");
    if (NotModified(request, variant->Tag, response)) return true;
    response.SetBody(variant->Bytes);
    if (!request.Range.empty()) ApplyRange(request.Range, response);
    return true;
}
