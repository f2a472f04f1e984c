// gzip made in memory, and whether a client takes a content coding: for the static files and
// for the API's large answers.
#pragma once

#include <string>

// The gzip form of `plain`, at the best compression: made once and kept. Throws
// std::runtime_error when zlib fails.
std::string Gzip(const std::string& plain);

// Whether an Accept-Encoding value lists `coding` without refusing it (q=0).
bool AcceptsCoding(const std::string& acceptEncoding, const char* coding);
