#!/usr/bin/python3
"""Writes the maker table the program searches in place, from the IEEE registry of MAC prefixes.

    tools/make_maker_table.py <output.cpp> [--data /usr/share/ieee-data] [--full-names] [--stats]

Reads Debian's ieee-data CSV files (oui.csv: 24-bit MA-L, mam.csv: 28-bit MA-M, oui36.csv: 36-bit
MA-S, iab.csv: 36-bit IAB) and the package's .lastupdate (seconds since 1970). The build runs it;
its output is never committed.

The output defines what src/maker/maker_table.h declares: per prefix length a sorted array of
64-bit entries, (prefix << 24) | offset of the name, and one pool of NUL-terminated names in code
page 936, each name stored once. The 255 words that save most ("Technology", "Electronics", ...)
are stored once in a word pool and stand in the names as two bytes, 0x01 and the word's number:
the pool shrinks by more than a quarter. Plain integers and character arrays: the table needs
neither relocations nor start-up work, the program searches it where the image maps it.

Names are made single-spaced, with the registry's stray HTML escapes ("R&amp;M") decoded; a name
code page 936 cannot hold is transliterated to ASCII. Unless --full-names is given, a trailing
legal form ("Co., Ltd.", "Inc.", "GmbH", ...) is dropped: it makes the name pool a fifth smaller
and the tooltip shorter, and no maker is told apart by it. A drop that leaves a joiner behind
("Festo AG & Co. KG") takes the joiner too and ends there ("Festo AG"), and the few names that
dropping would leave meaningless are kept whole (KEEP_WHOLE).
"""
import argparse
import csv
import datetime
import html
import re
import sys
import unicodedata
from pathlib import Path

SOURCES = [("oui.csv", 24), ("mam.csv", 28), ("oui36.csv", 36), ("iab.csv", 36)]
LENGTHS = (24, 28, 36)
OFFSET_BITS = 24
WORD_MARK = 1  # a name byte that is never text: the next byte numbers a word (1-255)

# Legal forms dropped from the end of a name, as regular expressions over a whole trailing word
# group (case-insensitive, an optional final dot).
LEGAL_FORMS = [
    r"co\.?\s*,?\s*ltd", r"co\.?\s*,?\s*limited", r"company\s+limited", r"inc(?:orporated)?",
    r"ltd", r"limited", r"l\.?l\.?c", r"corp(?:oration)?", r"gmbh(?:\s*&\s*co\.?\s*kg)?",
    r"co\.?\s*kg", r"ag", r"s\.?a\.?s", r"s\.?a", r"s\.?r\.?l", r"s\.?l", r"b\.?v", r"oy", r"ab",
    r"a/s", r"pt[ey]\.?\s*,?\s*(?:ltd|limited)", r"plc", r"kg", r"co",
]
LEGAL_SUFFIX = re.compile(r"[\s,]+(?:%s)\.?$" % "|".join(LEGAL_FORMS), re.IGNORECASE)

# What joins a name to the partner a legal form named ("& Co. KG", "und Co.", "y Cia").
TRAILING_JOINER = re.compile(r"(?:\s*[&+]|\s+(?:and|und|y|et))$", re.IGNORECASE)

# Names whose legal form is the only part that says who they are ("NOT LIMITED, INC." is no "NOT").
KEEP_WHOLE = {
    "NOT LIMITED, INC.", "Data Ltd.", "Power Ltd.", "PLUS Corporation", "NEXT, INC.",
    "The VON Corporation",
}

# The registry holds a few names with their ampersands and quotes HTML-escaped.
HTML_ESCAPE = re.compile(r"&(?:amp|quot|apos|lt|gt|#[0-9]+|#x[0-9a-fA-F]+);")

# Letters NFKD does not take apart.
ASCII_FOR = {"ß": "ss", "Ø": "O", "ø": "o", "Æ": "AE", "æ": "ae", "Œ": "OE", "œ": "oe", "Ł": "L",
             "ł": "l", "Đ": "D", "đ": "d", "Þ": "Th", "þ": "th", "ð": "d", "ı": "i", "–": "-",
             "—": "-", "’": "'", "‘": "'", "“": '"', "”": '"'}


def to_ascii(name):
    decomposed = unicodedata.normalize("NFKD", "".join(ASCII_FOR.get(c, c) for c in name))
    return " ".join("".join(c for c in decomposed if " " <= c <= "~").split())


def shorten(name):
    if name in KEEP_WHOLE:
        return name
    while True:
        shorter = LEGAL_SUFFIX.sub("", name).rstrip(" ,-")
        if shorter == name or len(shorter) < 2:
            return name
        unjoined = TRAILING_JOINER.sub("", shorter).rstrip(" ,")
        if unjoined != shorter:
            return unjoined if len(unjoined) >= 2 else name
        name = shorter


def stored_name(name, full_names):
    name = " ".join(HTML_ESCAPE.sub(lambda m: html.unescape(m.group()), name).split())
    if not full_names:
        name = shorten(name)
    try:
        return name.encode("gbk")
    except UnicodeEncodeError:
        return to_ascii(name).encode("ascii")


