#!/usr/bin/env python3
"""Writes src/platform/HtmlEntities.cpp, the table of HTML5 named character
references that page titles are decoded with, from Python's own copy of the
list (html.entities.html5). Only the names written with their ";" go in: the
title reader leaves the legacy forms without it as they are.

Run it from anywhere; it writes the file beside the sources so that building
Norvale never needs Python."""

import html.entities
import pathlib

TARGET = pathlib.Path(__file__).resolve().parent.parent / "src/platform/HtmlEntities.cpp"

HEAD = """\
// Written by scripts/gen_html_entities.py from Python's html.entities.html5:
// run the script again rather than editing this file.

#include "HtmlEntities.h"

#include <algorithm>

namespace norvale {

namespace {

// clang-format off
constexpr HtmlEntity kTable[] = {
"""

TAIL = """\
};
// clang-format on

// The lookup's binary search depends on this order.
static_assert(std::ranges::is_sorted(kTable, {}, &HtmlEntity::name));

} // namespace

const std::span<const HtmlEntity> kHtmlEntities(kTable);

} // namespace norvale
"""


def rows():
    entities = html.entities.html5
    # Byte order, the order std::string_view compares in.
    for name in sorted((n for n in entities if n.endswith(";")), key=lambda n: n[:-1].encode()):
        text = entities[name]
        assert name[:-1].isascii() and name[:-1].isalnum(), name
        assert 1 <= len(text) <= 2, name
        points = [ord(c) for c in text] + [0]
        yield '    {"%s", 0x%X, 0x%X},\n' % (name[:-1], points[0], points[1])


def main():
    TARGET.write_text(HEAD + "".join(rows()) + TAIL, encoding="ascii")


if __name__ == "__main__":
    main()
