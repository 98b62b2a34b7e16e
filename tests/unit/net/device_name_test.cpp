// Asking a device for its name: the queries' bytes, the reply readers on well-formed and bent
// replies, reply acceptance, the ranking, the early stop and the conversion to code page 936.
#include "net/device_name.h"

#include <gtest/gtest.h>

#include "net/address_text.h"
#include "net/name_queries.h"
#include "sim/name_responder.h"

namespace {

const uint32_t kTarget = Ipv4FromText("192.168.1.23");

dns::Bytes Cat(dns::Bytes a, const dns::Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// "名" and "客厅" in UTF-8, written as bytes so the execution character set leaves them alone.
const std::string kUtf8Ming = "\xe5\x90\x8d";
const std::string kUtf8KeTing = "\xe5\xae\xa2\xe5\x8e\x85";

TEST(NameQueryTest, QueriesAreTheProtocolsBytes) {
  const dns::Bytes nbstat = names::BuildNbstatQuery(0x1234);
  ASSERT_EQ(nbstat.size(), 50u);  // header, 34-byte encoded "*", type, class
  EXPECT_EQ(dns::Bytes(nbstat.begin(), nbstat.begin() + 6), (dns::Bytes{0x12, 0x34, 0, 0, 0, 1}));
  EXPECT_EQ(std::string(nbstat.begin() + 12, nbstat.begin() + 16), std::string("\x20"
                                                                               "CKA"));
  EXPECT_EQ(nbstat[45], 0);  // the root after 32 encoded bytes
  EXPECT_EQ(dns::Bytes(nbstat.end() - 4, nbstat.end()), (dns::Bytes{0, 0x21, 0, 1}));

  const dns::Bytes ptr = names::BuildMdnsPtrQuery(7, kTarget);
  dns::Reader in(ptr.data(), ptr.size());
  EXPECT_EQ(dns::ReadHeader(in).questions, 1);
  EXPECT_EQ(in.Name(), (std::vector<std::string>{"23", "1", "168", "192", "in-addr", "arpa"}));
  EXPECT_EQ(in.U16(), dns::kTypePtr);
  EXPECT_EQ(in.U16(), dns::kClassIn);
  EXPECT_EQ(in.Remaining(), 0u);
}

TEST(NameQueryTest, NamesReadOnlyWithinTheRules) {
  // Each message: 12 bytes of header, then the name under test at offset 12.
  const dns::Bytes head(12, 0);
  struct Case {
    const char* what;
    dns::Bytes name;
    bool ok;
    std::size_t labels;
  } cases[] = {
      {"plain", {3, 'a', 'b', 'c', 0}, true, 1},
      {"backward pointer", {1, 'x', 0, 0xC0, 12}, true, 1},  // second name points at the first
      {"pointer to itself", {0xC0, 12}, false, 0},
      {"forward pointer", {0xC0, 14, 1, 'x', 0}, false, 0},
      {"label runs past the end", {5, 'a', 'b'}, false, 0},
      {"no root", {1, 'a'}, false, 0},
      {"pointer cut in half", {0xC0}, false, 0},
      {"label type 0x40", {0x41, 'a', 0}, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const dns::Bytes m = Cat(head, c.name);
    dns::Reader in(m.data(), m.size());
    in.Skip(12);
    if (c.name.size() > 3 && c.name[3] == 0xC0) in.Skip(3);  // read the second name
    const std::vector<std::string> labels = in.Name();
    EXPECT_EQ(!in.Failed(), c.ok);
    if (c.ok) {
      EXPECT_EQ(labels.size(), c.labels);
    }
  }
}

TEST(NameQueryTest, PointerChainsAndNamesAreBounded) {
  // A chain of pointers, each to the one before: 16 jumps are allowed, 17 are not.
  for (int jumps : {16, 17}) {
    dns::Bytes m(12, 0);
    m.push_back(0);  // the root, at offset 12
    for (int i = 0; i < jumps; ++i) {
      const std::size_t previous = m.size() - (i ? 2 : 1);
      m.push_back(0xC0);
      m.push_back(static_cast<uint8_t>(previous));
    }
    dns::Reader in(m.data(), m.size());
    in.Skip(m.size() - 2);
    in.Name();
    EXPECT_EQ(in.Failed(), jumps > dns::kMaxPointers) << jumps;
  }
  // A name longer than 255 bytes on the wire.
  dns::Bytes longName(12, 0);
  for (int i = 0; i < 5; ++i) longName = Cat(Cat(longName, {63}), dns::Bytes(63, 'a'));
  longName.push_back(0);
  dns::Reader tooLong(longName.data(), longName.size());
  tooLong.Skip(12);
  tooLong.Name();
  EXPECT_TRUE(tooLong.Failed());
}

TEST(NameQueryTest, NetbiosNameIsTheFirstUniqueWorkstationName) {
  struct Case {
    const char* what;
    std::vector<NetbiosEntry> entries;
    const char* name;
  } cases[] = {
      {"group first, then the unique name",
       {{"WORKGROUP", 0, true}, {"NAS-BOX", 0x20, false}, {"NAS-BOX", 0, false}},
       "NAS-BOX"},
      {"blanks inside stay", {{"MY PC", 0, false}}, "MY PC"},
      {"only groups", {{"WORKGROUP", 0, true}}, ""},
      {"control byte: no name", {{"A\tB", 0, false}, {"LATER", 0, false}}, ""},
      {"code page 936", {{"财务电脑", 0, false}}, "财务电脑"},
      {"lone lead byte at the end: no name", {{"PC\xb1", 0, false}}, ""},
      {"bad trail byte: no name", {{"财\xb2\x7f", 0, false}}, ""},
      {"0x80 alone: no name", {{"PC\x80", 0, false}}, ""},
      {"all blanks", {{"", 0, false}}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const dns::Bytes reply = NbstatReply(9, c.entries);
    const names::Answer a = names::ReadNbstatReply(reply.data(), reply.size(), 9);
    EXPECT_TRUE(a.answered);
    EXPECT_EQ(a.name, c.name);
  }
}

TEST(NameQueryTest, BentNetbiosRepliesAreNoAnswer) {
  const dns::Bytes good = NbstatReply(9, {{"NAS", 0, false}});
  struct Case {
    const char* what;
    std::size_t at;  // byte to change (or cut the reply to, with cut)
    uint8_t value;
    bool cut;
  } cases[] = {
      {"another transaction id", 1, 8, false},
      {"a query, not a response", 2, 0x04, false},
      {"an error code", 3, 0x03, false},
      {"another record type", 47, 0x20, false},
      {"more names than the data holds", 56, 4, false},
      {"data length past the datagram", 54, 0xFF, false},
      {"cut inside the name list", 70, 0, true},
      {"cut inside the header", 5, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    dns::Bytes bent = good;
    if (c.cut) {
      bent.resize(c.at);
    } else {
      bent[c.at] = c.value;
    }
    const names::Answer a = names::ReadNbstatReply(bent.data(), bent.size(), 9);
    EXPECT_FALSE(a.answered);
    EXPECT_EQ(a.name, "");
  }
}

TEST(NameQueryTest, MdnsNameIsThePointerTargetWithoutLocal) {
  struct Case {
    const char* what;
    std::vector<std::string> labels;
    std::string name;
  } cases[] = {
      {"host.local.", {"printer", "local"}, "printer"},
      {"LOCAL in capitals", {"printer", "LOCAL"}, "printer"},
      {"another domain keeps its labels", {"nas", "home", "arpa"}, "nas.home.arpa"},
      {"UTF-8 stays UTF-8", {kUtf8KeTing, "local"}, kUtf8KeTing},
      {"line feed: no name", {"a\nb", "local"}, ""},
      {"DEL: no name", {"a\x7f", "local"}, ""},
      {"64-byte label: no name", {std::string(64, 'a')}, ""},
      {"only local", {"local"}, ""},
      {"empty label", {"", "local"}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(names::MdnsNameText(c.labels), c.name);
  }
  const dns::Bytes reply = MdnsPtrReply(5, kTarget, "macbook");
  const names::Answer a = names::ReadMdnsReply(reply.data(), reply.size(), 5, kTarget);
  EXPECT_TRUE(a.answered);
  EXPECT_EQ(a.name, "macbook");
}

TEST(NameQueryTest, BentMdnsRepliesGiveNoName) {
  const dns::Bytes good = MdnsPtrReply(5, kTarget, "macbook");
  const std::size_t answer = 12 + 27 + 4;  // header, question name and fields
  struct Case {
    const char* what;
    std::size_t at;
    uint8_t value;
    bool answered;
  } cases[] = {
      {"another transaction id", 0, 1, false},
      {"a query, not a response", 2, 0x04, false},
      {"answer for another address", 13, '4', true},  // owner points at the question
      {"not a PTR record", answer + 3, 1, true},
      {"data longer than the target", answer + 11, 16, true},
      {"data shorter than the target", answer + 11, 14, true},
      {"target pointer forwards", answer + 12, 0xC0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    dns::Bytes bent = good;
    bent[c.at] = c.value;
    const names::Answer a = names::ReadMdnsReply(bent.data(), bent.size(), 5, kTarget);
    EXPECT_EQ(a.answered, c.answered);
    EXPECT_EQ(a.name, "");
  }
}

TEST(DeviceNameTest, ConvertsUtf8ToCodePage936) {
  struct Case {
    const char* what;
    std::string utf8, text;
    bool complete;
  } cases[] = {
      {"ASCII", "nas-01", "nas-01", true},
      {"Chinese", kUtf8Ming, "名", true},
      {"no such character in 936, and no look-alike",
       "B\xc3\xa4"
       "cker",
       "B?cker", false},
      {"outside the BMP",
       "a\xf0\x9f\x98\x80"
       "b",
       "a?b", false},
      {"a stray byte",
       "a\xff"
       "b",
       "a?b", false},
      {"an overlong form", "a\xc0\xaf", "a??", false},
      {"a surrogate", "\xed\xa0\x80", "???", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ConvertedName n = ConvertUtf8Name(c.utf8);
    EXPECT_EQ(n.text, c.text);
    EXPECT_EQ(n.complete, c.complete);
  }
}

TEST(DeviceNameTest, RankingEarlyStopAndAcceptance) {
  enum Reply { kNbstat, kMdns, kNbstatWrongId, kMdnsFromElsewhere, kNbstatFromWrongPort };
  struct Case {
    const char* what;
    std::vector<Reply> replies;
    std::string mdns, netbios;  // names the replies carry
    bool done;
    std::string name;
    NameSource source;
  } cases[] = {
      {"nothing came", {}, "tv", "TV", false, "", NameSource::kNone},
      {"NetBIOS alone keeps waiting for mDNS",
       {kNbstat},
       "tv",
       "TV",
       false,
       "TV",
       NameSource::kNetbios},
      {"a convertible mDNS name ends the wait", {kMdns}, "tv", "TV", true, "tv", NameSource::kMdns},
      {"mDNS beats NetBIOS", {kNbstat, kMdns}, "tv", "TV", true, "tv", NameSource::kMdns},
      {"an unconvertible mDNS name waits for NetBIOS",
       {kMdns},
       "B\xc3\xa4r",
       "TV",
       false,
       "B?r",
       NameSource::kMdns},
      {"then NetBIOS is taken",
       {kMdns, kNbstat},
       "B\xc3\xa4r",
       "TV",
       true,
       "TV",
       NameSource::kNetbios},
      {"both answered, neither with a name",
       {kMdns, kNbstat},
       "a\nb",
       "",
       true,
       "",
       NameSource::kNone},
      {"wrong id, other address, other port: ignored",
       {kNbstatWrongId, kMdnsFromElsewhere, kNbstatFromWrongPort},
       "tv",
       "TV",
       false,
       "",
       NameSource::kNone},
  };
  const uint32_t elsewhere = Ipv4FromText("192.168.1.24");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DeviceNameQuery query(kTarget, 100, 200);
    ASSERT_EQ(query.Queries().size(), 2u);
    const std::vector<NetbiosEntry> entries = {{c.netbios, 0, false}};
    bool done = false;
    for (Reply r : c.replies) {
      const bool nb = r == kNbstat || r == kNbstatWrongId || r == kNbstatFromWrongPort;
      const dns::Bytes bytes = nb ? NbstatReply(r == kNbstatWrongId ? 101 : 100, entries)
                                  : MdnsPtrReply(200, kTarget, c.mdns);
      const uint32_t from = r == kMdnsFromElsewhere ? elsewhere : kTarget;
      const uint16_t port = r == kNbstatFromWrongPort ? 138
                            : nb                      ? names::kNetbiosPort
                                                      : names::kMdnsPort;
      done = query.OnReply(from, port, bytes.data(), bytes.size());
    }
    EXPECT_EQ(done, c.done);
    EXPECT_EQ(query.Result().name, c.name);
    EXPECT_EQ(query.Result().source, c.source);
  }
}

}  // namespace
