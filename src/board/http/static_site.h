// The page's published files, read into memory at start: exactly those the build lists in
// site-files.txt, never anything else in its folder. Each with its ETag, its cache rule and,
// for text and wasm, a gzip copy (or the .gz/.br the build left beside it).
#pragma once

#include <map>
#include <memory>
#include <string>

#include "exchange.h"

class StaticSite {
  public:
    // Throws std::runtime_error naming what is missing.
    explicit StaticSite(const std::string& folder);
    // False when the path is not a published file (the caller answers 404).
    bool Answer(const HttpRequest& request, HttpResponse& response) const;

  private:
    struct Variant {
        std::shared_ptr<const std::string> Bytes;
        std::string Tag;
    };
    struct File {
        std::string Type;
        std::string CacheControl;
        Variant Plain;
        Variant Gzip;  // Bytes empty when not worth it
        Variant Brotli;
    };
    std::map<std::string, File> files;  // by path, "/" for index.html
};
