// One request and its answer as the routes see them: no HTTP library in sight, so that the
// routes can be called from tests and the I/O core can change under them.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

struct HttpRequest {
    std::string Method;
    std::string Path;   // the target before '?'
    std::string Query;  // after '?', undecoded
    std::string ContentType;
    std::string IfNoneMatch;
    std::string AcceptEncoding;
    std::string Range;
    std::string Address;  // the client's address (a trusted proxy's forwarded one)
    std::string Body;
};

struct HttpResponse {
    int Status = 200;
    std::string ContentType;
    // Shared so that a file or a cached board is sent without a copy.
    std::shared_ptr<const std::string> Body;
    std::size_t Offset = 0;  // a range: the part of Body sent
    std::size_t Length = 0;
    std::vector<std::pair<std::string, std::string>> Headers;
    std::string Route;  // for the metrics: which route answered

    void SetBody(std::string text) {
        Length = text.size();
        Body = std::make_shared<const std::string>(std::move(text));
        Offset = 0;
    }
    void SetBody(std::shared_ptr<const std::string> text) {
        Length = text ? text->size() : 0;
        Body = std::move(text);
        Offset = 0;
    }
};

// Tags the answer with `tag` (a quoted ETag); true when the client holds that one already, the
// answer then being a 304 without a body.
inline bool NotModified(const HttpRequest& request, const std::string& tag,
                        HttpResponse& response) {
    response.Headers.emplace_back("ETag", tag);
    if (request.IfNoneMatch != "*" && request.IfNoneMatch.find(tag) == std::string::npos)
        return false;
    response.Status = 304;
    return true;
}

// The value of `name` in a query string ("a=1&b=2"), or nothing.
inline bool QueryValue(const std::string& query, const std::string& name, std::string& value) {
    std::size_t start = 0;
    while (start <= query.size()) {
        std::size_t end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
        const std::string pair = query.substr(start, end - start);
        const std::size_t equals = pair.find('=');
        if (pair.substr(0, equals) == name) {
            value = equals == std::string::npos ? "" : pair.substr(equals + 1);
            return true;
        }
        start = end + 1;
    }
    return false;
}
