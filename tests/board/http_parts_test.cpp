// The HTTP core's small judgements that a hostile client aims at: whose address a request
// carries, which bytes a Range header gets, and which coding a client takes.
#include <gtest/gtest.h>

#include "http/client_address.h"
#include "http/gzip.h"
#include "http/range.h"

TEST(ClientAddress, ForwardedOnlyFromTheTrustedProxyAndOnlyItsLastEntry) {
    struct Case {
        const char* Peer;
        const char* ForwardedFor;
        const char* Forwarded;
        const char* Expected;
    };
    const char* proxy = "127.0.0.1";
    for (const Case& c : {
             Case{"203.0.113.5", "198.51.100.1", "", "203.0.113.5"},  // not the proxy: ignored
             Case{proxy, "10.0.0.1, 198.51.100.7", "", "198.51.100.7"},
             Case{proxy, "", "for=198.51.100.1, for=\"[2001:db8::1]:4711\";proto=https",
                  "2001:db8::1"},
             Case{proxy, "", "for=192.0.2.60:8080;by=203.0.113.43", "192.0.2.60"},
             Case{proxy, "", "", proxy},
             Case{proxy, "evil\r\nX: y", "", proxy},  // not an address: the peer stays
             Case{proxy, "unknown", "", proxy},
         }) {
        EXPECT_EQ(ClientAddress(c.Peer, proxy, c.ForwardedFor, c.Forwarded), c.Expected)
            << c.ForwardedFor << " | " << c.Forwarded;
    }
    EXPECT_EQ(ClientAddress("127.0.0.1", "", "198.51.100.7", ""), "127.0.0.1");
}

TEST(AddressKey, AnIpv6Slash64IsOneAddressAndIpv4IsItself) {
    EXPECT_EQ(AddressKey("2001:db8:1:2:aaaa::1"), "2001:db8:1:2::/64");
    EXPECT_EQ(AddressKey("2001:db8:1:2:ffff:1:2:3"), AddressKey("2001:db8:1:2::9"));
    EXPECT_NE(AddressKey("2001:db8:1:3::1"), AddressKey("2001:db8:1:2::1"));
    EXPECT_EQ(AddressKey("::ffff:198.51.100.7"), "198.51.100.7");
    EXPECT_EQ(AddressKey("198.51.100.7"), "198.51.100.7");
    EXPECT_NE(AddressKey("198.51.100.7"), AddressKey("198.51.100.8"));
    EXPECT_EQ(AddressKey("not an address"), "not an address");
}

TEST(Range, OneRangeIsServedAndAnythingElseIsTheWholeOrNothing) {
    struct Case {
        const char* Range;
        int Status;
        std::size_t Offset;
        std::size_t Length;
    };
    for (const Case& c : {
             Case{"bytes=10-19", 206, 10, 10},
             Case{"bytes=90-", 206, 90, 10},
             Case{"bytes=-5", 206, 95, 5},
             Case{"bytes=-500", 206, 0, 100},
             Case{"bytes=95-1000", 206, 95, 5},
             Case{"bytes=100-", 416, 0, 0},
             Case{"bytes=-0", 416, 0, 0},
             Case{"bytes=0-1,5-6", 200, 0, 100},  // several: the whole, once
             Case{"bytes=0-,0-,0-", 200, 0, 100},
             Case{"bytes=9-3", 200, 0, 100},
             Case{"bytes=+1-2", 200, 0, 100},
             Case{"lines=1-2", 200, 0, 100},
             Case{"bytes=", 200, 0, 100},
         }) {
        HttpResponse response;
        response.SetBody(std::string(100, 'x'));
        ApplyRange(c.Range, response);
        EXPECT_EQ(response.Status, c.Status) << c.Range;
        EXPECT_EQ(response.Offset, c.Offset) << c.Range;
        EXPECT_EQ(response.Length, c.Length) << c.Range;
    }
}

TEST(AcceptsCoding, AZeroWeightRefusesInAnySpelling) {
    for (const char* yes : {"gzip", "br, gzip", "gzip;q=0.5", "deflate;q=0, gzip", "gzip ;q=1"})
        EXPECT_TRUE(AcceptsCoding(yes, "gzip")) << yes;
    for (const char* no : {"", "br", "gzip;q=0", "gzip;q=0.0", "gzip; q=0.000", "gzipx", "x-gzip"})
        EXPECT_FALSE(AcceptsCoding(no, "gzip")) << no;
}
