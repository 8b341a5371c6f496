"""Brindle.chm is a CHM file that a reader from Debian's packages opens
(extract_chmLib, libchm-bin); it holds the contents, the index and the
first page; the contents name every page it holds, and no page, contents entry or index
entry points to a file that it does not hold.

Usage: help_file_test.py BRINDLE_CHM SCRATCH_FOLDER"""
import html.parser
import os
import posixpath
import shutil
import subprocess
import sys
import urllib.parse
from release_checks import exit_with

CONTENTS = "Brindle.hhc"
INDEX = "Brindle.hhk"


class Links(html.parser.HTMLParser):
    """A page's links (href and src); in a contents or index file, its entries' Local values."""

    def __init__(self, root, path):
        super().__init__()
        self.links = []
        with open(os.path.join(root, path), encoding="windows-1252") as f:
            self.feed(f.read())

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "param" and attrs.get("name", "").lower() == "local":
            self.links.append(attrs["value"])
        self.links += [attrs[name] for name in ("href", "src") if attrs.get(name)]


def main():
    chm, scratch = sys.argv[1], sys.argv[2]
    shutil.rmtree(scratch, ignore_errors=True)
    run = subprocess.run(["extract_chmLib", chm, scratch], capture_output=True, text=True)
    if run.returncode != 0:
        return ["extract_chmLib could not read %s: %s%s" % (chm, run.stdout, run.stderr)]
    held = {os.path.relpath(os.path.join(folder, name), scratch).replace(os.sep, "/")
            for folder, _, files in os.walk(scratch) for name in files}
    pages = sorted(path for path in held if path.startswith("help/") and path.endswith(".html"))
    failures = ["the file does not hold %s" % path
                for path in [CONTENTS, INDEX, "help/index.html"] if path not in held]
    if failures:
        return failures
    links = {source: Links(scratch, source).links for source in [CONTENTS, INDEX] + pages}
    failures += ["the contents do not list %s" % page for page in pages
                 if page not in links[CONTENTS]]
    for source, its_links in links.items():
        for link in its_links:
            parts = urllib.parse.urlsplit(link)
            target = posixpath.normpath(posixpath.join(posixpath.dirname(source), parts.path))
            if not (parts.scheme or parts.netloc or target in held):
                failures.append("%s links to %s, which the file does not hold" % (source, link))
    return failures


exit_with(main())