def read_prefixes(data, full_names):
    """{bits: {prefix value: name bytes}}; a prefix listed twice keeps its first name."""
    tables = {bits: {} for bits in LENGTHS}
    for file_name, bits in SOURCES:
        with open(Path(data) / file_name, encoding="utf-8", newline="") as f:
            for row in csv.DictReader(f):
                assignment = row["Assignment"].strip()
                if len(assignment) * 4 != bits:
                    sys.exit("%s: %r is not a %d-bit prefix" % (file_name, assignment, bits))
                name = stored_name(row["Organization Name"], full_names)
                if name:
                    tables[bits].setdefault(int(assignment, 16), name)
    return tables


def data_date(data):
    stamp = int((Path(data) / ".lastupdate").read_text().split()[0])
    return datetime.datetime.fromtimestamp(stamp, datetime.timezone.utc).strftime("%Y-%m-%d")


def c_string(data):
    """A C string literal of bytes: printable ASCII as is, everything else as three-digit octal."""
    out = []
    for b in data:
        c = chr(b)
        if c in '"\\?':
            out.append("\\" + c)
        elif 0x20 <= b < 0x7F:
            out.append(c)
        else:
            out.append("\\%03o" % b)
    return '"' + "".join(out) + '"'


def choose_words(names):
    """The 255 whole words (split at blanks, which no code page 936 trail byte is) that save most."""
    counts = {}
    for name in names:
        for word in name.split(b" "):
            if len(word) > 2:
                counts[word] = counts.get(word, 0) + 1
    ranked = sorted(counts, key=lambda w: (-(len(w) - 2) * counts[w], w))
    return ranked[:255]


def pack_name(name, numbers):
    return b" ".join(bytes([WORD_MARK, numbers[w]]) if w in numbers else w for w in name.split(b" "))


def build(tables):
    words = choose_words({n for table in tables.values() for n in table.values()})
    numbers = {word: i + 1 for i, word in enumerate(words)}
    pool = bytearray()
    offsets = {}
    arrays = {}
    for bits in LENGTHS:
        entries = []
        for prefix, name in sorted(tables[bits].items()):
            packed = pack_name(name, numbers)
            if packed not in offsets:
                offsets[packed] = len(pool)
                pool += packed + b"\0"
            entries.append((prefix << OFFSET_BITS) | offsets[packed])
        arrays[bits] = entries
    if len(pool) >= 1 << OFFSET_BITS:
        sys.exit("name pool of %d bytes does not fit %d-bit offsets" % (len(pool), OFFSET_BITS))
    return arrays, bytes(pool), offsets, words


def write(out_path, arrays, pool, offsets, words, date):
    lines = ["// Generated by tools/make_maker_table.py from Debian's ieee-data; do not edit.",
             '#include "maker/maker_table.h"', "", "namespace maker {", "",
             'extern const char kMakerDataDate[] = "%s";' % date, ""]
    for bits in LENGTHS:
        entries = arrays[bits]
        lines.append("extern const uint64_t kPrefixes%d[] = {" % bits)
        for i in range(0, len(entries), 6):
            lines.append("  " + ", ".join("0x%015xu" % e for e in entries[i:i + 6]) + ",")
        lines.append("};")
        lines.append("extern const std::size_t kPrefixes%dCount = %d;" % (bits, len(entries)))
        lines.append("")
    lines.append("extern const char kMakerNames[] =")
    for name in sorted(offsets, key=offsets.get):
        lines.append("  " + c_string(name + b"\0"))
    lines.append(";")
    lines.append("extern const std::size_t kMakerNamesSize = %d;" % len(pool))
    lines.append("")
    word_offsets, at = [0], 0
    lines.append("extern const char kMakerWords[] =")
    lines.append('  "\\000"')  # number 0 names no word
    at = 1
    for word in words:
        word_offsets.append(at)
        lines.append("  " + c_string(word + b"\0"))
        at += len(word) + 1
    lines.append(";")
    lines.append("extern const uint16_t kMakerWordOffsets[256] = {%s};" % ", ".join(map(str, word_offsets)))
    lines.append("extern const std::size_t kMakerWordsSize = %d;" % at)
    lines += ["", "}  // namespace maker", ""]
    Path(out_path).write_text("\n".join(lines))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("output")
    parser.add_argument("--data", default="/usr/share/ieee-data")
    parser.add_argument("--full-names", action="store_true", help="keep legal forms such as Inc.")
    parser.add_argument("--stats", action="store_true", help="print the table's sizes")
    args = parser.parse_args()
    arrays, pool, offsets, words = build(read_prefixes(args.data, args.full_names))
    write(args.output, arrays, pool, offsets, words, data_date(args.data))
    if args.stats:
        entries = sum(len(a) for a in arrays.values())
        word_bytes = 1 + sum(len(w) + 1 for w in words) + 2 * 256
        print("prefixes %s, names %d, entries %d B, names %d B, words %d B, table %d B" % (
            "/".join(str(len(arrays[b])) for b in LENGTHS), len(offsets), entries * 8, len(pool),
            word_bytes, entries * 8 + len(pool) + word_bytes))


if __name__ == "__main__":
    main()
