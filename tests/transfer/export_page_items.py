#!/usr/bin/env python3
"""Reads an exported site-list page with Python's HTML parser and prints,
one per line, every list item that links out of the page as
"ITEM<TAB>target<TAB>text", every heading anchor as "HEADING<TAB>name<TAB>text"
and at the end "ERRORS<TAB>n" for tags closed that were never opened."""
import html.parser
import sys


class Items(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.open = []
        self.anchor = None   # [kind, target or name, text] while inside <a>
        self.out = []
        self.errors = 0

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag in ("ul", "li", "h3", "h4", "a", "p", "body", "html", "head", "title"):
            self.open.append(tag)
        if tag == "a":
            if "href" in attrs and not attrs["href"].startswith("#"):
                self.anchor = ["ITEM", attrs["href"], ""]
                if "li" not in self.open[:-1]:
                    self.errors += 1
            elif "name" in attrs and attrs["name"].startswith("URL") and attrs["name"] != "URLIndex":
                self.anchor = ["HEADING", attrs["name"], ""]
            else:
                self.anchor = None

    def handle_endtag(self, tag):
        if tag == "a" and self.anchor:
            self.out.append(self.anchor)
            self.anchor = None
        if tag in self.open:
            while self.open and self.open.pop() != tag:
                pass
        elif tag in ("ul", "li", "h3", "h4", "a", "p"):
            self.errors += 1

    def handle_data(self, data):
        if self.anchor is not None:
            self.anchor[2] += data


def main():
    with open(sys.argv[1], encoding="utf-8", newline="") as f:
        page = f.read()
    parser = Items()
    parser.feed(page)
    parser.close()
    for kind, target, text in parser.out:
        for field in (target, text):
            if "\t" in field or "\n" in field:
                parser.errors += 1
        print(f"{kind}\t{target}\t{text}")
    print(f"ERRORS\t{parser.errors}")


if __name__ == "__main__":
    main()
