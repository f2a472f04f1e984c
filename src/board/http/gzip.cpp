#include "gzip.h"

#include <zlib.h>

#include <cstdlib>
#include <sstream>
#include <stdexcept>

std::string Gzip(const std::string& plain) {
    z_stream stream{};
    if (deflateInit2(&stream, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("zlib: cannot start");
    std::string out(deflateBound(&stream, plain.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
    stream.avail_in = static_cast<uInt>(plain.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int done = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (done != Z_STREAM_END) throw std::runtime_error("zlib: cannot compress");
    return out;
}

namespace {

// An item's weight: 1 unless its q says otherwise; 0 (in any spelling, "0.000") refuses it.
double Weight(const std::string& item) {
    const std::size_t q = item.find("q=", item.find(';'));
    if (item.find(';') == std::string::npos || q == std::string::npos) return 1;
    return std::strtod(item.c_str() + q + 2, nullptr);
}

}  // namespace

bool AcceptsCoding(const std::string& acceptEncoding, const char* coding) {
    std::istringstream list(acceptEncoding);
    for (std::string item; std::getline(list, item, ',');) {
        const std::size_t start = item.find_first_not_of(' ');
        if (start == std::string::npos) continue;
        std::string name = item.substr(start, item.find_first_of(" ;", start) - start);
        if (name == coding && Weight(item) > 0) return true;
    }
    return false;
}
