// XML engine throughput on registry-shaped documents: one CONFIG root holding ComputerInfo
// entries, as ComputerInfo.xml holds them. Tarnlook's parser runs beside pugixml on the same text;
// Base64 runs beside memcpy of the same bytes.
#include <atomic>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <pugixml.hpp>
#include <random>
#include <string>

#include "counting_heap.h"
#include "xml/base64.h"
#include "xml/xml_document.h"

namespace {

// A registry document with n entries: names of several shapes (ASCII host names, Chinese names in
// code page 936), both status labels, MAC texts with their two trailing line feeds.
std::string RegistryText(int entries) {
  static const char* const kNames[] = {"DESKTOP-4F2K9QX", "LAPTOP-7H3J2", "android-5e2a9c",
                                       "张三的电脑",      "客厅电视",     "iPhone",
                                       "NAS-BACKUP",      "打印机"};
  std::mt19937 random(42);
  std::string text = "<?xml version=\"1.0\"?><CONFIG>\r\n<ComputerId1/>\r\n";
  auto byte = [&random] { return static_cast<unsigned>(random() & 0xFF); };
  char mac[32];
  for (int i = 0; i < entries; ++i) {
    const unsigned b[6] = {byte(), byte(), byte(), byte(), byte(), byte()};
    std::snprintf(mac, sizeof mac, "%.2X-%.2X-%.2X-%.2X-%.2X-%.2X", b[0], b[1], b[2], b[3], b[4],
                  b[5]);
    text += "<ComputerInfo USERNAME=\"";
    text += kNames[random() % 8];
    text += (random() & 1) ? "\" STATUS=\"\n\n标记为未知\" MAC=\""
                           : "\" STATUS=\"\n\n标记为已知\" MAC=\"";
    text += mac;
    text += "\n\n\"/>\r\n";
  }
  text += "</CONFIG>\r\n";
  return text;
}

const std::string& Registry(int entries) {
  static std::string texts[3];
  std::string& text = texts[entries == 10 ? 0 : entries == 1000 ? 1 : 2];
  if (text.empty()) text = RegistryText(entries);
  return text;
}

void BM_TarnlookParse(benchmark::State& state) {
  const std::string& text = Registry(static_cast<int>(state.range(0)));
  XmlDocument doc;
  for (auto _ : state) {
    benchmark::DoNotOptimize(doc.SetDocumentText(text));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_TarnlookParse)->Arg(10)->Arg(1000)->Arg(100000);

void BM_PugixmlParse(benchmark::State& state) {
  const std::string& text = Registry(static_cast<int>(state.range(0)));
  pugi::xml_document doc;
  for (auto _ : state) {
    benchmark::DoNotOptimize(doc.load_buffer(text.data(), text.size()));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_PugixmlParse)->Arg(10)->Arg(1000)->Arg(100000);

// Documents of about `bytes` bytes in these shapes: flat (<r> holding <a/> elements); two that once
// took time quadratic in the depth: start tags followed by as many end tags that close none of
// them, and start tags never ended; and two whose open names have many prefixes that an end tag
// could close, after an end tag that makes the parser look names up: distinct names with eight
// such prefixes each (also closed by the root's end tag, which unends them all), and one name made
// of such prefixes only.
enum Shape { kFlat, kUnmatchedEnds, kUnended, kDistinctNames, kDistinctNamesClosed, kLongName };

std::string ShapeText(Shape shape, int64_t bytes) {
  std::string text;
  text.reserve(static_cast<std::size_t>(bytes));
  if (shape == kFlat) {
    text = "<r>";
    while (static_cast<int64_t>(text.size()) + 8 <= bytes) text += "<a/>";
    text += "</r>";
  } else if (shape == kUnmatchedEnds) {
    for (int64_t i = 0; i < bytes / 7; ++i) text += "<a>";
    for (int64_t i = 0; i < bytes / 7; ++i) text += "</b>";
  } else if (shape == kUnended) {
    for (int64_t i = 0; i < bytes / 3; ++i) text += "<a>";
  } else if (shape == kDistinctNames || shape == kDistinctNamesClosed) {
    text = "<r></x>";
    const int64_t room = shape == kDistinctNames ? bytes : bytes - 4;
    for (int64_t n = 0;; ++n) {
      const std::string tag = "<a=" + std::to_string(n) + "=b=c=d=e=f=g=h>";
      if (static_cast<int64_t>(text.size() + tag.size()) > room) break;
      text += tag;
    }
    if (shape == kDistinctNamesClosed) text += "</r>";
  } else {
    text = "<r></x><a";
    while (static_cast<int64_t>(text.size()) + 3 <= bytes) text += "=a";
    text += ">";
  }
  return text;
}

// Reports speed, and the peak heap bytes of one parse into a new document (the document's own copy
// of the text included, the caller's text not) as peak_bytes and per input byte.
void BM_TarnlookParseShape(benchmark::State& state, Shape shape) {
  const std::string text = ShapeText(shape, state.range(0));
  {
    const int64_t before = heap::live;
    heap::peak = before;
    XmlDocument once;
    once.SetDocumentText(text);
    const double peak = static_cast<double>(heap::peak - before);
    state.counters["peak_bytes"] = peak;
    state.counters["peak_per_byte"] = peak / static_cast<double>(text.size());
  }
  XmlDocument doc;
  for (auto _ : state) {
    benchmark::DoNotOptimize(doc.SetDocumentText(text));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK_CAPTURE(BM_TarnlookParseShape, flat, kFlat)->Arg(64 << 10)->Arg(1 << 20)->Arg(4 << 20);
BENCHMARK_CAPTURE(BM_TarnlookParseShape, unmatched_ends, kUnmatchedEnds)
    ->Arg(64 << 10)
    ->Arg(1 << 20);
BENCHMARK_CAPTURE(BM_TarnlookParseShape, unended, kUnended)->Arg(64 << 10)->Arg(1 << 20);
BENCHMARK_CAPTURE(BM_TarnlookParseShape, distinct_names, kDistinctNames)
    ->Arg(1 << 20)
    ->Arg(4 << 20);
BENCHMARK_CAPTURE(BM_TarnlookParseShape, distinct_names_closed, kDistinctNamesClosed)
    ->Arg(1 << 20)
    ->Arg(4 << 20);
BENCHMARK_CAPTURE(BM_TarnlookParseShape, long_name, kLongName)->Arg(1 << 20)->Arg(4 << 20);

// Rewrites one entry's name in the middle of the 1,000-entry document. Argument 0: the new value
// has the old one's length (as when a status label toggles); 1: it does not, so the tail of the
// text moves and the 500 records after the entry shift.
void BM_TarnlookSetAttribute(benchmark::State& state) {
  XmlDocument doc;
  doc.SetDocumentText(Registry(1000));
  doc.FindElement("CONFIG");
  doc.EnterElement();
  for (int i = 0; i < 500; ++i) doc.FindElement("ComputerInfo");
  const std::string names[2] = {"LAPTOP-AAAAA", state.range(0) == 0 ? "客厅的电脑啊" : "PC"};
  int k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(doc.SetAttribute("USERNAME", names[k ^= 1]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TarnlookSetAttribute)->Arg(0)->Arg(1);

// Appends entries to the 1,000-entry document the way the registry does (last child of CONFIG),
// 64 per fresh copy of the document.
void BM_TarnlookAddElement(benchmark::State& state) {
  XmlDocument base;
  base.SetDocumentText(Registry(1000));
  constexpr int kBatch = 64;
  for (auto _ : state) {
    state.PauseTiming();
    XmlDocument doc = base;
    doc.FindElement("CONFIG");
    doc.EnterElement();
    state.ResumeTiming();
    for (int i = 0; i < kBatch; ++i) {
      doc.AddElement("ComputerInfo");
      doc.LeaveElement();
      doc.EnterElement();
    }
    benchmark::DoNotOptimize(doc.GetDocumentText().data());
  }
  state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_TarnlookAddElement);

void BM_TarnlookBase64Encode(benchmark::State& state) {
  const std::string& text = Registry(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(EncodeBase64(text));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_TarnlookBase64Encode)->Arg(1000)->Arg(100000);

void BM_TarnlookBase64Decode(benchmark::State& state) {
  const std::string encoded = EncodeBase64(Registry(static_cast<int>(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(DecodeBase64(encoded));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(encoded.size()));
}
BENCHMARK(BM_TarnlookBase64Decode)->Arg(1000)->Arg(100000);

// The floor for a transform of the same bytes: allocate and copy.
void BM_Memcpy(benchmark::State& state) {
  const std::string& text = Registry(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::string copy(text.size(), '\0');
    std::memcpy(&copy[0], text.data(), text.size());
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_Memcpy)->Arg(1000)->Arg(100000);

}  // namespace

BENCHMARK_MAIN();
