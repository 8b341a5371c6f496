"""Brindle.chm is a CHM file that a reader from Debian's packages opens
(extract_chmLib, libchm-bin); it holds every page, the contents and the
index; the contents name every page, and no page, contents entry or index
entry points to anything the file does not hold.

Usage: help_file_test.py BRINDLE_CHM SCRATCH_FOLDER"""
import html.parser
import os
import posixpath
import shutil
import subprocess
import sys
import urllib.parse
from release_checks import exit_with

PAGES = ["help/index.html", "help/splitting.html", "help/removable.html", "help/sizes.html",
         "help/overwrite.html", "help/cancel.html", "help/rebuild.html",
         "help/rebuild_messages.html", "help/recovery.html", "help/limits.html"]
CONTENTS = "Brindle.hhc"
INDEX = "Brindle.hhk"


class Links(html.parser.HTMLParser):
    """The links of a page (href and src) and the anchors it defines (id, name);
    in a contents or index file, the Local parameters of its entries."""

    def __init__(self):
        super().__init__()
        self.links, self.anchors, self.locals = [], set(), []

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        for name in ("href", "src"):
            if attrs.get(name):
                self.links.append(attrs[name])
        for name in ("id", "name"):
            if tag != "param" and attrs.get(name):
                self.anchors.add(attrs[name])
        if tag == "param" and attrs.get("name", "").lower() == "local":
            self.locals.append(attrs["value"])


def parse(root, path):
    parser = Links()
    with open(os.path.join(root, path), encoding="windows-1252") as f:
        parser.feed(f.read())
    return parser


def main():
    chm, scratch = sys.argv[1], sys.argv[2]
    shutil.rmtree(scratch, ignore_errors=True)
    run = subprocess.run(["extract_chmLib", chm, scratch], capture_output=True, text=True)
    if run.returncode != 0:
        return ["extract_chmLib could not read %s: %s%s" % (chm, run.stdout, run.stderr)]
    held = set()
    for folder, _, files in os.walk(scratch):
        for name in files:
            held.add(os.path.relpath(os.path.join(folder, name), scratch).replace(os.sep, "/"))

    failures = ["the file does not hold %s" % path
                for path in PAGES + [CONTENTS, INDEX] if path not in held]
    if failures:
        return failures
    contents = parse(scratch, CONTENTS).locals
    failures += ["the contents do not list %s" % page for page in PAGES if page not in contents]
    anchors = {}

    def target_of(source, link):
        """The held file and anchor a link of `source` points to, or None for the Web."""
        parts = urllib.parse.urlsplit(link)
        if parts.scheme or parts.netloc:
            return None
        path = posixpath.normpath(posixpath.join(posixpath.dirname(source), parts.path)) \
            if parts.path else source
        return path, parts.fragment

    links = [(CONTENTS, local) for local in contents]
    links += [(INDEX, local) for local in parse(scratch, INDEX).locals]
    for page in PAGES:
        parsed = parse(scratch, page)
        anchors[page] = parsed.anchors
        links += [(page, link) for link in parsed.links]
    for source, link in links:
        target = target_of(source, link)
        if target is None:
            continue
        path, fragment = target
        if path not in held:
            failures.append("%s links to %s, which the file does not hold" % (source, link))
        elif fragment and fragment not in anchors.get(path, ()):
            failures.append("%s links to %s, which has no anchor %s" % (source, path, fragment))
    return failures


exit_with(main())
