"""What the release tests share: a program read with pefile, one resource of
it, and how a test ends."""
import sys

import pefile


def read_image(path):
    with open(path, "rb") as f:
        return pefile.PE(data=f.read())


def resource(image, type_id, name):
    """The data and the language of the one resource of that type and id, each
    a number or a name."""
    key = lambda entry: entry.id if entry.name is None else str(entry.name)
    leaves = [leaf for kind in image.DIRECTORY_ENTRY_RESOURCE.entries if key(kind) == type_id
              for entry in kind.directory.entries if key(entry) == name
              for leaf in entry.directory.entries]
    if len(leaves) != 1:
        raise KeyError("%d resources %r %r" % (len(leaves), type_id, name))
    place = leaves[0].data.struct
    return image.get_data(place.OffsetToData, place.Size), leaves[0].id


def exit_with(failures):
    for failure in failures:
        print("FAIL: " + failure)
    if failures:
        sys.exit(1)
    print("PASS")
    sys.exit(0)
