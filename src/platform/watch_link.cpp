#include "platform/watch_link.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/keyboard.h"

namespace {

constexpr char kVersion = '1';
constexpr std::string_view kLinkMark = "#watch=";
constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
// The keys with a short form, by their number in a change's head.
constexpr std::uint8_t kShortKeys[] = {kKeyUp, kKeyP, kKeyEscape};
constexpr std::uint64_t kOtherKey = 3;
constexpr std::uint64_t kMaxU32 = 0xFFFFFFFFu;

void PutVarint(std::vector<std::uint8_t>& bytes, std::uint64_t value) {
    while (value >= 0x80) {
        bytes.push_back(static_cast<std::uint8_t>(value | 0x80));
        value >>= 7;
    }
    bytes.push_back(static_cast<std::uint8_t>(value));
}

std::uint64_t KeyNumber(std::uint8_t code) {
    for (std::uint64_t key = 0; key < kOtherKey; ++key) {
        if (kShortKeys[key] == code) return key;
    }
    return kOtherKey;
}

std::string Base64Url(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    std::uint32_t bits = 0;
    int count = 0;
    for (const std::uint8_t byte : bytes) {
        bits = (bits << 8) | byte;
        count += 8;
        while (count >= 6) {
            count -= 6;
            text += kAlphabet[(bits >> count) & 63];
        }
    }
    if (count > 0) text += kAlphabet[(bits << (6 - count)) & 63];
    return text;
}

// The bytes of base64url text; an error text when it is not the form WatchPayload writes.
std::string FromBase64Url(std::string_view text, std::vector<std::uint8_t>& bytes) {
    if (text.size() % 4 == 1) return "the payload is cut short";
    std::uint32_t bits = 0;
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t value = kAlphabet.find(text[i]);
        if (value == std::string_view::npos) {
            return "character " + std::to_string(i + 2) + " of the payload is not base64url";
        }
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            bytes.push_back(static_cast<std::uint8_t>(bits >> count));
        }
    }
    if ((bits & ((1u << count) - 1)) != 0) return "the payload's last character is wrong";
    return {};
}

// Reads the bytes one number or code at a time; the first problem is kept as the error.
struct Reader {
    const std::vector<std::uint8_t>& Bytes;
    std::size_t At = 0;
    std::string Error;

    bool AtEnd() const { return At == Bytes.size(); }

    std::optional<std::uint64_t> Varint(const std::string& what, std::uint64_t max) {
        std::uint64_t value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (AtEnd()) return Fail("the payload ends in the middle of " + what);
            const std::uint8_t byte = Bytes[At++];
            value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
            if ((byte & 0x80) == 0) {
                // One form for every number: no trailing zero groups.
                if (byte == 0 && shift > 0) return Fail(what + " is written too long");
                if (value > max || (shift == 63 && byte > 1)) return Fail(what + " is too large");
                return value;
            }
        }
        return Fail(what + " is too large");
    }

    std::optional<std::uint64_t> Fail(std::string error) {
        if (Error.empty()) Error = std::move(error);
        return std::nullopt;
    }
};

bool ReadChange(Reader& reader, std::uint32_t& poll, Demo& demo) {
    const std::string what = "key change " + std::to_string(demo.Changes.size() + 1);
    const auto head = reader.Varint(what, (kMaxU32 << 3) | 7);
    if (!head) return false;
    const std::uint64_t next = poll + (*head >> 3);
    if (next == 0 || next > kMaxU32) {
        reader.Fail(what + ": poll " + std::to_string(next) + " is not in 1..4294967295");
        return false;
    }
    const std::uint64_t key = (*head >> 1) & 3;
    KeyChange change{static_cast<std::uint32_t>(next), 0, (*head & 1) != 0};
    if (key == kOtherKey) {
        if (reader.AtEnd()) {
            reader.Fail("the payload ends in the middle of " + what);
            return false;
        }
        change.Code = reader.Bytes[reader.At++];
        if (KeyNumber(change.Code) != kOtherKey) {
            reader.Fail(what + ": key " + std::to_string(change.Code) + " has a short form");
            return false;
        }
    } else {
        change.Code = kShortKeys[key];
    }
    poll = change.Poll;
    demo.Changes.push_back(change);
    return true;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
    return text;
}

// The payload in a link: after "#watch=", up to any further parameter.
std::string_view PayloadOf(std::string_view text) {
    const std::size_t mark = text.find(kLinkMark);
    if (mark == std::string_view::npos) return text;
    const std::string_view payload = text.substr(mark + kLinkMark.size());
    return payload.substr(0, payload.find('&'));
}

}  // namespace

std::string WatchPayload(const Demo& demo) {
    // In the order they play: a hand-written demo may list them otherwise.
    std::vector<KeyChange> changes = demo.Changes;
    std::stable_sort(changes.begin(), changes.end(),
                     [](const KeyChange& a, const KeyChange& b) { return a.Poll < b.Poll; });
    std::vector<std::uint8_t> bytes;
    PutVarint(bytes, demo.Seed);
    std::uint32_t poll = 0;
    for (const KeyChange& change : changes) {
        const std::uint64_t key = KeyNumber(change.Code);
        const std::uint64_t gap = change.Poll - poll;
        PutVarint(bytes, (gap << 3) | (key << 1) | (change.Down ? 1 : 0));
        if (key == kOtherKey) bytes.push_back(change.Code);
        poll = change.Poll;
    }
    return kVersion + Base64Url(bytes);
}

ParsedDemo ParseWatchPayload(std::string_view text) {
    ParsedDemo parsed;
    if (text.size() > kMaxWatchLinkBytes) {
        parsed.Error =
            "the watch link is longer than " + std::to_string(kMaxWatchLinkBytes) + " bytes";
        return parsed;
    }
    const std::string_view payload = PayloadOf(Trimmed(text));
    if (payload.empty()) {
        parsed.Error = "the watch payload is empty";
        return parsed;
    }
    if (payload[0] != kVersion) {
        parsed.Error = "not a watch payload of a known version (it starts with '" +
                       std::string(1, payload[0]) + "', not '1')";
        return parsed;
    }
    std::vector<std::uint8_t> bytes;
    parsed.Error = FromBase64Url(payload.substr(1), bytes);
    if (!parsed.Error.empty()) return parsed;
    Reader reader{bytes, 0, {}};
    Demo demo;
    if (const auto seed = reader.Varint("the seed", kMaxU32)) {
        demo.Seed = static_cast<std::uint32_t>(*seed);
        std::uint32_t poll = 0;
        while (!reader.AtEnd() && ReadChange(reader, poll, demo)) {
        }
    }
    parsed.Error = reader.Error;
    if (parsed.Error.empty()) parsed.Value = std::move(demo);
    return parsed;
}

bool LooksLikeWatchLink(std::string_view text) {
    text = Trimmed(text);
    // A link is one word of printable ASCII.
    for (const char c : text) {
        if (c <= ' ' || c > '~') return false;
    }
    if (text.find(kLinkMark) != std::string_view::npos) return true;
    if (text.size() < 2 || text[0] != kVersion) return false;
    return text.find_first_not_of(kAlphabet) == std::string_view::npos;
}

ParsedDemo ParseAnyDemo(const std::string& text) {
    return LooksLikeWatchLink(text) ? ParseWatchPayload(text) : ParseDemo(text);
}
